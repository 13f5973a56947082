#include "app/search_app.h"

#include "app/start.h"
#include "dialog/search_dlg.h"

CSearchApp::CSearchApp() : CWinApp(nullptr) {}

// The whole program is the one dialog: when it closes, the process ends. A
// run the command line ends before it, without a window, ends the process
// with its exit code.
BOOL CSearchApp::InitInstance()
{
    Enable3dControls();
    CStartOptions options;
    if (!StartFromCommandLine(CCommandArgs::OfProcess(), &options, &m_nExitCode))
        return FALSE;
    CSearchDlg dlg;
    dlg.SetStartOptions(options);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}

CSearchApp theApp;
