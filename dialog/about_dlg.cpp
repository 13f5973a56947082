#include "dialog/about_dlg.h"

#include "resource.h"

const char kWebSiteAddress[] = "https://tolvane.example.jp/";

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange() { CDialog::DoDataExchange(); }

// clang-format off
BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_BN_CLICKED(IDC_WEBSITE, OnWebSite)
END_MESSAGE_MAP()
// clang-format on

// The box stays open whether or not the shell could open the address.
void CAboutDlg::OnWebSite() { ShellExecuteA(nullptr, nullptr, kWebSiteAddress, nullptr, nullptr, SW_SHOWNORMAL); }
