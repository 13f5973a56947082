// The lines around a row's line, read again from its file for the preview
// pane: as the file holds them (UTF-8, so a Unicode file's characters that
// code page 932 lacks stay themselves), with the matches marked by the rule
// of the search. No window.
#ifndef TOLVANE_ENGINE_PREVIEW_H
#define TOLVANE_ENGINE_PREVIEW_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_text.h"
#include "engine/splice.h"
#include "platform/files.h"

struct PreviewLine {
    uint64_t nLine;     // 1-based
    bool bOwn;          // the row's own line
    std::string text;   // UTF-8, tabs widened as the list widens them
    std::vector<TextSpan> marks;  // in bytes of TEXT
};

enum PreviewState { kPreviewShown, kPreviewChanged, kPreviewMissing };

// The lines NLINE-NAROUND to NLINE+NAROUND of PATH, those the file has. A
// file whose size or time is not STAMP's, or that no longer has line NLINE,
// is kPreviewChanged with no lines: lines read from it could be other lines
// than the row's. NOFFSET, a place in line NLINE as the search found it,
// spares reading the bytes before (UINT64_MAX: read the file from its start).
PreviewState ReadPreview(const char* path, FileStamp stamp, uint64_t nLine, uint64_t nOffset, int nAround,
                         CSplicer& marker, std::vector<PreviewLine>* pLines);

// Rows' own lines as their files hold them, for saving them with the
// characters code page 932 lacks: one file read at a time, kept while rows
// of it follow.
class CRowLines {
public:
    explicit CRowLines(CSplicer* pMarker) : m_pMarker(pMarker) {}
    // Line NLINE of a Unicode file as the preview shows it, its matches
    // marked; false for a code page 932 file (the row shows its bytes
    // already) and for a file changed since STAMP.
    bool OwnLine(const char* path, FileStamp stamp, uint64_t nLine, PreviewLine* pLine);

private:
    CSplicer* m_pMarker;
    std::string m_strPath;
    FileStamp m_stamp;
    Encoding m_e = kCp932;
    CTextLines m_lines;
};

#endif
