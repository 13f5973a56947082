// The main window as it starts, its system menu, the about box and the
// minimised window, in the native build's in-memory controls.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "dialog/about_dlg.h"
#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProbeClearDrives();
        RemoveSettings();
        dlg_.Create();
    }
    void TearDown() override
    {
        AfxSetModalObserver(nullptr);
        RemoveSettings();
    }

    CWinApp app_;
    CSearchDlg dlg_;
};

std::vector<UINT> g_modalTemplates;
void RecordModal(CDialog* pDlg) { g_modalTemplates.push_back(pDlg->GetTemplateID()); }

void PressWebSite(CDialog* pDlg)
{
    CButton(pDlg->GetDlgItem(IDC_WEBSITE)).Click();
    g_modalTemplates.push_back(pDlg->IsEnded() ? 0u : pDlg->GetTemplateID());
}

TEST_F(DialogTest, StartsWithCaptionColumnsAndFocusOnSearchButton)
{
    EXPECT_STREQ("トルヴァン検索", dlg_.GetCaption());
    CListCtrl results(dlg_.GetDlgItem(IDC_RESULTS));
    struct Column {
        const char* heading;
        int format;
        int width;
    };
    const Column expected[] = {
        {"ファイル名", LVCFMT_LEFT, 100}, {"行", LVCFMT_RIGHT, 50}, {"見出し語", LVCFMT_LEFT, 100}, {"一致内容", LVCFMT_LEFT, 1000}};
    ASSERT_EQ(4, results.GetColumnCount());
    for (int i = 0; i < 4; ++i) {
        CString heading;
        int format = -1, width = 0;
        ASSERT_TRUE(results.GetColumn(i, heading, format, width));
        EXPECT_STREQ(expected[i].heading, heading) << i;
        EXPECT_EQ(expected[i].format, format) << i;
        EXPECT_EQ(expected[i].width, width) << i;
    }
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT), results.GetExtendedStyle());
    EXPECT_EQ(0, results.GetItemCount());
    for (int id : {IDC_REFDIR, IDC_HEADWORD, IDC_EXT, IDC_SEARCH_TEXT})
        EXPECT_STREQ("", dlg_.GetDlgItem(id).GetWindowText()) << id;
    EXPECT_EQ(IDOK, CWnd::GetFocus().GetDlgCtrlID());
    EXPECT_NE(nullptr, dlg_.m_hIcon);
    EXPECT_EQ(dlg_.m_hIcon, dlg_.m_hWnd->bigIcon);
    EXPECT_EQ(dlg_.m_hIcon, dlg_.m_hWnd->smallIcon);
}

TEST_F(DialogTest, RadioPairChecksOneAtATime)
{
    CButton on(dlg_.GetDlgItem(IDC_CASE_ON)), off(dlg_.GetDlgItem(IDC_CASE_OFF));
    CButton selectedOnly(dlg_.GetDlgItem(IDC_SELECTED_ONLY));
    struct Step {
        CButton* click;
        int on, off, selected;
    };
    const Step steps[] = {{&off, 0, 1, 0}, {&off, 0, 1, 0}, {&on, 1, 0, 0}, {&selectedOnly, 1, 0, 1},
                          {&off, 0, 1, 1}, {&selectedOnly, 0, 1, 0}};
    for (const Step& s : steps) {
        s.click->Click();
        EXPECT_EQ(s.on, on.GetCheck());
        EXPECT_EQ(s.off, off.GetCheck());
        EXPECT_EQ(s.selected, selectedOnly.GetCheck());
    }
}

TEST_F(DialogTest, ExitEndsTheDialogAndWritesNothing)
{
    dlg_.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\");
    CButton(dlg_.GetDlgItem(IDCANCEL)).Click();
    EXPECT_TRUE(dlg_.IsEnded());
    EXPECT_NE(0, ::access(SettingsFile().c_str(), F_OK));
}

TEST_F(DialogTest, SystemMenuEndsWithSeparatorEditorAndAboutEntries)
{
    CMenu menu = dlg_.GetSystemMenu(FALSE);
    int n = menu.GetMenuItemCount();
    ASSERT_GE(n, 3);
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), menu.m_hMenu->items[n - 3].flags);
    EXPECT_EQ(static_cast<UINT>(IDM_EDITOR), menu.GetMenuItemID(n - 2));
    EXPECT_STREQ("エディタの設定(&E)...", menu.GetMenuString(n - 2));
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), menu.GetMenuItemID(n - 1));
    EXPECT_STREQ("tolvane のﾊﾞｰｼﾞｮﾝ情報(&A)...", menu.GetMenuString(n - 1));
}

// The system keeps the low four bits of a command for itself.
TEST_F(DialogTest, SystemCommandsOpenTheAboutBoxAndTheEditorSettings)
{
    struct Case {
        UINT command;
        UINT opens;  // the dialog template, 0 for none
    };
    const Case cases[] = {{0x0010, IDD_ABOUTBOX}, {0x0011, IDD_ABOUTBOX}, {0x001F, IDD_ABOUTBOX}, {0x000F, 0},
                          {0x0020, IDD_EDITOR},   {0x002F, IDD_EDITOR},   {0x0030, 0},            {SC_MINIMIZE, 0},
                          {0xF010, 0}};
    AfxSetModalObserver(RecordModal);
    for (const Case& c : cases) {
        g_modalTemplates.clear();
        LRESULT result;
        BOOL handled = dlg_.DispatchToMessageMap(WM_SYSCOMMAND, c.command, 0, &result);
        EXPECT_EQ(c.opens ? std::vector<UINT>{c.opens} : std::vector<UINT>{}, g_modalTemplates) << std::hex << c.command;
        // Everything else goes on to the default window processing.
        EXPECT_EQ(c.opens != 0, handled != FALSE) << std::hex << c.command;
    }
}

TEST_F(DialogTest, WebSiteButtonOpensTheAddressItShowsAndStaysOpen)
{
    g_standinShellOpened = "";
    g_modalTemplates.clear();
    AfxSetModalObserver(PressWebSite);
    CAboutDlg about;
    about.DoModal();
    EXPECT_STREQ(kWebSiteAddress, g_standinShellOpened);
    EXPECT_EQ(std::vector<UINT>{IDD_ABOUTBOX}, g_modalTemplates);
}

TEST_F(DialogTest, MinimisedWindowDrawsItsIconCentredWithTruncatingDivision)
{
    struct Case {
        long width, height;
        int x, y;
    };
    const Case cases[] = {{36, 36, 2, 2}, {35, 35, 2, 2}, {37, 37, 3, 3}, {30, 30, 0, 0}, {29, 29, -1, -1},
                          {100, 40, 34, 4}};
    dlg_.m_hWnd->iconic = true;
    for (const Case& c : cases) {
        dlg_.m_hWnd->clientWidth = c.width;
        dlg_.m_hWnd->clientHeight = c.height;
        int erasures = dlg_.m_hWnd->iconErasures;
        LRESULT result;
        EXPECT_TRUE(dlg_.DispatchToMessageMap(WM_PAINT, 0, 0, &result));
        EXPECT_EQ(c.x, dlg_.m_hWnd->iconX) << c.width;
        EXPECT_EQ(c.y, dlg_.m_hWnd->iconY) << c.width;
        EXPECT_EQ(dlg_.m_hIcon, dlg_.m_hWnd->drawnIcon);
        EXPECT_EQ(erasures + 1, dlg_.m_hWnd->iconErasures);
    }
    // Not minimised: painting is left to the default processing.
    dlg_.m_hWnd->iconic = false;
    LRESULT result;
    EXPECT_FALSE(dlg_.DispatchToMessageMap(WM_PAINT, 0, 0, &result));
    EXPECT_TRUE(dlg_.DispatchToMessageMap(WM_QUERYDRAGICON, 0, 0, &result));
    EXPECT_EQ(reinterpret_cast<LRESULT>(dlg_.m_hIcon), result);
}

}  // namespace
