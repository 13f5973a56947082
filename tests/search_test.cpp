// The search command through the dialog's controls: what the rows show, the case as typed, the file-name field,
// refusals and their message boxes, the progress bar, what arrives while a search or a replace runs, and sorting.
#include <unistd.h>

#include "tests/search_fixture.h"

namespace {

TEST_F(SearchTest, RowsOfOneFile)
{
    const struct {
        std::string bytes, search, headword;
        bool caseOn;
        std::vector<std::pair<std::string, std::string>> rows;  // the headword and text columns
    } cases[] = {
        {"abc\nABC\naBc\nxyz\n", "ABC", "", false, {{"", "abc"}, {"", "ABC"}, {"", "aBc"}}},  // typed upper
        {"abc\nABC\naBc\n", "ABC", "", true, {{"", "ABC"}}},
        {"Sec 1\nfoo\n", "foo", "SEC", false, {{"Sec 1", "foo"}}},
        {"Sec 1\nfoo\n", "foo", "SEC", true, {{"", "foo"}}},
        // Tabs widen to four blanks, but not in the headword nor as a trail byte.
        {"## a\tb\n\t\tx\ty\n", "x", "##", true, {{"## a\tb", "        x    y"}}},
        {"\x81\tx\n\x82\xa0\tx\n\x81\t\tx\n\x81\x81\tx\n\xb1\tx\n", "x", "", true,
         {{"", "\x81\tx"}, {"", "\x82\xa0    x"}, {"", "\x81\t    x"}, {"", "\x81\x81    x"}, {"", "\xb1    x"}}},
        {"", "foo", "", true, {}},
        {"foo\0bar\n"s, "foo", "", true, {{"", "foo"}}},
    };
    Click(IDC_SKIP_BINARY);  // a file with a NUL is read as text only with バイナリファイルを除く unticked
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        Put("a.txt", c.bytes);
        std::vector<Row> expected;
        for (const auto& r : c.rows)
            expected.emplace_back("\\a.txt", r.first, r.second);
        EXPECT_EQ(expected, Search("C:\\", c.search, c.headword, "", c.caseOn));
        EXPECT_EQ(std::vector{c.rows.empty() ? kNoMatchBox : CountBox(static_cast<int>(c.rows.size()))}, g_boxes);
        EXPECT_EQ(0, m_dlg->m_nHits);
        if (c.bytes.find('\0') == std::string::npos)
            continue;
        Click(IDC_SKIP_BINARY);
        EXPECT_EQ(std::vector<Row>{}, Search("C:\\", c.search, c.headword, "", c.caseOn));
        EXPECT_EQ((std::vector<Box>{{kResult, kNoMatch + "\nバイナリファイル 1 個を除外しました。"s, MB_OK}}), g_boxes);
        Click(IDC_SKIP_BINARY);
    }
}

TEST_F(SearchTest, ListTextsAreCutBetweenCharactersToTheBuffer)
{
    Put("a.txt", "ab\x95\x5c" "c\n");
    Search("C:\\", "ab");
    for (const auto& c : {std::pair{6, "ab\x95\x5c" "c"}, {5, "ab\x95\x5c"}, {4, "ab"}, {1, ""}}) {
        char buffer[8] = "zzzzzzz";
        NMLVDISPINFOA info = {};
        info.hdr = {Item(IDC_RESULTS).m_hWnd, IDC_RESULTS, LVN_GETDISPINFOA};
        info.item = {LVIF_TEXT, 0, CRowStore::kText, 0, 0, buffer, c.first};
        m_dlg->SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(c.second, buffer) << c.first;
    }
}

// Refusals and reports, the folder as Windows reads a typed path, and what each press leaves: settings written only
// for a search that starts, the search text on top of its list, the folder field as typed.
TEST_F(SearchTest, RefusalsAndReports)
{
    for (int i = 0; i < 12; ++i)
        Put("f" + std::to_string(i) + ".txt", "hit\n");
    for (const char* rel : {"docs/a.txt", "docsx.txt", "\x83\x5c/b.txt", "\x83\x5c" "x.txt"})  // ソ ends in 5C
        Put(rel, "hit\n");
    const std::string runaway = std::string(3000, 'a') + "b\n";
    Put("r/a.txt", runaway + "aaaa\n" + runaway);
    const Box noSearch = {"Error!", "検索文字列を指示してください", 0x10}, noFolder = {"Error!", "参照ディレクトリを指示してください", 0x10},
              missing = {"Error!", "参照ディレクトリが見つかりません。", 0x10},
              badPattern = {"Error!", "正規表現が正しくありません。\nend pattern with unmatched parenthesis", 0x10},
              badName = {"Error!", "正規表現が正しくありません。\nundefined name <無> reference", 0x10},
              gaveUp = {kResult, "1個一致しました。\n照合を打ち切った 2 行は一致なしとしました。", MB_OK};
    // The file column of a single row.
    const struct { std::string refdir, search; std::vector<Box> boxes; size_t nRows; std::string file; bool saved, regex = false; }
        cases[] = {
        {"", "", {noSearch, kNoMatchBox}, 0, "", false},  // only the first complaint
        {"", "hit", {noFolder, kNoMatchBox}, 0, "", false},
        {"C:\\", "", {noSearch, kNoMatchBox}, 0, "", false},
        {"C:\\", "hit", {CountBox(16)}, 16, "", true},
        {"C:\\", "absent", {kNoMatchBox}, 0, "", true},
        // A folder that is not there is no search that found nothing.
        {"C:\\nowhere\\", "hit", {missing, kNoMatchBox}, 0, "", false},
        {"nasi", "hit", {missing, kNoMatchBox}, 0, "", false},  // a field reading nasi is not empty
        {"C:\\f0.txt", "hit", {missing, kNoMatchBox}, 0, "", false},
        // The folder as Windows reads a typed path, with or without its last backslash.
        {"C:\\ ", "hit", {CountBox(16)}, 16, "", true},
        {"C:\\.", "hit", {CountBox(16)}, 16, "", true},
        {"C:/nowhere/..", "hit", {CountBox(16)}, 16, "", true},
        {"C:\\docs", "hit", {CountBox(1)}, 1, "\\a.txt", true}, {"C:\\docs. .", "hit", {CountBox(1)}, 1, "\\a.txt", true},
        {"C:\\\x83\x5c", "hit", {CountBox(1)}, 1, "\\b.txt", true},
        {"C:\\\x83\x5c\\", "hit", {CountBox(1)}, 1, "\\b.txt", true},
        // A pattern that does not compile is refused with the library's word.
        {"C:\\", "h(it", {badPattern, kNoMatchBox}, 0, "", false, true},
        {"C:\\", "(?<名>h)\\k<無>", {badName, kNoMatchBox}, 0, "", false, true},  // the message quotes it
        {"C:\\", "h.t$", {CountBox(16)}, 16, "", true, true},
        // Lines on which the library gives up do not match, and are counted.
        {"C:\\r", "^(a|aa)+$", {gaveUp}, 1, "\\a.txt", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("refdir '" + c.refdir + "' search '" + c.search + "'");
        Search("C:\\", "hit");  // rows from before, to be cleared by the next press
        RemoveSettings();
        if (c.regex)
            Click(IDC_REGEX);
        std::vector<Row> rows = Search(c.refdir, c.search);
        if (c.regex)
            Click(IDC_REGEX);
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_EQ(c.nRows, rows.size());
        EXPECT_EQ(c.file, rows.size() == 1 ? std::get<0>(rows[0]) : "");
        EXPECT_EQ(c.saved, access(SettingsFile().c_str(), F_OK) == 0) << "settings written";
        EXPECT_EQ(c.search, std::string(CComboBox(Item(IDC_SEARCH_TEXT)).GetLBText(0))) << "the text tops the list";
        EXPECT_EQ(c.refdir, std::string(Item(IDC_REFDIR).GetWindowText()));
        EXPECT_EQ(0, m_dlg->m_nHits);
    }
}

// The bar after a search that read LINES lines in all: range 0..80 from 1, step 10; what passes 80 is carried over to
// the bottom (71 + 10 gives 1), as measured on the common control.
TEST_F(SearchTest, ProgressAfterASearch)
{
    const struct { std::vector<std::string> files; int pos; } cases[] = {
        {{}, 1}, {{""}, 1}, {{"a\nb"}, 21},  // the last line needs no line end
        {{"1\n2\n3\n4\n5\n6\n7\n"}, 71}, {{"1\n2\n3\n4\n5\n6\n7\n8\n"}, 1},
        {{"1\n2\n3\n4\n", "5\r\n6\r\n7\r\n8\r\n9\r\n"}, 11},  // lines of all files count
        {{"\xFF\xFE" "1\0\n\0" "2\0\r\0\n\0"s}, 21},     // and of every encoding
        {{std::string(16, '\n')}, 1}, {{std::string(200003, '\n')}, 31},  // more lines than one read block holds
    };
    for (const auto& c : cases) {
        std::filesystem::create_directories(Host(std::to_string(&c - cases)));
        for (size_t i = 0; i < c.files.size(); ++i)
            Put(std::to_string(&c - cases) + "/f" + std::to_string(i), c.files[i]);
        Search("C:\\" + std::to_string(&c - cases), "never");
        EXPECT_EQ(c.pos, CProgressCtrl(Item(IDC_PROGRESS)).GetPos()) << testing::PrintToString(c.files).substr(0, 60);
    }
}

// What reaches the window while a search runs, delivered at the first look the search takes at the queue, before its
// first file, as another window's message or a key waiting in the queue would be.
enum Arrival { kEscQueued, kCloseSent, kSearchPressed, kEscThenClose };
Arrival g_arrival;
int g_nLooks;

TEST_F(SearchTest, WhatArrivesWhileASearchRuns)
{
    const struct { Arrival arrival; std::vector<Box> boxes; size_t nRows; bool bClosed; } cases[] = {
        {kEscQueued, {{kResult, "検索を中断しました。\n"s + kNoMatch, MB_OK}}, 0, false},
        {kCloseSent, {}, 0, true},
        {kSearchPressed, {CountBox(2), CountBox(2)}, 2, false},
        {kEscThenClose, {}, 0, true},
    };
    Put("a.txt", "one\n");
    Put("s/b.txt", "one\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arrival);
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
        RemoveSettings();
        Set(IDC_REFDIR, "C:\\");
        Set(IDC_SEARCH_TEXT, "one");
        g_boxes.clear();
        g_arrival = c.arrival;
        g_nLooks = 0;
        g_pfnStandinWhileBusy = [](CDialog* pDialog) {
            if (g_nLooks++ != 0)
                return;
            if (g_arrival == kEscQueued || g_arrival == kEscThenClose)
                g_standinQueuedEscapes.push_back(pDialog->GetDlgItem(IDC_SEARCH_TEXT).GetSafeHwnd());
            if (g_arrival == kCloseSent || g_arrival == kEscThenClose || g_arrival == kSearchPressed)
                pDialog->OnCommand(g_arrival == kSearchPressed ? IDOK : IDCANCEL, BN_CLICKED);
        };
        Click(IDOK);
        g_pfnStandinWhileBusy = nullptr;
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_TRUE(g_standinQueuedEscapes.empty());
        EXPECT_EQ(c.bClosed, m_dlg->IsEnded());
        EXPECT_TRUE(c.bClosed || (Rows().size() == c.nRows && m_dlg->m_nHits == 0));
        // The settings are written before the walk, the history after it, whichever way the search ended.
        std::string saved = ReadFile(SettingsFile());
        EXPECT_EQ(0u, saved.find("C:\\\r\n"));
        EXPECT_NE(std::string::npos, saved.find("\r\none\r\n"));
    }
}

// The same at the first look a replace takes, before its first file: Esc leaves every file as it was, a close closes
// the window once the job has returned, a search or a replace pressed meanwhile is dropped.
TEST_F(SearchTest, WhatArrivesWhileAReplaceRuns)
{
    ReplaceReport stopped, done;
    stopped.bStopped = true;
    done.nFiles = 2;
    done.nReplaced = 2;
    const Box ask = {"置換", "2 個のファイルの 2 行で置換します。よろしいですか？", MB_OKCANCEL | MB_ICONQUESTION};
    auto report = [](const ReplaceReport& r) { return Box{"置換結果", ReplaceReportText(r), MB_ICONINFORMATION}; };
    const struct { Arrival arrival; std::vector<Box> boxes; std::string text; size_t nRows; } cases[] = {
        {kEscQueued, {ask, report(stopped)}, "one\n", 0},
        {kCloseSent, {ask}, "one\n", 0},
        {kSearchPressed, {ask, report(done)}, "two\n", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arrival);
        Put("a.txt", "one\n");
        Put("s/b.txt", "one\n");
        Start();
        Search("C:\\", "one");
        Set(IDC_REPLACE_TEXT, "two");
        g_boxes.clear();
        g_arrival = c.arrival;
        g_nLooks = 0;
        g_pfnStandinWhileBusy = [](CDialog* pDialog) {
            if (g_nLooks++ != 0)
                return;
            if (g_arrival == kEscQueued)
                g_standinQueuedEscapes.push_back(pDialog->GetDlgItem(IDC_REPLACE).GetSafeHwnd());
            if (g_arrival == kCloseSent)
                pDialog->OnCommand(IDCANCEL, BN_CLICKED);
            if (g_arrival == kSearchPressed) {
                pDialog->OnCommand(IDOK, BN_CLICKED);
                pDialog->OnCommand(IDC_REPLACE, BN_CLICKED);
            }
        };
        Click(IDC_REPLACE);
        g_pfnStandinWhileBusy = nullptr;
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_EQ(c.text + c.text, ReadFile(Host("a.txt")) + ReadFile(Host("s/b.txt")));
        EXPECT_EQ(c.arrival == kCloseSent, m_dlg->IsEnded());
        EXPECT_TRUE(m_dlg->IsEnded() || Rows().size() == c.nRows);
    }
}

// A click on a header sorts the rows by its column (the order is the row store's) and shows its arrow; a new search
// shows the walk's order again, and a click while a search runs sorts once the rows are all there.
void ClickLineHeader(CDialog* pDialog)
{
    NMLISTVIEW header = {};
    header.hdr = {pDialog->GetDlgItem(IDC_RESULTS).m_hWnd, IDC_RESULTS, LVN_COLUMNCLICK};
    header.iSubItem = CRowStore::kLine;
    pDialog->SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&header));
}

TEST_F(SearchTest, HeaderClicksSortTheRows)
{
    Put("F1.txt", "x\nx\nx\nhit 4\n");
    Put("f2.txt", "x\nhit 2\n");
    Put("f10.txt", "hit 1\nx\nhit 3\n");
    auto texts = [this] {
        std::string out;
        for (const Row& r : Rows())
            out += std::get<2>(r).substr(4);
        return out;
    };
    Search("C:\\", "hit");
    const std::string walk = texts();
    ClickLineHeader(m_dlg.get());
    EXPECT_EQ("1234", texts());
    EXPECT_EQ(1, CListCtrl(Item(IDC_RESULTS)).GetSortArrow(CRowStore::kLine));
    Search("C:\\", "hit");
    EXPECT_EQ(walk, texts());
    EXPECT_EQ(0, CListCtrl(Item(IDC_RESULTS)).GetSortArrow(CRowStore::kLine));
    g_pfnStandinWhileBusy = ClickLineHeader;
    g_standinTickStepMs = 1000;
    Search("C:\\", "hit");
    g_standinTickStepMs = 0;
    g_pfnStandinWhileBusy = nullptr;
    EXPECT_EQ("1234", texts());
}

}  // namespace
