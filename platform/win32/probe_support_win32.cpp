// Probe support on Windows: message boxes are answered by a hook, and the
// probe runs the message loop itself between its actions.
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/probe_support.h"
#include "platform/win32/win32_internal.h"
#include "platform/wintypes.h"

namespace {

HHOOK g_hCbtHook = nullptr;
// The box being opened by CDialog::MessageBox, until it has been answered,
// and the button it is answered with when not its default.
HWND g_hBoxToAnswer = nullptr;
int g_nNextAnswer = 0;

bool IsDialogClass(HWND hWnd)
{
    wchar_t className[16];
    return ::GetClassNameW(hWnd, className, 16) && wcscmp(className, L"#32770") == 0;
}

LRESULT CALLBACK AnswerMessageBoxHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = reinterpret_cast<HWND>(wParam);
    // Our own dialogs are of the same class and are activated again while
    // the box closes, so only the window made during the call is answered.
    if (nCode == HCBT_CREATEWND && Win32InsideMessageBox() && IsDialogClass(hWnd))
        g_hBoxToAnswer = hWnd;
    if (nCode == HCBT_ACTIVATE && hWnd == g_hBoxToAnswer) {
        g_hBoxToAnswer = nullptr;
        // Posted, so the box is fully up when its own loop reads the
        // command. The program's boxes all have OK as their default button.
        ::PostMessageW(hWnd, WM_COMMAND, g_nNextAnswer ? g_nNextAnswer : IDOK, 0);
        g_nNextAnswer = 0;
    }
    return ::CallNextHookEx(g_hCbtHook, nCode, wParam, lParam);
}

}  // namespace

void ProbeAnswerMessageBoxes()
{
    if (!g_hCbtHook)
        g_hCbtHook = ::SetWindowsHookExW(WH_CBT, AnswerMessageBoxHook, nullptr, ::GetCurrentThreadId());
}

void ProbeAnswerNextMessageBox(int nButton) { g_nNextAnswer = nButton; }

void ProbePumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        HWND hRoot = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (hRoot && ::IsDialogMessageW(hRoot, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void ProbeQueueEscape(HWND hDialog)
{
    HWND hFocus = ::GetFocus();
    HWND hTarget = hFocus && (hFocus == hDialog || ::IsChild(hDialog, hFocus)) ? hFocus : hDialog;
    UINT nScan = ::MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
    ::PostMessageW(hTarget, WM_KEYDOWN, VK_ESCAPE, 1 | (nScan << 16));
    ::PostMessageW(hTarget, WM_KEYUP, VK_ESCAPE, 1 | (nScan << 16) | (1u << 30) | (1u << 31));
}

// As the shell hands a drop over: a DROPFILES block of wide paths in
// global memory, which the window frees with DragFinish.
bool ProbeDrop(HWND hDialog, const char* path)
{
    if (!(::GetWindowLongW(hDialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES))
        return false;
    std::wstring wide = Win32RealPath(path);
    size_t nBytes = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
    HGLOBAL hDrop = ::GlobalAlloc(GHND, nBytes);
    DROPFILES* pDrop = static_cast<DROPFILES*>(::GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    std::memcpy(pDrop + 1, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(hDrop);
    ::SendMessageW(hDialog, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0);
    return true;
}

void ProbeBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

bool ProbeMapDrive(char, const char*) { return false; }

void ProbeClearDrives() {}

// Posted as the keyboard would, with the thread's key state saying whether
// Ctrl is down, and pumped so the dialog manager and the list see them.
void ProbePressKey(HWND hWnd, UINT nVirtKey, bool bCtrl)
{
    BYTE saved[256], state[256];
    ::GetKeyboardState(saved);
    memcpy(state, saved, sizeof state);
    state[VK_CONTROL] = state[VK_LCONTROL] = bCtrl ? 0x80 : 0;
    ::SetKeyboardState(state);
    ::SetFocus(hWnd);
    ::PostMessageW(hWnd, WM_KEYDOWN, nVirtKey, 1);
    ::PostMessageW(hWnd, WM_KEYUP, nVirtKey, static_cast<LPARAM>(0xC0000001u));
    ProbePumpMessages();
    ::SetKeyboardState(saved);
}

bool ProbeReadClipboard(std::string* pText, std::string* pUnicode)
{
    pText->clear();
    pUnicode->clear();
    if (!::OpenClipboard(nullptr))
        return false;
    if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        const char* p = static_cast<const char*>(::GlobalLock(h));
        if (p)
            *pText = p;
        ::GlobalUnlock(h);
    }
    bool bUnicode = false;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* p = static_cast<const wchar_t*>(::GlobalLock(h));
        if (p) {
            bUnicode = true;
            int n = ::WideCharToMultiByte(932, 0, p, -1, nullptr, 0, nullptr, nullptr);
            std::vector<char> bytes(n > 0 ? n : 1);
            ::WideCharToMultiByte(932, 0, p, -1, bytes.data(), n, nullptr, nullptr);
            *pUnicode = bytes.data();
        }
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return bUnicode;
}
