#include "platform/probe_support.h"
#include "platform/standin/standin.h"

// Without a display nothing is ever shown: message boxes return at once.
void ProbeAnswerMessageBoxes() {}

// Esc in a dialog is its cancel command, as the dialog manager makes it.
void ProbePumpMessages()
{
    while (!g_standinQueuedEscapes.empty()) {
        HWND h = g_standinQueuedEscapes.front();
        g_standinQueuedEscapes.erase(g_standinQueuedEscapes.begin());
        HWND hDialog = h ? h->OwningDialog() : nullptr;
        if (hDialog && hDialog->pDialog)
            hDialog->pDialog->OnCommand(IDCANCEL, BN_CLICKED);
    }
}

void ProbeQueueEscape(HWND hDialog)
{
    HWND hFocus = g_standinFocus && g_standinFocus->parent == hDialog ? g_standinFocus : hDialog;
    g_standinQueuedEscapes.push_back(hFocus);
}

void ProbeBinaryStdout() {}
