// Reads another program's windows the way accessibility tools do, for the
// end-to-end test: the texts, check states and screen rectangles of a top
// window's controls. Usage: peek.exe TITLE  (TITLE in the ANSI code page)
// prints "window LEFT TOP RIGHT BOTTOM" and one line per control:
// "control ID CLASS CHECK LEFT TOP RIGHT BOTTOM TEXT", fields by TAB.
#include <windows.h>

#include <cstdio>
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
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    HWND hWnd = FindWindowA(nullptr, argv[1]);
    if (!hWnd)
        return 1;
    RECT r;
    GetWindowRect(hWnd, &r);
    std::printf("window\t%ld\t%ld\t%ld\t%ld\n", r.left, r.top, r.right, r.bottom);
    EnumChildWindows(hWnd, PrintControl, 0);
    return 0;
}
