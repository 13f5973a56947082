#include "platform/probe_support.h"
#include "platform/standin/standin.h"

// Without a display nothing is ever shown: message boxes return at once.
void ProbeAnswerMessageBoxes() {}

void ProbeAnswerNextMessageBox(int nButton) { g_standinNextAnswer = nButton; }

// Esc in a dialog is its cancel command, as the dialog manager makes it; a
// command posted to a dialog reaches it as a click does.
void ProbePumpMessages()
{
    while (!g_standinQueuedEscapes.empty() || !g_standinPosted.empty()) {
        if (!g_standinQueuedEscapes.empty()) {
            HWND h = g_standinQueuedEscapes.front();
            g_standinQueuedEscapes.erase(g_standinQueuedEscapes.begin());
            HWND hDialog = h ? h->OwningDialog() : nullptr;
            if (hDialog && hDialog->pDialog)
                hDialog->pDialog->OnCommand(IDCANCEL, BN_CLICKED);
            continue;
        }
        StandinPosted posted = g_standinPosted.front();
        g_standinPosted.erase(g_standinPosted.begin());
        if (posted.message == WM_COMMAND && posted.hWnd->pDialog)
            posted.hWnd->pDialog->OnCommand(LOWORD(posted.wParam), HIWORD(posted.wParam));
        else
            CWnd(posted.hWnd).SendMessage(posted.message, posted.wParam, posted.lParam);
    }
}

bool ProbeDrop(HWND hDialog, const char* path)
{
    if (!hDialog || !hDialog->acceptsFiles)
        return false;
    HDROP hDrop = new HDROP__{{StandinAbsolutePath(path)}};
    CWnd(hDialog).SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0);
    return true;
}

void ProbeQueueEscape(HWND hDialog)
{
    HWND hFocus = g_standinFocus && g_standinFocus->parent == hDialog ? g_standinFocus : hDialog;
    g_standinQueuedEscapes.push_back(hFocus);
}

void ProbeBinaryStdout() {}

// Enter goes to the dialog's default button, as the dialog manager sends it;
// other keys reach the list, which tells its parent.
void ProbePressKey(HWND hWnd, UINT nVirtKey, bool bCtrl)
{
    CDialog* pDialog = hWnd && hWnd->parent ? hWnd->parent->pDialog : nullptr;
    if (!pDialog)
        return;
    g_standinCtrlDown = bCtrl;
    if (nVirtKey == VK_RETURN) {
        pDialog->OnCommand(IDOK, BN_CLICKED);
    } else {
        NMLVKEYDOWN key = {{hWnd, static_cast<UINT_PTR>(hWnd->id), LVN_KEYDOWN}, static_cast<WORD>(nVirtKey), 0};
        LRESULT result = 0;
        pDialog->DispatchToMessageMap(WM_NOTIFY, static_cast<WPARAM>(hWnd->id), reinterpret_cast<LPARAM>(&key),
                                      &result);
    }
    g_standinCtrlDown = false;
}

bool ProbeReadClipboard(std::string* pText, std::string* pUnicode)
{
    *pText = std::string(g_standinClipboard, static_cast<size_t>(g_standinClipboard.GetLength()));
    pUnicode->clear();
    return false;
}
