// The real windows under Windows controls at the display's scale (run at 96, 144 and 192 dpi).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/about_dlg.h"
#include "dialog/search_dlg.h"
#include "tests/win/win_support.h"

namespace {

CWinApp g_testApp;

std::wstring WideText(HWND hWnd)
{
    wchar_t buffer[512] = {};
    return std::wstring(buffer, std::max(0, GetWindowTextW(hWnd, buffer, 512)));
}

RECT RectInParent(HWND hCtl)
{
    RECT r;
    GetWindowRect(hCtl, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hCtl), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int Dpi() { return GetDeviceCaps(GetDC(nullptr), LOGPIXELSY); }

// Inside the dialog (if the screen holds it), on no control but a group box
// round it; a label or button as wide as its one-line text, which CP932 holds.
void ExpectTidy(HWND hDialog)
{
    RECT client, both, window;
    GetClientRect(hDialog, &client);
    GetWindowRect(hDialog, &window);
    bool bFits = window.right - window.left < GetSystemMetrics(SM_CXSCREEN) &&
                 window.bottom - window.top < GetSystemMetrics(SM_CYSCREEN);
    // A tree's style bits can read as BS_GROUPBOX: only a button is a group box.
    auto isGroupBoxRound = [](HWND hBox, const RECT& inner) {
        RECT box = RectInParent(hBox), both;
        wchar_t cls[16];
        GetClassNameW(hBox, cls, 16);
        return _wcsicmp(cls, L"Button") == 0 && (GetWindowLongW(hBox, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
               UnionRect(&both, &box, &inner) && EqualRect(&both, &box);
    };
    for (HWND h = GetWindow(hDialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        std::wstring text = WideText(h);
        SCOPED_TRACE(std::to_string(GetDlgCtrlID(h)) + " " + Cp932(text) + " at " + std::to_string(Dpi()) + " dpi");
        RECT r = RectInParent(h);
        EXPECT_TRUE(!bFits || (IntersectRect(&both, &r, &client) && EqualRect(&both, &r)));
        for (HWND hOther = GetWindow(h, GW_HWNDNEXT); hOther; hOther = GetWindow(hOther, GW_HWNDNEXT)) {
            RECT other = RectInParent(hOther);
            EXPECT_TRUE(!IntersectRect(&both, &r, &other) || isGroupBoxRound(h, other) || isGroupBoxRound(hOther, r))
                << "overlaps " << Cp932(WideText(hOther));
        }
        wchar_t cls[16];
        GetClassNameW(h, cls, 16);
        LONG style = GetWindowLongW(h, GWL_STYLE), type = style & BS_TYPEMASK;
        bool bStatic = _wcsicmp(cls, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
        bool bButton = _wcsicmp(cls, L"Button") == 0 && !(style & BS_MULTILINE);
        bool bCheck = bButton && (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON);
        if (text.empty() || !(bStatic || bCheck || (bButton && type <= BS_DEFPUSHBUTTON)))
            continue;
        EXPECT_EQ(std::string::npos, Cp932(text).find('?'));
        HDC hDC = GetDC(h);
        HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
        RECT extent = {};
        DrawTextW(hDC, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | (bStatic ? DT_NOPREFIX : 0));
        SelectObject(hDC, hOld);
        ReleaseDC(h, hDC);
        GetClientRect(h, &r);
        EXPECT_LE(extent.right, r.right - (bCheck ? MulDiv(13, Dpi(), 96) : 0));  // the box: 13 pixels at 96 dpi
    }
}

// Also made larger, the columns scaled, texts Japanese whatever the code page, and the progress bar's own stepping.
TEST(Window, EveryDialogAtTheDisplaysScale)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ExpectTidy(dlg.m_hWnd);
    RECT window;
    GetWindowRect(dlg.m_hWnd, &window);
    dlg.SizeAsUser(window.right - window.left + 150, window.bottom - window.top + 150);  // what moves clears what grows
    ExpectTidy(dlg.m_hWnd);
    const int widths[] = {100, 50, 100, 1000};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(MulDiv(widths[i], Dpi(), 96), ListView_GetColumnWidth(GetDlgItem(dlg.m_hWnd, IDC_RESULTS), i), 1);
    EXPECT_EQ(L"トルヴァン検索", WideText(dlg.m_hWnd));
    wchar_t text[64] = {};
    HMENU hMenu = GetSystemMenu(dlg.m_hWnd, FALSE);
    GetMenuStringW(hMenu, GetMenuItemCount(hMenu) - 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"tolvane のﾊﾞｰｼﾞｮﾝ情報(&A)...", text);
    CProgressCtrl bar(dlg.GetDlgItem(IDC_PROGRESS));
    bar.SetRange(0, 80);
    bar.SetPos(1);
    for (int n = 0; n <= 100; bar.StepIt(), ++n) {
        ProgressModel model;
        model.Reset(0, 80, 10, 1);
        model.Step(static_cast<uint64_t>(n));
        EXPECT_EQ(bar.GetPos(), model.Pos()) << n << " steps";
    }
    CAboutDlg about;
    CEditorDlg editor(EditorChoice(), &dlg);
    for (CDialog* pDialog : std::vector<CDialog*>{&about, &editor}) {
        ASSERT_TRUE(pDialog->Create());
        ExpectTidy(pDialog->m_hWnd);
        pDialog->DestroyWindow();
    }
    dlg.DestroyWindow();
}

// The list's place and distances to the edges, the exit button's, the font, a column, what does not stretch
// (a drop-down's closed height follows its font's rounded height, not the scale).
std::vector<long> Measures(HWND hDlg)
{
    HWND hList = GetDlgItem(hDlg, IDC_RESULTS);
    RECT client, list = RectInParent(hList), exit = RectInParent(GetDlgItem(hDlg, IDCANCEL));
    GetClientRect(hDlg, &client);
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(hDlg, IDOK, WM_GETFONT, 0, 0)), sizeof font, &font);
    std::vector<long> measures = {list.left, list.top, client.right - list.right, client.bottom - list.bottom,
                                  client.right - exit.right, exit.right - exit.left, font.lfHeight,
                                  static_cast<long>(SendMessageW(hList, LVM_GETCOLUMNWIDTH, 0, 0))};
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetDlgCtrlID(h) != IDC_RESULTS && GetDlgCtrlID(h) != IDC_TREE && GetDlgCtrlID(h) != IDC_SEARCH_TEXT &&
            GetDlgCtrlID(h) != IDC_ENCODING)
            measures.push_back(RectInParent(h).bottom - RectInParent(h).top);
    return measures;
}

// On a monitor of another scale, all grows by as much, and so does the smallest size.
TEST(Window, AnotherMonitorScaleRescalesTheWindow)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HWND hDlg = dlg.m_hWnd;
    RECT window;
    GetWindowRect(hDlg, &window);
    const long cx = window.right - window.left, cy = window.bottom - window.top;
    const std::vector<long> before = Measures(hDlg);
    const LRESULT nTreeRow = SendDlgItemMessageW(hDlg, IDC_TREE, TVM_GETITEMHEIGHT, 0, 0);
    const int nOld = Dpi();
    for (int nNew : {nOld * 5 / 4, nOld * 3 / 2}) {
        auto scaled = [&](long n) { return n * nNew / nOld; };
        RECT suggested = {window.left, window.top, window.left + scaled(cx), window.top + scaled(cy)};
        SendMessageW(hDlg, WM_DPICHANGED, MAKEWPARAM(nNew, nNew), reinterpret_cast<LPARAM>(&suggested));
        std::vector<long> now = Measures(hDlg);
        for (size_t i = 0; i < now.size(); ++i)
            EXPECT_NEAR(scaled(before[i]), now[i], i == 6 || i == 7 ? 1 : 3) << nNew << " dpi, measure " << i;
        EXPECT_GT(SendDlgItemMessageW(hDlg, IDC_TREE, TVM_GETITEMHEIGHT, 0, 0), nTreeRow) << nNew << " dpi";
        dlg.SizeAsUser(10, 10);
        RECT smallest;
        GetWindowRect(hDlg, &smallest);
        EXPECT_NEAR(scaled(cx), smallest.right - smallest.left, 3) << nNew << " dpi: not the first size";
        EXPECT_NEAR(scaled(cy), smallest.bottom - smallest.top, 3) << nNew << " dpi: not the first size";
        SendMessageW(hDlg, WM_DPICHANGED, MAKEWPARAM(nOld, nOld), reinterpret_cast<LPARAM>(&window));
    }
    dlg.DestroyWindow();
}

}  // namespace
