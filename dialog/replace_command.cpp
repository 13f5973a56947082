// The replace command of the window: which files and lines the rows name,
// the question before anything is written, the job stepped a file at a time
// with the window alive, its report, and the replaced lines listed in place
// of the search's rows; and the step back. The rewriting is the engine's.
#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "dialog/search_dlg.h"

namespace {

// The progress bar's range over the files of a replace.
const short kReplaceBarTop = 80;

}  // namespace

// Beside the executable, as the settings files are.
CString CSearchDlg::BackupRoot() const
{
    CString strModule = GetModuleFilePath();
    return strModule.Left(strModule.ReverseFind('\\')) + "\\backup";
}

bool CSearchDlg::CanReplaceRows() const
{
    return m_bRowsReplaceable && !m_bSearchEdited && !m_bSearching && !m_bReplacing;
}

// A button disabled while it has the focus would leave the keyboard nowhere.
void CSearchDlg::UpdateReplaceButton()
{
    CWnd button = GetDlgItem(IDC_REPLACE);
    bool bEnable = CanReplaceRows();
    if (!bEnable && CWnd::GetFocus().m_hWnd == button.m_hWnd)
        GetDlgItem(IDC_RESULTS).SetFocus();
    button.EnableWindow(bEnable);
}

// Typed or picked from the list: the rows are no longer those of this text.
void CSearchDlg::OnSearchTextChanged()
{
    m_bSearchEdited = true;
    UpdateReplaceButton();
}

void CSearchDlg::OnReplace() { ReplaceRows(false); }

// In the walk's order whatever the list's: there each file's rows lie
// together and its lines ascend. A file is known by its column's text, as
// its path is made from it.
std::vector<ReplaceTarget> CSearchDlg::ReplaceTargets(bool bSelectedOnly)
{
    std::vector<std::pair<size_t, size_t>> chosen;  // walk index, row as shown
    if (bSelectedOnly) {
        CListCtrl results(GetDlgItem(IDC_RESULTS));
        for (int n = results.GetNextItem(-1, LVNI_SELECTED); n >= 0; n = results.GetNextItem(n, LVNI_SELECTED))
            if (static_cast<size_t>(n) < m_rows.Count())
                chosen.emplace_back(m_rows.WalkIndex(static_cast<size_t>(n)), static_cast<size_t>(n));
    } else {
        for (size_t n = 0; n < m_rows.Count(); ++n)
            chosen.emplace_back(m_rows.WalkIndex(n), n);
    }
    std::sort(chosen.begin(), chosen.end());
    std::vector<ReplaceTarget> targets;
    std::map<std::string, size_t> byColumn;
    for (const auto& c : chosen) {
        size_t nRow = c.second;
        CString strColumn = m_rows.TextOf(nRow, CRowStore::kFile);
        auto placed = byColumn.emplace(std::string(strColumn, static_cast<size_t>(strColumn.GetLength())),
                                       targets.size());
        if (placed.second) {
            targets.emplace_back();
            targets.back().strPath = RowFilePath(static_cast<int>(nRow));
            targets.back().strColumn = strColumn;
            targets.back().stamp = m_rows.Stamp(nRow);
        }
        targets[placed.first->second].lines.push_back({m_rows.Line(nRow), m_rows.TextOf(nRow, CRowStore::kHeadword)});
    }
    // Two names that show alike are one file to the rows; a line with two
    // rows is one line.
    auto before = [](const ReplaceLine& a, const ReplaceLine& b) { return a.nLine < b.nLine; };
    auto same = [](const ReplaceLine& a, const ReplaceLine& b) { return a.nLine == b.nLine; };
    for (ReplaceTarget& target : targets) {
        std::stable_sort(target.lines.begin(), target.lines.end(), before);
        target.lines.erase(std::unique(target.lines.begin(), target.lines.end(), same), target.lines.end());
    }
    return targets;
}

void CSearchDlg::ReplaceRows(bool bSelectedOnly)
{
    if (!CanReplaceRows())
        return;
    std::vector<ReplaceTarget> targets = ReplaceTargets(bSelectedOnly);
    if (targets.empty())
        return;
    ReplaceRule rule = m_rule;
    rule.strReplacement = GetDlgItem(IDC_REPLACE_TEXT).GetWindowText();
    CString strError = CheckReplacement(rule);
    if (!strError.IsEmpty()) {
        MessageBox(strError, "Error!", MB_ICONHAND);
        return;
    }
    unsigned long long nLines = 0;
    for (const ReplaceTarget& target : targets)
        nLines += target.lines.size();
    CString strAsk;
    strAsk.Format("%d 個のファイルの %llu 行で置換します。よろしいですか？", static_cast<int>(targets.size()), nLines);
    if (MessageBox(strAsk, "置換", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    SaveReplaceText();
    CReplaceJob job(rule, std::move(targets), BackupRoot());
    RunReplaceJob(job);
    if (m_nStopRequest == kBusyClose) {
        CDialog::OnCancel();
        return;
    }
    MessageBox(ReplaceReportText(job.Report()), "置換結果", MB_OK | MB_ICONINFORMATION);
    ShowReplacedRows(job.Rows());
}

// A file at a time, the bar over the files; between files the window is
// drawn, and Esc or a close request is taken, as during a search.
void CSearchDlg::RunReplaceJob(CReplaceJob& job)
{
    CProgressCtrl progress(GetDlgItem(IDC_PROGRESS));
    progress.SetRange(0, kReplaceBarTop);
    progress.SetPos(0);
    int nShownPos = 0;
    m_bReplacing = true;
    UpdateReplaceButton();
    m_nStopRequest = kBusyGoOn;
    m_nLastLookMs = 0;  // an Esc already waiting leaves every file as it is
    while (job.Done() < job.Count()) {
        KeepWindowAlive(GetTickCount64());
        // The job's next step then leaves the files after the one written.
        if (m_nStopRequest != kBusyGoOn)
            job.Stop();
        bool bMore = job.Step();
        int nPos = static_cast<int>(job.Done() * kReplaceBarTop / job.Count());
        if (nPos != nShownPos) {
            progress.SetPos(nPos);
            nShownPos = nPos;
        }
        if (!bMore)
            break;
    }
    m_bReplacing = false;
}

// The replaced lines take the place of the search's rows, so that sorting,
// copying and opening work on them alike. They are no search's rows to
// replace in again.
void CSearchDlg::ShowReplacedRows(const std::vector<ReplacedRow>& rows)
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    results.DeleteAllItems();
    m_rows.Clear();
    m_nListedRows = 0;
    m_nPendingSort = -1;
    ShowSortArrow(-1, 0);
    for (const ReplacedRow& row : rows)
        m_rows.Append(row.strColumn, static_cast<size_t>(row.strColumn.GetLength()), row.nLine, row.nColumn,
                      row.strHeadword, static_cast<size_t>(row.strHeadword.GetLength()), row.text.data(),
                      row.text.size());
    ListNewRows(results);
    results.RedrawNow();
    m_bRowsReplaceable = false;
    m_bReplacedRows = true;
    UpdateReplaceButton();
}

void CSearchDlg::UndoReplace()
{
    if (m_bSearching || m_bReplacing)
        return;
    MessageBox(UndoReportText(UndoLastReplace(BackupRoot())), "元に戻す", MB_OK | MB_ICONINFORMATION);
}
