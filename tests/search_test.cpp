// The search command through the dialog's controls: rows, headwords, case,
// tabs, line ends, long lines, the file-name field, refusals and their
// message boxes, and the progress bar.
#include "tests/search_fixture.h"

namespace {

TEST_F(SearchTest, RowsOfOneFile)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string search, headword;
        bool caseOn;
        std::vector<std::pair<std::string, std::string>> rows;  // column 1, column 2
    };
    const Case cases[] = {
        {"headword lines", "## one\nfoo\n## two\nfoo bar\n", "foo", "##", true, {{"## one", "foo"}, {"## two", "foo bar"}}},
        {"match before the first headword", "foo 1\n## h\nfoo 2\n", "foo", "##", true, {{"", "foo 1"}, {"## h", "foo 2"}}},
        {"own headword, tabs kept there", "x\n## foo\tbar\n", "foo", "##", true, {{"## foo\tbar", "## foo    bar"}}},
        {"empty marker", "## foo\n", "foo", "", true, {{"", "## foo"}}},
        {"blind keeps the case shown", "xABCx\n", "abc", "", false, {{"", "xABCx"}}},
        {"sensitive", "xABCx\n", "abc", "", true, {}},
        {"typed upper, blind", "abc\nABC\naBc\nxyz\n", "ABC", "", false, {{"", "abc"}, {"", "ABC"}, {"", "aBc"}}},
        {"typed upper, sensitive", "abc\nABC\naBc\n", "ABC", "", true, {{"", "ABC"}}},
        {"marker folded when blind", "SEC 1\nfoo\n", "foo", "sec", false, {{"SEC 1", "foo"}}},
        {"marker sensitive", "SEC 1\nfoo\n", "foo", "sec", true, {{"", "foo"}}},
        {"a is no trail byte of \x83\x41", "\x83\x41\n", "a", "", false, {}},
        {"A is no trail byte of \x83\x41", "\x83\x41\n", "A", "", true, {}},
        {"A after \x83\x41, blind", "\x83\x41" "A\n", "a", "", false, {{"", "\x83\x41" "A"}}},
        {"no match from a trail byte on", "\x83\x41\x83\x41\n", "\x41\x83", "", true, {}},
        {"full-width letters fold", "\x82\x60\n", "\x82\x81", "", false, {{"", "\x82\x60"}}},
        {"backslash is no trail byte of \x83\x5c", "\x83\x5c\nC:\\dir\n", "\\", "", true, {{"", "C:\\dir"}}},
        {"marker is no trail byte", "\x83\x5c foo\n", "foo", "\\", true, {{"", "\x83\x5c foo"}}},
        {"double-byte search text", "データ検索\n検\n", "検索", "", true, {{"", "データ検索"}}},
        {"tabs widen to four blanks", "a\tb x\n\t\tx\n", "x", "", true, {{"", "a    b x"}, {"", "        x"}}},
        {"09 after a lead byte is its trail", "\x81\tx\n", "x", "", true, {{"", "\x81\tx"}}},
        {"tab after a whole character widens", "\x82\xa0\tx\n", "x", "", true, {{"", "\x82\xa0    x"}}},
        {"lead byte, trail tab, then a tab", "\x81\t\tx\n", "x", "", true, {{"", "\x81\t    x"}}},
        {"trail 81 is no lead of the tab", "\x81\x81\tx\n", "x", "", true, {{"", "\x81\x81    x"}}},
        {"single-byte kana before a tab", "\xb1\tx\n", "x", "", true, {{"", "\xb1    x"}}},
        {"CR LF, LF, no final line end", "foo 1\r\nfoo 2\nfoo 3", "foo", "", true, {{"", "foo 1"}, {"", "foo 2"}, {"", "foo 3"}}},
        {"a CR inside a line stays", "foo\rbar\r\n", "foo", "", true, {{"", "foo\rbar"}}},
        {"empty file", "", "foo", "", true, {}},
        {"empty lines", "\n\r\n\nfoo\n", "foo", "", true, {{"", "foo"}}},
        {"shown up to a NUL", "foo\0bar\n"s, "foo", "", true, {{"", "foo"}}},
        {"searched up to a NUL", "foo\0bar\nbar\n"s, "bar", "", true, {{"", "bar"}}},
        {"marker after a NUL", "x\0##\nfoo\n"s, "foo", "##", true, {{"", "foo"}}},
        {"lone lead byte ends its line", "x\x83\nAbc\n", "A", "", true, {{"", "Abc"}}},
        {"search text ending in a lead byte", "x\x83\x41\nx\x83\n", "x\x83", "", true, {{"", "x\x83"}}},
        {"search text ending in a lead byte, blind", "X\x83\x41\nX\x83\n", "x\x83", "", false, {{"", "X\x83"}}},
    };
    // A file with a NUL is read as text only with バイナリファイルを除く unticked.
    Click(IDC_SKIP_BINARY);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put("a.txt", c.bytes);
        std::vector<Row> expected;
        for (const auto& r : c.rows)
            expected.emplace_back("\\a.txt", r.first, r.second);
        EXPECT_EQ(expected, Search("C:\\", c.search, c.headword, "", c.caseOn));
        EXPECT_EQ(std::vector<Box>{c.rows.empty() ? kNoMatchBox : CountBox(static_cast<int>(c.rows.size()))}, g_boxes);
        EXPECT_EQ(0, m_dlg->m_nHits);
        if (c.bytes.find('\0') == std::string::npos)
            continue;
        Click(IDC_SKIP_BINARY);
        EXPECT_EQ(std::vector<Row>{}, Search("C:\\", c.search, c.headword, "", c.caseOn));
        const Box leftOut = {kResult, std::string(kNoMatch) + "\nバイナリファイル 1 個を除外しました。", MB_OK};
        EXPECT_EQ(std::vector<Box>{leftOut}, g_boxes);
        Click(IDC_SKIP_BINARY);
    }
}

TEST_F(SearchTest, HeadwordStartsEmptyInEveryFile)
{
    // Every file opens with a match before its own headword line: a headword
    // carried over from the file scanned before would show in column 1.
    const char* names[] = {"a.txt", "b.txt", "c.txt", "s/d.txt", "s/e.txt"};
    std::vector<Row> expected;
    for (const char* n : names) {
        Put(n, "foo 1\n## "s + n + "\nfoo 2\n");
        std::string col0 = "\\"s + n;
        std::replace(col0.begin(), col0.end(), '/', '\\');
        expected.emplace_back(col0, "", "foo 1");
        expected.emplace_back(col0, "## "s + n, "foo 2");
    }
    EXPECT_EQ(ByFile(expected), ByFile(Search("C:\\", "foo", "##")));
}

TEST_F(SearchTest, LongLines)
{
    // A line far beyond any fixed buffer is one line, matched at its very end.
    std::string line(100000 - 6, 'x');
    line += "needle";
    Put("long.txt", "## head\n" + line + "\nneedle\n");
    EXPECT_EQ((std::vector<Row>{{"\\long.txt", "## head", line}, {"\\long.txt", "## head", "needle"}}),
              Search("C:\\", "needle", "##"));

    // A headword read in an earlier block of a big file still serves a match
    // found many blocks later; a later headword line replaces it.
    std::string filler;
    for (int i = 0; i < 200000; ++i)
        filler += "filler\n";
    Put("long.txt", "## first\n" + filler + "needle 1\n" + filler + "## second\n" + filler + "needle 2\n");
    EXPECT_EQ((std::vector<Row>{{"\\long.txt", "## first", "needle 1"}, {"\\long.txt", "## second", "needle 2"}}),
              Search("C:\\", "needle", "##"));
}

TEST_F(SearchTest, LinesBeyondOneMebibyteComeInPieces)
{
    // Pieces of 1 MiB, cut between characters, each searched like a line of
    // its own; a match inside a piece is found. A match that straddles a cut
    // is allowed to be lost, so none is put across one.
    const size_t kMiB = 1u << 20;
    std::string line = "x";  // one byte so double-byte characters straddle every even cut
    while (line.size() < 3 * kMiB)
        line += "\x83\x41";  // ア
    const size_t at[] = {101, kMiB - 41, kMiB + 39, 2 * kMiB - 41, 2 * kMiB + 39, 3 * kMiB - 41};
    for (size_t a : at)
        line.replace(a, 8, "NEEDLE!!");  // replaces four whole characters at odd offsets
    Put("huge.txt", line + "\r\nNEEDLE!! after\r\n");
    std::vector<Row> rows = Search("C:\\", "NEEDLE");
    ASSERT_EQ(4u, rows.size());
    std::string joined;
    for (size_t i = 0; i < 3; ++i) {
        const std::string& piece = std::get<2>(rows[i]);
        EXPECT_LE(piece.size(), kMiB) << i;
        EXPECT_NE(std::string::npos, piece.find("NEEDLE")) << i;
        EXPECT_NE('\x83', piece.back()) << "piece " << i << " ends inside a character";
        if (i > 0) {
            EXPECT_NE('\x41', piece.front()) << "piece " << i << " starts inside a character";
        }
        joined += piece;
    }
    // What follows the last matching piece holds no match, so it shows no row.
    EXPECT_TRUE(line.compare(0, joined.size(), joined) == 0) << "the pieces do not make up the line";
    EXPECT_EQ(std::string::npos, line.find("NEEDLE", joined.size()));
    EXPECT_EQ("NEEDLE!! after", std::get<2>(rows[3]));
}

TEST_F(SearchTest, ExtensionFilterIsACaseSensitiveSubstringOfTheName)
{
    const char* names[] = {"a.txt", "a.txt.bak", "b.txtx", "A.TXT", "c.md", "noext", "e.a.b", "txt"};
    for (const char* n : names)
        Put(n, "hit\n");
    Put("old.data/f.txt", "hit\n");  // folders are never filtered
    struct Case {
        std::string ext;
        bool caseOn;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"txt", true, {"\\a.txt", "\\a.txt.bak", "\\b.txtx", "\\old.data\\f.txt"}},
        {".txt", true, {"\\a.txt", "\\a.txt.bak", "\\b.txtx", "\\old.data\\f.txt"}},
        {".txt", false, {"\\a.txt", "\\a.txt.bak", "\\b.txtx", "\\old.data\\f.txt"}},
        {".TXT", false, {"\\A.TXT"}},
        {"TXT", true, {"\\A.TXT"}},
        {"a.b", true, {"\\e.a.b"}},
        {"", true, {"\\A.TXT", "\\a.txt", "\\a.txt.bak", "\\b.txtx", "\\c.md", "\\e.a.b", "\\noext", "\\old.data\\f.txt", "\\txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("ext '" + c.ext + "'");
        EXPECT_EQ(c.files, FileColumn(Search("C:\\", "hit", "", c.ext, c.caseOn)));
        EXPECT_EQ(c.ext, std::string(Item(IDC_EXT).GetWindowText())) << "the field keeps what was typed";
    }
}

TEST_F(SearchTest, RefusalsAndReports)
{
    for (int i = 0; i < 12; ++i)
        Put("f" + std::to_string(i) + ".txt", "hit\n");
    struct Case {
        std::string refdir, search;
        std::vector<Box> boxes;
        bool saved;
        bool regex = false;
    };
    const Box badPattern = {"Error!", "正規表現が正しくありません。\nend pattern with unmatched parenthesis", 0x10};
    const Box badName = {"Error!", "正規表現が正しくありません。\nundefined name <無> reference", 0x10};
    const Case cases[] = {
        {"", "", {kNoSearchBox, kNoMatchBox}, false},  // only the first complaint
        {"", "hit", {kNoFolderBox, kNoMatchBox}, false},
        {"C:\\", "", {kNoSearchBox, kNoMatchBox}, false},
        {"C:\\", "hit", {CountBox(12)}, true},
        {"C:\\", "absent", {kNoMatchBox}, true},
        // A folder that is not there is no search that found nothing.
        {"C:\\nowhere\\", "hit", {kMissingFolderBox, kNoMatchBox}, false},
        {"nasi", "hit", {kMissingFolderBox, kNoMatchBox}, false},  // a field reading nasi is not empty
        {"C:\\f0.txt", "hit", {kMissingFolderBox, kNoMatchBox}, false},
        // The folder as Windows reads a typed path.
        {"C:\\ ", "hit", {CountBox(12)}, true},
        {"C:\\.", "hit", {CountBox(12)}, true},
        {"C:/nowhere/..", "hit", {CountBox(12)}, true},
        // A pattern that does not compile is refused with the library's word.
        {"C:\\", "h(it", {badPattern, kNoMatchBox}, false, true},
        {"C:\\", "(?<名>h)\\k<無>", {badName, kNoMatchBox}, false, true},  // the message quotes it
        {"C:\\", "h.t$", {CountBox(12)}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("refdir '" + c.refdir + "' search '" + c.search + "'");
        RemoveSettings();
        Search("C:\\", "hit");  // rows from before, to be cleared by the next press
        RemoveSettings();
        if (c.regex)
            Click(IDC_REGEX);
        std::vector<Row> rows = Search(c.refdir, c.search);
        if (c.regex)
            Click(IDC_REGEX);
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_EQ(c.boxes == std::vector<Box>{CountBox(12)} ? 12u : 0u, rows.size());
        EXPECT_EQ(c.saved, access(SettingsFile().c_str(), F_OK) == 0) << "settings written";
        EXPECT_EQ(c.search, std::string(CComboBox(Item(IDC_SEARCH_TEXT)).GetLBText(0)))
            << "every press puts the search text on top of the list";
        EXPECT_EQ(0, m_dlg->m_nHits);
    }
}

// Lines on which the pattern library gives up do not match, and are counted
// in the report; the other lines of the file are still searched.
TEST_F(SearchTest, RunawayPatternGivesUpLineByLine)
{
    const std::string runaway = std::string(3000, 'a') + "b\n";
    Put("a.txt", runaway + "aaaa\n" + runaway);
    Click(IDC_REGEX);
    EXPECT_EQ((std::vector<Row>{{"\\a.txt", "", "aaaa"}}), Search("C:\\", "^(a|aa)+$"));
    const Box report = {kResult, "1個一致しました。\n照合を打ち切った 2 行は一致なしとしました。", MB_OK};
    EXPECT_EQ(std::vector<Box>{report}, g_boxes);
}

TEST_F(SearchTest, ReferenceFolderWithoutFinalBackslash)
{
    Put("docs/a.txt", "hit\n");
    Put("docsx.txt", "hit\n");
    Put("\x83\x5c/b.txt", "hit\n");     // folder ソ: its trail byte is 5C
    Put("\x83\x5c" "x.txt", "hit\n");
    const struct {
        std::string refdir;
        std::vector<std::string> files;
    } cases[] = {
        {"C:\\docs", {"\\a.txt"}},
        {"C:\\docs\\", {"\\a.txt"}},
        {"C:\\\x83\x5c", {"\\b.txt"}},
        {"C:\\\x83\x5c\\", {"\\b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refdir);
        EXPECT_EQ(c.files, FileColumn(Search(c.refdir, "hit")));
        EXPECT_EQ(c.refdir, std::string(Item(IDC_REFDIR).GetWindowText()));
        std::ifstream in(SettingsFile(), std::ios::binary);
        std::string first;
        std::getline(in, first);
        EXPECT_EQ(c.refdir + "\r", first) << "the settings keep the folder as typed";
    }
}

TEST_F(SearchTest, TwoSearchesInARow)
{
    Put("a.txt", "one\ntwo\none\n");
    Put("s/b.txt", "one\ntwo\n");
    EXPECT_EQ(3u, Search("C:\\", "one").size());
    EXPECT_EQ(std::vector<Box>{CountBox(3)}, g_boxes);
    EXPECT_EQ(0, m_dlg->m_nHits);
    EXPECT_EQ((std::vector<std::string>{"\\a.txt", "\\s\\b.txt"}), FileColumn(Search("C:\\", "two")));
    EXPECT_EQ(std::vector<Box>{CountBox(2)}, g_boxes);
    EXPECT_EQ(0, m_dlg->m_nHits);
    EXPECT_TRUE(Search("C:\\", "three").empty());
    EXPECT_EQ(std::vector<Box>{kNoMatchBox}, g_boxes);
}

TEST_F(SearchTest, ProgressAfterASearch)
{
    for (const auto& c : kProgressCases) {
        SCOPED_TRACE(testing::PrintToString(c.files).substr(0, 60));
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root);
        for (size_t i = 0; i < c.files.size(); ++i)
            Put("f" + std::to_string(i), c.files[i]);
        Search("C:\\", "never");
        EXPECT_EQ(c.pos, CProgressCtrl(Item(IDC_PROGRESS)).GetPos());
    }
}



// What reaches the window while a search runs, delivered at the first look
// the search takes at the queue (before its first file), as another window's
// message or a key waiting in the queue would be.
enum Arrival { kEscQueued, kCloseSent, kSearchPressed, kEscThenClose };
Arrival g_arrival;
int g_nLooks;

void DuringSearch(CDialog* pDialog)
{
    if (g_nLooks++ != 0)
        return;
    if (g_arrival == kEscQueued || g_arrival == kEscThenClose)
        g_standinQueuedEscapes.push_back(pDialog->GetDlgItem(IDC_SEARCH_TEXT).GetSafeHwnd());
    if (g_arrival == kCloseSent || g_arrival == kEscThenClose)
        pDialog->OnCommand(IDCANCEL, BN_CLICKED);
    if (g_arrival == kSearchPressed)
        pDialog->OnCommand(IDOK, BN_CLICKED);
}


TEST_F(SearchTest, WhatArrivesWhileASearchRuns)
{
    const Box kStopped = {kResult, "検索を中断しました。\n検索文字列は見つかりませんでした。", MB_OK};
    const struct {
        Arrival arrival;
        std::vector<Box> boxes;
        size_t nRows;
        bool bClosed;
    } kCases[] = {
        {kEscQueued, {kStopped}, 0, false},
        {kCloseSent, {}, 0, true},
        {kSearchPressed, {CountBox(2), CountBox(2)}, 2, false},
        {kEscThenClose, {}, 0, true},
    };
    Put("a.txt", "one\n");
    Put("s/b.txt", "one\n");
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.arrival);
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
        RemoveSettings();
        Set(IDC_REFDIR, "C:\\");
        Set(IDC_SEARCH_TEXT, "one");
        g_boxes.clear();
        g_arrival = c.arrival;
        g_nLooks = 0;
        g_pfnStandinWhileBusy = DuringSearch;
        Click(IDOK);
        g_pfnStandinWhileBusy = nullptr;
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_LE(1, g_nLooks);
        EXPECT_TRUE(g_standinQueuedEscapes.empty());
        EXPECT_EQ(c.bClosed, m_dlg->IsEnded());
        if (!c.bClosed) {
            EXPECT_EQ(c.nRows, Rows().size());
            EXPECT_EQ(0, m_dlg->m_nHits);
            EXPECT_EQ("one", std::string(CComboBox(Item(IDC_SEARCH_TEXT)).GetLBText(0)));
        }
        // The settings are written before the walk, and the history after it
        // whichever way the search ended.
        std::string saved = ReadFile(SettingsFile());
        EXPECT_EQ(0u, saved.find("C:\\\r\n"));
        EXPECT_NE(std::string::npos, saved.find("\r\none\r\n"));
    }
}

// However long one file takes to read, the window gets its looks at the
// queue on time: the file is read on another thread, here in blocks of 16
// bytes (63-byte lines, so no read starts on a line) for a good part of a
// second.
std::vector<std::chrono::steady_clock::time_point> g_looks;

TEST_F(SearchTest, ABigFileLetsTheWindowLookWhereverTheBarStands)
{
    std::string text;
    for (int i = 0; i < 131072; ++i)  // 8 MB
        text += std::string(62, 'x') + "\n";
    Put("big.txt", text);
    g_looks.clear();
    g_pfnStandinWhileBusy = [](CDialog*) { g_looks.push_back(std::chrono::steady_clock::now()); };
    size_t nSavedBlock = g_nScanReadBlock;
    g_nScanReadBlock = 16;
    auto started = std::chrono::steady_clock::now();
    Search("C:\\", "never");
    auto ended = std::chrono::steady_clock::now();
    g_nScanReadBlock = nSavedBlock;
    g_pfnStandinWhileBusy = nullptr;
    EXPECT_EQ(std::vector<Box>{kNoMatchBox}, g_boxes);
    ASSERT_FALSE(g_looks.empty());
    g_looks.push_back(ended);
    auto longest = g_looks.front() - started;
    for (size_t i = 1; i < g_looks.size(); ++i)
        longest = std::max(longest, g_looks[i] - g_looks[i - 1]);
    EXPECT_LT(longest, std::chrono::milliseconds(300));
    EXPECT_LT(ended - started, std::chrono::milliseconds(300) * g_looks.size());
}

// A click on a header sorts the rows by that column, a second one reverses
// them; ties keep the order of the walk either way, and a new search shows
// that order again.
TEST_F(SearchTest, HeaderClicksSortTheRows)
{
    Put("F1.txt", "x\nx\nx\nhit c\n");
    Put("f2.txt", "x\nhit a\n");
    Put("f10.txt", "hit b\nx\nhit B\n");
    auto texts = [this] {
        std::vector<std::string> out;
        for (const Row& r : Rows())
            out.push_back(std::get<2>(r));
        return out;
    };
    auto click = [this](int nColumn) {
        NMLISTVIEW header = {};
        header.hdr = {Item(IDC_RESULTS).m_hWnd, IDC_RESULTS, LVN_COLUMNCLICK};
        header.iSubItem = nColumn;
        LRESULT result;
        m_dlg->DispatchToMessageMap(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&header), &result);
    };
    const struct {
        int column;
        std::vector<std::string> texts;
        int arrow;
    } clicks[] = {
        {CRowStore::kFile, {"hit c", "hit a", "hit b", "hit B"}, 1},  // f2 before f10, F1 as f1
        {CRowStore::kFile, {"hit b", "hit B", "hit a", "hit c"}, -1},
        {CRowStore::kLine, {"hit b", "hit a", "hit B", "hit c"}, 1},
        {CRowStore::kLine, {"hit c", "hit B", "hit a", "hit b"}, -1},
        {CRowStore::kText, {"hit a", "hit b", "hit B", "hit c"}, 1},   // case-blind: b and B tie
        {CRowStore::kText, {"hit c", "hit b", "hit B", "hit a"}, -1},
        {CRowStore::kHeadword, {}, 1},  // every headword empty: the walk's order
    };
    Search("C:\\", "hit");
    std::vector<std::string> walk = texts();
    for (const auto& c : clicks) {
        click(c.column);
        EXPECT_EQ(c.texts.empty() ? walk : c.texts, texts()) << c.column;
        for (int nCol = 0; nCol <= CRowStore::kText; ++nCol)
            EXPECT_EQ(nCol == c.column ? c.arrow : 0, CListCtrl(Item(IDC_RESULTS)).GetSortArrow(nCol));
    }
    Search("C:\\", "hit");
    EXPECT_EQ(walk, texts());
    EXPECT_EQ(0, CListCtrl(Item(IDC_RESULTS)).GetSortArrow(CRowStore::kHeadword));

    // A click while the search runs sorts once its rows are all there.
    g_pfnStandinWhileBusy = [](CDialog* pDialog) {
        NMLISTVIEW header = {};
        header.hdr = {pDialog->GetDlgItem(IDC_RESULTS).m_hWnd, IDC_RESULTS, LVN_COLUMNCLICK};
        header.iSubItem = CRowStore::kLine;
        pDialog->SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&header));
    };
    g_standinTickStepMs = 1000;
    Search("C:\\", "hit");
    g_standinTickStepMs = 0;
    g_pfnStandinWhileBusy = nullptr;
    EXPECT_EQ((std::vector<std::string>{"hit b", "hit a", "hit B", "hit c"}), texts());
}

}  // namespace
