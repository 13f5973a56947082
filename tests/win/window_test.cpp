// The real main window under Windows controls: what a person sees at start,
// where the Tab key goes, and the progress bar's own stepping, which the
// search imitates without sending one message per line.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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
    CButton(dlg.GetDlgItem(IDC_REGEX)).Click();
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
