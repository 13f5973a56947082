#include "app/search_app.h"

#include "dialog/search_dlg.h"

CSearchApp::CSearchApp() : CWinApp(nullptr) {}

// The whole program is the one dialog: when it closes, the process ends.
BOOL CSearchApp::InitInstance()
{
    Enable3dControls();
    CSearchDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}

CSearchApp theApp;
