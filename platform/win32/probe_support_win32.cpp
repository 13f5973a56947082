// Probe support on Windows: message boxes are answered by a hook, and the
// probe runs the message loop itself between its actions.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "platform/probe_support.h"
#include "platform/win32/win32_internal.h"
#include "platform/wintypes.h"

namespace {

HHOOK g_hCbtHook = nullptr;

LRESULT CALLBACK AnswerMessageBoxHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE && Win32InsideMessageBox()) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        char className[16];
        if (::GetClassNameA(hWnd, className, sizeof(className)) && strcmp(className, "#32770") == 0) {
            // Posted, so the box is fully up when its own loop reads the command.
            LRESULT defId = ::SendMessageA(hWnd, DM_GETDEFID, 0, 0);
            WPARAM id = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
            ::PostMessageA(hWnd, WM_COMMAND, id, 0);
        }
    }
    return ::CallNextHookEx(g_hCbtHook, nCode, wParam, lParam);
}

}  // namespace

void ProbeAnswerMessageBoxes()
{
    if (!g_hCbtHook)
        g_hCbtHook = ::SetWindowsHookExA(WH_CBT, AnswerMessageBoxHook, nullptr, ::GetCurrentThreadId());
}

void ProbePumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        HWND hRoot = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (hRoot && ::IsDialogMessageA(hRoot, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void ProbeBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

bool ProbeMapDrive(char, const char*) { return false; }

void ProbeClearDrives() {}
