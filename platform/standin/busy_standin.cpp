// The look at the simulated input queue during a long operation.
#include "platform/standin/standin.h"

std::vector<HWND> g_standinQueuedEscapes;
void (*g_pfnStandinWhileBusy)(CDialog* pDialog) = nullptr;

CDialog::BusyRequest CDialog::PumpWhileBusy()
{
    if (g_pfnStandinWhileBusy)
        g_pfnStandinWhileBusy(this);
    if (!m_hWnd)
        return kBusyClose;
    bool bTaken = false;
    auto& queue = g_standinQueuedEscapes;
    while (!queue.empty() && queue.front() && queue.front()->OwningDialog() == m_hWnd) {
        queue.erase(queue.begin());
        bTaken = true;
    }
    return bTaken ? kBusyStop : kBusyGoOn;
}
