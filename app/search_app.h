#ifndef TOLVANE_APP_SEARCH_APP_H
#define TOLVANE_APP_SEARCH_APP_H

#include "platform/afx.h"

class CSearchApp : public CWinApp {
public:
    CSearchApp();
    BOOL InitInstance() override;
    int ExitInstance() override { return m_nExitCode; }

private:
    int m_nExitCode = 0;
};

#endif
