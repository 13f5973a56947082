// The marks, the preview pane and the bar without a display: what the dialog
// gives them is kept, and a drag is told to the dialog as the real bar tells it.
#include "platform/panes.h"

#include "platform/standin/standin.h"

namespace {

const DWORD kWsVisible = 0x10000000;

}  // namespace

void CWnd::ShowWindow(int nCmdShow)
{
    m_hWnd->style = nCmdShow == SW_HIDE ? m_hWnd->style & ~kWsVisible : m_hWnd->style | kWsVisible;
}

BOOL CWnd::IsWindowVisible() const { return (m_hWnd->style & kWsVisible) != 0; }

void AfxSetListMarks(CListCtrl& list, int nSubItem, CListMarkSource* pSource)
{
    list.m_hWnd->markColumn = pSource ? nSubItem : -1;
    list.m_hWnd->markSource = pSource;
}

CListMarkSource* AfxListMarkSource(const CListCtrl& list) { return list.m_hWnd->markSource; }

void AfxGetListMarks(const CListCtrl& list, int nItem, std::vector<AfxTextSpan>* pMarks)
{
    pMarks->clear();
    if (list.m_hWnd->markSource && nItem >= 0 && nItem < list.GetItemCount())
        list.m_hWnd->markSource->GetCellMarks(nItem, pMarks);
}

void CPreviewCtrl::SetLines(const std::vector<AfxPaneLine>& lines, const char* note)
{
    m_hWnd->paneLines = lines;
    m_hWnd->paneNote = lines.empty() && note ? note : "";
}

const std::vector<AfxPaneLine>& CPreviewCtrl::GetLines() const { return m_hWnd->paneLines; }

CString CPreviewCtrl::GetNote() const { return m_hWnd->paneNote; }

void CSplitBar::DragAsUser(int nDy)
{
    HWND hDialog = m_hWnd->OwningDialog();
    if (!hDialog || !hDialog->pDialog)
        return;
    // As the bar tells a move and then the release where the mouse stopped.
    const int y = static_cast<int>(m_hWnd->y) + nDy;
    for (BOOL bReleased : {FALSE, TRUE}) {
        NMBARMOVE move = {{m_hWnd, static_cast<UINT_PTR>(m_hWnd->id), AFXN_BARMOVED}, y, bReleased};
        LRESULT result = 0;
        hDialog->pDialog->DispatchToMessageMap(WM_NOTIFY, static_cast<WPARAM>(m_hWnd->id),
                                               reinterpret_cast<LPARAM>(&move), &result);
    }
}

// The stand-in lays dialogs out at 96 dpi.
int AfxLayoutFrom96(const CWnd&, int nPixels) { return nPixels; }

int AfxLayoutTo96(const CWnd&, int nPixels) { return nPixels; }
