// The main window as it starts and ends, its system menu, the about box and
// the minimised window, in the native build's in-memory controls.
#include "dialog/about_dlg.h"
#include "tests/dialog_fixture.h"

namespace {

class DialogTest : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        Start();
    }
    bool Dispatch(UINT nMessage, WPARAM w = 0) { return m_dlg->DispatchToMessageMap(nMessage, w, 0, &m_result); }
    LRESULT m_result = 0;
};
std::vector<UINT> g_modalTemplates;

TEST_F(DialogTest, StartsWithCaptionColumnsAndFocusAndExitWritesNothing)
{
    EXPECT_STREQ("トルヴァン検索", m_dlg->GetCaption());
    CListCtrl results(Item(IDC_RESULTS));
    Lines columns;  // heading, format (0 left, 1 right), width
    for (int i = 0; i < results.GetColumnCount(); ++i) {
        CString heading;
        int format = -1, width = 0;
        results.GetColumn(i, heading, format, width);
        columns.push_back(std::string(heading) + " " + std::to_string(format) + " " + std::to_string(width));
    }
    EXPECT_EQ((Lines{"ファイル名 0 100", "行 1 50", "見出し語 0 100", "一致内容 0 1000"}), columns);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT), results.GetExtendedStyle());
    EXPECT_EQ(IDOK, CWnd::GetFocus().GetDlgCtrlID());
    EXPECT_NE(nullptr, m_dlg->m_hIcon);
    EXPECT_EQ(m_dlg->m_hIcon, m_dlg->m_hWnd->bigIcon);
    EXPECT_EQ(m_dlg->m_hIcon, m_dlg->m_hWnd->smallIcon);
    Set(IDC_REFDIR, "C:\\");
    Click(IDCANCEL);
    EXPECT_TRUE(m_dlg->IsEnded());
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
}

// The system keeps the low four bits of a command for itself; everything else goes on to the default window processing.
TEST_F(DialogTest, SystemMenuOpensTheEditorSettingsAndTheAboutBox)
{
    CMenu menu = m_dlg->GetSystemMenu(FALSE);
    int n = menu.GetMenuItemCount();
    ASSERT_GE(n, 7);
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), menu.m_hMenu->items[n - 7].flags);
    EXPECT_EQ(static_cast<UINT>(IDM_UNDO), menu.GetMenuItemID(n - 6));
    EXPECT_STREQ("元に戻す(&U)", menu.GetMenuString(n - 6));
    EXPECT_EQ(static_cast<UINT>(IDM_SAVE_ROWS), menu.GetMenuItemID(n - 5));
    EXPECT_STREQ("結果を保存(&S)...", menu.GetMenuString(n - 5));
    // The preview is shown until it is hidden, and its item says which.
    EXPECT_EQ(static_cast<UINT>(IDM_PREVIEW), menu.GetMenuItemID(n - 4));
    EXPECT_STREQ("プレビューを表示(&P)", menu.GetMenuString(n - 4));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), menu.GetMenuState(n - 4));
    EXPECT_TRUE(Dispatch(WM_SYSCOMMAND, IDM_PREVIEW));
    EXPECT_EQ(static_cast<UINT>(MF_UNCHECKED), menu.GetMenuState(n - 4));
    EXPECT_EQ(static_cast<UINT>(IDM_EXPLORER), menu.GetMenuItemID(n - 3));
    EXPECT_EQ(static_cast<UINT>(IDM_EDITOR), menu.GetMenuItemID(n - 2));
    EXPECT_STREQ("エディタの設定(&E)...", menu.GetMenuString(n - 2));
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), menu.GetMenuItemID(n - 1));
    EXPECT_STREQ("tolvane のﾊﾞｰｼﾞｮﾝ情報(&A)...", menu.GetMenuString(n - 1));
    const UINT cases[][2] = {{0x0010, IDD_ABOUTBOX}, {0x0011, IDD_ABOUTBOX}, {0x001F, IDD_ABOUTBOX}, {0x000F, 0},
                             {0x0020, IDD_EDITOR}, {0x002F, IDD_EDITOR}, {0x0040, 0}, {SC_MINIMIZE, 0}, {0xF010, 0}};
    AfxSetModalObserver([](CDialog* pDlg) { g_modalTemplates.push_back(pDlg->GetTemplateID()); });
    for (const auto& c : cases) {  // the command, the dialog template it opens (0: none)
        g_modalTemplates.clear();
        EXPECT_EQ(c[1] != 0, Dispatch(WM_SYSCOMMAND, c[0])) << std::hex << c[0];
        EXPECT_EQ(c[1] ? std::vector<UINT>{c[1]} : std::vector<UINT>{}, g_modalTemplates) << std::hex << c[0];
    }
    // The web site button of the about box opens the address it shows, and the box stays open.
    g_modalTemplates.clear();
    AfxSetModalObserver([](CDialog* pDlg) {
        CButton(pDlg->GetDlgItem(IDC_WEBSITE)).Click();
        g_modalTemplates.push_back(pDlg->IsEnded() ? 0u : pDlg->GetTemplateID());
    });
    g_standinShellOpened = "";
    Dispatch(WM_SYSCOMMAND, IDM_ABOUTBOX);
    EXPECT_STREQ(kWebSiteAddress, g_standinShellOpened);
    EXPECT_EQ(std::vector<UINT>{IDD_ABOUTBOX}, g_modalTemplates);
}

// Centred with truncating division, on a background erased once per paint.
TEST_F(DialogTest, MinimisedWindowDrawsItsIconCentred)
{
    const int cases[][4] = {{36, 36, 2, 2}, {35, 35, 2, 2}, {37, 37, 3, 3}, {30, 30, 0, 0}, {29, 29, -1, -1},
                            {100, 40, 34, 4}};  // client width and height, icon x and y
    HWND h = m_dlg->m_hWnd;
    h->iconic = true;
    for (const auto& c : cases) {
        h->clientWidth = c[0];
        h->clientHeight = c[1];
        int erasures = h->iconErasures;
        EXPECT_TRUE(Dispatch(WM_PAINT));
        EXPECT_EQ((std::vector<int>{c[2], c[3], erasures + 1}), (std::vector<int>{h->iconX, h->iconY, h->iconErasures}))
            << c[0];
        EXPECT_EQ(m_dlg->m_hIcon, h->drawnIcon);
    }
    h->iconic = false;
    EXPECT_FALSE(Dispatch(WM_PAINT)) << "not minimised: left to the default processing";
    EXPECT_TRUE(Dispatch(WM_QUERYDRAGICON));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg->m_hIcon), m_result);
}

// The pane below the list keeps its height as the window grows and the list takes the rest; a drag on
// the bar sets it, never past what the list keeps, and the next start has it; hidden, the list takes
// the pane's room. Heights at 96 dpi, bar 5, pane 110 at first, the list keeping 80.
TEST_F(DialogTest, PreviewPaneSharesTheListsRoomByTheBar)
{
    auto place = [&](int id) {
        RECT r;
        Item(id).GetRectInParent(&r);
        return std::vector<long>{r.top, r.bottom};
    };
    const long top = place(IDC_RESULTS)[0], bottom = place(IDC_PREVIEW)[1];
    EXPECT_EQ((std::vector<long>{top, bottom - 115, bottom - 110, bottom}),
              (std::vector<long>{place(IDC_RESULTS)[0], place(IDC_RESULTS)[1], place(IDC_PREVIEW)[0], bottom}));
    m_dlg->m_hWnd->clientHeight += 100;
    EXPECT_TRUE(m_dlg->DispatchToMessageMap(WM_SIZE, SIZE_RESTORED,
                                            MAKELPARAM(m_dlg->m_hWnd->clientWidth, m_dlg->m_hWnd->clientHeight), &m_result));
    EXPECT_EQ((std::vector<long>{bottom + 100 - 110, bottom + 100}), place(IDC_PREVIEW));
    CSplitBar bar(Item(IDC_PREVIEW_BAR));
    const int drags[][2] = {{-30, 140}, {50, 90}, {-10000, static_cast<int>(100 + bottom - top - 5 - 80)}, {10000, 24}};
    for (const auto& d : drags) {
        bar.DragAsUser(d[0]);
        EXPECT_EQ((std::vector<long>{bottom + 100 - d[1], bottom + 100}), place(IDC_PREVIEW)) << d[0];
        EXPECT_EQ(bottom + 100 - d[1] - 5, place(IDC_RESULTS)[1]) << d[0];
    }
    bar.DragAsUser(-36);
    Start();
    EXPECT_EQ((std::vector<long>{bottom - 60, bottom}), place(IDC_PREVIEW));
    EXPECT_TRUE(Dispatch(WM_SYSCOMMAND, IDM_PREVIEW));
    EXPECT_FALSE(Item(IDC_PREVIEW).IsWindowVisible());
    EXPECT_FALSE(Item(IDC_PREVIEW_BAR).IsWindowVisible());
    EXPECT_EQ(bottom, place(IDC_RESULTS)[1]);
}

// Made larger, the tree grows down and 文字コード below it keeps its distance from the bottom, clear of the tree.
TEST_F(DialogTest, WhatLiesBelowTheTreeMovesDownAsTheTreeGrows)
{
    RECT window, tree, before, after;
    m_dlg->GetWindowRect(&window);
    Item(IDC_ENCODING).GetRectInParent(&before);
    m_dlg->SizeAsUser(window.right - window.left + 150, window.bottom - window.top + 100);
    Item(IDC_ENCODING).GetRectInParent(&after);
    Item(IDC_TREE).GetRectInParent(&tree);
    EXPECT_EQ((std::vector<long>{before.left, before.top + 100, before.right, before.bottom + 100}),
              (std::vector<long>{after.left, after.top, after.right, after.bottom}));
    EXPECT_LT(tree.bottom, after.top);
}

}  // namespace
