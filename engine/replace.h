// A replace: the listed lines of a search rewritten in their files, only the
// matched bytes changed, each file whole or untouched, with its old bytes
// kept for one step back. No window: the dialog starts a replace, steps it
// file by file, shows its progress and takes its report.
#ifndef TOLVANE_ENGINE_REPLACE_H
#define TOLVANE_ENGINE_REPLACE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/encoding.h"
#include "platform/cstring.h"
#include "platform/files.h"

// How the search that made the rows matched, and what replaces each match.
struct ReplaceRule {
    CString strSearch;  // as typed, case kept
    bool bFold = false;
    bool bRegex = false;
    bool bWholeWord = false;
    // As typed. With bRegex, $0-$9 and ${name} are the match's groups and
    // $$ is a "$"; otherwise it stands for itself.
    CString strReplacement;
    // As the search read files without a byte-order mark: kAutoDetect or
    // the Encoding chosen.
    int nEncoding = kAutoDetect;
};

// Empty when the replacement can be used with the rule's pattern; else the
// message to show (a group the pattern lacks, a pattern that does not compile).
CString CheckReplacement(const ReplaceRule& rule);

// One listed line of a file, with the headword its row showed.
struct ReplaceLine {
    uint64_t nLine;  // 1-based
    CString strHeadword;
};

// One file of the rows and the lines of its rows.
struct ReplaceTarget {
    CString strPath;    // full path, as the rows show it
    CString strColumn;  // the file column's text
    FileStamp stamp;    // as the search read the file
    std::vector<ReplaceLine> lines;  // ascending, each line once
};

// A replaced line, as the list shows it afterwards.
struct ReplacedRow {
    CString strColumn;
    CString strHeadword;
    uint64_t nLine;
    uint64_t nColumn;   // of the first replacement, as the search counts columns
    std::string text;   // the new line as code page 932, as a search row holds it
};

struct ReplaceReport {
    int nFiles = 0;          // files replaced in
    uint64_t nReplaced = 0;  // matches replaced
    int nChanged = 0;        // changed since the search, or a line no longer matches
    int nReadOnly = 0;
    int nFailed = 0;         // could not be read, backed up or written
    int nIso2022Jp = 0;      // ISO-2022-JP: its escapes carry state across lines
    bool bStopped = false;   // Esc: files after the one being written were left
    bool bNoBackup = false;  // the backup folder could not be made: nothing was written
};
// The box after a replace: "N 個のファイルで M 箇所を置換しました。" and a line for
// each kind of file left alone.
CString ReplaceReportText(const ReplaceReport& report);

// One replace, a file at a time so that the caller can show progress and
// stop between files. Before a file is swapped its old bytes go to a new
// folder BACKUPROOT\YYYYMMDD-HHMMSS\ with a list of what was replaced; the
// ten newest such folders are kept.
class CReplaceJob {
public:
    CReplaceJob(const ReplaceRule& rule, std::vector<ReplaceTarget> targets, const CString& strBackupRoot);
    ~CReplaceJob();
    CReplaceJob(const CReplaceJob&) = delete;
    CReplaceJob& operator=(const CReplaceJob&) = delete;

    // Replaces in the next file; false once every file is done.
    bool Step();
    // The files after the current one are left; the report says so.
    void Stop();
    size_t Done() const;
    size_t Count() const;
    const ReplaceReport& Report() const;
    // One row per replaced line, in the targets' order.
    const std::vector<ReplacedRow>& Rows() const;

    struct State;

private:
    std::unique_ptr<State> m_p;
};

struct UndoReport {
    bool bNothing = false;  // no replace to undo
    int nRestored = 0;
    int nEdited = 0;        // changed since the replace: left as they are
    int nFailed = 0;
};
// Puts back the originals of the newest replace under BACKUPROOT, in the
// files that still hold what it wrote; works after a restart or a kill. A
// replace is undone once.
UndoReport UndoLastReplace(const CString& strBackupRoot);
CString UndoReportText(const UndoReport& report);
// Whether the newest replace can be undone (for the menu item).
bool CanUndoReplace(const CString& strBackupRoot);
// Removes the temporary files a replace that was killed left beside the files
// it was writing; run at start-up, before any search.
void TidyAfterKilledReplace(const CString& strBackupRoot);

#endif
