// The search command through the dialog's controls: rows, headwords, case,
// tabs, line ends, long lines, the extension filter, the walk below the
// reference folder, refusals and their message boxes, and the progress bar.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

using namespace std::string_literals;

namespace {

typedef std::tuple<std::string, std::string, std::string> Row;

struct Box {
    std::string caption, text;
    UINT style;
    bool operator==(const Box& o) const { return caption == o.caption && text == o.text && style == o.style; }
};
void PrintTo(const Box& b, std::ostream* os) { *os << "{" << b.caption << " | " << b.text << " | " << b.style << "}"; }

std::vector<Box> g_boxes;
void RecordBox(const char* caption, const char* text, UINT style) { g_boxes.push_back({caption, text, style}); }

const char kNoMatch[] = "検索文字列は見つかりませんでした。";
const char kResult[] = "検索結果";
const Box kNoMatchBox = {kResult, kNoMatch, MB_OK};
const Box kNoSearchBox = {"Error!", "検索文字列を指示してください", 0x10};
const Box kNoFolderBox = {"Error!", "参照ディレクトリを指示してください", 0x10};
const Box kMissingFolderBox = {"Error!", "参照ディレクトリが見つかりません。", 0x10};
Box CountBox(int n)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d個一致しました。", n);
    return {kResult, text, MB_OK};
}

// Final progress bar position after a search that read LINES lines in all:
// range 0..80 starting at 1, step 10; what passes 80 is carried over to the
// bottom (71 + 10 gives 1), as measured on the common control. These are the
// only numbers to change if the control is found to behave otherwise.
const struct {
    std::vector<std::string> files;
    int pos;
} kProgressCases[] = {
    {{}, 1},
    {{""}, 1},                          // an empty file steps nothing
    {{"x\n"}, 11},
    {{"a\nb"}, 21},                     // the last line needs no line end
    {{"1\n2\n3\n4\n5\n6\n7\n"}, 71},
    {{"1\n2\n3\n4\n5\n6\n7\n8\n"}, 1},  // the eighth step passes 80
    {{"1\n2\n3\n4\n", "5\r\n6\r\n7\r\n8\r\n9\r\n"}, 11},  // lines of all files count
    {{std::string(15, '\n')}, 71},
    {{std::string(16, '\n')}, 1},
    {{std::string(200003, '\n')}, 31},  // more lines than one read block holds
};

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        char tmpl[] = "/tmp/tolvane-search-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        m_root = tmpl;
        ProbeClearDrives();
        ProbeMapDrive('C', m_root.c_str());
        g_boxes.clear();
        AfxSetMessageBoxObserver(RecordBox);
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
    }

    void TearDown() override
    {
        m_dlg.reset();
        AfxSetMessageBoxObserver(nullptr);
        RemoveSettings();
        ProbeClearDrives();
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(m_root, ec))
            if (e.is_directory(ec) && !e.is_symlink(ec))
                chmod(e.path().c_str(), 0755);
        std::filesystem::remove_all(m_root, ec);
    }

    // A file under the C: folder; REL uses "/" and host (raw CP932) names.
    void Put(const std::string& rel, const std::string& bytes)
    {
        std::filesystem::path p = m_root + "/" + rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string Host(const std::string& rel) { return m_root + "/" + rel; }

    CWnd Item(int id) { return m_dlg->GetDlgItem(id); }
    void Set(int id, const std::string& text) { Item(id).SetWindowText(text.c_str()); }
    void Click(int id) { CButton(Item(id)).Click(); }

    std::vector<Row> Search(const std::string& refdir, const std::string& search, const std::string& headword = "",
                            const std::string& ext = "", bool caseOn = true, bool selectedOnly = false)
    {
        Set(IDC_REFDIR, refdir);
        Set(IDC_SEARCH_TEXT, search);
        Set(IDC_HEADWORD, headword);
        Set(IDC_EXT, ext);
        Click(caseOn ? IDC_CASE_ON : IDC_CASE_OFF);
        if ((CButton(Item(IDC_SELECTED_ONLY)).GetCheck() != 0) != selectedOnly)
            Click(IDC_SELECTED_ONLY);
        g_boxes.clear();
        Click(IDOK);
        return Rows();
    }

    std::vector<Row> Rows()
    {
        CListCtrl list(Item(IDC_RESULTS));
        std::vector<Row> rows;
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.emplace_back(std::string(list.GetItemText(i, 0)), std::string(list.GetItemText(i, 2)),
                              std::string(list.GetItemText(i, 3)));
        return rows;
    }

    std::string m_root;
    CWinApp m_app;
    std::unique_ptr<CSearchDlg> m_dlg;
};

// Listing order belongs to the file system: rows are compared by file, in
// their order within each file.
std::vector<Row> ByFile(std::vector<Row> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return std::get<0>(a) < std::get<0>(b); });
    return rows;
}

std::vector<std::string> FileColumn(const std::vector<Row>& rows)
{
    std::vector<std::string> out;
    for (const Row& r : rows)
        out.push_back(std::get<0>(r));
    std::sort(out.begin(), out.end());
    return out;
}

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
    };
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("refdir '" + c.refdir + "' search '" + c.search + "'");
        RemoveSettings();
        Search("C:\\", "hit");  // rows from before, to be cleared by the next press
        RemoveSettings();
        std::vector<Row> rows = Search(c.refdir, c.search);
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_EQ(c.boxes == std::vector<Box>{CountBox(12)} ? 12u : 0u, rows.size());
        EXPECT_EQ(c.saved, access(SettingsFile().c_str(), F_OK) == 0) << "settings written";
        EXPECT_EQ(c.search, std::string(CComboBox(Item(IDC_SEARCH_TEXT)).GetLBText(0)))
            << "every press puts the search text on top of the list";
        EXPECT_EQ(0, m_dlg->m_nHits);
    }
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

TEST_F(SearchTest, SubfolderWalk)
{
    Put("a.txt", "hit\n");
    Put("s/t/c.txt", "hit\n");
    // Enough files in s that some are listed after its folder t.
    for (int i = 0; i < 20; ++i)
        Put("s/b" + std::to_string(i) + ".txt", "hit\n");
    Put("u/d.txt", "hit\n");
    Put("old.data/e.txt", "hit\n");
    Put("only/sub/deeper/f.txt", "hit\n");  // folders with no files of their own
    Put("only/sub/skip.md", "hit\n");
    std::filesystem::create_directories(Host("empty"));
    std::filesystem::create_directories(Host("locked"));
    Put("locked/g.txt", "hit\n");
    chmod(Host("locked").c_str(), 0);
    bool bLocked = access(Host("locked/g.txt").c_str(), R_OK) != 0;  // root reads anyway

    std::vector<std::string> expected = {"\\a.txt", "\\old.data\\e.txt", "\\only\\sub\\deeper\\f.txt", "\\s\\t\\c.txt",
                                         "\\u\\d.txt"};
    for (int i = 0; i < 20; ++i)
        expected.push_back("\\s\\b" + std::to_string(i) + ".txt");
    if (!bLocked)
        expected.push_back("\\locked\\g.txt");
    std::sort(expected.begin(), expected.end());

    std::vector<Row> rows = Search("C:\\", "hit", "", "txt");
    EXPECT_EQ(expected, FileColumn(rows));
    EXPECT_EQ(std::vector<Box>{CountBox(static_cast<int>(expected.size()))}, g_boxes);
    // Depth first: the rows of s (its folder t included) stand together.
    auto inS = [](const Row& r) { return std::get<0>(r).rfind("\\s\\", 0) == 0; };
    auto first = std::find_if(rows.begin(), rows.end(), inS);
    EXPECT_EQ(21, std::count_if(first, first + std::min<long>(21, rows.end() - first), inS));
    if (bLocked)
        std::cout << "(the unreadable folder was not readable: it added no rows)\n";
    else
        std::cout << "(running as root: the unreadable folder could be read)\n";

    rows = Search("C:\\", "hit", "", "txt", true, true);
    EXPECT_EQ(std::vector<std::string>{"\\a.txt"}, FileColumn(rows));
    for (const Row& r : rows)
        EXPECT_EQ(1, std::count(std::get<0>(r).begin(), std::get<0>(r).end(), '\\')) << std::get<0>(r);
}

TEST_F(SearchTest, SubfolderListedBeforeItsParentsFiles)
{
    // Whichever order the listing gives, a file of s met after its folder t
    // is named \s\..., never \s\t\...
    for (int i = 0; i < 30; ++i) {
        Put("s/t" + std::to_string(i) + "/c.txt", "hit\n");
        Put("s/b" + std::to_string(i) + ".txt", "hit\n");
    }
    std::vector<Row> rows = Search("C:\\", "hit");
    ASSERT_EQ(60u, rows.size());
    bool bFolderFirst = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& c = std::get<0>(rows[i]);
        bool bFile = c.rfind("\\s\\b", 0) == 0;
        EXPECT_TRUE(bFile || (c.rfind("\\s\\t", 0) == 0 && c.size() >= 10 && c.substr(c.size() - 6) == "\\c.txt")) << c;
        if (bFile && i > 0)
            bFolderFirst = bFolderFirst || std::get<0>(rows[i - 1]).find("\\c.txt") != std::string::npos;
    }
    EXPECT_TRUE(bFolderFirst) << "no file of s came after a folder of s; the case was not exercised";
}

TEST_F(SearchTest, LinksThatLoopAreWalkedOnce)
{
    Put("a.txt", "hit\n");
    Put("s/b.txt", "hit\n");
    Put("s/t/c.txt", "hit\n");
    ASSERT_EQ(0, symlink("..", Host("s/up").c_str()));         // back to the reference folder
    ASSERT_EQ(0, symlink("../..", Host("s/t/back").c_str()));  // and again, two levels up
    ASSERT_EQ(0, symlink("s", Host("l").c_str()));             // no loop: followed
    ASSERT_EQ(0, symlink("missing", Host("dangling.txt").c_str()));
    ASSERT_EQ(0, mkfifo(Host("fifo.txt").c_str(), 0644));
    ASSERT_EQ(0, mkfifo(Host("s/t/fifo.txt").c_str(), 0644));
    ASSERT_EQ(0, symlink("/dev/zero", Host("zero.txt").c_str()));
    // A fifo opened for reading would wait for a writer for ever, and the
    // zero device never ends.
    alarm(120);
    std::vector<Row> rows = Search("C:\\", "hit");
    alarm(0);
    EXPECT_EQ((std::vector<std::string>{"\\a.txt", "\\l\\b.txt", "\\l\\t\\c.txt", "\\s\\b.txt", "\\s\\t\\c.txt"}),
              FileColumn(rows));
}

// The link leads above the reference folder, and the walk comes back into it
// through an ordinary subfolder, not through a link.
TEST_F(SearchTest, LinkAboveTheReferenceFolderComesBackThroughAPlainFolder)
{
    Put("r/a.txt", "hit\n");
    Put("r/s/b.txt", "hit\n");
    Put("other/o.txt", "hit\n");
    ASSERT_EQ(0, symlink("../..", Host("r/s/p").c_str()));  // the drive root
    EXPECT_EQ((std::vector<std::string>{"\\a.txt", "\\s\\b.txt", "\\s\\p\\other\\o.txt"}),
              FileColumn(Search("C:\\r\\", "hit")));
    // From the root: a second way into r by a link is followed, and p leads
    // back to the root on both ways.
    ASSERT_EQ(0, symlink("r", Host("q").c_str()));
    EXPECT_EQ((std::vector<std::string>{"\\other\\o.txt", "\\q\\a.txt", "\\q\\s\\b.txt", "\\r\\a.txt",
                                        "\\r\\s\\b.txt"}),
              FileColumn(Search("C:\\", "hit")));
}

TEST_F(SearchTest, ThirtyLevelsDeep)
{
    std::string rel, col0;
    for (int i = 1; i <= 30; ++i) {
        rel += "d" + std::to_string(i) + "/";
        col0 += "\\d" + std::to_string(i);
    }
    Put(rel + "x.txt", "## h\nhit\n");
    EXPECT_EQ((std::vector<Row>{{col0 + "\\x.txt", "## h", "hit"}}), Search("C:\\", "hit", "##"));
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

}  // namespace

namespace {

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

}  // namespace

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

// A file of 64-byte lines puts 4,096 lines, a multiple of eight, in every
// read block, so the progress bar stands where it stood after each block.
// The window must still get its looks at the queue while such a file is read.
TEST_F(SearchTest, ABigFileLetsTheWindowLookWhereverTheBarStands)
{
    std::string text;
    for (int i = 0; i < 65536; ++i)  // 4 MiB, 16 blocks
        text += std::string(63, 'x') + "\n";
    Put("big.txt", text);
    g_nLooks = 0;
    g_pfnStandinWhileBusy = [](CDialog*) { ++g_nLooks; };
    g_standinTickStepMs = 1000;  // a look is due at every reading of the clock
    Search("C:\\", "never");
    g_standinTickStepMs = 0;
    g_pfnStandinWhileBusy = nullptr;
    EXPECT_EQ(std::vector<Box>{kNoMatchBox}, g_boxes);
    EXPECT_LE(16, g_nLooks);
}

// The same text as code page 932, UTF-8 and UTF-16 bytes: Japanese,
// full-width and Greek letters in both cases, tabs, headword lines, CR LF
// and LF, no line end at the end.
#define SAME_TEXT(P) P##"■見出し一\r\n検索\tＡＢＣ αβγ\r\nfoo\tbar\n■見出し二\nＡｂｃ ΑΒΓ 検索 Ⅳ\n末尾 abc ｶﾅ"
const std::string kCp932Text = SAME_TEXT();
const std::string kUtf8Text = reinterpret_cast<const char*>(SAME_TEXT(u8));
const std::u16string kUtf16Text = SAME_TEXT(u);

std::string Utf16Bytes(const std::u16string& text, bool bigEndian)
{
    std::string out;
    for (char16_t u : text) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xff);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST_F(SearchTest, SameRowsInEveryEncoding)
{
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"utf8", kUtf8Text},
        {"utf8bom", "\xEF\xBB\xBF" + kUtf8Text},
        {"utf16le", "\xFF\xFE" + Utf16Bytes(kUtf16Text, false)},
        {"utf16be", "\xFE\xFF" + Utf16Bytes(kUtf16Text, true)},
    };
    const struct {
        const char* search;
        const char* headword;
        bool caseOn;
        size_t rows;
    } searches[] = {
        {"検索", "■", true, 2},
        {"検索", "", false, 2},
        {"ａｂｃ", "■", false, 2},
        {"ａｂｃ", "■", true, 0},
        {"ΑΒΓ", "■", false, 2},
        {"ⅳ", "", false, 1},
        {"ABC", "", false, 1},
        {"abc", "", true, 1},
        {"ｶﾅ", "", true, 1},
        {"bar", "■", true, 1},
        {"見出", "■", true, 2},
    };
    Put("cp932/t.txt", kCp932Text);
    for (const auto& f : files)
        Put(std::string(f.name) + "/t.txt", f.bytes);
    for (const auto& s : searches) {
        std::vector<Row> want = Search("C:\\cp932", s.search, s.headword, "", s.caseOn);
        EXPECT_EQ(s.rows, want.size()) << s.search;
        for (const auto& f : files)
            EXPECT_EQ(want, Search(std::string("C:\\") + f.name, s.search, s.headword, "", s.caseOn))
                << f.name << " " << s.search << " case " << s.caseOn;
    }
    EXPECT_EQ((Row{"\\t.txt", "■見出し一", "検索    ＡＢＣ αβγ"}), Search("C:\\utf16be", "検索", "■")[0]);
}

TEST_F(SearchTest, EncodingIsDecidedFromTheFirstBytesPastAscii)
{
    const std::string ascii300k = std::string(300 << 10, 'a') + "\n";
    const std::string later = std::string(70 << 10, 'b') + "\n";  // far past the look-ahead
    const struct {
        const char* what;
        std::string bytes;
        std::string row;  // the one row of a search for 検索, empty for none
    } cases[] = {
        {"UTF-8 after 300 KiB of ASCII", ascii300k + reinterpret_cast<const char*>(u8"x検索ア\n"), "x検索ア"},
        {"UTF-8 start turning invalid stays CP932", "\xE3\x81\x82\xA0 検索\n", "\xE3\x81\x82\xA0 検索"},
        {"a lone lead byte at the end stays CP932", "\xE3\x81\x82 検索\xE3", "\xE3\x81\x82 検索\xE3"},
        {"CP932 from its first byte", "ア検索\n", "ア検索"},
        {"invalid bytes after a UTF-8 start",
         reinterpret_cast<const char*>(u8"あ\n") + later + "x\xFF\xC0\xE3\x81y" +
             reinterpret_cast<const char*>(u8"検索\n"),
         "x????y検索"},  // every byte that is no part of a character
        {"characters CP932 lacks", reinterpret_cast<const char*>(u8"€😀é 検索"), "??? 検索"},
        {"UTF-16 pair and lone surrogate",
         "\xFF\xFE" + Utf16Bytes(u"\U0001F600\xD800検索", false) + "x", "??検索?"},
        {"a UTF-8 mark before CP932 bytes", "\xEF\xBB\xBF\x8C\x9F\x8D\xF5", ""},
        {"UTF-8 cut inside its last character", reinterpret_cast<const char*>(u8"検索") + "\xE3\x81"s, "検索??"},
        {"cut inside its first character stays CP932", "\x8C\x9F\x8D\xF5 \xE3", "検索 \xE3"},
        {"CP932 kana that read as a UTF-8 start", "\x8F\xE3\x82\xA2\x82\xA0 検索", "\x8F\xE3\x82\xA2\x82\xA0 検索"},
        {"UTF-16 without a mark stays CP932", Utf16Bytes(u"検索", false) + "検索", Utf16Bytes(u"検索", false) + "検索"},
    };
    for (const auto& c : cases) {
        Put("t.txt", c.bytes);
        std::vector<Row> rows = Search("C:\\", "検索");
        ASSERT_EQ(c.row.empty() ? 0u : 1u, rows.size()) << c.what;
        if (rows.empty())
            continue;
        EXPECT_EQ(c.row, std::get<2>(rows[0])) << c.what;
    }
}

TEST_F(SearchTest, ProgressStepsPerLineInEveryEncoding)
{
    Put("a.txt", "\xFF\xFE" + Utf16Bytes(u"1\n2\r\n3\n4\n5\n6\n7\n検索", false));
    Search("C:\\", "検索");
    EXPECT_EQ(1, CProgressCtrl(Item(IDC_PROGRESS)).GetPos());  // the eighth step passes 80
}

TEST_F(SearchTest, TypedQuestionMarkIsNoStandInForWhatCp932Lacks)
{
    // A row shows ? for a character code page 932 lacks and for a byte that
    // is no part of a UTF-8 character; a ? typed into the search string
    // matches only a real one.
    // Past the look-ahead, so that the file is UTF-8 with its invalid byte.
    Put("t.txt", reinterpret_cast<const char*>(u8"a€b\n") + std::string(8 << 10, '-') + "\nc\xFF" "d\ne?f\n" +
                     reinterpret_cast<const char*>(u8"😀g\n"));
    const struct {
        const char* search;
        std::vector<std::string> lines;
    } cases[] = {
        {"?", {"e?f"}},
        {"a?b", {}},
        {"c?d", {}},
        {"?g", {}},
        {"e?f", {"e?f"}},
        {"b", {"a?b"}},
        {"d", {"c?d"}},
        {"g", {"?g"}},  // a character beyond the plane is one ?, not one for each of its bytes
    };
    for (const auto& c : cases) {
        for (bool caseOn : {true, false}) {
            std::vector<std::string> lines;
            for (const Row& r : Search("C:\\", c.search, "", "", caseOn))
                lines.push_back(std::get<2>(r));
            EXPECT_EQ(c.lines, lines) << c.search << " case " << caseOn;
        }
    }
}

TEST_F(SearchTest, TextWithNoCharacterNeverMatchesInUnicodeFiles)
{
    // 85 40 is no character, and a lead byte alone ends no character: in a
    // UTF-8 file such a search string finds nothing and such a marker marks
    // no line, while CP932 files are searched for the bytes as before.
    Put("u/t.txt", reinterpret_cast<const char*>(u8"■ 検索\n検索 x\n"));
    Put("c/t.txt", "\x85\x40 \x8C\x9F\x8D\xF5\n検\n");
    const struct {
        const char* dir;
        std::string search, headword;
        std::vector<Row> rows;
    } cases[] = {
        {"C:\\u", "\x85\x40", "", {}},
        {"C:\\u", "検\x8C", "", {}},
        {"C:\\u", "x", "\x85\x40", {{"\\t.txt", "", "検索 x"}}},
        {"C:\\u", "x", "■", {{"\\t.txt", "■ 検索", "検索 x"}}},
        {"C:\\c", "\x85\x40", "", {{"\\t.txt", "", "\x85\x40 検索"}}},
        {"C:\\c", "検", "\x85\x40", {{"\\t.txt", "\x85\x40 検索", "\x85\x40 検索"}, {"\\t.txt", "\x85\x40 検索", "検"}}},
    };
    for (const auto& c : cases)
        for (bool caseOn : {true, false})
            EXPECT_EQ(c.rows, Search(c.dir, c.search, c.headword, "", caseOn)) << c.dir << " " << c.search;
}

TEST_F(SearchTest, UnicodeLinesBeyondOneMebibyteAreCutBetweenCharacters)
{
    // Pieces of 1 MiB of the file's text, cut before a character that would
    // not fit, so that no piece shows a ? for a cut character and together
    // they give the whole line. Every offset of the cut in a three-byte
    // character, in UTF-8 and in UTF-16 decoded to UTF-8.
    const size_t kMiB = 1u << 20;
    for (std::string prefix : {"", "x", "xx"}) {
        std::u16string text(prefix.begin(), prefix.end());
        text += std::u16string((5 * kMiB / 2) / 3, u'ア');
        std::string cp932 = prefix, utf8 = prefix;
        for (size_t i = prefix.size(); i < text.size(); ++i) {
            cp932 += "\x83\x41";
            utf8 += reinterpret_cast<const char*>(u8"ア");
        }
        Put("u8/t.txt", utf8 + reinterpret_cast<const char*>(u8"\nア\n"));
        Put("u16/t.txt", "\xFE\xFF" + Utf16Bytes(text + u"\r\nア", true));
        for (const char* dir : {"C:\\u8", "C:\\u16"}) {
            std::vector<Row> rows = Search(dir, "ア");
            ASSERT_EQ(4u, rows.size()) << dir << " " << prefix;
            std::string joined;
            for (size_t i = 0; i < 3; ++i) {
                EXPECT_EQ(std::string::npos, std::get<2>(rows[i]).find('?')) << dir << " " << prefix << " " << i;
                joined += std::get<2>(rows[i]);
            }
            EXPECT_TRUE(joined == cp932) << dir << " " << prefix << ": the pieces do not make up the line";
            EXPECT_EQ("ア", std::get<2>(rows[3]));
        }
    }
}

TEST_F(SearchTest, Utf16PairsAcrossReadBlocks)
{
    // Lines of changing length, so that the blocks the file is read in end
    // at every place of a line, a surrogate pair's halves included.
    std::u16string text;
    std::vector<Row> want;
    for (int i = 0; i < 40000; ++i) {
        text += u"検索" + std::u16string(i % 7, u'x') + u"\U0001F600" + (i % 3 ? u"\r\n" : u"\n");
        want.push_back({"\\t.txt", "", "検索" + std::string(i % 7, 'x') + "?"});
    }
    for (bool bigEndian : {false, true}) {
        Put("t.txt", (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + Utf16Bytes(text, bigEndian));
        EXPECT_TRUE(want == Search("C:\\", "検索")) << "big-endian " << bigEndian;
        // An odd last byte is a unit of its own, shown as ?.
        Put("t.txt", (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + Utf16Bytes(u"検索", bigEndian) + "x");
        EXPECT_EQ((std::vector<Row>{{"\\t.txt", "", "検索?"}}), Search("C:\\", "検索"));
    }
}
