// Reads another program's windows the way accessibility tools do, for the
// end-to-end test: the texts, check states and screen rectangles of a top
// window's controls, through the wide API so that no code page comes in
// between. Usage: peek.exe TITLE  prints "window LEFT TOP RIGHT BOTTOM" and
// one line per control: "control ID CLASS CHECK LEFT TOP RIGHT BOTTOM TEXT",
// fields by TAB, texts UTF-8, and after a list view's line "items ID COUNT".
//   peek.exe --extents TITLE   prints for each label, check box and button
// with a one-line text "extent ID CLASS STYLE WIDTH TEXT_WIDTH TEXT": the
// control's client width and its text's in the control's font.
//   peek.exe --null TITLE MS   sends the window WM_NULL as the system's hung
// window check does and prints "null ANSWERED ELAPSED_MS"; exit 0 when it
// answered within MS milliseconds, 3 when not.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring TextOf(HWND hWnd)
{
    wchar_t buf[4096];
    LRESULT n = SendMessageW(hWnd, WM_GETTEXT, sizeof buf / sizeof buf[0], reinterpret_cast<LPARAM>(buf));
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// How wide the text is drawn in the control's own font, as a label draws it
// (an ampersand marks the next character and takes no room).
long ExtentOf(HWND hCtl, const std::wstring& text)
{
    if (text.empty())
        return 0;
    HDC hDC = GetDC(hCtl);
    HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessageW(hCtl, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, 0, 0};
    DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(hDC, hOld);
    ReleaseDC(hCtl, hDC);
    return r.right - r.left;
}

BOOL CALLBACK PrintControl(HWND hCtl, LPARAM)
{
    wchar_t wideClass[64];
    GetClassNameW(hCtl, wideClass, 64);
    std::string cls = Utf8(wideClass);
    RECT r;
    GetWindowRect(hCtl, &r);
    LRESULT check = 0;
    if (_stricmp(cls.c_str(), "Button") == 0)
        check = SendMessageW(hCtl, BM_GETCHECK, 0, 0);
    std::printf("control\t%d\t%s\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", GetDlgCtrlID(hCtl), cls.c_str(),
                static_cast<int>(check), r.left, r.top, r.right, r.bottom, Utf8(TextOf(hCtl)).c_str());
    if (_stricmp(cls.c_str(), WC_LISTVIEWA) == 0)
        std::printf("items\t%d\t%ld\n", GetDlgCtrlID(hCtl), static_cast<long>(SendMessageW(hCtl, LVM_GETITEMCOUNT, 0, 0)));
    return TRUE;
}

BOOL CALLBACK PrintExtent(HWND hCtl, LPARAM)
{
    wchar_t wideClass[64];
    GetClassNameW(hCtl, wideClass, 64);
    std::wstring text = TextOf(hCtl);
    if ((_wcsicmp(wideClass, L"Static") != 0 && _wcsicmp(wideClass, L"Button") != 0) || text.empty() ||
        text.find(L'\n') != std::wstring::npos)
        return TRUE;
    RECT r;
    GetClientRect(hCtl, &r);
    std::printf("extent\t%d\t%s\t%#lx\t%ld\t%ld\t%s\n", GetDlgCtrlID(hCtl), Utf8(wideClass).c_str(),
                static_cast<unsigned long>(GetWindowLongW(hCtl, GWL_STYLE)), r.right - r.left, ExtentOf(hCtl, text),
                Utf8(text).c_str());
    return TRUE;
}

int AnswersNull(HWND hWnd, UINT nTimeoutMs)
{
    DWORD_PTR result = 0;
    ULONGLONG start = GetTickCount64();
    LRESULT answered = SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, nTimeoutMs, &result);
    std::printf("null\t%d\t%llu\n", answered ? 1 : 0, GetTickCount64() - start);
    return answered ? 0 : 3;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool bNull = argc == 4 && std::wstring(argv[1]) == L"--null";
    bool bExtents = argc == 3 && std::wstring(argv[1]) == L"--extents";
    if (argc != 2 && !bNull && !bExtents)
        return 2;
    HWND hWnd = FindWindowW(nullptr, argv[argc == 2 ? 1 : 2]);
    if (!hWnd)
        return 1;
    if (bNull)
        return AnswersNull(hWnd, static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)));
    if (bExtents) {
        EnumChildWindows(hWnd, PrintExtent, 0);
        return 0;
    }
    RECT r;
    GetWindowRect(hWnd, &r);
    std::printf("window\t%ld\t%ld\t%ld\t%ld\n", r.left, r.top, r.right, r.bottom);
    EnumChildWindows(hWnd, PrintControl, 0);
    return 0;
}
