#ifndef TOLVANE_APP_SEARCH_APP_H
#define TOLVANE_APP_SEARCH_APP_H

#include "platform/afx.h"

class CSearchApp : public CWinApp {
public:
    CSearchApp();
    BOOL InitInstance() override;
};

#endif
