// System menu, popup menus, painting of the minimised window, geometry,
// list selection, the clipboard and the shell.
#include <cstring>
#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

CMenu CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu(::GetSystemMenu(m_hWnd, bRevert)); }

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::DragAcceptFiles(BOOL bAccept) { ::DragAcceptFiles(m_hWnd, bAccept); }

UINT AfxDroppedCount(HDROP hDrop) { return ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0); }

CString AfxDroppedPath(HDROP hDrop, UINT nFile)
{
    UINT nChars = ::DragQueryFileW(hDrop, nFile, nullptr, 0);
    std::wstring path(nChars + 1, L'\0');
    path.resize(::DragQueryFileW(hDrop, nFile, &path[0], nChars + 1));
    return path.empty() ? CString() : Win32ShownPath(path);
}

void AfxDragFinish(HDROP hDrop) { ::DragFinish(hDrop); }

BOOL CMenu::ModifyMenu(UINT nID, UINT nFlags, const char* text)
{
    return ::ModifyMenuW(m_hMenu, nID, MF_BYCOMMAND | MF_STRING | nFlags, nID, Win32Widen(text).c_str());
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* text)
{
    // A separator or a bitmap carries no text.
    if (!text || (nFlags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)))
        return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, reinterpret_cast<const wchar_t*>(text));
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, Win32Widen(text).c_str());
}

int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }

UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }

CString CMenu::GetMenuString(int nPos) const
{
    wchar_t buf[512];
    int n = ::GetMenuStringW(m_hMenu, static_cast<UINT>(nPos), buf, sizeof buf / sizeof buf[0], MF_BYPOSITION);
    return Win32Narrow(std::wstring(buf, n > 0 ? n : 0));
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

void CMenu::CheckMenuItem(UINT nID, UINT nCheck) { ::CheckMenuItem(m_hMenu, nID, MF_BYCOMMAND | nCheck); }

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

// A control's place comes in the pixels its dialog was laid out in.
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight)
{
    HWND hParent = ::GetParent(m_hWnd);
    if (hParent && Win32RecordedDpi(hParent)) {
        int nRight = Win32LayoutToWindow(hParent, x + nWidth), nBottom = Win32LayoutToWindow(hParent, y + nHeight);
        x = Win32LayoutToWindow(hParent, x);
        y = Win32LayoutToWindow(hParent, y);
        nWidth = nRight - x;
        nHeight = nBottom - y;
    }
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, TRUE);
}

CWnd CWnd::GetWindow(UINT nCmd) const { return CWnd(::GetWindow(m_hWnd, nCmd)); }

void CWnd::ClientToScreen(POINT* pPoint) const { ::ClientToScreen(m_hWnd, pPoint); }

void CWnd::ScreenToClient(POINT* pPoint) const { ::ScreenToClient(m_hWnd, pPoint); }

void CWnd::SetFocus() { ::SetFocus(m_hWnd); }

void CWnd::ShowWindow(int nCmdShow) { ::ShowWindow(m_hWnd, nCmdShow); }

BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

// The window manager applies the minimum tracking size on the way.
void CWnd::SizeAsUser(int nWidth, int nHeight)
{
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, nWidth, nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// List selection

int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    return (int)::SendMessageW(m_hWnd, LVM_GETNEXTITEM, nItem, MAKELPARAM(nFlags, 0));
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    return (UINT)::SendMessageW(m_hWnd, LVM_GETITEMSTATE, nItem, nMask);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    return (BOOL)::SendMessageW(m_hWnd, LVM_SETITEMSTATE, nItem, (LPARAM)&item);
}

int CListCtrl::HitTest(POINT pt) const
{
    LVHITTESTINFO hit = {};
    hit.pt = pt;
    return (int)::SendMessageW(m_hWnd, LVM_HITTEST, 0, (LPARAM)&hit);
}

BOOL CListCtrl::GetItemRect(int nItem, RECT* pRect, UINT nCode) const
{
    pRect->left = nCode;
    return (BOOL)::SendMessageW(m_hWnd, LVM_GETITEMRECT, nItem, (LPARAM)pRect);
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
    // The locale tells readers of CF_TEXT its code page, whatever the system's is.
    const LCID lcidJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);
    if (!::OpenClipboard(pOwner ? pOwner->m_hWnd : nullptr))
        return FALSE;
    ::EmptyClipboard();
    bool bDone = PutClipboardData(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(wchar_t)) &&
                 PutClipboardData(CF_TEXT, p, static_cast<size_t>(n) + 1) &&
                 PutClipboardData(CF_LOCALE, &lcidJapanese, sizeof lcidJapanese);
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
    std::wstring wideVerb = verb ? Win32Widen(verb) : std::wstring(), wideFile = Win32Widen(file),
                 wideParameters = parameters ? Win32Widen(parameters) : std::wstring();
    return (INT_PTR)::ShellExecuteW(pOwner ? pOwner->m_hWnd : nullptr, verb ? wideVerb.c_str() : nullptr,
                                    wideFile.c_str(), parameters ? wideParameters.c_str() : nullptr, nullptr,
                                    SW_SHOWNORMAL);
}
