// Reads another program's windows the way accessibility tools do, for the
// end-to-end test: the texts, check states and screen rectangles of a top
// window's controls. Usage: peek.exe TITLE  (TITLE in the ANSI code page)
// prints "window LEFT TOP RIGHT BOTTOM" and one line per control:
// "control ID CLASS CHECK LEFT TOP RIGHT BOTTOM TEXT", fields by TAB, and
// after a list view's line "items ID COUNT".
//   peek.exe --null TITLE MS   sends the window WM_NULL as the system's hung
// window check does and prints "null ANSWERED ELAPSED_MS"; exit 0 when it
// answered within MS milliseconds, 3 when not.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string TextOf(HWND hWnd)
{
    char buf[4096];
    LRESULT n = SendMessageA(hWnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

BOOL CALLBACK PrintControl(HWND hCtl, LPARAM)
{
    char cls[64];
    GetClassNameA(hCtl, cls, sizeof cls);
    RECT r;
    GetWindowRect(hCtl, &r);
    LRESULT check = 0;
    if (_stricmp(cls, "Button") == 0)
        check = SendMessageA(hCtl, BM_GETCHECK, 0, 0);
    std::printf("control\t%d\t%s\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", GetDlgCtrlID(hCtl), cls, static_cast<int>(check),
                r.left, r.top, r.right, r.bottom, TextOf(hCtl).c_str());
    if (_stricmp(cls, WC_LISTVIEWA) == 0)
        std::printf("items\t%d\t%ld\n", GetDlgCtrlID(hCtl), static_cast<long>(SendMessageA(hCtl, LVM_GETITEMCOUNT, 0, 0)));
    return TRUE;
}

int AnswersNull(HWND hWnd, UINT nTimeoutMs)
{
    DWORD_PTR result = 0;
    ULONGLONG start = GetTickCount64();
    LRESULT answered = SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, nTimeoutMs, &result);
    std::printf("null\t%d\t%llu\n", answered ? 1 : 0, GetTickCount64() - start);
    return answered ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv)
{
    bool bNull = argc == 4 && std::string(argv[1]) == "--null";
    if (argc != 2 && !bNull)
        return 2;
    HWND hWnd = FindWindowA(nullptr, argv[bNull ? 2 : 1]);
    if (!hWnd)
        return 1;
    if (bNull)
        return AnswersNull(hWnd, static_cast<UINT>(std::strtoul(argv[3], nullptr, 10)));
    RECT r;
    GetWindowRect(hWnd, &r);
    std::printf("window\t%ld\t%ld\t%ld\t%ld\n", r.left, r.top, r.right, r.bottom);
    EnumChildWindows(hWnd, PrintControl, 0);
    return 0;
}
