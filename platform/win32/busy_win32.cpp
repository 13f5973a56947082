// The look at the message queue during a long operation on the GUI thread.
#include "platform/afx.h"

namespace {

// A window that does not validate its update region would be handed the same
// paint message for ever, and one that posts to itself the same posted one.
const int kMaxMessagesPerLook = 64;

bool IsOurs(HWND hDialog, HWND hWnd) { return hWnd && (hWnd == hDialog || ::IsChild(hDialog, hWnd)); }

// Takes every message NMESSAGE of the Esc key aimed at the dialog or one of
// its controls from the front of the queue; true when there was one.
bool TakeEscMessages(HWND hDialog, UINT nMessage)
{
    bool bTaken = false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, nMessage, nMessage, PM_NOREMOVE) && msg.wParam == VK_ESCAPE &&
           IsOurs(hDialog, msg.hwnd)) {
        ::PeekMessageW(&msg, msg.hwnd, nMessage, nMessage, PM_REMOVE);
        bTaken = true;
    }
    return bTaken;
}

// Takes every Esc key press aimed at the dialog or one of its controls, with
// the character and key-up that belong to it, so that it neither closes the
// window now nor lands later. True when there was one.
bool TakeEscape(HWND hDialog)
{
    if (!TakeEscMessages(hDialog, WM_KEYDOWN))
        return false;
    TakeEscMessages(hDialog, WM_CHAR);
    TakeEscMessages(hDialog, WM_KEYUP);
    return true;
}

// Alt+F4 and a click on the close box, which the window would turn into a
// close command once it handles its input again.
bool TakeCloseInput(HWND hDialog)
{
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) && msg.wParam == VK_F4 &&
        (msg.lParam & (1 << 29)) && IsOurs(hDialog, msg.hwnd)) {
        ::PeekMessageW(&msg, msg.hwnd, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
        return true;
    }
    if (::PeekMessageW(&msg, hDialog, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_NOREMOVE) && msg.wParam == HTCLOSE) {
        ::PeekMessageW(&msg, hDialog, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE);
        return true;
    }
    return false;
}

// Posted messages that are not input (the window system's own close request
// among them) are handled now; the dialog keeps its commands for afterwards
// itself. Posted keys and mouse messages wait with the rest of the input.
void DispatchPosted(UINT nFirst, UINT nLast)
{
    MSG msg;
    for (int i = 0; i < kMaxMessagesPerLook && ::PeekMessageW(&msg, nullptr, nFirst, nLast, PM_REMOVE | PM_QS_POSTMESSAGE);
         ++i) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

CDialog::BusyRequest CDialog::PumpWhileBusy()
{
    MSG msg;
    for (int i = 0; i < kMaxMessagesPerLook && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT);
         ++i)
        ::DispatchMessageW(&msg);
    if (!m_hWnd)
        return kBusyClose;
    if (TakeEscape(m_hWnd))
        return kBusyStop;
    if (TakeCloseInput(m_hWnd))
        return kBusyClose;
    DispatchPosted(0, WM_KEYFIRST - 1);
    DispatchPosted(WM_KEYLAST + 1, WM_MOUSEFIRST - 1);
    DispatchPosted(WM_MOUSELAST + 1, 0xFFFFFFFFu);
    return m_hWnd ? kBusyGoOn : kBusyClose;
}
