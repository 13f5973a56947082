// search/: the search command of the window. The search itself is the
// engine's (engine/).
//
// The search command: checks, options fixed once per search, then the
// engine's walk and scan, whose rows and progress the window takes at each
// look at its queue.
#include "dialog/search_dlg.h"
#include "engine/search_engine.h"
#include "search/search_fields.h"

namespace {

// How often the progress bar is told where it stands: each message costs
// about a millisecond under a slow window system.
const unsigned long long kProgressIntervalMs = 33;
// How often a running search lets the window paint and looks for Esc: the
// system takes a window that has not looked for five seconds as hung, and a
// person expects Esc to act at once. Each look costs a millisecond or more
// under a slow window system. The engine's threads read on meanwhile.
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
    // A search that started while a replace writes would list lines half of
    // which are already replaced.
    if (m_bReplacing)
        return;
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

// The close box, Alt+F4, Close and the exit button while a search or a
// replace runs stop it; the window closes once it has returned.
void CSearchDlg::OnCancel()
{
    if (m_bSearching || m_bReplacing) {
        m_nStopRequest = kBusyClose;
        return;
    }
    CDialog::OnCancel();
}

void CSearchDlg::RunSearchCommand()
{
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
    m_bRowsReplaceable = false;
    m_bSearchEdited = false;
    m_bReplacedRows = false;
    UpdateReplaceButton();

    SearchDirectory();

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
    // A stopped search left lines unlisted that the user may think replaced too.
    m_bRowsReplaceable = m_nStopRequest == kBusyGoOn && m_rows.Count() > 0;
    UpdateReplaceButton();
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

SearchFields CSearchDlg::FieldsOfWindow()
{
    SearchFields fields;
    fields.strRefDir = GetDlgItem(IDC_REFDIR).GetWindowText();
    fields.strSearch = GetDlgItem(IDC_SEARCH_TEXT).GetWindowText();
    fields.strHeadword = GetDlgItem(IDC_HEADWORD).GetWindowText();
    fields.strMasks = GetDlgItem(IDC_EXT).GetWindowText();
    fields.strExclude = GetDlgItem(IDC_EXCLUDE).GetWindowText();
    fields.bCase = CButton(GetDlgItem(IDC_CASE_ON)).GetCheck() != 0;
    fields.bSelectedOnly = CButton(GetDlgItem(IDC_SELECTED_ONLY)).GetCheck() != 0;
    fields.bSkipBinary = CButton(GetDlgItem(IDC_SKIP_BINARY)).GetCheck() != 0;
    fields.bRegex = CButton(GetDlgItem(IDC_REGEX)).GetCheck() != 0;
    fields.bWholeWord = CButton(GetDlgItem(IDC_WHOLE_WORD)).GetCheck() != 0;
    fields.nEncoding = EncodingOfLabel(GetDlgItem(IDC_ENCODING).GetWindowText());
    return fields;
}

void CSearchDlg::SearchDirectory()
{
    // The search a run without the window makes of the same fields.
    SearchFields fields = FieldsOfWindow();
    PreparedSearch search;
    CString strRefusal = PrepareSearch(fields, &search);
    if (!strRefusal.IsEmpty()) {
        MessageBox(strRefusal, "Error!", MB_ICONHAND);
        return;
    }
    m_pattern = std::move(search.pPattern);

    m_strSearchedDir = search.request.strDir;
    m_rule = search.rule;
    m_pMarker.reset();
    m_nPreviewRow = -1;
    m_preview.clear();
    m_strPreviewNote.Empty();
    ShowPreviewInPane();
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    results.SetRedraw(FALSE);
    // The emptied list waits for its first drawing in this search, or for
    // the search's end: painted blank at the first look it would cost a
    // hundredth of a short search under a slow window system, and tell
    // nothing the restarted progress bar does not.
    results.DropPendingPaint();
    RunEngine(search.request);
}

// The engine walks and reads on threads of its own; this thread takes its
// rows and lines at every look at the queue, and tells it to stop.
void CSearchDlg::RunEngine(const SearchRequest& request)
{
    // An Esc already waiting stops the search before its first file.
    KeepWindowAlive(GetTickCount64());
    bool bGoOn = m_nStopRequest == kBusyGoOn;
    CSearchEngine engine;
    if (bGoOn)
        engine.Start(request);
    // Written while the engine reads: waiting for the disk to take the
    // settings then holds no file back.
    SaveSettings();
    if (!bGoOn)
        return;
    SearchOutput out;
    for (bool bEnded = false; !bEnded;) {
        if (m_nStopRequest != kBusyGoOn)
            engine.Stop();
        unsigned long long nSince = GetTickCount64() - m_nLastLookMs;
        bEnded = engine.Wait(nSince >= kLookIntervalMs ? 0 : static_cast<unsigned>(kLookIntervalMs - nSince));
        engine.Take(&out);
        m_rows.Link(out.pieces);
        m_nHits += static_cast<int>(out.nRows);
        m_nBinaryFiles += out.nBinaryFiles;
        m_nGaveUpLines += out.nGaveUpLines;
        StepProgress(out.nLines, false);
    }
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

// Also between the files of a replace, which lists no rows meanwhile.
void CSearchDlg::KeepWindowAlive(unsigned long long nNowMs)
{
    if (!(m_bSearching || m_bReplacing) || nNowMs - m_nLastLookMs < kLookIntervalMs)
        return;
    m_nLastLookMs = nNowMs;
    if (m_bSearching)
        DrawFoundRows(nNowMs);
    BusyRequest nRequest = PumpWhileBusy();
    if (nRequest > m_nStopRequest)
        m_nStopRequest = nRequest;
}

// The list draws nothing of itself while rows go in: a row added with
// drawing on costs a hundred times more. Drawn now and then it shows the
// rows found so far, and what a window moved over it left. Drawing it
// costs tens of milliseconds under a slow window system, so rows that
// land below the part in view wait for the next idle drawing.
void CSearchDlg::DrawFoundRows(unsigned long long nNowMs)
{
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
}
