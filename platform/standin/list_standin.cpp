// The results list without a display: columns, the number of rows whose
// texts the parent gives (owner data), selection and geometry, and the sort
// arrows of its header.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/internal.h"
#include "platform/standin/standin.h"

int CListCtrl::InsertColumn(int nCol, const char* heading, int nFormat, int nWidth)
{
    auto& cols = m_hWnd->columns;
    nCol = std::max(0, std::min(nCol, static_cast<int>(cols.size())));
    cols.insert(cols.begin() + nCol, HWND__::Column{CString(heading), nFormat, nWidth});
    m_hWnd->sortArrows.insert(m_hWnd->sortArrows.begin() + nCol, 0);
    return nCol;
}

int CListCtrl::GetColumnCount() const { return static_cast<int>(m_hWnd->columns.size()); }

BOOL CListCtrl::GetColumn(int nCol, CString& heading, int& nFormat, int& nWidth) const
{
    if (nCol < 0 || nCol >= GetColumnCount())
        return FALSE;
    const auto& c = m_hWnd->columns[static_cast<size_t>(nCol)];
    heading = c.heading;
    nFormat = c.format;
    nWidth = c.width;
    return TRUE;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwExStyle)
{
    DWORD old = m_hWnd->listExStyle;
    m_hWnd->listExStyle = dwExStyle;
    return old;
}

DWORD CListCtrl::GetExtendedStyle() const { return m_hWnd->listExStyle; }

int CListCtrl::GetItemCount() const { return static_cast<int>(m_hWnd->nListRows); }

// The rows that stay keep their states, as a list view's do.
void CListCtrl::SetItemCount(int nItems)
{
    m_hWnd->nListRows = static_cast<size_t>(std::max(0, nItems));
    if (m_hWnd->rowStates.size() > m_hWnd->nListRows)
        m_hWnd->rowStates.resize(m_hWnd->nListRows);
}

// As the list view does: the parent fills a buffer of the size it is given,
// which grows until the whole text fits.
CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    HWND hDialog = m_hWnd->OwningDialog();
    if (nItem < 0 || nItem >= GetItemCount() || !hDialog || !hDialog->pDialog)
        return CString();
    for (int nSize = 256;; nSize *= 2) {
        std::vector<char> buffer(static_cast<size_t>(nSize), '\0');
        NMLVDISPINFOA info = {};
        info.hdr = {m_hWnd, static_cast<UINT_PTR>(m_hWnd->id), LVN_GETDISPINFOA};
        info.item.mask = LVIF_TEXT;
        info.item.iItem = nItem;
        info.item.iSubItem = nSubItem;
        info.item.pszText = buffer.data();
        info.item.cchTextMax = nSize;
        LRESULT result = 0;
        hDialog->pDialog->DispatchToMessageMap(WM_NOTIFY, static_cast<WPARAM>(m_hWnd->id),
                                               reinterpret_cast<LPARAM>(&info), &result);
        int nLength = static_cast<int>(std::strlen(info.item.pszText));
        if (nLength + 2 < nSize)
            return CString(info.item.pszText, nLength);
    }
}

BOOL CListCtrl::DeleteAllItems()
{
    m_hWnd->rowStates.clear();
    m_hWnd->nListRows = 0;
    return TRUE;
}

void CListCtrl::SetSortArrow(int nCol, int nDirection)
{
    if (nCol >= 0 && nCol < static_cast<int>(m_hWnd->sortArrows.size()))
        m_hWnd->sortArrows[static_cast<size_t>(nCol)] = nDirection;
}

int CListCtrl::GetSortArrow(int nCol) const
{
    return nCol >= 0 && nCol < static_cast<int>(m_hWnd->sortArrows.size()) ? m_hWnd->sortArrows[static_cast<size_t>(nCol)]
                                                                          : 0;
}

// List selection

int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    const auto& states = m_hWnd->rowStates;
    UINT nWanted = (nFlags & LVNI_SELECTED ? LVIS_SELECTED : 0) | (nFlags & LVNI_FOCUSED ? LVIS_FOCUSED : 0);
    if (nWanted == 0)
        return static_cast<size_t>(nItem + 1) < m_hWnd->nListRows ? nItem + 1 : -1;
    for (size_t i = static_cast<size_t>(nItem + 1); i < states.size(); ++i)
        if ((states[i] & nWanted) == nWanted)
            return static_cast<int>(i);
    return -1;
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    const auto& states = m_hWnd->rowStates;
    if (nItem < 0 || static_cast<size_t>(nItem) >= states.size())
        return 0;
    return states[static_cast<size_t>(nItem)] & nMask;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    auto& states = m_hWnd->rowStates;
    if (nItem < -1 || nItem >= GetItemCount())
        return FALSE;
    size_t nNeeded = nItem == -1 ? m_hWnd->nListRows : static_cast<size_t>(nItem) + 1;
    if (states.size() < nNeeded && (nState & nMask) != 0)
        states.resize(nNeeded, 0u);
    // One row at most has the focus.
    if (nMask & nState & LVIS_FOCUSED)
        for (UINT& s : states)
            s &= ~static_cast<UINT>(LVIS_FOCUSED);
    for (size_t i = 0; i < states.size(); ++i)
        if (nItem == -1 || static_cast<int>(i) == nItem)
            states[i] = (states[i] & ~nMask) | (nState & nMask);
    // As the system's list does, it tells its dialog of the change.
    HWND hDialog = m_hWnd->OwningDialog();
    if (hDialog && hDialog->pDialog) {
        NMLISTVIEW change = {};
        change.hdr = {m_hWnd, static_cast<UINT_PTR>(m_hWnd->id), LVN_ITEMCHANGED};
        change.iItem = nItem;
        change.uNewState = nState & nMask;
        change.uChanged = LVIF_STATE;
        LRESULT result = 0;
        hDialog->pDialog->DispatchToMessageMap(WM_NOTIFY, static_cast<WPARAM>(m_hWnd->id),
                                               reinterpret_cast<LPARAM>(&change), &result);
    }
    return TRUE;
}

int CListCtrl::HitTest(POINT pt) const
{
    if (pt.x < 0 || pt.x >= m_hWnd->cx || pt.y < kStandinHeaderHeight || pt.y >= m_hWnd->cy)
        return -1;
    long n = (pt.y - kStandinHeaderHeight) / kStandinRowHeight;
    return n < static_cast<long>(m_hWnd->nListRows) ? static_cast<int>(n) : -1;
}

BOOL CListCtrl::GetItemRect(int nItem, RECT* pRect, UINT) const
{
    if (nItem < 0 || nItem >= GetItemCount())
        return FALSE;
    long top = kStandinHeaderHeight + nItem * kStandinRowHeight;
    *pRect = {0, top, m_hWnd->cx, top + kStandinRowHeight};
    return TRUE;
}

