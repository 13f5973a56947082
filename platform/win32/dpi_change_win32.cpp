// A change of the monitor's scale while the window is open: the platform
// scales the window, its controls, their font, the list's columns and the
// tree's images itself. The dialog code keeps working in the pixels of the
// scale it laid the window out at; the sizes it is told and the places it
// gives are converted here, so its layout holds at any scale.
#include <cstdint>
#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

namespace {

const wchar_t kDpiProperty[] = L"tolvane.dpi";
// The scale the dialog code laid the window out at, when it was made.
const wchar_t kLayoutDpiProperty[] = L"tolvane.layoutdpi";
// A font the platform made for the dialog, to be deleted with the next one or the window.
const wchar_t kFontProperty[] = L"tolvane.font";

int Property(HWND hWnd, const wchar_t* name)
{
    return static_cast<int>(reinterpret_cast<uintptr_t>(::GetPropW(hWnd, name)));
}

void SetProperty(HWND hWnd, const wchar_t* name, UINT nValue)
{
    ::SetPropW(hWnd, name, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(nValue)));
}

// Every column of a list view, as wide at the new scale.
void RescaleColumns(HWND hList, int nNew, int nOld)
{
    HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
    int nColumns = static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < nColumns; ++i) {
        int nWidth = static_cast<int>(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, i, 0));
        ::SendMessageW(hList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(::MulDiv(nWidth, nNew, nOld), 0));
    }
}
bool g_bRescaling = false;

typedef BOOL(WINAPI* SetDialogDpiChangeBehaviorFn)(HWND, int, int);

}  // namespace

bool Win32IsRescaling() { return g_bRescaling; }

UINT Win32RecordedDpi(HWND hDialog) { return hDialog ? static_cast<UINT>(Property(hDialog, kDpiProperty)) : 0; }

UINT Win32LayoutDpi(HWND hDialog)
{
    int nLayout = hDialog ? Property(hDialog, kLayoutDpiProperty) : 0;
    return nLayout > 0 ? static_cast<UINT>(nLayout) : Win32DpiOf(hDialog);
}

int Win32LayoutToWindow(HWND hDialog, int nPixels)
{
    int nLayout = Property(hDialog, kLayoutDpiProperty), nNow = Property(hDialog, kDpiProperty);
    return nLayout > 0 && nNow > 0 && nLayout != nNow ? ::MulDiv(nPixels, nNow, nLayout) : nPixels;
}

int Win32WindowToLayout(HWND hDialog, int nPixels)
{
    int nLayout = Property(hDialog, kLayoutDpiProperty), nNow = Property(hDialog, kDpiProperty);
    return nLayout > 0 && nNow > 0 && nLayout != nNow ? ::MulDiv(nPixels, nLayout, nNow) : nPixels;
}

void Win32KeepFont(HWND hDialog, HFONT hFont)
{
    if (HANDLE hMine = ::GetPropW(hDialog, kFontProperty))
        ::DeleteObject(hMine);
    ::SetPropW(hDialog, kFontProperty, hFont);
}

void Win32TakeOverDpiChanges(HWND hDialog)
{
    UINT nDpi = Win32DpiOf(hDialog);
    SetProperty(hDialog, kDpiProperty, nDpi);
    SetProperty(hDialog, kLayoutDpiProperty, nDpi);
    // Windows 10 1703 and later would scale the dialog itself, on top of ours.
    static SetDialogDpiChangeBehaviorFn s_pfn = reinterpret_cast<SetDialogDpiChangeBehaviorFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    const int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (s_pfn)
        s_pfn(hDialog, kDisableAll, kDisableAll);
}

void Win32RescaleDialog(HWND hDialog, UINT nDpi, const RECT* pSuggested)
{
    int nOld = Property(hDialog, kDpiProperty);
    int nNew = static_cast<int>(nDpi);
    if (nOld <= 0 || nNew <= 0 || nOld == nNew)
        return;
    std::vector<Win32ChildPlace> children = Win32ChildPlaces(hDialog);
    // The dialog keeps the font of its template; the controls have the one
    // the platform gave them last, if any.
    HFONT hFont = static_cast<HFONT>(::GetPropW(hDialog, kFontProperty));
    if (!hFont)
        hFont = reinterpret_cast<HFONT>(::SendMessageW(hDialog, WM_GETFONT, 0, 0));
    LOGFONTW font = {};
    HFONT hScaled = nullptr;
    if (hFont && ::GetObjectW(hFont, sizeof font, &font)) {
        font.lfHeight = ::MulDiv(font.lfHeight, nNew, nOld);
        hScaled = ::CreateFontIndirectW(&font);
    }
    g_bRescaling = true;
    ::SetWindowPos(hDialog, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                   pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (Win32ChildPlace& child : children) {
        RECT& r = child.rect;
        int x = ::MulDiv(r.left, nNew, nOld), y = ::MulDiv(r.top, nNew, nOld);
        ::SetWindowPos(child.hWnd, nullptr, x, y, ::MulDiv(r.right, nNew, nOld) - x, ::MulDiv(r.bottom, nNew, nOld) - y,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (hScaled)
            ::SendMessageW(child.hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hScaled), FALSE);
        // A tree's images, set again so the rows take their new height.
        wchar_t cls[32];
        if (::GetClassNameW(child.hWnd, cls, 32) && _wcsicmp(cls, WC_LISTVIEWW) == 0)
            RescaleColumns(child.hWnd, nNew, nOld);
        if (::GetClassNameW(child.hWnd, cls, 32) && _wcsicmp(cls, WC_TREEVIEWW) == 0) {
            LPARAM hList = ::SendMessageW(child.hWnd, TVM_GETIMAGELIST, TVSIL_NORMAL, 0);
            if (hList) {
                Win32RescaleImageList(reinterpret_cast<HIMAGELIST>(hList), nDpi);
                ::SendMessageW(child.hWnd, TVM_SETIMAGELIST, TVSIL_NORMAL, hList);
            }
        }
    }
    g_bRescaling = false;
    if (hScaled) {
        ::SendMessageW(hDialog, WM_SETFONT, reinterpret_cast<WPARAM>(hScaled), FALSE);
        Win32KeepFont(hDialog, hScaled);
    }
    SetProperty(hDialog, kDpiProperty, nDpi);
    // The dialog's own layout once more, in the pixels it laid the window out in.
    RECT client;
    ::GetClientRect(hDialog, &client);
    if (!::IsIconic(hDialog))
        ::SendMessageW(hDialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    ::RedrawWindow(hDialog, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The window is going: the font made for it goes too.
void Win32ForgetDpi(HWND hDialog)
{
    if (HANDLE hMine = ::RemovePropW(hDialog, kFontProperty))
        ::DeleteObject(hMine);
    ::RemovePropW(hDialog, kDpiProperty);
    ::RemovePropW(hDialog, kLayoutDpiProperty);
}

