// Reads another program's windows the way accessibility tools do, for the
// end-to-end test, through the wide API so that no code page comes in between.
//   peek.exe TITLE   prints per control "control ID CLASS CHECK LEFT TOP RIGHT
// BOTTOM TEXT" (fields by TAB, texts UTF-8), after a list view "items ID COUNT".
//   peek.exe --null TITLE MS   sends WM_NULL as the system's hung-window check
// does and prints "null ANSWERED ELAPSED_MS"; exit 0 when answered within MS milliseconds, 3 when not.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text, int n)
{
    char buf[3 * 4096 + 4];  // a control's text is read up to 4096 wide characters
    int len = WideCharToMultiByte(CP_UTF8, 0, text, n, buf, sizeof buf, nullptr, nullptr);
    return std::string(buf, len > 0 ? static_cast<size_t>(len) : 0);
}

BOOL CALLBACK PrintControl(HWND hCtl, LPARAM)
{
    wchar_t cls[64], text[4096];
    GetClassNameW(hCtl, cls, 64);
    LRESULT n = SendMessageW(hCtl, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    RECT r;
    GetWindowRect(hCtl, &r);
    LRESULT check = _wcsicmp(cls, L"Button") == 0 ? SendMessageW(hCtl, BM_GETCHECK, 0, 0) : 0;
    std::printf("control\t%d\t%s\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", GetDlgCtrlID(hCtl), Utf8(cls, -1).c_str(),
                static_cast<int>(check), r.left, r.top, r.right, r.bottom,
                Utf8(text, static_cast<int>(n > 0 ? n : 0)).c_str());
    if (_wcsicmp(cls, WC_LISTVIEWW) == 0)
        std::printf("items\t%d\t%ld\n", GetDlgCtrlID(hCtl), static_cast<long>(SendMessageW(hCtl, LVM_GETITEMCOUNT, 0, 0)));
    return TRUE;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool bNull = argc == 4 && std::wstring(argv[1]) == L"--null";
    if (argc != 2 && !bNull)
        return 2;
    HWND hWnd = FindWindowW(nullptr, argv[bNull ? 2 : 1]);
    if (!hWnd)
        return 1;
    if (bNull) {
        DWORD_PTR result = 0;
        ULONGLONG start = GetTickCount64();
        LRESULT answered = SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL,
                                               static_cast<UINT>(std::wcstoul(argv[3], nullptr, 10)), &result);
        std::printf("null\t%d\t%llu\n", answered ? 1 : 0, GetTickCount64() - start);
        return answered ? 0 : 3;
    }
    EnumChildWindows(hWnd, PrintControl, 0);
    return 0;
}
