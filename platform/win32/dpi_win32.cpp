// Display scale: the window's dots per inch, sizes scaled to them, and
// controls widened to the texts they show in the font in use.
#include <climits>
#include <cwchar>
#include <cstdint>
#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

namespace {

// Windows 10 1607 and later know each window's own scale; before, the
// screen's is every window's.
typedef UINT(WINAPI* GetDpiForWindowFn)(HWND);

UINT ScreenDpi()
{
    HDC hDC = ::GetDC(nullptr);
    int nDpi = hDC ? ::GetDeviceCaps(hDC, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (hDC)
        ::ReleaseDC(nullptr, hDC);
    return nDpi > 0 ? static_cast<UINT>(nDpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

UINT Win32DpiOf(HWND hWnd)
{
    if (UINT nRecorded = hWnd ? Win32RecordedDpi(::GetAncestor(hWnd, GA_ROOT)) : 0)
        return nRecorded;
    static GetDpiForWindowFn s_pfn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT nDpi = s_pfn && hWnd ? s_pfn(hWnd) : 0;
    return nDpi ? nDpi : ScreenDpi();
}

int Win32ScaleToWindow(HWND hWnd, int nPixels)
{
    return ::MulDiv(nPixels, static_cast<int>(Win32DpiOf(hWnd)), USER_DEFAULT_SCREEN_DPI);
}

int Win32ScaleFromWindow(HWND hWnd, int nPixels)
{
    return ::MulDiv(nPixels, USER_DEFAULT_SCREEN_DPI, static_cast<int>(Win32DpiOf(hWnd)));
}

namespace {

// The width a label, check box or button needs for its one-line text in its
// font; 0 for a control that shows no such text (an icon, a group box, a text
// that wraps over several lines, an empty one).
int NeededWidth(HWND hCtl)
{
    wchar_t cls[16];
    if (!::GetClassNameW(hCtl, cls, 16))
        return 0;
    LONG style = ::GetWindowLongW(hCtl, GWL_STYLE);
    bool bStatic = _wcsicmp(cls, L"Static") == 0, bButton = _wcsicmp(cls, L"Button") == 0;
    LONG type = style & (bStatic ? SS_TYPEMASK : BS_TYPEMASK);
    if (bStatic && type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
        type != SS_SIMPLE)
        return 0;
    bool bCheck = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                  type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    bool bPush = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
    if ((!bStatic && !bButton) || (bButton && !bCheck && !bPush) || (bButton && (style & BS_MULTILINE)))
        return 0;
    int nLength = ::GetWindowTextLengthW(hCtl);
    if (nLength <= 0)
        return 0;
    std::vector<wchar_t> text(static_cast<size_t>(nLength) + 1, L'\0');
    nLength = ::GetWindowTextW(hCtl, text.data(), nLength + 1);
    HDC hDC = ::GetDC(hCtl);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hCtl, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, 0, 0};
    UINT nFormat = DT_CALCRECT | DT_SINGLELINE | (bStatic && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    ::DrawTextW(hDC, text.data(), nLength, &r, nFormat);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hCtl, hDC);
    int nWidth = r.right - r.left;
    // The box and the gap before the text; a push button's edges and some air.
    UINT nDpi = Win32DpiOf(hCtl);
    if (bCheck)
        nWidth += ::MulDiv(13 + 5, static_cast<int>(nDpi), USER_DEFAULT_SCREEN_DPI);
    else if (bPush)
        nWidth += ::MulDiv(2 * 6, static_cast<int>(nDpi), USER_DEFAULT_SCREEN_DPI);
    return nWidth;
}

// Makes CHILDREN[I] NEED pixels wide: into the free room on its right when
// there is enough, else by opening a strip of the missing width at its right
// edge, which moves what lies right of it and widens what spans it, so rows
// and columns stay aligned. Returns how much wider the dialog must become.
int Widen(std::vector<Win32ChildPlace>& children, size_t i, int nNeed, int nClientWidth, int nGap)
{
    RECT& r = children[i].rect;
    int nMissing = nNeed - (r.right - r.left);
    long nLimit = nClientWidth - nGap;
    for (const Win32ChildPlace& other : children) {
        if (&other == &children[i])
            continue;
        // A neighbour on the same row, or the frame of a group round the control.
        long nEdge = LONG_MAX;
        if (other.rect.left >= r.right && other.rect.top < r.bottom && other.rect.bottom > r.top)
            nEdge = other.rect.left - nGap;
        else if (other.rect.left <= r.left && other.rect.right >= r.right && other.rect.top <= r.top &&
                 other.rect.bottom >= r.bottom)
            nEdge = other.rect.right - 2 * nGap;
        if (nEdge < nLimit)
            nLimit = nEdge;
    }
    if (r.right + nMissing <= nLimit) {
        r.right += nMissing;
        return 0;
    }
    long x = r.right;
    for (Win32ChildPlace& other : children) {
        if (other.rect.left >= x)
            OffsetRect(&other.rect, nMissing, 0);
        else if (other.rect.right >= x)
            other.rect.right += nMissing;
    }
    return nMissing;
}

}  // namespace

std::vector<Win32ChildPlace> Win32ChildPlaces(HWND hDialog)
{
    std::vector<Win32ChildPlace> children;
    for (HWND hCtl = ::GetWindow(hDialog, GW_CHILD); hCtl; hCtl = ::GetWindow(hCtl, GW_HWNDNEXT)) {
        Win32ChildPlace child = {hCtl, {}};
        ::GetWindowRect(hCtl, &child.rect);
        ::MapWindowPoints(HWND_DESKTOP, hDialog, reinterpret_cast<POINT*>(&child.rect), 2);
        children.push_back(child);
    }
    return children;
}

void Win32FitDialog(HWND hDialog)
{
    std::vector<Win32ChildPlace> children = Win32ChildPlaces(hDialog);
    RECT client;
    ::GetClientRect(hDialog, &client);
    // Two pixels at 96 dpi between a widened control and its neighbour.
    int nGap = Win32ScaleToWindow(hDialog, 2), nGrowth = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        int nNeed = NeededWidth(children[i].hWnd);
        if (nNeed > children[i].rect.right - children[i].rect.left)
            nGrowth += Widen(children, i, nNeed, client.right + nGrowth, nGap);
    }
    for (const Win32ChildPlace& child : children) {
        RECT now;
        ::GetWindowRect(child.hWnd, &now);
        ::MapWindowPoints(HWND_DESKTOP, hDialog, reinterpret_cast<POINT*>(&now), 2);
        if (!EqualRect(&now, &child.rect))
            ::SetWindowPos(child.hWnd, nullptr, child.rect.left, child.rect.top, child.rect.right - child.rect.left,
                           child.rect.bottom - child.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (nGrowth > 0) {
        RECT window;
        ::GetWindowRect(hDialog, &window);
        ::SetWindowPos(hDialog, nullptr, 0, 0, window.right - window.left + nGrowth, window.bottom - window.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {

// True when the font in DC draws Japanese itself.
bool DrawsJapanese(HDC hDC)
{
    WORD glyphs[3] = {};
    return ::GetGlyphIndicesW(hDC, L"検アｱ", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == 3 && glyphs[0] != 0xFFFF &&
           glyphs[1] != 0xFFFF && glyphs[2] != 0xFFFF;
}

int CALLBACK AddFace(const LOGFONTW* pFont, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    // Faces starting with "@" are the same fonts set for vertical writing.
    if (pFont->lfFaceName[0] != L'@')
        reinterpret_cast<std::vector<LOGFONTW>*>(lParam)->push_back(*pFont);
    return 1;
}

// The face of an installed font with Japanese: the usual dialog faces of
// Japanese Windows first, then any proportional one, then any.
bool JapaneseFace(HDC hDC, wchar_t* pFace)
{
    LOGFONTW want = {};
    want.lfCharSet = SHIFTJIS_CHARSET;
    std::vector<LOGFONTW> fonts;
    ::EnumFontFamiliesExW(hDC, &want, AddFace, reinterpret_cast<LPARAM>(&fonts), 0);
    if (fonts.empty())
        return false;
    const wchar_t* preferred[] = {L"MS PGothic", L"MS UI Gothic", L"Yu Gothic UI", L"Meiryo UI", L"Meiryo"};
    const LOGFONTW* pBest = &fonts.front();
    int nBest = 99;
    for (const LOGFONTW& font : fonts) {
        int nRank = 98;
        for (int i = 0; i < 5; ++i)
            if (_wcsicmp(font.lfFaceName, preferred[i]) == 0)
                nRank = i;
        if (nRank == 98 && (font.lfPitchAndFamily & 3) == VARIABLE_PITCH)
            nRank = 97;
        if (nRank < nBest) {
            nBest = nRank;
            pBest = &font;
        }
    }
    wcsncpy(pFace, pBest->lfFaceName, LF_FACESIZE - 1);
    pFace[LF_FACESIZE - 1] = L'\0';
    return true;
}

}  // namespace

void Win32EnsureJapaneseFont(HWND hDialog)
{
    HFONT hFont = reinterpret_cast<HFONT>(::SendMessageW(hDialog, WM_GETFONT, 0, 0));
    LOGFONTW font = {};
    if (!hFont || !::GetObjectW(hFont, sizeof font, &font))
        return;
    HDC hDC = ::GetDC(hDialog);
    HGDIOBJ hOld = ::SelectObject(hDC, hFont);
    bool bNeeded = !DrawsJapanese(hDC) && JapaneseFace(hDC, font.lfFaceName);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hDialog, hDC);
    if (!bNeeded)
        return;
    font.lfCharSet = SHIFTJIS_CHARSET;
    HFONT hJapanese = ::CreateFontIndirectW(&font);
    if (!hJapanese)
        return;
    ::SendMessageW(hDialog, WM_SETFONT, reinterpret_cast<WPARAM>(hJapanese), FALSE);
    for (HWND hCtl = ::GetWindow(hDialog, GW_CHILD); hCtl; hCtl = ::GetWindow(hCtl, GW_HWNDNEXT))
        ::SendMessageW(hCtl, WM_SETFONT, reinterpret_cast<WPARAM>(hJapanese), FALSE);
    Win32KeepFont(hDialog, hJapanese);
}
