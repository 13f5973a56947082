// The window and control wrappers over real windows: each member is one
// message to the control. The windows are Unicode ones, so they show the same
// in every system code page; the program's CP932 texts are converted here,
// with code page 932 itself, on their way in and out.
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

namespace {

// Text of a wide buffer the control filled, up to its terminator or its end.
CString NarrowBuffer(const std::vector<wchar_t>& buffer, size_t* pnLength)
{
    *pnLength = wcsnlen(buffer.data(), buffer.size());
    return Win32Narrow(std::wstring(buffer.data(), *pnLength));
}

}  // namespace

void Win32InitCommonControls()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    s_bDone = InitCommonControlsEx(&icc) != FALSE;
    Win32RegisterPaneClasses();
}

// CWnd

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

void CWnd::SetWindowText(const char* text) { ::SetWindowTextW(m_hWnd, Win32Widen(text).c_str()); }

void CWnd::GetWindowText(CString& text) const
{
    std::vector<wchar_t> buffer(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    int nLength = ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    text = Win32Narrow(std::wstring(buffer.data(), nLength > 0 ? nLength : 0));
}

void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageW(m_hWnd, WM_SETREDRAW, bRedraw, 0); }

void CWnd::RedrawNow()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CWnd::DropPendingPaint()
{
    // The frame too: a list that lost its scroll bars has it waiting as well,
    // and the paint that follows redraws the whole list.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOERASE | RDW_NOFRAME | RDW_NOINTERNALPAINT);
}

CWnd CWnd::GetFocus() { return CWnd(::GetFocus()); }

void CWnd::EnableWindow(BOOL bEnable) { ::EnableWindow(m_hWnd, bEnable); }

// CButton

int CButton::GetCheck() const { return (int)::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0); }

void CButton::SetCheck(int nCheck) { ::SendMessageW(m_hWnd, BM_SETCHECK, nCheck, 0); }

void CButton::Click() { ::SendMessageW(m_hWnd, BM_CLICK, 0, 0); }

// CComboBox

int CComboBox::GetCount() const { return (int)::SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0); }

int CComboBox::InsertString(int nIndex, const char* text)
{
    return (int)::SendMessageW(m_hWnd, CB_INSERTSTRING, nIndex, (LPARAM)Win32Widen(text).c_str());
}

int CComboBox::DeleteString(int nIndex) { return (int)::SendMessageW(m_hWnd, CB_DELETESTRING, nIndex, 0); }

CString CComboBox::GetLBText(int nIndex) const
{
    int nLength = (int)::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, nIndex, 0);
    if (nLength == CB_ERR)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(nLength) + 1, L'\0');
    nLength = (int)::SendMessageW(m_hWnd, CB_GETLBTEXT, nIndex, (LPARAM)buffer.data());
    return Win32Narrow(std::wstring(buffer.data(), nLength > 0 ? nLength : 0));
}

void CComboBox::PickEntry(int nIndex)
{
    // CB_SETCURSEL alone does not notify; a pick with the mouse also tells the parent.
    ::SendMessageW(m_hWnd, CB_SETCURSEL, nIndex, 0);
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE), (LPARAM)m_hWnd);
}

// CListCtrl

int CListCtrl::InsertColumn(int nCol, const char* heading, int nFormat, int nWidth)
{
    std::wstring text = Win32Widen(heading);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = nFormat;
    column.cx = Win32ScaleToWindow(m_hWnd, nWidth);
    column.pszText = const_cast<wchar_t*>(text.c_str());
    return (int)::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, nCol, (LPARAM)&column);
}

int CListCtrl::GetColumnCount() const
{
    HWND hHeader = (HWND)::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0);
    return (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0);
}

BOOL CListCtrl::GetColumn(int nCol, CString& heading, int& nFormat, int& nWidth) const
{
    // The message does not tell the text's length: grow until it fits.
    for (int nSize = 256;; nSize *= 2) {
        std::vector<wchar_t> buffer(nSize, L'\0');
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = buffer.data();
        column.cchTextMax = nSize;
        if (!::SendMessageW(m_hWnd, LVM_GETCOLUMNW, nCol, (LPARAM)&column))
            return FALSE;
        size_t nLength = 0;
        CString text = NarrowBuffer(buffer, &nLength);
        if (nLength + 1 < static_cast<size_t>(nSize)) {
            heading = text;
            nFormat = column.fmt;
            nWidth = Win32ScaleFromWindow(m_hWnd, column.cx);
            return TRUE;
        }
    }
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwExStyle)
{
    return (DWORD)::SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwExStyle);
}

DWORD CListCtrl::GetExtendedStyle() const { return (DWORD)::SendMessageW(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0); }

int CListCtrl::GetItemCount() const { return (int)::SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0); }

// Without redrawing what is in view or moving to the top: rows only come
// at the end while a search runs.
void CListCtrl::SetItemCount(int nItems)
{
    ::SendMessageW(m_hWnd, LVM_SETITEMCOUNT, nItems, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The answer is the length copied; a full buffer may mean a cut text.
    for (int nSize = 256;; nSize *= 2) {
        std::vector<wchar_t> buffer(nSize, L'\0');
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.pszText = buffer.data();
        item.cchTextMax = nSize;
        int nLength = (int)::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, nItem, (LPARAM)&item);
        if (nLength + 1 < nSize)
            return Win32Narrow(std::wstring(item.pszText, nLength > 0 ? nLength : 0));
    }
}

BOOL CListCtrl::DeleteAllItems() { return (BOOL)::SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0); }

void CListCtrl::SetSortArrow(int nCol, int nDirection)
{
    HWND hHeader = (HWND)::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0);
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!::SendMessageW(hHeader, HDM_GETITEMW, nCol, (LPARAM)&item))
        return;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    item.fmt |= nDirection > 0 ? HDF_SORTUP : nDirection < 0 ? HDF_SORTDOWN : 0;
    ::SendMessageW(hHeader, HDM_SETITEMW, nCol, (LPARAM)&item);
}

int CListCtrl::GetSortArrow(int nCol) const
{
    HWND hHeader = (HWND)::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0);
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!::SendMessageW(hHeader, HDM_GETITEMW, nCol, (LPARAM)&item))
        return 0;
    return item.fmt & HDF_SORTUP ? 1 : item.fmt & HDF_SORTDOWN ? -1 : 0;
}

// CProgressCtrl

void CProgressCtrl::SetRange(short nLower, short nUpper)
{
    ::SendMessageW(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
}

int CProgressCtrl::SetPos(int nPos) { return (int)::SendMessageW(m_hWnd, PBM_SETPOS, nPos, 0); }

int CProgressCtrl::StepIt() { return (int)::SendMessageW(m_hWnd, PBM_STEPIT, 0, 0); }

int CProgressCtrl::GetPos() const { return (int)::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0); }

// CImageList

namespace {

// What each image list was made of, so it can be made again at another scale.
struct ImageListSource {
    int cx, cy;  // at 96 dpi
    std::vector<std::pair<UINT, COLORREF>> bitmaps;
};
std::map<HIMAGELIST, ImageListSource> g_imageListSources;

// The bitmap stretched to the list's size pixel by pixel, so the mask
// colour stays exact and the drawing keeps its hard edges.
int AddScaledBitmap(HIMAGELIST hList, UINT nIDResource, COLORREF crMask)
{
    HBITMAP hBitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
    if (!hBitmap)
        return -1;
    int cx = 0, cy = 0;
    BITMAP info = {};
    ::ImageList_GetIconSize(hList, &cx, &cy);
    ::GetObjectW(hBitmap, sizeof info, &info);
    if (cx != info.bmWidth || cy != info.bmHeight) {
        HDC hScreen = ::GetDC(nullptr);
        HDC hFrom = ::CreateCompatibleDC(hScreen), hTo = ::CreateCompatibleDC(hScreen);
        HBITMAP hScaled = ::CreateCompatibleBitmap(hScreen, cx, cy);
        HGDIOBJ hOldFrom = ::SelectObject(hFrom, hBitmap), hOldTo = ::SelectObject(hTo, hScaled);
        ::SetStretchBltMode(hTo, COLORONCOLOR);
        ::StretchBlt(hTo, 0, 0, cx, cy, hFrom, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        ::SelectObject(hFrom, hOldFrom);
        ::SelectObject(hTo, hOldTo);
        ::DeleteDC(hFrom);
        ::DeleteDC(hTo);
        ::ReleaseDC(nullptr, hScreen);
        ::DeleteObject(hBitmap);
        hBitmap = hScaled;
    }
    int nIndex = ImageList_AddMasked(hList, hBitmap, crMask);
    ::DeleteObject(hBitmap);
    return nIndex;
}

}  // namespace

void Win32RescaleImageList(HIMAGELIST hList, UINT nDpi)
{
    auto it = g_imageListSources.find(hList);
    if (it == g_imageListSources.end())
        return;
    // A new size empties the list; the images come back in their order, so their indexes hold.
    int cx = ::MulDiv(it->second.cx, static_cast<int>(nDpi), USER_DEFAULT_SCREEN_DPI);
    int cy = ::MulDiv(it->second.cy, static_cast<int>(nDpi), USER_DEFAULT_SCREEN_DPI);
    ::ImageList_SetIconSize(hList, cx, cy);
    for (const auto& bitmap : it->second.bitmaps)
        AddScaledBitmap(hList, bitmap.first, bitmap.second);
}

CImageList::CImageList() : m_hImageList(nullptr) {}

CImageList::~CImageList()
{
    if (m_hImageList) {
        g_imageListSources.erase(static_cast<HIMAGELIST>(m_hImageList));
        ImageList_Destroy(static_cast<HIMAGELIST>(m_hImageList));
    }
}

// The size is at 96 dpi: the images are as large as the screen's scale
// makes it (16 pixels give 20, 24 and 32 at 120, 144 and 192 dpi).
BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    HIMAGELIST hList = ImageList_Create(Win32ScaleToWindow(nullptr, cx), Win32ScaleToWindow(nullptr, cy), nFlags,
                                        nInitial, nGrow);
    m_hImageList = hList;
    if (hList)
        g_imageListSources[hList] = ImageListSource{cx, cy, {}};
    return hList != nullptr;
}

int CImageList::AddBitmapResource(UINT nIDResource, COLORREF crMask)
{
    HIMAGELIST hList = static_cast<HIMAGELIST>(m_hImageList);
    int nIndex = AddScaledBitmap(hList, nIDResource, crMask);
    if (nIndex >= 0)
        g_imageListSources[hList].bitmaps.push_back({nIDResource, crMask});
    return nIndex;
}

int CImageList::GetImageCount() const { return ImageList_GetImageCount(static_cast<HIMAGELIST>(m_hImageList)); }

// CTreeCtrl

HTREEITEM CTreeCtrl::InsertItem(const char* label, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    std::wstring text = Win32Widen(label);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    return (HTREEITEM)::SendMessageW(m_hWnd, TVM_INSERTITEMW, 0, (LPARAM)&insert);
}

void CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    ::SendMessageW(m_hWnd, TVM_SETIMAGELIST, nImageListType, (LPARAM)(pImageList ? pImageList->GetHandle() : nullptr));
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    return (HTREEITEM)::SendMessageW(m_hWnd, TVM_GETNEXTITEM, nCode, (LPARAM)hItem);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    // The message gives no length: grow the buffer until the text fits.
    for (int nSize = 256;; nSize *= 2) {
        std::vector<wchar_t> buffer(nSize, L'\0');
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = nSize;
        if (!::SendMessageW(m_hWnd, TVM_GETITEMW, 0, (LPARAM)&item))
            return CString();
        size_t nLength = 0;
        CString text = NarrowBuffer(buffer, &nLength);
        if (nLength + 1 < static_cast<size_t>(nSize))
            return text;
    }
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEMW item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = hItem;
    if (!::SendMessageW(m_hWnd, TVM_GETITEMW, 0, (LPARAM)&item))
        return FALSE;
    return item.cChildren != 0;
}

BOOL CTreeCtrl::IsExpanded(HTREEITEM hItem) const
{
    return (::SendMessageW(m_hWnd, TVM_GETITEMSTATE, (WPARAM)hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem)
{
    return (BOOL)::SendMessageW(m_hWnd, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hItem);
}

BOOL CTreeCtrl::ExpandAsUser(HTREEITEM hItem, UINT nCode)
{
    // TVM_EXPAND notifies the parent only while an item has never been
    // expanded; marking it as expanded once keeps the control silent, so the
    // parent hears of every change exactly once, as from a click.
    TVITEMW once = {};
    once.mask = TVIF_STATE;
    once.hItem = hItem;
    once.state = once.stateMask = TVIS_EXPANDEDONCE;
    ::SendMessageW(m_hWnd, TVM_SETITEMW, 0, (LPARAM)&once);
    BOOL bWasExpanded = IsExpanded(hItem);
    BOOL bResult = (BOOL)::SendMessageW(m_hWnd, TVM_EXPAND, nCode, (LPARAM)hItem);
    // A click changes something or sends nothing: a leaf has no button, and
    // an open item's button closes it.
    if (IsExpanded(hItem) == bWasExpanded)
        return bResult;
    // What a click on the expand button sends, with the item as it is after the change.
    NMTREEVIEWW notify = {};
    notify.hdr.hwndFrom = m_hWnd;
    notify.hdr.idFrom = GetDlgCtrlID();
    notify.hdr.code = TVN_ITEMEXPANDEDW;
    notify.action = nCode;
    notify.itemNew.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    notify.itemNew.hItem = hItem;
    notify.itemNew.stateMask = 0xFFFF;
    ::SendMessageW(m_hWnd, TVM_GETITEMW, 0, (LPARAM)&notify.itemNew);
    ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, notify.hdr.idFrom, (LPARAM)&notify);
    return bResult;
}
