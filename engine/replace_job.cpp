#include "engine/replace.h"

#include "engine/backup.h"
#include "engine/file_text.h"
#include "engine/splice.h"

CString CheckReplacement(const ReplaceRule& rule)
{
    return CSplicer(rule).Error();
}

CString ReplaceReportText(const ReplaceReport& r)
{
    CString s;
    if (r.bNoBackup) {
        s = "バックアップのフォルダを作れないため、置換しませんでした。";
        return s;
    }
    if (r.bStopped)
        s = "中断しました。\n";
    s.AppendFormat("%d 個のファイルで %llu 箇所を置換しました。", r.nFiles, static_cast<unsigned long long>(r.nReplaced));
    if (r.nChanged)
        s.AppendFormat("\n検索の後に変更されたファイル %d 個は置換しませんでした。", r.nChanged);
    if (r.nReadOnly)
        s.AppendFormat("\n読み取り専用のファイル %d 個は置換しませんでした。", r.nReadOnly);
    if (r.nFailed)
        s.AppendFormat("\n書き込めなかったファイル %d 個は置換しませんでした。", r.nFailed);
    if (r.nIso2022Jp)
        s.AppendFormat("\nJIS（ISO-2022-JP）のファイル %d 個は置換しませんでした。", r.nIso2022Jp);
    return s;
}

struct CReplaceJob::State {
    State(const ReplaceRule& rule, std::vector<ReplaceTarget> t, const CString& strRoot)
        : splicer(rule), nEncoding(rule.nEncoding), targets(std::move(t)), backup(strRoot)
    {
    }

    // One file: left alone unless it is as the search read it, writable,
    // and every listed line still matches; else its old bytes are kept and
    // listed first, then the new ones swapped in whole.
    void Replace(const ReplaceTarget& target)
    {
        FileStatus status;
        if (!GetFileStatus(target.strPath, &status) || status.bDirectory) {
            ++report.nFailed;
            return;
        }
        if (status.stamp != target.stamp) {
            ++report.nChanged;
            return;
        }
        if (status.bReadOnly) {
            ++report.nReadOnly;
            return;
        }
        if (!ReadWholeFile(target.strPath, &old)) {
            ++report.nFailed;
            return;
        }
        // A replaced ISO-2022-JP line could need escapes the lines after it
        // do not expect; such a file is left whole.
        size_t body;
        if (Detect(old, nEncoding, &body) == kIso2022Jp) {
            ++report.nIso2022Jp;
            return;
        }
        lines.clear();
        for (const ReplaceLine& line : target.lines)
            lines.push_back(line.nLine);
        uint64_t nReplaced = 0;
        if (old.size() != target.stamp.nSize || !splicer.Splice(old, lines, &written, &spliced, &nReplaced)) {
            ++report.nChanged;
            return;
        }
        if (written != old) {
            if (!backup.Keep(target.strPath, old, written)) {
                ++report.nFailed;
                return;
            }
            if (!WriteFileReplacing(target.strPath, written.data(), written.size(), kReplaceTempSuffix)) {
                backup.Discard();
                ++report.nFailed;
                return;
            }
        }
        ++report.nFiles;
        report.nReplaced += nReplaced;
        for (size_t i = 0; i < spliced.size(); ++i)
            rows.push_back(ReplacedRow{target.strColumn, target.lines[i].strHeadword, spliced[i].nLine,
                                       spliced[i].nColumn, spliced[i].text});
    }

    CSplicer splicer;
    int nEncoding;
    std::vector<ReplaceTarget> targets;
    CBackupFolder backup;
    size_t nDone = 0;
    bool bStarted = false;
    bool bStop = false;
    ReplaceReport report;
    std::vector<ReplacedRow> rows;
    // Reused from file to file.
    std::string old, written;
    std::vector<uint64_t> lines;
    std::vector<SplicedLine> spliced;
};

CReplaceJob::CReplaceJob(const ReplaceRule& rule, std::vector<ReplaceTarget> targets, const CString& strBackupRoot)
    : m_p(new State(rule, std::move(targets), strBackupRoot))
{
}

CReplaceJob::~CReplaceJob()
{
    m_p->backup.Finish();
}

bool CReplaceJob::Step()
{
    State& s = *m_p;
    if (s.nDone >= s.targets.size() || s.report.bNoBackup)
        return false;
    if (s.bStop) {
        s.report.bStopped = true;
        return false;
    }
    if (!s.bStarted) {
        s.bStarted = true;
        if (!s.splicer.Error().IsEmpty() || !s.backup.Create()) {
            s.report.bNoBackup = s.splicer.Error().IsEmpty();
            s.nDone = s.targets.size();
            return false;
        }
    }
    s.Replace(s.targets[s.nDone++]);
    if (s.nDone == s.targets.size())
        s.backup.Finish();
    return s.nDone < s.targets.size();
}

void CReplaceJob::Stop() { m_p->bStop = true; }

size_t CReplaceJob::Done() const { return m_p->nDone; }

size_t CReplaceJob::Count() const { return m_p->targets.size(); }

const ReplaceReport& CReplaceJob::Report() const { return m_p->report; }

const std::vector<ReplacedRow>& CReplaceJob::Rows() const { return m_p->rows; }

UndoReport UndoLastReplace(const CString& strBackupRoot)
{
    UndoReport report;
    CString strFolder;
    std::vector<BackupEntry> entries;
    if (!ReadNewestBackup(strBackupRoot, &strFolder, &entries)) {
        report.bNothing = true;
        return report;
    }
    MarkUnfinished(strFolder);  // a kill from here on may leave a temporary file
    std::string now, old;
    for (const BackupEntry& entry : entries) {
        if (!ReadWholeFile(entry.strBackup, &old)) {
            ++report.nFailed;
            continue;
        }
        old.erase(0, entry.nHeader);
        bool bRead = ReadWholeFile(entry.strPath, &now);
        if (bRead && now == old) {
            continue;  // a kill came before its swap, or an undo before this one was cut short
        } else if (!bRead || now.size() != entry.nSize || ContentHash(now) != entry.nHash) {
            ++report.nEdited;
        } else if (WriteFileReplacing(entry.strPath, old.data(), old.size(), kReplaceTempSuffix)) {
            ++report.nRestored;
        } else {
            ++report.nFailed;
        }
    }
    // A file that could not be written may be tried again once the program
    // that holds it lets go.
    if (report.nFailed == 0)
        MarkUndone(strFolder);
    return report;
}

CString UndoReportText(const UndoReport& r)
{
    CString s;
    if (r.bNothing) {
        s = "元に戻す置換がありません。";
        return s;
    }
    s.Format("%d 個のファイルを元に戻しました。", r.nRestored);
    if (r.nEdited)
        s.AppendFormat("\n置換の後に変更されたファイル %d 個はそのままにしました。", r.nEdited);
    if (r.nFailed)
        s.AppendFormat("\n書き込めなかったファイル %d 個は元に戻せませんでした。", r.nFailed);
    return s;
}

// Asked each time the list's menu opens: one kept file tells.
bool CanUndoReplace(const CString& strBackupRoot)
{
    CString strFolder;
    std::vector<BackupEntry> entries;
    return ReadNewestBackup(strBackupRoot, &strFolder, &entries, 1);
}

// Asked at each start: only a replace or an undo that a kill cut short has
// its files read.
void TidyAfterKilledReplace(const CString& strBackupRoot)
{
    CString strFolder;
    std::vector<BackupEntry> entries;
    if (!ReadNewestBackup(strBackupRoot, &strFolder, &entries, 1) || IsFinishedBackup(strFolder) ||
        !ReadNewestBackup(strBackupRoot, &strFolder, &entries))
        return;
    FileStatus status;
    for (const BackupEntry& entry : entries) {
        CString strTemp = entry.strPath + kReplaceTempSuffix;
        if (GetFileStatus(strTemp, &status))
            DeleteFilePath(strTemp);
    }
}
