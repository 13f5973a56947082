#include "dialog/search_dlg.h"

#include <algorithm>
#include <cstdlib>

#include "settings/ini_file.h"

namespace {

const char kPreviewLinesKey[] = "PreviewLines";
const char kPreviewShownKey[] = "ShowPreview";
const char kPreviewHeightKey[] = "PreviewHeight";
const int kMaxPreviewAround = 20;
// At 96 dpi: seven lines (three around) of the dialog's font; the bar; the
// least a pane and a list keep of the room, so neither can be dragged away.
const int kDefaultPreviewHeight = 110;
const int kBarHeight = 5;
const int kMinPreviewHeight = 24;
const int kMinListHeight = 80;

}  // namespace

void CSearchDlg::LoadPreviewSettings()
{
    CString strAround = m_ini.Get(kPreviewLinesKey, "3");
    int nAround = std::atoi(strAround);
    m_nPreviewAround = nAround < 0 ? 0 : nAround > kMaxPreviewAround ? kMaxPreviewAround : nAround;
    m_bPreviewShown = m_ini.Get(kPreviewShownKey, "1") != "0";
    int nHeight = std::atoi(m_ini.Get(kPreviewHeightKey, ""));
    m_nPreviewHeight = nHeight >= kMinPreviewHeight ? std::min(nHeight, 4000) : kDefaultPreviewHeight;
    GetSystemMenu(FALSE).CheckMenuItem(IDM_PREVIEW, m_bPreviewShown ? MF_CHECKED : MF_UNCHECKED);
}

void CSearchDlg::ShowPreviewPane(bool bShow)
{
    m_bPreviewShown = bShow;
    GetSystemMenu(FALSE).CheckMenuItem(IDM_PREVIEW, bShow ? MF_CHECKED : MF_UNCHECKED);
    m_ini.Set(kPreviewShownKey, bShow ? "1" : "0");
    m_ini.Save(IniPath());
    m_nPreviewRow = -1;
    LayOutListAndPane(m_listArea);
    UpdatePreview();
}

void CSearchDlg::LayOutListAndPane(const RECT& area)
{
    m_listArea = area;
    CWnd list = GetDlgItem(IDC_RESULTS), bar = GetDlgItem(IDC_PREVIEW_BAR), pane = GetDlgItem(IDC_PREVIEW);
    int nWidth = static_cast<int>(area.right - area.left), nHeight = static_cast<int>(area.bottom - area.top);
    if (nWidth <= 0 || nHeight <= 0)
        return;
    int nBar = AfxLayoutFrom96(*this, kBarHeight);
    int nPane = std::min(AfxLayoutFrom96(*this, m_nPreviewHeight), nHeight - nBar - AfxLayoutFrom96(*this, kMinListHeight));
    nPane = std::max(nPane, AfxLayoutFrom96(*this, kMinPreviewHeight));
    bool bShown = m_bPreviewShown && nPane + nBar < nHeight;
    int nList = bShown ? nHeight - nBar - nPane : nHeight;
    list.MoveWindow(area.left, area.top, nWidth, nList);
    if (bShown) {
        bar.MoveWindow(area.left, area.top + nList, nWidth, nBar);
        pane.MoveWindow(area.left, area.top + nList + nBar, nWidth, nPane);
    }
    bar.ShowWindow(bShown ? SW_SHOW : SW_HIDE);
    pane.ShowWindow(bShown ? SW_SHOW : SW_HIDE);
}

// The pane below the bar takes what the bar leaves; the height is kept once
// the mouse lets go, in pixels at 96 dpi, so it means the same at any scale.
void CSearchDlg::OnPreviewBarMoved(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMBARMOVE* pMove = reinterpret_cast<const NMBARMOVE*>(pNMHDR);
    int nPane = static_cast<int>(m_listArea.bottom) - pMove->y - AfxLayoutFrom96(*this, kBarHeight);
    int nMost = static_cast<int>(m_listArea.bottom - m_listArea.top) - AfxLayoutFrom96(*this, kBarHeight + kMinListHeight);
    nPane = std::max(std::min(nPane, nMost), AfxLayoutFrom96(*this, kMinPreviewHeight));
    m_nPreviewHeight = std::max(AfxLayoutTo96(*this, nPane), kMinPreviewHeight);
    LayOutListAndPane(m_listArea);
    if (pMove->bReleased) {
        m_ini.Set(kPreviewHeightKey, std::to_string(m_nPreviewHeight).c_str());
        m_ini.Save(IniPath());
    }
}

// What the pane is given is what the dialog holds, so the pane never shows
// lines of another row or of a file read before it changed.
void CSearchDlg::ShowPreviewInPane()
{
    std::vector<AfxPaneLine> lines;
    for (const PreviewLine& line : m_preview) {
        AfxPaneLine shown = {line.nLine, line.bOwn, line.text, {}};
        for (const TextSpan& mark : line.marks)
            shown.marks.push_back({mark.nStart, mark.nLength});
        lines.push_back(shown);
    }
    CPreviewCtrl(GetDlgItem(IDC_PREVIEW)).SetLines(lines, m_strPreviewNote);
}

// A selection of one row is previewed; the file is read again each time, so
// a file written since the search is told, never shown as if it held the
// row's lines.
void CSearchDlg::UpdatePreview()
{
    CListCtrl results(GetDlgItem(IDC_RESULTS));
    int nRow = results.GetNextItem(-1, LVNI_SELECTED);
    if (nRow >= 0 && results.GetNextItem(nRow, LVNI_SELECTED) >= 0)
        nRow = -1;
    if (!m_bPreviewShown || m_bSearching || static_cast<size_t>(nRow) >= m_rows.Count())
        nRow = -1;
    if (nRow == m_nPreviewRow && nRow >= 0)
        return;
    m_nPreviewRow = nRow;
    m_preview.clear();
    m_strPreviewNote.Empty();
    if (nRow < 0) {
        ShowPreviewInPane();
        return;
    }
    if (!m_pMarker)
        m_pMarker.reset(new CSplicer(m_rule));
    size_t n = static_cast<size_t>(nRow);
    PreviewState state = ReadPreview(RowFilePath(nRow), m_rows.Stamp(n), m_rows.Line(n), m_rows.Offset(n),
                                     m_nPreviewAround, *m_pMarker, &m_preview);
    if (state == kPreviewChanged)
        m_strPreviewNote = "ファイルが検索後に変更されました。";
    else if (state == kPreviewMissing)
        m_strPreviewNote = "ファイルが見つかりません。";
    ShowPreviewInPane();
}

void CSearchDlg::OnItemchangedResults(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (reinterpret_cast<NMLISTVIEW*>(pNMHDR)->uChanged & LVIF_STATE)
        UpdatePreview();
}
