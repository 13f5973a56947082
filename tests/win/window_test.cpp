// The real windows under Windows controls at the display's scale (run at 96, 144 and 192 dpi).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/about_dlg.h"
#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
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
        if (!IsWindowVisible(h))
            continue;
        std::wstring text = WideText(h);
        SCOPED_TRACE(std::to_string(GetDlgCtrlID(h)) + " " + Cp932(text) + " at " + std::to_string(Dpi()) + " dpi");
        RECT r = RectInParent(h);
        EXPECT_TRUE(!bFits || (IntersectRect(&both, &r, &client) && EqualRect(&both, &r)));
        for (HWND hOther = GetWindow(h, GW_HWNDNEXT); hOther; hOther = GetWindow(hOther, GW_HWNDNEXT)) {
            RECT other = RectInParent(hOther);
            EXPECT_TRUE(!IsWindowVisible(hOther) || !IntersectRect(&both, &r, &other) || isGroupBoxRound(h, other) || isGroupBoxRound(hOther, r))
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

// Where along row Y of the window, from X0 to X1, the pixels are COLOUR: each run's start and width.
std::vector<std::pair<int, int>> Runs(HWND hWnd, int y, int x0, int x1, COLORREF colour)
{
    std::vector<std::pair<int, int>> runs;
    HDC hDC = GetDC(hWnd);
    for (int x = x0; x < x1; ++x) {
        if (GetPixel(hDC, x, y) != colour)
            continue;
        if (runs.empty() || runs.back().first + runs.back().second != x)
            runs.push_back({x, 0});
        ++runs.back().second;
    }
    ReleaseDC(hWnd, hDC);
    return runs;
}

int TextWidth(HWND hWnd, const wchar_t* text)
{
    HDC hDC = GetDC(hWnd);
    HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessageW(hWnd, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(hDC, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(hDC, hOld);
    ReleaseDC(hWnd, hDC);
    return size.cx;
}

// The marks of 一致内容 on the highlight colours over their characters, reversed in a selected row; the
// preview pane with the row's matches; the bar's drag kept in tolvane.ini at 96 dpi; the list taking the
// pane's room when it is hidden.
TEST(Window, MarksPreviewAndBarAsDrawn)
{
    DeleteFileW(BesideThisProgram(L"tolvane.ini").c_str());
    ProbeAnswerMessageBoxes();
    TempFolder root(L"tolvane-marks-");
    root.Put(L"a.txt", "x\nfoo and foo\n");
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText(root.Text().c_str());
    dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("foo");
    CButton(dlg.GetDlgItem(IDOK)).Click();
    HWND hDlg = dlg.m_hWnd, hList = GetDlgItem(hDlg, IDC_RESULTS), hPane = GetDlgItem(hDlg, IDC_PREVIEW);
    ASSERT_EQ(1, ListView_GetItemCount(hList));
    const int nFoo = TextWidth(hList, L"foo"), nGap = TextWidth(hList, L"foo and ");
    RECT cell, first;
    ListView_GetSubItemRect(hList, 0, 3, LVIR_BOUNDS, &cell);
    ListView_GetSubItemRect(hList, 0, 1, LVIR_BOUNDS, &first);
    for (bool bSelected : {false, true}) {
        SCOPED_TRACE(std::string(bSelected ? "selected" : "not selected") + " at " + std::to_string(Dpi()) + " dpi");
        if (bSelected) {
            SetFocus(hList);
            ListView_SetItemState(hList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        RedrawWindow(hList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        COLORREF mark = GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_HIGHLIGHT);
        std::vector<std::pair<int, int>> runs = Runs(hList, cell.top + 1, cell.left, cell.right, mark);
        ASSERT_EQ(2u, runs.size());
        EXPECT_NEAR(nFoo, runs[0].second, 1);
        EXPECT_NEAR(nFoo, runs[1].second, 1);
        EXPECT_NEAR(nGap, runs[1].first - runs[0].first, 1);
        EXPECT_LT(runs[0].first - cell.left, MulDiv(10, Dpi(), 96));
        // The row's other cells: wholly the selection's colour, or none of the mark's.
        std::vector<std::pair<int, int>> rest =
            Runs(hList, first.top + 1, first.left, first.right, GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(bSelected ? 1u : 0u, rest.size());
    }
    // The row's file around its line, its own line marked and its matches highlighted.
    CPreviewCtrl pane(dlg.GetDlgItem(IDC_PREVIEW));
    ASSERT_EQ(2u, pane.GetLines().size());
    EXPECT_TRUE(pane.GetLines()[1].bOwn);
    RedrawWindow(hPane, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(hPane, &client);
    const int nPaneFoo = TextWidth(hPane, L"foo");
    int nMarkedRows = 0;
    for (int y = 0; y < client.bottom; ++y) {
        std::vector<std::pair<int, int>> runs = Runs(hPane, y, MulDiv(12, Dpi(), 96), client.right, GetSysColor(COLOR_HIGHLIGHT));
        if (runs.size() == 2 && std::abs(runs[0].second - nPaneFoo) <= 1 && std::abs(runs[1].second - nPaneFoo) <= 1)
            ++nMarkedRows;
    }
    EXPECT_GT(nMarkedRows, 3);
    // The bar dragged up: the pane as much higher, the list as much lower, the height kept at 96 dpi.
    RECT list = RectInParent(hList), before = RectInParent(hPane);
    CSplitBar(dlg.GetDlgItem(IDC_PREVIEW_BAR)).DragAsUser(-MulDiv(40, Dpi(), 96));
    RECT after = RectInParent(hPane);
    EXPECT_EQ(before.bottom, after.bottom);
    EXPECT_NEAR(before.top - MulDiv(40, Dpi(), 96), after.top, 1);
    EXPECT_NEAR(list.bottom - MulDiv(40, Dpi(), 96), RectInParent(hList).bottom, 1);
    std::string ini = ReadBytes(BesideThisProgram(L"tolvane.ini"));
    size_t nAt = ini.find("PreviewHeight=");
    ASSERT_NE(std::string::npos, nAt);
    EXPECT_NEAR(MulDiv(after.bottom - after.top, 96, Dpi()), atoi(ini.c_str() + nAt + 14), 1);
    SendMessageW(hDlg, WM_SYSCOMMAND, IDM_PREVIEW, 0);
    EXPECT_FALSE(IsWindowVisible(hPane));
    EXPECT_EQ(after.bottom, RectInParent(hList).bottom);
    ExpectTidy(hDlg);
    dlg.DestroyWindow();
    AfxSetMessageBoxObserver(nullptr);
    for (const wchar_t* name : {L"tolvane.dat", L"tolvane.ini"})
        DeleteFileW(BesideThisProgram(name).c_str());
}

}  // namespace
