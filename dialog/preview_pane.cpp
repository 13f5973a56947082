#include "dialog/search_dlg.h"

#include <cstdlib>

#include "settings/ini_file.h"

namespace {

const char kPreviewLinesKey[] = "PreviewLines";
const char kPreviewShownKey[] = "ShowPreview";
const int kMaxPreviewAround = 20;

}  // namespace

void CSearchDlg::LoadPreviewSettings()
{
    CString strAround = m_ini.Get(kPreviewLinesKey, "3");
    int nAround = std::atoi(strAround);
    m_nPreviewAround = nAround < 0 ? 0 : nAround > kMaxPreviewAround ? kMaxPreviewAround : nAround;
    m_bPreviewShown = m_ini.Get(kPreviewShownKey, "1") != "0";
    GetSystemMenu(FALSE).CheckMenuItem(IDM_PREVIEW, m_bPreviewShown ? MF_CHECKED : MF_UNCHECKED);
}

void CSearchDlg::ShowPreviewPane(bool bShow)
{
    m_bPreviewShown = bShow;
    GetSystemMenu(FALSE).CheckMenuItem(IDM_PREVIEW, bShow ? MF_CHECKED : MF_UNCHECKED);
    m_ini.Set(kPreviewShownKey, bShow ? "1" : "0");
    m_ini.Save(IniPath());
    m_nPreviewRow = -1;
    UpdatePreview();
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
    if (nRow < 0)
        return;
    if (!m_pMarker)
        m_pMarker.reset(new CSplicer(m_rule));
    size_t n = static_cast<size_t>(nRow);
    PreviewState state = ReadPreview(RowFilePath(nRow), m_rows.Stamp(n), m_rows.Line(n), m_rows.Offset(n),
                                     m_nPreviewAround, *m_pMarker, &m_preview);
    if (state == kPreviewChanged)
        m_strPreviewNote = "ファイルが検索後に変更されました。";
    else if (state == kPreviewMissing)
        m_strPreviewNote = "ファイルが見つかりません。";
}

void CSearchDlg::OnItemchangedResults(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (reinterpret_cast<NMLISTVIEW*>(pNMHDR)->uChanged & LVIF_STATE)
        UpdatePreview();
}
