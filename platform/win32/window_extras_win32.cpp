// System menu, popup menus, painting of the minimised window, geometry,
// list selection, the clipboard and the shell.
#include <cstring>
#include <vector>

#include "platform/internal.h"

CMenu CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu(::GetSystemMenu(m_hWnd, bRevert)); }

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* text)
{
    return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, text);
}

int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }

UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }

CString CMenu::GetMenuString(int nPos) const
{
    char buf[512];
    int n = ::GetMenuStringA(m_hMenu, static_cast<UINT>(nPos), buf, sizeof buf, MF_BYPOSITION);
    return CString(buf, n > 0 ? n : 0);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd), m_hDC(nullptr), m_pPaint(new PAINTSTRUCT)
{
    m_hDC = ::BeginPaint(pWnd->m_hWnd, static_cast<PAINTSTRUCT*>(m_pPaint));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_pWnd->m_hWnd, static_cast<PAINTSTRUCT*>(m_pPaint));
    delete static_cast<PAINTSTRUCT*>(m_pPaint);
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

UINT CMenu::GetMenuState(int nPos) const { return ::GetMenuState(m_hMenu, static_cast<UINT>(nPos), MF_BYPOSITION); }

BOOL CMenu::CreatePopupMenu() { return (m_hMenu = ::CreatePopupMenu()) != nullptr; }

BOOL CMenu::DestroyMenu()
{
    BOOL bDone = m_hMenu && ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return bDone;
}

UINT CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd)
{
    if (AFX_POPUPMENU_OBSERVER pfn = AfxGetPopupMenuObserver())
        return pfn(*this);
    return (UINT)::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd->m_hWnd, nullptr);
}

// Geometry

void CWnd::GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }

void CWnd::GetRectInParent(RECT* pRect) const
{
    ::GetWindowRect(m_hWnd, pRect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight) { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, TRUE); }

CWnd CWnd::GetWindow(UINT nCmd) const { return CWnd(::GetWindow(m_hWnd, nCmd)); }

void CWnd::ClientToScreen(POINT* pPoint) const { ::ClientToScreen(m_hWnd, pPoint); }

void CWnd::ScreenToClient(POINT* pPoint) const { ::ScreenToClient(m_hWnd, pPoint); }

void CWnd::SetFocus() { ::SetFocus(m_hWnd); }

// The window manager applies the minimum tracking size on the way.
void CWnd::SizeAsUser(int nWidth, int nHeight)
{
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, nWidth, nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// List selection

int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    return (int)::SendMessageA(m_hWnd, LVM_GETNEXTITEM, nItem, MAKELPARAM(nFlags, 0));
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    return (UINT)::SendMessageA(m_hWnd, LVM_GETITEMSTATE, nItem, nMask);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item = {};
    item.state = nState;
    item.stateMask = nMask;
    return (BOOL)::SendMessageA(m_hWnd, LVM_SETITEMSTATE, nItem, (LPARAM)&item);
}

int CListCtrl::HitTest(POINT pt) const
{
    LVHITTESTINFO hit = {};
    hit.pt = pt;
    return (int)::SendMessageA(m_hWnd, LVM_HITTEST, 0, (LPARAM)&hit);
}

BOOL CListCtrl::GetItemRect(int nItem, RECT* pRect, UINT nCode) const
{
    pRect->left = nCode;
    return (BOOL)::SendMessageA(m_hWnd, LVM_GETITEMRECT, nItem, (LPARAM)pRect);
}

// Clipboard and shell

namespace {

// A movable global block holding these bytes, for the clipboard to own.
HGLOBAL GlobalCopy(const void* p, size_t n)
{
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, n);
    if (!h)
        return nullptr;
    memcpy(::GlobalLock(h), p, n);
    ::GlobalUnlock(h);
    return h;
}

bool PutClipboardData(UINT nFormat, const void* p, size_t n)
{
    HGLOBAL h = GlobalCopy(p, n);
    if (h && ::SetClipboardData(nFormat, h))
        return true;
    if (h)
        ::GlobalFree(h);
    return false;
}

}  // namespace

BOOL AfxSetClipboardText(CWnd* pOwner, const CString& text)
{
    const char* p = text;
    int n = text.GetLength();
    int nWide = n ? ::MultiByteToWideChar(932, 0, p, n, nullptr, 0) : 0;
    std::vector<wchar_t> wide(static_cast<size_t>(nWide) + 1, L'\0');
    if (nWide)
        ::MultiByteToWideChar(932, 0, p, n, wide.data(), nWide);
    if (!::OpenClipboard(pOwner ? pOwner->m_hWnd : nullptr))
        return FALSE;
    ::EmptyClipboard();
    bool bDone = PutClipboardData(CF_TEXT, p, static_cast<size_t>(n) + 1) &&
                 PutClipboardData(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(wchar_t));
    ::CloseClipboard();
    if (bDone)
        if (AFX_CLIPBOARD_OBSERVER pfn = AfxGetClipboardObserver())
            pfn();
    return bDone;
}

INT_PTR AfxShellExecute(CWnd* pOwner, const char* verb, const char* file, const char* parameters)
{
    if (AFX_SHELL_OBSERVER pfn = AfxGetShellObserver())
        return pfn(verb, file, parameters ? parameters : "");
    return (INT_PTR)::ShellExecuteA(pOwner ? pOwner->m_hWnd : nullptr, verb, file, parameters, nullptr,
                                    SW_SHOWNORMAL);
}
