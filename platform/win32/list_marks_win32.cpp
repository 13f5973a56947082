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

const wchar_t kSourceProperty[] = L"tolvane.marks";
const wchar_t kColumnProperty[] = L"tolvane.markcolumn";
// The list cuts a text it is given here; a row's text beyond it is never in view.
const size_t kMaxCellBytes = 65536;

CListMarkSource* SourceOf(HWND hList) { return static_cast<CListMarkSource*>(::GetPropW(hList, kSourceProperty)); }

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

// As the list shows a selection: while it has the focus, or always with LVS_SHOWSELALWAYS.
bool ShowsSelected(HWND hList, int nItem)
{
    return (::SendMessageW(hList, LVM_GETITEMSTATE, nItem, LVIS_SELECTED) & LVIS_SELECTED) &&
           (::GetFocus() == hList || (::GetWindowLongW(hList, GWL_STYLE) & LVS_SHOWSELALWAYS));
}

void DrawCell(CDialog* pDlg, NMLVCUSTOMDRAW* pDraw)
{
    HWND hList = pDraw->nmcd.hdr.hwndFrom;
    int nItem = static_cast<int>(pDraw->nmcd.dwItemSpec), nSubItem = pDraw->iSubItem;
    RECT cell = {};
    cell.top = nSubItem;
    cell.left = LVIR_BOUNDS;
    if (!::SendMessageW(hList, LVM_GETSUBITEMRECT, nItem, reinterpret_cast<LPARAM>(&cell)))
        return;
    bool bSelected = ShowsSelected(hList, nItem);
    COLORREF back = bSelected ? ::GetSysColor(COLOR_HIGHLIGHT) : ::GetSysColor(COLOR_WINDOW);
    COLORREF fore = bSelected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
    HDC hDC = pDraw->nmcd.hdc;
    ::SetBkColor(hDC, back);
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    std::vector<AfxTextSpan> marks;
    SourceOf(hList)->GetCellMarks(nItem, &marks);
    std::wstring text;
    std::vector<Win32WideSpan> wideMarks;
    Win32WidenMarked(CellText(pDlg, hList, nItem, nSubItem), marks, false, &text, &wideMarks);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hDC, &tm);
    // The list's own inset of a column's text.
    int nInset = Win32ScaleToWindow(hList, 6);
    RECT clip = {cell.left + nInset, cell.top, cell.right - nInset / 3, cell.bottom};
    int y = cell.top + (static_cast<int>(cell.bottom - cell.top) - static_cast<int>(tm.tmHeight)) / 2;
    Win32DrawMarkedText(hDC, text, wideMarks, clip, clip.left, y, fore, bSelected ? fore : ::GetSysColor(COLOR_HIGHLIGHT),
                        bSelected ? back : ::GetSysColor(COLOR_HIGHLIGHTTEXT));
}

// The whole row in the highlight colours when it shows selected, for the list's own columns too.
void ColourSelectedRow(NMLVCUSTOMDRAW* pDraw)
{
    if (!ShowsSelected(pDraw->nmcd.hdr.hwndFrom, static_cast<int>(pDraw->nmcd.dwItemSpec)))
        return;
    pDraw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    pDraw->clrText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    pDraw->clrTextBk = ::GetSysColor(COLOR_HIGHLIGHT);
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

bool Win32DrawListMarks(CDialog* pDlg, NMHDR* pHdr, LRESULT* pResult)
{
    HWND hList = pHdr->hwndFrom;
    if (!SourceOf(hList))
        return false;
    NMLVCUSTOMDRAW* pDraw = reinterpret_cast<NMLVCUSTOMDRAW*>(pHdr);
    int nColumn = static_cast<int>(reinterpret_cast<intptr_t>(::GetPropW(hList, kColumnProperty))) - 1;
    switch (pDraw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        return true;
    case CDDS_ITEMPREPAINT:
        ColourSelectedRow(pDraw);
        *pResult = CDRF_NOTIFYSUBITEMDRAW;
        return true;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        ColourSelectedRow(pDraw);
        if (pDraw->iSubItem != nColumn) {
            *pResult = CDRF_NEWFONT;
            return true;
        }
        DrawCell(pDlg, pDraw);
        *pResult = CDRF_SKIPDEFAULT;
        return true;
    default:
        *pResult = CDRF_DODEFAULT;
        return true;
    }
}

void AfxSetListMarks(CListCtrl& list, int nSubItem, CListMarkSource* pSource)
{
    if (!pSource) {
        ::RemovePropW(list.m_hWnd, kSourceProperty);
        ::RemovePropW(list.m_hWnd, kColumnProperty);
        return;
    }
    ::SetPropW(list.m_hWnd, kSourceProperty, pSource);
    ::SetPropW(list.m_hWnd, kColumnProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(nSubItem + 1)));
    ::InvalidateRect(list.m_hWnd, nullptr, FALSE);
}

void AfxGetListMarks(const CListCtrl& list, int nItem, std::vector<AfxTextSpan>* pMarks)
{
    pMarks->clear();
    if (CListMarkSource* pSource = SourceOf(list.m_hWnd))
        if (nItem >= 0 && nItem < list.GetItemCount())
            pSource->GetCellMarks(nItem, pMarks);
}
