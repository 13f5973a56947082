// The search command: checks, options fixed once per search, the walk of the
// reference folder and its subfolders, and the rows of each file.
#include <cstring>

#include "dialog/search_dlg.h"
#include "platform/mbcs.h"
#include "search/folder_text.h"

// Every tab becomes four blanks, wherever it stands. A 09 right after a lead
// byte is that character's second byte, as Find sees it, and stays. Runs
// without a tab are copied whole: rows come by the hundred thousand.
void WidenTabsInto(const char* line, size_t nLine, std::string& out)
{
    out.clear();
    size_t boundary = 0, copied = 0;
    for (const char* tab = static_cast<const char*>(std::memchr(line, '\t', nLine)); tab;) {
        size_t p = static_cast<size_t>(tab - line);
        while (boundary < p)
            boundary += IsLeadByte932(static_cast<unsigned char>(line[boundary])) && boundary + 1 < nLine ? 2 : 1;
        if (boundary == p) {
            out.append(line + copied, p - copied);
            out += "    ";
            copied = boundary = p + 1;
        }
        tab = p + 1 < nLine ? static_cast<const char*>(std::memchr(line + p + 1, '\t', nLine - p - 1)) : nullptr;
    }
    out.append(line + copied, nLine - copied);
}

CString WidenTabs(const char* line, size_t nLine)
{
    if (!std::memchr(line, '\t', nLine))
        return CString(line, static_cast<int>(nLine));
    std::string out;
    WidenTabsInto(line, nLine, out);
    return CString(out.data(), static_cast<int>(out.size()));
}

namespace {

// Rows go to the program's own store; the list hears of them now and then.
class RowSink : public ScanSink {
public:
    RowSink(CSearchDlg& dlg, const CString& strFileColumn, void (CSearchDlg::*pfnStep)(uint64_t, bool),
            bool (CSearchDlg::*pfnGoesOn)(), int& nGaveUpLines)
        : m_dlg(dlg), m_strFileColumn(strFileColumn), m_pfnStep(pfnStep), m_pfnGoesOn(pfnGoesOn),
          m_nGaveUpLines(nGaveUpLines)
    {
    }

    void OnMatch(const char* line, size_t nLine, const char* headword, size_t nHeadword, uint64_t nLineNo,
                 uint64_t nColumn) override
    {
        m_dlg.AddResultRow(m_strFileColumn, nLineNo, nColumn, headword, nHeadword, line, nLine);
    }

    void OnLines(uint64_t nLines) override { (m_dlg.*m_pfnStep)(nLines, false); }
    void OnBinary() override { m_bBinary = true; }
    void OnGaveUp() override { ++m_nGaveUpLines; }
    bool GoesOn() override { return (m_dlg.*m_pfnGoesOn)(); }
    bool WasBinary() const { return m_bBinary; }

private:
    CSearchDlg& m_dlg;
    const CString& m_strFileColumn;
    void (CSearchDlg::*m_pfnStep)(uint64_t, bool);
    bool (CSearchDlg::*m_pfnGoesOn)();
    int& m_nGaveUpLines;
    bool m_bBinary = false;
};

// How often the progress bar is told where it stands: each message costs
// about a millisecond under a slow window system.
const unsigned long long kProgressIntervalMs = 33;
// How often a running search lets the window paint and looks for Esc: the
// system takes a window that has not looked for five seconds as hung, and a
// person expects Esc to act at once. Each look costs a millisecond or more
// under a slow window system; the next one comes within the time of one
// read block or one file opened after this interval.
const unsigned long long kLookIntervalMs = 80;
// How often the list shows the rows found so far while they can be seen, and
// how often it is drawn otherwise, for its scroll bar and what another window
// left on it. The first rows wait longer: a search that is over by then shows
// them at its end, and one drawing costs tens of milliseconds under a slow
// window system, a tenth of such a search.
const unsigned long long kFirstListDrawMs = 500;
const unsigned long long kListDrawIntervalMs = 250;
const unsigned long long kListIdleDrawIntervalMs = 1000;

// Whether row N, once in the list, would be seen without scrolling.
bool RowInView(const CListCtrl& list, int n)
{
    RECT row, client;
    if (!list.GetItemRect(n, &row, LVIR_BOUNDS))
        return false;
    list.GetClientRect(&client);
    return row.top < client.bottom;
}

}  // namespace

void CSearchDlg::OnOK()
{
    // A press that reaches the window while a search runs is one more search,
    // after this one, as it would be had it waited in the queue.
    if (m_bSearching) {
        m_bSearchAgain = true;
        return;
    }
    // Enter on a row opens it, as in any list; anywhere else it searches.
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    if (CWnd::GetFocus().m_hWnd == results.m_hWnd && results.GetNextItem(-1, LVNI_FOCUSED) >= 0) {
        OpenRowFile(results.GetNextItem(-1, LVNI_FOCUSED));
        return;
    }
    do {
        m_bSearchAgain = false;
        RunSearchCommand();
    } while (m_bSearchAgain && !IsEnded() && GetSafeHwnd());
}

// The close box, Alt+F4, Close and the exit button while a search runs stop
// the walk; the window closes once it has returned.
void CSearchDlg::OnCancel()
{
    if (m_bSearching) {
        m_nStopRequest = kBusyClose;
        return;
    }
    CDialog::OnCancel();
}

void CSearchDlg::RunSearchCommand()
{
    CWnd refDir = GetDlgItem(IDC_REFDIR);
    CProgressCtrl progress(GetDlgItem(IDC_PROGRESS));
    CListCtrl results(GetDlgItem(IDC_RESULTS));

    progress.SetRange(0, 80);
    progress.SetPos(1);
    m_progress.Reset(0, 80, 10, 1);
    m_nShownPos = 1;
    m_nLastShownMs = GetTickCount64();
    results.DeleteAllItems();
    m_rows.Clear();
    m_nListedRows = 0;
    m_nPendingSort = -1;
    ShowSortArrow(-1, 0);
    m_nBinaryFiles = 0;
    m_nGaveUpLines = 0;
    m_strRelDir = "";
    m_bSearching = true;
    m_nStopRequest = kBusyGoOn;
    m_nLastLookMs = 0;  // an Esc already waiting stops the walk before its first file
    m_nLastListDrawMs = m_nLastShownMs;
    m_nDrawnRows = 0;

    CString strRef = refDir.GetWindowText();
    if (strRef.IsEmpty())
        strRef = "nasi";
    SearchDirectory(strRef);

    StepProgress(0, true);
    m_bSearching = false;
    ListNewRows(results);
    results.SetRedraw(TRUE);
    results.RedrawNow();

    if (m_nStopRequest == kBusyClose) {
        m_nHits = 0;
        SaveHistory();
        CDialog::OnCancel();
        return;
    }
    // The header click that waited for the rows, before the box.
    if (m_nPendingSort >= 0)
        SortByColumn(m_nPendingSort);
    CString strReport;
    if (m_nHits == 0)
        strReport = "検索文字列は見つかりませんでした。";
    else
        strReport.Format("%d個一致しました。", m_nHits);
    if (m_nBinaryFiles > 0)
        strReport.AppendFormat("\nバイナリファイル %d 個を除外しました。", m_nBinaryFiles);
    if (m_nGaveUpLines > 0)
        strReport.AppendFormat("\n照合を打ち切った %d 行は一致なしとしました。", m_nGaveUpLines);
    if (m_nStopRequest == kBusyStop)
        strReport = "検索を中断しました。\n" + strReport;
    MessageBox(strReport, "検索結果", MB_OK);
    m_nHits = 0;
    SaveHistory();
}

void CSearchDlg::SearchDirectory(CString strRefText)
{
    CString strSearch = GetDlgItem(IDC_SEARCH_TEXT).GetWindowText();
    CString strRefDir = GetDlgItem(IDC_REFDIR).GetWindowText();
    CString strHeadword = GetDlgItem(IDC_HEADWORD).GetWindowText();

    if (strSearch.IsEmpty()) {
        MessageBox("検索文字列を指示してください", "Error!", MB_ICONHAND);
        return;
    }
    if (strRefText == "nasi" && strRefDir.IsEmpty()) {
        MessageBox("参照ディレクトリを指示してください", "Error!", MB_ICONHAND);
        return;
    }
    // A pasted path often ends in a blank; a folder that is not there would
    // otherwise read as one searched in which nothing was found.
    CString strDir = WithSeparator(NormalisedFolderText(strRefDir));
    if (!IsExistingDirectory(strDir)) {
        MessageBox("参照ディレクトリが見つかりません。", "Error!", MB_ICONHAND);
        return;
    }

    int nCase = CButton(GetDlgItem(IDC_CASE_ON)).GetCheck();
    bool bRegex = CButton(GetDlgItem(IDC_REGEX)).GetCheck() != 0;
    bool bWholeWord = CButton(GetDlgItem(IDC_WHOLE_WORD)).GetCheck() != 0;
    m_pattern.reset();
    if (bRegex || bWholeWord) {
        m_pattern.reset(new SearchPattern(strSearch, static_cast<size_t>(strSearch.GetLength()), bRegex,
                                          bWholeWord, nCase == 0));
        std::string strError = m_pattern->Check();
        if (!strError.empty()) {
            MessageBox("正規表現が正しくありません。\n" + CString(strError.c_str()), "Error!", MB_ICONHAND);
            return;
        }
    }

    SaveSettings();

    if (nCase == 0) {
        strSearch.MakeLower();
        strHeadword.MakeLower();
    }
    CString strExt = GetDlgItem(IDC_EXT).GetWindowText();
    m_fileFilter = CFileFilter(strExt);
    m_excludedFolders = CNameMasks(GetDlgItem(IDC_EXCLUDE).GetWindowText());
    m_bSkipBinary = CButton(GetDlgItem(IDC_SKIP_BINARY)).GetCheck() != 0;
    int nSelectedOnly = CButton(GetDlgItem(IDC_SELECTED_ONLY)).GetCheck();

    m_strSearchedDir = strDir;
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    results.SetRedraw(FALSE);
    // The emptied list waits for its first drawing in this search, or for
    // the search's end: painted blank at the first look it would cost a
    // hundredth of a short search under a slow window system, and tell
    // nothing the restarted progress bar does not.
    results.DropPendingPaint();
    m_walkPath.clear();
    m_bEnteringLink = false;
    EnterFolder(strDir);

    CFileFind finder;
    BOOL bWorking = finder.FindFile(strDir + "*.*");
    while (bWorking && SearchGoesOn()) {
        bWorking = finder.FindNextFile();
        if (finder.IsDirectory()) {
            if (finder.IsDots() || nSelectedOnly || m_excludedFolders.Matches(finder.GetFileName()))
                continue;
            m_bEnteringLink = finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) != FALSE;
            SearchSubdirectory(strSearch, strDir, finder.GetFileName(), strHeadword, strExt, nCase);
            m_strRelDir = "";
        } else if (m_fileFilter.Accepts(finder.GetFileName())) {
            SearchFile(strSearch, strDir, finder.GetFileName(), m_strRelDir, strHeadword, nCase);
        }
    }
    m_walkPath.clear();
}

void CSearchDlg::SearchSubdirectory(CString strSearch, CString strParentDir, CString strDirName,
                                    CString strHeadword, CString strExt, int nCase)
{
    CString strDir = strParentDir + strDirName + "\\";
    CString strSavedRelDir = m_strRelDir;
    m_strRelDir = m_strRelDir + "\\" + strDirName;

    // A junction or link back to a folder on the current walk path would make
    // the walk go round until paths grow too long.
    if (EnterFolder(strDir)) {
        CFileFind finder;
        BOOL bWorking = finder.FindFile(strDir + "*.*");
        while (bWorking && SearchGoesOn()) {
            bWorking = finder.FindNextFile();
            if (finder.IsDirectory()) {
                // An excluded folder costs no more than its entry in this listing.
                if (finder.IsDots() || m_excludedFolders.Matches(finder.GetFileName()))
                    continue;
                m_bEnteringLink = finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) != FALSE;
                SearchSubdirectory(strSearch, strDir, finder.GetFileName(), strHeadword, strExt, nCase);
            } else if (m_fileFilter.Accepts(finder.GetFileName())) {
                SearchFile(strSearch, strDir, finder.GetFileName(), m_strRelDir, strHeadword, nCase);
            }
        }
        m_walkPath.pop_back();
    }
    m_strRelDir = strSavedRelDir;
}

void CSearchDlg::AddResultRow(const CString& strFileColumn, uint64_t nLine, uint64_t nColumn, const char* headword,
                              size_t nHeadword, const char* line, size_t nLineLength)
{
    const char* text = line;
    size_t nText = nLineLength;
    if (std::memchr(line, '\t', nLineLength)) {
        WidenTabsInto(line, nLineLength, m_widened);
        text = m_widened.data();
        nText = m_widened.size();
    }
    m_rows.Append(strFileColumn, static_cast<size_t>(strFileColumn.GetLength()), nLine, nColumn, headword, nHeadword,
                  text, nText);
    ++m_nHits;
}

int CSearchDlg::SearchFile(CString strSearch, CString strDir, CString strFileName, CString strRelDir,
                           CString strHeadword, int nCase)
{
    CString strFileColumn = strRelDir + "\\" + strFileName;
    CString strPath = strDir + strFileName;
    CRawFile file;
    if (!file.Open(strPath))
        return 0;

    ScanOptions options;
    options.needle = strSearch;
    options.nNeedle = static_cast<size_t>(strSearch.GetLength());
    options.marker = strHeadword;
    options.nMarker = static_cast<size_t>(strHeadword.GetLength());
    options.bFold = nCase == 0;
    options.bSkipBinary = m_bSkipBinary;
    options.pPattern = m_pattern.get();
    RowSink sink(*this, strFileColumn, &CSearchDlg::StepProgress, &CSearchDlg::SearchGoesOn, m_nGaveUpLines);
    int nRows = ScanFile(file, options, m_scanBuffers, sink);
    if (sink.WasBinary())
        ++m_nBinaryFiles;
    StepProgress(0, false);
    return nRows;
}

// Pushes the folder on the walk path; false when it is already on it.
bool CSearchDlg::EnterFolder(const CString& strDir)
{
    WalkStep step{strDir, m_bEnteringLink, false, FileIdentity{}};
    m_bEnteringLink = false;
    bool bLoopPossible = step.bLink;
    for (const WalkStep& on : m_walkPath)
        bLoopPossible = bLoopPossible || on.bLink;
    m_walkPath.push_back(step);
    if (!bLoopPossible)
        return true;
    // A link may lead to any folder, and so may the real subfolders below
    // it: from the first link on, every folder of the path is compared.
    for (size_t i = 0; i < m_walkPath.size(); ++i) {
        WalkStep& s = m_walkPath[i];
        if (!s.bIdentified && !GetDirectoryIdentity(s.strDir, &s.id))
            s.id = FileIdentity{~0ull, i};  // unknown: never equal to another
        s.bIdentified = true;
    }
    for (size_t i = 0; i + 1 < m_walkPath.size(); ++i) {
        if (m_walkPath[i].id == m_walkPath.back().id) {
            m_walkPath.pop_back();
            return false;
        }
    }
    return true;
}

void CSearchDlg::StepProgress(uint64_t nLines, bool bFinal)
{
    m_progress.Step(nLines);
    unsigned long long now = GetTickCount64();
    if (m_progress.Pos() != m_nShownPos && (bFinal || now - m_nLastShownMs >= kProgressIntervalMs)) {
        CProgressCtrl(GetDlgItem(IDC_PROGRESS)).SetPos(m_progress.Pos());
        m_nShownPos = m_progress.Pos();
        m_nLastShownMs = now;
    }
    // Also where the bar stays put: a file whose every block holds a
    // multiple of eight lines leaves it where it stands for as long as the
    // file lasts.
    KeepWindowAlive(now);
}

// Before every entry of a listing: false once the search is to end, so the
// file being scanned is finished and no further one is opened.
bool CSearchDlg::SearchGoesOn()
{
    KeepWindowAlive(GetTickCount64());
    return m_nStopRequest == kBusyGoOn;
}

// Tells the list how many rows there are now; it asks for their texts once
// it draws them.
void CSearchDlg::ListNewRows(CListCtrl& results)
{
    int nRows = static_cast<int>(m_rows.Count());
    if (nRows != m_nListedRows) {
        results.SetItemCount(nRows);
        m_nListedRows = nRows;
    }
}

void CSearchDlg::KeepWindowAlive(unsigned long long nNowMs)
{
    if (!m_bSearching || nNowMs - m_nLastLookMs < kLookIntervalMs)
        return;
    m_nLastLookMs = nNowMs;
    // The list draws nothing of itself while rows go in: a row added with
    // drawing on costs a hundred times more. Drawn now and then it shows the
    // rows found so far, and what a window moved over it left. Drawing it
    // costs tens of milliseconds under a slow window system, so rows that
    // land below the part in view wait for the next idle drawing.
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    ListNewRows(results);
    int nRows = m_nListedRows;
    unsigned long long nSinceDrawn = nNowMs - m_nLastListDrawMs;
    bool bNewInView = nRows != m_nDrawnRows && RowInView(results, m_nDrawnRows);
    unsigned long long nInterval = m_nDrawnRows == 0 ? kFirstListDrawMs : kListDrawIntervalMs;
    if ((bNewInView && nSinceDrawn >= nInterval) || nSinceDrawn >= kListIdleDrawIntervalMs) {
        results.SetRedraw(TRUE);
        results.RedrawNow();
        results.SetRedraw(FALSE);
        m_nDrawnRows = nRows;
        m_nLastListDrawMs = nNowMs;
    }
    BusyRequest nRequest = PumpWhileBusy();
    if (nRequest > m_nStopRequest)
        m_nStopRequest = nRequest;
}
