// The window and control wrappers over real windows: each member is one
// ANSI message to the control, so texts stay CP932 bytes end to end.
#include <cstring>
#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

namespace {

int g_nInsideMessageBox = 0;
// Posted by a modal dialog to itself so the modal observer runs inside its loop.
const UINT kModalUp = WM_APP + 0x2a;

INT_PTR CALLBACK DlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pDlg));
        pDlg->m_hWnd = hWnd;
        if (AfxGetModalObserver() && pDlg->IsModal())
            ::PostMessageA(hWnd, kModalUp, 0, 0);
        return pDlg->OnInitDialog();
    }
    // Messages sent before WM_INITDIALOG (WM_SETFONT) find no object yet.
    CDialog* pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!pDlg)
        return FALSE;
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        pDlg->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        BOOL bHandled = pDlg->DispatchToMessageMap(message, wParam, lParam, &result);
        SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return bHandled;
    }
    case WM_QUERYDRAGICON:
        // One of the messages whose dialog-procedure return value is the result itself.
        if (!pDlg->DispatchToMessageMap(message, wParam, lParam, &result))
            return FALSE;
        return static_cast<INT_PTR>(result);
    case kModalUp:
        if (AFX_MODAL_OBSERVER pfn = AfxGetModalObserver())
            pfn(pDlg);
        return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        pDlg->m_hWnd = nullptr;
        return FALSE;
    default:
        // FALSE lets the dialog manager do its default processing, which is
        // what a handler calling Default() asks for.
        return pDlg->DispatchToMessageMap(message, wParam, lParam, &result);
    }
}

// The window a modal dialog without a parent is owned by, as the class
// library picks it: the main window, so that it takes no input meanwhile.
HWND OwnerFor(const CDialog* pDlg, CWnd* pParentWnd)
{
    if (pParentWnd)
        return pParentWnd->m_hWnd;
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != pDlg)
        return pApp->m_pMainWnd->m_hWnd;
    return nullptr;
}

}  // namespace

bool Win32InsideMessageBox() { return g_nInsideMessageBox > 0; }

void Win32InitCommonControls()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    s_bDone = InitCommonControlsEx(&icc) != FALSE;
}

// CWnd

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }

void CWnd::GetWindowText(CString& text) const
{
    int nLength = ::GetWindowTextLengthA(m_hWnd);
    char* p = text.GetBuffer(nLength);
    ::GetWindowTextA(m_hWnd, p, nLength + 1);
    text.ReleaseBuffer();
}

void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageA(m_hWnd, WM_SETREDRAW, bRedraw, 0); }

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

// CButton

int CButton::GetCheck() const { return (int)::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0); }

void CButton::SetCheck(int nCheck) { ::SendMessageA(m_hWnd, BM_SETCHECK, nCheck, 0); }

void CButton::Click() { ::SendMessageA(m_hWnd, BM_CLICK, 0, 0); }

// CComboBox

int CComboBox::GetCount() const { return (int)::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0); }

int CComboBox::InsertString(int nIndex, const char* text)
{
    return (int)::SendMessageA(m_hWnd, CB_INSERTSTRING, nIndex, (LPARAM)text);
}

int CComboBox::DeleteString(int nIndex) { return (int)::SendMessageA(m_hWnd, CB_DELETESTRING, nIndex, 0); }

CString CComboBox::GetLBText(int nIndex) const
{
    CString text;
    int nLength = (int)::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, nIndex, 0);
    if (nLength == CB_ERR)
        return text;
    char* p = text.GetBuffer(nLength);
    ::SendMessageA(m_hWnd, CB_GETLBTEXT, nIndex, (LPARAM)p);
    text.ReleaseBuffer();
    return text;
}

void CComboBox::PickEntry(int nIndex)
{
    // CB_SETCURSEL alone does not notify; a pick with the mouse also tells the parent.
    ::SendMessageA(m_hWnd, CB_SETCURSEL, nIndex, 0);
    ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CBN_SELCHANGE), (LPARAM)m_hWnd);
}

// CListCtrl

int CListCtrl::InsertColumn(int nCol, const char* heading, int nFormat, int nWidth)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = nFormat;
    column.cx = nWidth;
    column.pszText = const_cast<char*>(heading);
    return (int)::SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, nCol, (LPARAM)&column);
}

int CListCtrl::GetColumnCount() const
{
    HWND hHeader = (HWND)::SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0);
    return (int)::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0);
}

BOOL CListCtrl::GetColumn(int nCol, CString& heading, int& nFormat, int& nWidth) const
{
    // The message does not tell the text's length: grow until it fits.
    for (int nSize = 256;; nSize *= 2) {
        std::vector<char> buffer(nSize);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.pszText = buffer.data();
        column.cchTextMax = nSize;
        if (!::SendMessageA(m_hWnd, LVM_GETCOLUMNA, nCol, (LPARAM)&column))
            return FALSE;
        size_t nLength = strnlen(column.pszText, nSize);
        if (nLength + 2 < static_cast<size_t>(nSize)) {
            heading = CString(column.pszText, static_cast<int>(nLength));
            nFormat = column.fmt;
            nWidth = column.cx;
            return TRUE;
        }
    }
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwExStyle)
{
    return (DWORD)::SendMessageA(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwExStyle);
}

DWORD CListCtrl::GetExtendedStyle() const { return (DWORD)::SendMessageA(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0); }

int CListCtrl::GetItemCount() const { return (int)::SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0); }

// Without redrawing what is in view or moving to the top: rows only come
// at the end while a search runs.
void CListCtrl::SetItemCount(int nItems)
{
    ::SendMessageA(m_hWnd, LVM_SETITEMCOUNT, nItems, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The answer is the length copied; a full buffer may mean a cut text.
    // Two bytes of slack, since a double-byte character is never cut in half.
    for (int nSize = 256;; nSize *= 2) {
        std::vector<char> buffer(nSize);
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = buffer.data();
        item.cchTextMax = nSize;
        int nLength = (int)::SendMessageA(m_hWnd, LVM_GETITEMTEXTA, nItem, (LPARAM)&item);
        if (nLength + 2 < nSize)
            return CString(item.pszText, nLength);
    }
}

BOOL CListCtrl::DeleteAllItems() { return (BOOL)::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0); }

void CListCtrl::SetSortArrow(int nCol, int nDirection)
{
    HWND hHeader = (HWND)::SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0);
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (!::SendMessageA(hHeader, HDM_GETITEMA, nCol, (LPARAM)&item))
        return;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    item.fmt |= nDirection > 0 ? HDF_SORTUP : nDirection < 0 ? HDF_SORTDOWN : 0;
    ::SendMessageA(hHeader, HDM_SETITEMA, nCol, (LPARAM)&item);
}

int CListCtrl::GetSortArrow(int nCol) const
{
    HWND hHeader = (HWND)::SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0);
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (!::SendMessageA(hHeader, HDM_GETITEMA, nCol, (LPARAM)&item))
        return 0;
    return item.fmt & HDF_SORTUP ? 1 : item.fmt & HDF_SORTDOWN ? -1 : 0;
}

// CProgressCtrl

void CProgressCtrl::SetRange(short nLower, short nUpper)
{
    ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
}

int CProgressCtrl::SetPos(int nPos) { return (int)::SendMessageA(m_hWnd, PBM_SETPOS, nPos, 0); }

int CProgressCtrl::StepIt() { return (int)::SendMessageA(m_hWnd, PBM_STEPIT, 0, 0); }

int CProgressCtrl::GetPos() const { return (int)::SendMessageA(m_hWnd, PBM_GETPOS, 0, 0); }

// CImageList

CImageList::CImageList() : m_hImageList(nullptr) {}

CImageList::~CImageList()
{
    if (m_hImageList)
        ImageList_Destroy(static_cast<HIMAGELIST>(m_hImageList));
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

int CImageList::AddBitmapResource(UINT nIDResource, COLORREF crMask)
{
    HBITMAP hBitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource));
    if (!hBitmap)
        return -1;
    int nIndex = ImageList_AddMasked(static_cast<HIMAGELIST>(m_hImageList), hBitmap, crMask);
    ::DeleteObject(hBitmap);
    return nIndex;
}

int CImageList::GetImageCount() const { return ImageList_GetImageCount(static_cast<HIMAGELIST>(m_hImageList)); }

// CTreeCtrl

HTREEITEM CTreeCtrl::InsertItem(const char* label, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(label);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    return (HTREEITEM)::SendMessageA(m_hWnd, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

void CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    ::SendMessageA(m_hWnd, TVM_SETIMAGELIST, nImageListType, (LPARAM)(pImageList ? pImageList->GetHandle() : nullptr));
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    return (HTREEITEM)::SendMessageA(m_hWnd, TVM_GETNEXTITEM, nCode, (LPARAM)hItem);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    // The message gives no length: grow the buffer until the text fits.
    for (int nSize = 256;; nSize *= 2) {
        std::vector<char> buffer(nSize);
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = nSize;
        if (!::SendMessageA(m_hWnd, TVM_GETITEMA, 0, (LPARAM)&item))
            return CString();
        size_t nLength = strnlen(item.pszText, nSize);
        if (nLength + 2 < static_cast<size_t>(nSize))
            return CString(item.pszText, static_cast<int>(nLength));
    }
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEMA item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = hItem;
    if (!::SendMessageA(m_hWnd, TVM_GETITEMA, 0, (LPARAM)&item))
        return FALSE;
    return item.cChildren != 0;
}

BOOL CTreeCtrl::IsExpanded(HTREEITEM hItem) const
{
    return (::SendMessageA(m_hWnd, TVM_GETITEMSTATE, (WPARAM)hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem)
{
    return (BOOL)::SendMessageA(m_hWnd, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hItem);
}

BOOL CTreeCtrl::ExpandAsUser(HTREEITEM hItem, UINT nCode)
{
    // TVM_EXPAND notifies the parent only while an item has never been
    // expanded; marking it as expanded once keeps the control silent, so the
    // parent hears of every change exactly once, as from a click.
    TVITEMA once = {};
    once.mask = TVIF_STATE;
    once.hItem = hItem;
    once.state = once.stateMask = TVIS_EXPANDEDONCE;
    ::SendMessageA(m_hWnd, TVM_SETITEMA, 0, (LPARAM)&once);
    BOOL bWasExpanded = IsExpanded(hItem);
    BOOL bResult = (BOOL)::SendMessageA(m_hWnd, TVM_EXPAND, nCode, (LPARAM)hItem);
    // A click changes something or sends nothing: a leaf has no button, and
    // an open item's button closes it.
    if (IsExpanded(hItem) == bWasExpanded)
        return bResult;
    // What a click on the expand button sends, with the item as it is after the change.
    NMTREEVIEWA notify = {};
    notify.hdr.hwndFrom = m_hWnd;
    notify.hdr.idFrom = GetDlgCtrlID();
    notify.hdr.code = TVN_ITEMEXPANDEDA;
    notify.action = nCode;
    notify.itemNew.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    notify.itemNew.hItem = hItem;
    notify.itemNew.stateMask = 0xFFFF;
    ::SendMessageA(m_hWnd, TVM_GETITEMA, 0, (LPARAM)&notify.itemNew);
    ::SendMessageA(::GetParent(m_hWnd), WM_NOTIFY, notify.hdr.idFrom, (LPARAM)&notify);
    return bResult;
}

// CDialog

INT_PTR CDialog::DoModal()
{
    Win32InitCommonControls();
    m_bModal = true;
    m_bEnded = false;
    INT_PTR nResult = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                        OwnerFor(this, m_pParentWnd), DlgProc, (LPARAM)this);
    m_bModal = false;
    return nResult;
}

BOOL CDialog::Create()
{
    Win32InitCommonControls();
    m_bModal = false;
    m_bEnded = false;
    HWND hWnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate),
                                     m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DlgProc, (LPARAM)this);
    if (!hWnd)
        return FALSE;
    if (!::IsWindowVisible(hWnd))
        ::ShowWindow(hWnd, SW_SHOW);
    return TRUE;
}

void CDialog::DestroyWindow()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    if (m_bModal) {
        ::EndDialog(m_hWnd, nResult);
        return;
    }
    // A modeless window has no modal loop to leave: closing it is the end.
    m_bEnded = true;
    DestroyWindow();
}

CWnd CDialog::GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }

int CDialog::MessageBox(const char* text, const char* caption, UINT nType)
{
    if (AFX_MSGBOX_OBSERVER pfn = AfxGetMessageBoxObserver())
        pfn(caption, text, nType);
    ++g_nInsideMessageBox;
    int nResult = ::MessageBoxA(m_hWnd, text, caption, nType);
    --g_nInsideMessageBox;
    return nResult;
}

void CDialog::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    ::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
}
