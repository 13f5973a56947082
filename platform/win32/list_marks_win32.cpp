// The results list's marks: the list's custom draw asks the mark source for
// the rows it draws, as it draws them, and the platform draws the marked
// column itself, its text as the list would, each mark on the system's
// highlight colours. A selected row is drawn in the highlight colours in
// every column, so the cell drawn here matches the rest of the row; on it a
// mark is drawn the other way round, highlight text colour behind highlight
// colour, so it still stands out from the selection.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/panes.h"
#include "platform/win32/win32_internal.h"

namespace {

// The lists drawn with marks, kept here rather than as window properties:
// asked at every row and cell drawn, a property costs a trip to the window
// server under Wine. What a paint asks of the window once (whether the
// selection shows, the text's inset) and of a row (whether it shows
// selected) is kept for the notifications that follow.
struct MarkedList {
    HWND hList;
    CListMarkSource* pSource;
    int nColumn;
    bool bShowSelection;
    int nInset;
    int nItem;
    bool bSelected;
};
std::vector<MarkedList> g_lists;

// The list cuts a text it is given here; a row's text beyond it is never in view.
const size_t kMaxCellBytes = 65536;

MarkedList* MarksOf(HWND hList)
{
    for (MarkedList& list : g_lists)
        if (list.hList == hList)
            return &list;
    return nullptr;
}

std::wstring WidenPiece(const std::string& bytes, size_t nFrom, size_t nTo, bool bUtf8)
{
    if (!bUtf8)
        return Win32Widen(bytes.substr(nFrom, nTo - nFrom).c_str());
    int n = static_cast<int>(nTo - nFrom);
    int nWide = n > 0 ? ::MultiByteToWideChar(CP_UTF8, 0, bytes.data() + nFrom, n, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(nWide), L'\0');
    if (nWide > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data() + nFrom, n, &wide[0], nWide);
    return wide;
}

// The list's text of a cell as the dialog gives it, code page 932.
std::string CellText(CDialog* pDlg, HWND hList, int nItem, int nSubItem)
{
    for (size_t nSize = 512;; nSize *= 2) {
        std::vector<char> buffer(nSize, '\0');
        NMLVDISPINFOA info = {};
        info.hdr.hwndFrom = hList;
        info.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hList));
        info.hdr.code = LVN_GETDISPINFOA;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = nItem;
        info.item.iSubItem = nSubItem;
        info.item.pszText = buffer.data();
        info.item.cchTextMax = static_cast<int>(nSize);
        LRESULT result = 0;
        pDlg->DispatchToMessageMap(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info), &result);
        size_t n = strnlen(info.item.pszText, nSize);
        if (n + 2 < nSize || nSize >= kMaxCellBytes)
            return std::string(info.item.pszText, n);
    }
}

// As the list shows a selection: while it has the focus, or always with
// LVS_SHOWSELALWAYS; asked once a paint.
bool ShowsSelection(HWND hList)
{
    return ::GetFocus() == hList || (::GetWindowLongW(hList, GWL_STYLE) & LVS_SHOWSELALWAYS);
}

bool ShowsSelected(MarkedList& list, int nItem)
{
    if (list.nItem != nItem) {
        list.nItem = nItem;
        list.bSelected = list.bShowSelection &&
                         (::SendMessageW(list.hList, LVM_GETITEMSTATE, nItem, LVIS_SELECTED) & LVIS_SELECTED);
    }
    return list.bSelected;
}

// Row NITEM's marked cell drawn again over what the list drew, when it lies
// in CLIP, what the paint draws.
void DrawCell(CDialog* pDlg, MarkedList& list, HDC hDC, int nItem, const RECT& paint)
{
    HWND hList = list.hList;
    int nSubItem = list.nColumn;
    RECT cell = {}, both;
    cell.top = nSubItem;
    cell.left = LVIR_BOUNDS;
    if (!::SendMessageW(hList, LVM_GETSUBITEMRECT, nItem, reinterpret_cast<LPARAM>(&cell)) ||
        !::IntersectRect(&both, &cell, &paint))
        return;
    bool bSelected = ShowsSelected(list, nItem);
    COLORREF back = bSelected ? ::GetSysColor(COLOR_HIGHLIGHT) : ::GetSysColor(COLOR_WINDOW);
    COLORREF fore = bSelected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
    ::SetBkColor(hDC, back);
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    std::vector<AfxTextSpan> marks;
    list.pSource->GetCellMarks(nItem, &marks);
    std::wstring text;
    std::vector<Win32WideSpan> wideMarks;
    Win32WidenMarked(CellText(pDlg, hList, nItem, nSubItem), marks, false, &text, &wideMarks);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hDC, &tm);
    // The list's own inset of a column's text.
    int nInset = list.nInset;
    RECT clip = {cell.left + nInset, cell.top, cell.right - nInset / 3, cell.bottom};
    int y = cell.top + (static_cast<int>(cell.bottom - cell.top) - static_cast<int>(tm.tmHeight)) / 2;
    Win32DrawMarkedText(hDC, text, wideMarks, clip, clip.left, y, fore, bSelected ? fore : ::GetSysColor(COLOR_HIGHLIGHT),
                        bSelected ? back : ::GetSysColor(COLOR_HIGHLIGHTTEXT));
}

// The whole row in the highlight colours when it shows selected, for the
// list's own columns too; whether it does.
bool ColourSelectedRow(MarkedList& list, NMLVCUSTOMDRAW* pDraw)
{
    if (!ShowsSelected(list, static_cast<int>(pDraw->nmcd.dwItemSpec)))
        return false;
    pDraw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    pDraw->clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    pDraw->clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
    return true;
}

bool DrawListMarks(CDialog* pDlg, NMHDR* pHdr, LRESULT* pResult)
{
    MarkedList* pList = MarksOf(pHdr->hwndFrom);
    if (!pList)
        return false;
    NMLVCUSTOMDRAW* pDraw = reinterpret_cast<NMLVCUSTOMDRAW*>(pHdr);
    switch (pDraw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: {
        // The list draws its rows; the marked cells are drawn over them once
        // it has drawn them all. Notifications a row, each costing about as
        // much as a row under Wine, are asked for only while a selected row
        // is in view: it is coloured whole as shown selected.
        pList->bShowSelection = ShowsSelection(pList->hList);
        pList->nInset = Win32ScaleToWindow(pList->hList, 6);
        pList->nItem = -1;
        // Looked for in view only: a search for the next selected row goes
        // through every row after it.
        bool bSelectedInView = false;
        if (pList->bShowSelection && ListView_GetSelectedCount(pList->hList) > 0) {
            int nTop = ListView_GetTopIndex(pList->hList), nEnd = nTop + ListView_GetCountPerPage(pList->hList) + 1;
            for (int nItem = nTop; nItem < nEnd && !bSelectedInView; ++nItem)
                bSelectedInView = ListView_GetItemState(pList->hList, nItem, LVIS_SELECTED) != 0;
        }
        *pResult = CDRF_NOTIFYPOSTPAINT | (pList->bShowSelection && bSelectedInView ? CDRF_NOTIFYITEMDRAW : 0);
        return true;
    }
    case CDDS_ITEMPREPAINT:
        pList->nItem = -1;  // its state may have changed since the last paint of it
        *pResult = ColourSelectedRow(*pList, pDraw) ? CDRF_NEWFONT : CDRF_DODEFAULT;
        return true;
    case CDDS_POSTPAINT: {
        RECT paint;
        if (::GetClipBox(pDraw->nmcd.hdc, &paint) == NULLREGION)
            return true;
        int nTop = ListView_GetTopIndex(pList->hList);
        int nEnd = std::min(ListView_GetItemCount(pList->hList), nTop + ListView_GetCountPerPage(pList->hList) + 1);
        for (int nItem = nTop; nItem < nEnd; ++nItem)
            DrawCell(pDlg, *pList, pDraw->nmcd.hdc, nItem, paint);
        *pResult = CDRF_DODEFAULT;
        return true;
    }
    default:
        *pResult = CDRF_DODEFAULT;
        return true;
    }
}

// The window procedures of the marked lists' parents, which this one stands
// before. A dialog answers a notification through DWLP_MSGRESULT, which the
// dialog manager clears before each message: under Wine two trips to the
// window server at each row drawn, more than the row costs. The list's
// custom draw is answered here, directly; all else goes on as before.
struct Parent {
    HWND hWnd;
    WNDPROC pOld;
};
std::vector<Parent> g_parents;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto it = std::find_if(g_parents.begin(), g_parents.end(), [&](const Parent& p) { return p.hWnd == hWnd; });
    if (it == g_parents.end())
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    WNDPROC pOld = it->pOld;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pOld));
        g_parents.erase(it);
    } else if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == NM_CUSTOMDRAW) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        LRESULT result = 0;
        if (pDlg && DrawListMarks(pDlg, reinterpret_cast<NMHDR*>(lParam), &result))
            return result;
    }
    return ::CallWindowProcW(pOld, hWnd, message, wParam, lParam);
}

void StandBefore(HWND hParent)
{
    for (const Parent& p : g_parents)
        if (p.hWnd == hParent)
            return;
    WNDPROC pOld = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hParent, GWLP_WNDPROC));
    g_parents.push_back(Parent{hParent, pOld});
    ::SetWindowLongPtrW(hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ParentProc));
}

}  // namespace

void Win32WidenMarked(const std::string& bytes, const std::vector<AfxTextSpan>& marks, bool bUtf8, std::wstring* pText,
                      std::vector<Win32WideSpan>* pMarks)
{
    pText->clear();
    pMarks->clear();
    size_t nAt = 0;
    for (const AfxTextSpan& mark : marks) {
        size_t nStart = std::max(nAt, std::min(mark.nStart, bytes.size()));
        size_t nEnd = std::min(bytes.size(), mark.nStart + mark.nLength);
        if (nEnd <= nStart)
            continue;
        *pText += WidenPiece(bytes, nAt, nStart, bUtf8);
        size_t nWideStart = pText->size();
        *pText += WidenPiece(bytes, nStart, nEnd, bUtf8);
        pMarks->push_back({nWideStart, pText->size() - nWideStart});
        nAt = nEnd;
    }
    *pText += WidenPiece(bytes, nAt, bytes.size(), bUtf8);
}

void Win32DrawMarkedText(HDC hDC, const std::wstring& text, const std::vector<Win32WideSpan>& marks, const RECT& clip,
                         int x, int y, COLORREF fore, COLORREF markBack, COLORREF markFore)
{
    if (text.empty() || clip.right <= clip.left)
        return;
    // Where each character ends, for the marks' places: one measure of the whole text.
    std::vector<int> ends(text.size(), 0);
    SIZE size = {};
    ::GetTextExtentExPointW(hDC, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(), &size);
    int nOldMode = ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, fore);
    ::ExtTextOutW(hDC, x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    for (const Win32WideSpan& mark : marks) {
        int nLeft = x + (mark.nStart > 0 ? ends[mark.nStart - 1] : 0);
        RECT box = {nLeft, clip.top, x + ends[mark.nStart + mark.nLength - 1], clip.bottom};
        if (!::IntersectRect(&box, &box, &clip))
            continue;
        ::SetBkColor(hDC, markBack);
        ::SetTextColor(hDC, markFore);
        ::ExtTextOutW(hDC, nLeft, y, ETO_CLIPPED | ETO_OPAQUE, &box, text.c_str() + mark.nStart,
                      static_cast<UINT>(mark.nLength), nullptr);
    }
    ::SetBkMode(hDC, nOldMode);
}

void AfxSetListMarks(CListCtrl& list, int nSubItem, CListMarkSource* pSource)
{
    g_lists.erase(std::remove_if(g_lists.begin(), g_lists.end(),
                                 [&](const MarkedList& m) { return m.hList == list.m_hWnd || !::IsWindow(m.hList); }),
                  g_lists.end());
    if (pSource) {
        g_lists.push_back(MarkedList{list.m_hWnd, pSource, nSubItem, false, 0, -1, false});
        StandBefore(::GetParent(list.m_hWnd));
    }
    ::InvalidateRect(list.m_hWnd, nullptr, FALSE);
}

void AfxGetListMarks(const CListCtrl& list, int nItem, std::vector<AfxTextSpan>* pMarks)
{
    pMarks->clear();
    if (CListMarkSource* pSource = AfxListMarkSource(list))
        if (nItem >= 0 && nItem < list.GetItemCount())
            pSource->GetCellMarks(nItem, pMarks);
}

CListMarkSource* AfxListMarkSource(const CListCtrl& list)
{
    MarkedList* pList = MarksOf(list.m_hWnd);
    return pList ? pList->pSource : nullptr;
}
