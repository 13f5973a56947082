// What the command line asks of one run:
//   tolvane.exe [FOLDER] [/s TEXT] [/h MARKER] [/m MASKS] [/x FOLDERS] [/c] [/i]
//               [/r] [/w] [/go] [/out FILE] [/format tsv|csv|tagjump|jsonl]
// Fields filled for this run, the search started at once, or a run without
// the window that writes its rows to a file. Options are blind to case and
// may start with "-" as well.
#ifndef TOLVANE_APP_START_OPTIONS_H
#define TOLVANE_APP_START_OPTIONS_H

#include "platform/cstring.h"
#include "platform/process.h"
#include "search/row_file.h"
#include "search/search_fields.h"

struct CStartOptions {
    struct Text {
        bool bGiven = false;
        CString str;
    };
    Text folder, search, headword, masks, exclude;  // FOLDER (absolute), /s, /h, /m, /x
    int nCase = -1;                                 // /c 1, /i 0, -1 as saved
    bool bRegex = false, bWholeWord = false;        // /r, /w: ticked for this run
    bool bGo = false;                               // /go
    bool bOut = false;                              // /out: no window
    CString strOut;                                 // its FILE, absolute, or "-"
    ResultsFileType nFormat = kResultsTsv;
    // "" when the command line is sound; else what is wrong with it, then
    // the options, as the box or standard error shows it.
    CString strError;

    // The fields of the settings, with what this run gives put over them.
    void ApplyTo(SearchFields* pFields) const;
};

CStartOptions ParseStartOptions(const CCommandArgs& args);

#endif
