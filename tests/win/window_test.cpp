// The real main window under Windows controls: what a person sees at start,
// where the Tab key goes, and the progress bar's own stepping, which the
// search imitates without sending one message per line.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialog/about_dlg.h"
#include "dialog/search_dlg.h"
#include "platform/probe_support.h"

namespace {

CWinApp g_testApp;

TEST(Window, StartUpStateOnRealControls)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ProbePumpMessages();
    EXPECT_STREQ("トルヴァン検索", dlg.GetCaption());
    CListCtrl results(dlg.GetDlgItem(IDC_RESULTS));
    const char* headings[] = {"ファイル名", "行", "見出し語", "一致内容"};
    const int widths[] = {100, 50, 100, 1000};
    const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT, LVCFMT_LEFT};
    ASSERT_EQ(4, results.GetColumnCount());
    for (int i = 0; i < 4; ++i) {
        CString heading;
        int format = -1, width = 0;
        ASSERT_TRUE(results.GetColumn(i, heading, format, width));
        EXPECT_STREQ(headings[i], heading);
        EXPECT_EQ(formats[i], format & LVCFMT_JUSTIFYMASK);
        EXPECT_EQ(widths[i], width);
    }
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT), results.GetExtendedStyle());
    EXPECT_EQ(IDOK, CWnd::GetFocus().GetDlgCtrlID());
    EXPECT_EQ(dlg.m_hIcon, reinterpret_cast<HICON>(SendMessageA(dlg.m_hWnd, WM_GETICON, ICON_BIG, 0)));
    EXPECT_EQ(dlg.m_hIcon, reinterpret_cast<HICON>(SendMessageA(dlg.m_hWnd, WM_GETICON, ICON_SMALL, 0)));
    // Resizable and minimisable, not maximisable.
    LONG style = GetWindowLongA(dlg.m_hWnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    dlg.DestroyWindow();
}

std::wstring WideText(HWND hWnd)
{
    wchar_t buffer[512] = {};
    int n = GetWindowTextW(hWnd, buffer, 512);
    return std::wstring(buffer, n > 0 ? n : 0);
}

// What a screen reader or another program reads through the wide API is the
// Japanese text, whatever the system's code page.
TEST(Window, TextsReadThroughTheWideApi)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(L"トルヴァン検索", WideText(dlg.m_hWnd));
    const struct {
        int nID;
        const wchar_t* text;
    } controls[] = {{IDOK, L"検索スタート"}, {IDCANCEL, L"終了"}, {IDC_CASE_ON, L"区別する"},
                    {IDC_CASE_OFF, L"区別しない"}, {IDC_SELECTED_ONLY, L"選択フォルダのみ"},
                    {IDC_SKIP_BINARY, L"バイナリファイルを除く"}};
    for (const auto& c : controls)
        EXPECT_EQ(c.text, WideText(GetDlgItem(dlg.m_hWnd, c.nID))) << c.nID;
    std::vector<std::wstring> labels;
    for (HWND h = GetWindow(dlg.m_hWnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetDlgCtrlID(h) == -1 || GetDlgCtrlID(h) == 0xFFFF)
            labels.push_back(WideText(h));
    for (const wchar_t* label : {L"参照ディレクトリ", L"検索文字", L"見出し語", L"ファイル名", L"進行状況", L"除外フォルダ", L"大/小文字"})
        EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), label)) << labels.size();

    // And the font they are drawn in has the characters, even where the
    // template's face is not installed.
    HDC hDC = GetDC(dlg.m_hWnd);
    HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(dlg.m_hWnd, IDOK), WM_GETFONT, 0, 0)));
    WORD glyphs[3] = {};
    EXPECT_EQ(3u, GetGlyphIndicesW(hDC, L"検アｱ", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS));
    for (WORD glyph : glyphs)
        EXPECT_NE(0xFFFF, glyph);
    SelectObject(hDC, hOld);
    ReleaseDC(dlg.m_hWnd, hDC);

    HWND hTree = GetDlgItem(dlg.m_hWnd, IDC_TREE);
    wchar_t item[64] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(hTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    tv.pszText = item;
    tv.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(hTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
    EXPECT_STREQ(L"ﾏｲｺﾝﾋﾟｭｰﾀ", item);
    HWND hList = GetDlgItem(dlg.m_hWnd, IDC_RESULTS);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = item;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(hList, LVM_GETCOLUMNW, 3, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(L"一致内容", item);
    dlg.DestroyWindow();
}

RECT RectInParent(HWND hCtl)
{
    RECT r;
    GetWindowRect(hCtl, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hCtl), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window moved to a monitor of another scale: everything in it grows by
// as much, and a later resize or the smallest size keep to the new scale.
TEST(Window, AnotherMonitorScaleRescalesTheWindow)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HWND hDlg = dlg.m_hWnd, hList = GetDlgItem(hDlg, IDC_RESULTS), hTree = GetDlgItem(hDlg, IDC_TREE);
    RECT window, client, list = RectInParent(hList), exit = RectInParent(GetDlgItem(hDlg, IDCANCEL));
    GetWindowRect(hDlg, &window);
    GetClientRect(hDlg, &client);
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(hDlg, IDOK), WM_GETFONT, 0, 0)), sizeof font, &font);
    int nColumn = static_cast<int>(SendMessageW(hList, LVM_GETCOLUMNWIDTH, 0, 0));
    int nTreeRow = static_cast<int>(SendMessageW(hTree, TVM_GETITEMHEIGHT, 0, 0));
    const int nOld = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY);
    // 125 % and 150 % of the scale it starts at, so the window stays within the screen.
    for (int nNew : {nOld * 5 / 4, nOld * 3 / 2}) {
        auto scaled = [&](long n) { return n * nNew / nOld; };
        RECT suggested = {window.left, window.top, window.left + scaled(window.right - window.left),
                          window.top + scaled(window.bottom - window.top)};
        SendMessageW(hDlg, WM_DPICHANGED, MAKEWPARAM(nNew, nNew), reinterpret_cast<LPARAM>(&suggested));
        // Places from the top left, and distances from the right and bottom
        // edges, of a client area the system may have made a little larger.
        RECT now = RectInParent(hList), nowExit = RectInParent(GetDlgItem(hDlg, IDCANCEL)), nowClient;
        GetClientRect(hDlg, &nowClient);
        const long pairs[][2] = {{list.left, now.left},
                                 {list.top, now.top},
                                 {client.right - list.right, nowClient.right - now.right},
                                 {client.bottom - list.bottom, nowClient.bottom - now.bottom},
                                 {client.right - exit.right, nowClient.right - nowExit.right},
                                 {exit.right - exit.left, nowExit.right - nowExit.left}};
        for (size_t i = 0; i < sizeof pairs / sizeof pairs[0]; ++i)
            EXPECT_NEAR(scaled(pairs[i][0]), pairs[i][1], 3) << nNew << " dpi, measure " << i;
        LOGFONTW nowFont = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(hDlg, IDOK), WM_GETFONT, 0, 0)), sizeof nowFont,
                   &nowFont);
        EXPECT_NEAR(scaled(font.lfHeight), nowFont.lfHeight, 1) << nNew << " dpi";
        EXPECT_NEAR(scaled(nColumn), SendMessageW(hList, LVM_GETCOLUMNWIDTH, 0, 0), 1) << nNew << " dpi";
        EXPECT_GT(SendMessageW(hTree, TVM_GETITEMHEIGHT, 0, 0), nTreeRow) << nNew << " dpi";
        // Made larger, the list takes the room and the buttons keep their distance from the edge.
        dlg.SizeAsUser(suggested.right - suggested.left + 100, suggested.bottom - suggested.top + 80);
        RECT larger = RectInParent(hList), largerExit = RectInParent(GetDlgItem(hDlg, IDCANCEL)), largerClient;
        GetClientRect(hDlg, &largerClient);
        EXPECT_NEAR(scaled(client.right - list.right), largerClient.right - larger.right, 3) << nNew << " dpi";
        EXPECT_NEAR(scaled(client.right - exit.right), largerClient.right - largerExit.right, 3) << nNew << " dpi";
        // The smallest size is the first size, at the new scale.
        dlg.SizeAsUser(10, 10);
        RECT smallest;
        GetWindowRect(hDlg, &smallest);
        EXPECT_NEAR(scaled(window.right - window.left), smallest.right - smallest.left, 3) << nNew << " dpi";
        EXPECT_NEAR(scaled(window.bottom - window.top), smallest.bottom - smallest.top, 3) << nNew << " dpi";
        // Back to where it started, for the next scale.
        SendMessageW(hDlg, WM_DPICHANGED, MAKEWPARAM(nOld, nOld), reinterpret_cast<LPARAM>(&window));
    }
    dlg.DestroyWindow();
}

// A text typed into a field reaches the program as CP932; a character CP932
// lacks becomes "?", whatever the system's code page.
TEST(Window, TypedTextReachesTheProgramAsCp932)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const struct {
        const wchar_t* typed;
        const char* read;
    } cases[] = {
        {L"検索", "検索"}, {L"ｶﾅ and ①～", "ｶﾅ and ①～"}, {L"a€b", "a?b"}, {L"丂x", "?x"}, {L"", ""},
        // Beyond the first 65,536 characters: one "?" for each of its two UTF-16 halves.
        {L"😀", "??"},
    };
    for (int nID : {IDC_SEARCH_TEXT, IDC_REFDIR}) {
        for (const auto& c : cases) {
            SetWindowTextW(GetDlgItem(dlg.m_hWnd, nID), c.typed);
            EXPECT_STREQ(c.read, dlg.GetDlgItem(nID).GetWindowText()) << nID;
        }
    }
    dlg.DestroyWindow();
}

// Each label, check box and button is as wide as its text in the font it
// is drawn with, at whatever scale the display has.
void ExpectNoTextCut(HWND hDialog)
{
    int nDpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY);
    for (HWND h = GetWindow(hDialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        wchar_t cls[16];
        GetClassNameW(h, cls, 16);
        LONG style = GetWindowLongW(h, GWL_STYLE);
        LONG type = style & BS_TYPEMASK;
        bool bStatic = _wcsicmp(cls, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
        bool bCheck = _wcsicmp(cls, L"Button") == 0 && (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON);
        bool bPush = _wcsicmp(cls, L"Button") == 0 && type <= BS_DEFPUSHBUTTON;
        std::wstring text = WideText(h);
        if ((!bStatic && !bCheck && !bPush) || (style & BS_MULTILINE) || text.empty())
            continue;
        HDC hDC = GetDC(h);
        HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
        RECT extent = {};
        DrawTextW(hDC, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE | (bStatic ? DT_NOPREFIX : 0));
        SelectObject(hDC, hOld);
        ReleaseDC(h, hDC);
        RECT client;
        GetClientRect(h, &client);
        // The check box itself takes 13 pixels at 96 dpi.
        long nRoom = client.right - (bCheck ? MulDiv(13, nDpi, 96) : 0);
        EXPECT_LE(extent.right, nRoom) << "control " << GetDlgCtrlID(h) << " at " << nDpi << " dpi";
    }
}

TEST(Window, NoLabelIsCut)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ExpectNoTextCut(dlg.m_hWnd);
    dlg.DestroyWindow();
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    ExpectNoTextCut(about.m_hWnd);
    about.DestroyWindow();
}

TEST(Window, TabVisitsControlsInTemplateOrderSkippingRadiosAndLabels)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const std::vector<int> expected = {IDCANCEL, IDC_TREE,          IDC_RESULTS, IDC_REFDIR,      IDC_HEADWORD, IDC_EXT,
                                       IDC_SELECTED_ONLY, IDC_EXCLUDE, IDC_SKIP_BINARY, IDC_REGEX, IDC_WHOLE_WORD,
                                       IDC_SEARCH_TEXT, IDOK};
    std::vector<int> visited;
    HWND hCtl = GetDlgItem(dlg.m_hWnd, IDOK);
    for (size_t i = 0; i < expected.size() + 2 && (visited.empty() || visited.back() != IDOK); ++i) {
        hCtl = GetNextDlgTabItem(dlg.m_hWnd, hCtl, FALSE);
        ASSERT_NE(nullptr, hCtl);
        int id = GetDlgCtrlID(hCtl);
        // Wine's dialog manager also stops on the checked radio button of a
        // group; the template gives the radio buttons no tab stop.
        if ((id == IDC_CASE_ON || id == IDC_CASE_OFF) && IsDlgButtonChecked(dlg.m_hWnd, id))
            continue;
        visited.push_back(id);
    }
    EXPECT_EQ(expected, visited);
    dlg.DestroyWindow();
}

TEST(Window, ControlStepsAsTheSearchCountsThem)
{
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    CProgressCtrl bar(dlg.GetDlgItem(IDC_PROGRESS));
    const int counts[] = {0, 1, 7, 8, 9, 17, 23, 64, 100};
    for (int n : counts) {
        bar.SetRange(0, 80);
        bar.SetPos(1);
        for (int i = 0; i < n; ++i)
            bar.StepIt();
        ProgressModel model;
        model.Reset(0, 80, 10, 1);
        model.Step(static_cast<uint64_t>(n));
        EXPECT_EQ(bar.GetPos(), model.Pos()) << n << " steps";
    }
    dlg.DestroyWindow();
}

// The real list asks for the texts it shows, and a click on a header sorts
// the rows and shows the arrow there.
TEST(Window, HeaderClicksSortTheRealList)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"tolvane-sort-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::pair<const wchar_t*, const char*> files[] = {
        {L"F1.txt", "x\nx\nx\nhit c\n"}, {L"f2.txt", "x\nhit a\n"}, {L"f10.txt", "hit b\nx\nhit B\n"}};
    for (const auto& f : files) {
        HANDLE h = CreateFileW((dir + L"\\" + f.first).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(h, f.second, static_cast<DWORD>(strlen(f.second)), &written, nullptr);
        CloseHandle(h);
    }
    ProbeAnswerMessageBoxes();
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText(std::string(dir.begin(), dir.end()).c_str());
    dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("hit");
    CButton(dlg.GetDlgItem(IDOK)).Click();
    CListCtrl list(dlg.GetDlgItem(IDC_RESULTS));
    ASSERT_EQ(4, list.GetItemCount());
    const struct {
        int column;
        std::vector<std::string> texts;
        int arrow;
    } clicks[] = {
        {CRowStore::kFile, {"hit c", "hit a", "hit b", "hit B"}, 1},
        {CRowStore::kFile, {"hit b", "hit B", "hit a", "hit c"}, -1},
        {CRowStore::kLine, {"hit b", "hit a", "hit B", "hit c"}, 1},
        {CRowStore::kText, {"hit a", "hit b", "hit B", "hit c"}, 1},
    };
    for (const auto& c : clicks) {
        NMLISTVIEW header = {};
        header.hdr.hwndFrom = list.m_hWnd;
        header.hdr.idFrom = IDC_RESULTS;
        header.hdr.code = LVN_COLUMNCLICK;
        header.iSubItem = c.column;
        dlg.SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&header));
        std::vector<std::string> shown;
        for (int i = 0; i < list.GetItemCount(); ++i)
            shown.push_back(std::string(list.GetItemText(i, CRowStore::kText)));
        EXPECT_EQ(c.texts, shown) << c.column;
        for (int nCol = 0; nCol <= CRowStore::kText; ++nCol)
            EXPECT_EQ(nCol == c.column ? c.arrow : 0, list.GetSortArrow(nCol)) << c.column << " " << nCol;
    }
    dlg.DestroyWindow();
    for (const auto& f : files)
        DeleteFileW((dir + L"\\" + f.first).c_str());
    RemoveDirectoryW(dir.c_str());
}

std::vector<std::string> g_boxTexts;
std::chrono::steady_clock::time_point g_boxOpened;
void RecordBoxText(const char*, const char* text, UINT)
{
    g_boxTexts.push_back(text);
    g_boxOpened = std::chrono::steady_clock::now();
}

// A pattern that backtracks without end on every line: each line is given
// up on in tens of milliseconds, and an Esc pressed meanwhile ends the
// search within half a second, in the middle of the file.
TEST(Window, EscStopsARunawayPatternInTheMiddleOfAFile)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"tolvane-runaway-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += std::string(3000, 'a') + "b\r\n";
    std::wstring file = dir + L"\\a.txt";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);

    ProbeAnswerMessageBoxes();
    g_boxTexts.clear();
    AfxSetMessageBoxObserver(RecordBoxText);
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText(std::string(dir.begin(), dir.end()).c_str());
    dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("^(a|aa)+$");
    CButton(dlg.GetDlgItem(IDC_REGEX)).SetCheck(BST_CHECKED);  // whatever an earlier run saved
    HWND hDialog = dlg.m_hWnd;
    auto pressed = std::chrono::steady_clock::now();
    std::thread esc([hDialog, &pressed] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        pressed = std::chrono::steady_clock::now();
        PostMessageW(GetDlgItem(hDialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    CButton(dlg.GetDlgItem(IDOK)).Click();
    esc.join();
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(g_boxOpened - pressed).count();
    EXPECT_LE(ms, 500) << "the search went on after Esc";
    ASSERT_EQ(1u, g_boxTexts.size());
    const std::string& box = g_boxTexts[0];
    EXPECT_EQ(0u, box.find("検索を中断しました。\n検索文字列は見つかりませんでした。\n照合を打ち切った ")) << box;
    const char kGaveUp[] = "照合を打ち切った ";
    int nGaveUp = std::atoi(box.c_str() + box.find(kGaveUp) + std::strlen(kGaveUp));
    EXPECT_GT(nGaveUp, 0);
    EXPECT_LT(nGaveUp, 400) << "Esc was seen only at the end of the file";
    AfxSetMessageBoxObserver(nullptr);
    dlg.DestroyWindow();
    DeleteFileW(file.c_str());
    RemoveDirectoryW(dir.c_str());
}

}  // namespace
