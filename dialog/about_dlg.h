#ifndef TOLVANE_DIALOG_ABOUT_DLG_H
#define TOLVANE_DIALOG_ABOUT_DLG_H

#include "platform/afx.h"

// The maker's web site: the caption of the about box's button and what it opens.
extern const char kWebSiteAddress[];

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange() override;
    void OnWebSite();
    DECLARE_MESSAGE_MAP()
};

#endif
