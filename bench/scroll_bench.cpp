// Scrolling the real results list through 500,000 rows with the marks drawn
// and without them, under Windows (by hand, never from ./test):
//   cmake --build build/win64 --target tolvane-scroll-bench
//   tools/wine-run.sh build/win64/tolvane-scroll-bench.exe [PAGES] [ROUNDS]
// The window searches one file of 500,000 matching lines; then, in turns,
// PAGES pages are scrolled down from the top with the list's marks and with
// none (ROUNDS times each), each page drawn before the next. Prints the median seconds of each
// and their ratio.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/panes.h"
#include "platform/probe_support.h"
#include "dialog/row_store.h"

namespace {

CWinApp g_app;

double ScrollSeconds(HWND hList, int nPages)
{
    ListView_EnsureVisible(hList, 0, FALSE);
    UpdateWindow(hList);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < nPages; ++i) {
        SendMessageW(hList, WM_VSCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(hList);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    int nPages = argc > 1 ? atoi(argv[1]) : 200, nRounds = argc > 2 ? atoi(argv[2]) : 5;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "tolvane-scroll-bench";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string file = dir + "\\r.txt";
    if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::string bytes;
        char line[64];
        for (int i = 0; i < 500000; ++i)
            bytes.append(line, static_cast<size_t>(snprintf(line, sizeof line, "line %d\tfoo bar foo baz\n", i)));
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(h);
    }
    ProbeAnswerMessageBoxes();
    CSearchDlg dlg;
    if (!dlg.Create())
        return 1;
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText(dir.c_str());
    dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("foo");
    CButton(dlg.GetDlgItem(IDOK)).Click();
    HWND hList = GetDlgItem(dlg.m_hWnd, IDC_RESULTS);
    CListCtrl list(dlg.GetDlgItem(IDC_RESULTS));
    // The dialog's own mark source, put back after each turn without marks.
    CListMarkSource* pSource = AfxListMarkSource(list);
    if (ListView_GetItemCount(hList) != 500000 || !pSource) {
        fprintf(stderr, "the search listed %d rows\n", ListView_GetItemCount(hList));
        return 1;
    }
    std::vector<double> with, without;
    ScrollSeconds(hList, nPages);  // warm-up
    // The two take turns, each first in every other round.
    for (int r = 0; r < 2 * nRounds; ++r) {
        bool bMarks = (r % 2 == 0) == ((r / 2) % 2 == 0);
        AfxSetListMarks(list, CRowStore::kText, bMarks ? pSource : nullptr);
        (bMarks ? with : without).push_back(ScrollSeconds(hList, nPages));
    }
    printf("scroll %d pages of %d rows: with marks %.3f s, without %.3f s, ratio %.2f\n", nPages,
           ListView_GetCountPerPage(hList), Median(with), Median(without), Median(with) / Median(without));
    dlg.DestroyWindow();
    return 0;
}
