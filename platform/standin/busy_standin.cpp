// The look at the simulated input queue during a long operation.
#include <chrono>

#include "platform/standin/standin.h"

std::vector<HWND> g_standinQueuedEscapes;
void (*g_pfnStandinWhileBusy)(CDialog* pDialog) = nullptr;
ULONGLONG g_standinTickStepMs = 0;

ULONGLONG GetTickCount64()
{
    static ULONGLONG s_nSimulated = 0;
    if (g_standinTickStepMs)
        return s_nSimulated += g_standinTickStepMs;
    using namespace std::chrono;
    return static_cast<ULONGLONG>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

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
