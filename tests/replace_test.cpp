// Replace: the new bytes of a file for each encoding the search reads, byte for byte, and a replace over files on
// disk: files changed since the search and read-only ones left alone, the backups, undo, and what a kill leaves.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/preview.h"
#include "engine/replace.h"
#include "engine/splice.h"
#include "tests/test_support.h"

namespace {

using namespace std::string_literals;

// Text written here in UTF-8, as another program's conversion gives it: the reference the product is held to.
std::string Iconv(const std::string& s, const char* to)
{
    iconv_t cd = iconv_open(to, "UTF-8");
    std::string out(s.size() * 4 + 4, '\0');
    char *in = const_cast<char*>(s.data()), *o = &out[0];
    size_t nIn = s.size(), nOut = out.size();
    iconv(cd, &in, &nIn, &o, &nOut);
    iconv_close(cd);
    out.resize(out.size() - nOut);
    return out;
}
std::string J(const std::string& s) { return Iconv(s, "CP932"); }
std::string LE(const std::string& s) { return Iconv(s, "UTF-16LE"); }
std::string BE(const std::string& s) { return Iconv(s, "UTF-16BE"); }
std::string E(const std::string& s) { return Iconv(s, "EUC-JP"); }

enum Mode { kPlain = 0, kFold = 1, kRegex = 2, kWord = 4, kAsEucJp = 8 };  // the last: EUC-JP chosen by hand
ReplaceRule Rule(const std::string& search, const std::string& replacement, int mode)
{
    ReplaceRule r;
    r.strSearch = search.c_str();
    r.strReplacement = replacement.c_str();
    r.bFold = mode & kFold, r.bRegex = mode & kRegex, r.bWholeWord = mode & kWord;
    r.nEncoding = mode & kAsEucJp ? kEucJp : kAutoDetect;
    return r;
}

TEST(Replace, OnlyTheMatchedBytesChange)
{
    const std::string bomUtf8 = "\xEF\xBB\xBF", bomLE = "\xFF\xFE", bomBE = "\xFE\xFF";
    const std::string lone = "\x00\xD8"s;  // a lone high surrogate, little-endian
    const struct {
        const char* name;
        std::string bytes, search, replacement;
        int mode;
        std::vector<uint64_t> lines;
        std::string expected;  // empty: the file counts as changed since the search
        uint64_t nColumn;      // of the first listed line's first replacement; 0: not looked at
    } cases[] = {
        {"CR LF, LF and a last line without one", "a foo\r\nfoo\nfoo", "foo", "bar", kPlain, {1, 2, 3},
         "a bar\r\nbar\nbar", 3},
        {"only the listed lines", "foo\nfoo\nfoo\n", "foo", "x", kPlain, {2}, "foo\nx\nfoo\n", 1},
        {"every match of a line, first and last character", "xax\n", "x", "yy", kPlain, {1}, "yyayy\n", 1},
        {"no match in a 5C trail byte", J(u8"ソ\\表") + "\n", "\\", "/", kPlain, {1}, J(u8"ソ/表") + "\n", 2},
        {"no match in an A trail byte", J(u8"アA") + "\n", "A", "B", kPlain, {1}, J(u8"アB") + "\n", 2},
        {"NEC and IBM codes are not one another", "\xED\x40 \xFA\x5C\n", "\xFA\x5C", "X", kPlain, {1},
         "\xED\x40 X\n", 3},
        {"malformed bytes kept, nothing after a NUL", "foo\x80\xFF foo\0foo\n"s, "foo", "b", kPlain, {1},
         "b\x80\xFF b\0foo\n"s, 1},
        {"case off, full-width too", J(u8"FOO Foo ＦＯＯ ｆｏｏ"), J(u8"ｆｏｏ"), "z", kFold, {1},
         J(u8"FOO Foo z z"), 9},
        {"case off", "FOO Foo foo\n", "foo", "z", kFold, {1}, "z z z\n", 1},
        {"a word only", "id width id_x id\n", "id", "ID", kWord, {1}, "ID width id_x ID\n", 1},
        {"a Japanese word", J(u8"ファイル ファイルズ 検索する"), J(u8"ファイル"), "F", kWord, {1},
         J(u8"F ファイルズ 検索する"), 1},
        {"groups swapped", J(u8"名前=値") + "\r\n", "(\\S+)=(\\S+)", "$2=$1", kRegex, {1}, J(u8"値=名前") + "\r\n", 1},
        {"a named group and $$", "k1: v\n", "(?<key>\\w+):", "${key}$$", kRegex, {1}, "k1$ v\n", 1},
        {"$ before anything else stands", "ab\n", "b", "$x$", kRegex, {1}, "a$x$\n", 2},
        {"plain text takes $1 as it is", "ab\n", "b", "$1", kPlain, {1}, "a$1\n", 2},
        {"empty matches, none right after a match", "axbc\n", "x*", "-", kRegex, {1}, "-a-b-c-\n", 1},
        {"a group keeps the file's case", "FxO fyo\n", "(f.o)", "[$1]", kRegex | kFold, {1}, "[FxO] [fyo]\n", 1},
        {"a regex at the line's ends, before CR LF", J(u8"行頭と行末\r\n"), "^.|.$", "*", kRegex, {1},
         J(u8"*頭と行*\r\n"), 1},
        {"a line gone", "foo\n", "foo", "x", kPlain, {2}, "", 0},
        {"a line given twice", "foo\n", "foo", "x", kPlain, {1, 1}, "", 0},
        {"a line that no longer matches", "foo\nbar\n", "foo", "x", kPlain, {1, 2}, "", 0},
        // Unicode files get the replacement in their own encoding; their mark stays.
        {"UTF-8 with its mark", bomUtf8 + u8"a 検索\r\n検索", J(u8"検索"), J(u8"置換"), kPlain, {1, 2},
         bomUtf8 + u8"a 置換\r\n置換", 3},
        {"UTF-8 told by its bytes", u8"café 検索\n", J(u8"検索"), J(u8"置換"), kPlain, {1}, u8"café 置換\n", 6},
        {"UTF-8 JIS and Microsoft forms as one", u8"〜 ～\n", J(u8"～"), J(u8"～"), kPlain, {1}, u8"～ ～\n", 1},
        {"UTF-8 malformed bytes kept", "\xE3 \xC3\xA9 x\xFF\n", "x", "y", kPlain, {1}, "\xE3 \xC3\xA9 y\xFF\n", 5},
        {"UTF-8 groups are the file's bytes", u8"é=検索\n", "(\\S)=(\\S+)", "$2-$1", kRegex, {1},
         u8"検索-é\n", 1},
        {"UTF-16LE", bomLE + LE(u8"a検索b\r\n検索"), J(u8"検索"), J(u8"置換x"), kPlain, {1, 2},
         bomLE + LE(u8"a置換xb\r\n置換x"), 2},
        {"UTF-16LE lone surrogate, NUL and odd byte kept", bomLE + lone + LE(u8"ab\na") + "\0\0"s + LE("a") + "\x41",
         "a", "c", kPlain, {1, 2}, bomLE + lone + LE(u8"cb\nc") + "\0\0"s + LE("a") + "\x41", 2},
        {"UTF-16BE after a pair", bomBE + BE(u8"𠀋検索\n"), J(u8"検索"), J(u8"置"), kPlain, {1},
         bomBE + BE(u8"𠀋置\n"), 3},
        {"UTF-16BE regex with a 5C trail", bomBE + BE(u8"表示 ソフト"), J(u8"(表|ソ)"), J(u8"[$1]"), kRegex, {1},
         bomBE + BE(u8"[表]示 [ソ]フト"), 1},
        {"UTF-16LE without a mark", LE(u8"a検索\n検索"), J(u8"検索"), J(u8"置換"), kPlain, {2}, LE(u8"a検索\n置換"), 1},
        // EUC-JP files get EUC-JP, what it lacks as '?'; 〜 is its JIS code.
        {"EUC-JP", E(u8"ひらがな 検索\r\n検索"), J(u8"検索"), J(u8"置換〜①"), kPlain, {1, 2},
         E(u8"ひらがな 置換〜?\r\n置換〜?"), 6},
        {"EUC-JP groups, half-width katakana, JIS X 0212", E(u8"ｶﾅ=丂\n"), "(\\S+)=(\\S+)", "$2=$1", kRegex, {1},
         E(u8"丂=ｶﾅ\n"), 1},
        {"EUC-JP broken codes kept", E(u8"あ") + "\xA4 \x8F\xA2x\n", "x", J(u8"ア"), kAsEucJp, {1},
         E(u8"あ") + "\xA4 \x8F\xA2" + E(u8"ア") + "\n", 6},
        {"EUC-JP chosen by hand", E(u8"αβ x\n"), J(u8"β"), J(u8"Ω"), kAsEucJp, {1}, E(u8"αΩ x\n"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSplicer splicer(Rule(c.search, c.replacement, c.mode));
        ASSERT_STREQ("", splicer.Error());
        std::string out = "untouched";
        std::vector<SplicedLine> lines;
        uint64_t n = 0;
        bool bOk = splicer.Splice(c.bytes, c.lines, &out, &lines, &n);
        EXPECT_EQ(!c.expected.empty(), bOk);
        if (!bOk) {
            EXPECT_EQ("untouched", out);
            continue;
        }
        EXPECT_EQ(c.expected, out);
        ASSERT_EQ(c.lines.size(), lines.size());
        EXPECT_EQ(c.lines[0], lines[0].nLine);
        if (c.nColumn)
            EXPECT_EQ(c.nColumn, lines[0].nColumn);
    }
}

// The marks of a row as the list shows it (code page 932, tabs already widened): start:length in bytes.
TEST(Replace, MarksOfAShownLine)
{
    const struct {
        std::string text, search;
        int mode;
        const char* marks;
    } cases[] = {
        {"foo x foo xfoo", "foo", kPlain, "0:3 6:3 11:3"},
        {"ababab", "ab", kPlain, "0:2 2:2 4:2"},
        {"aaaa", "aa", kPlain, "0:2 2:2"},
        {"ababab", "(ab)+?", kRegex, "0:2 2:2 4:2"},
        {"id width id_x xid id", "id", kWord, "0:2 18:2"},
        {"    x	foo", "foo", kPlain, "6:3"},
        {"bar foo", "foo", kPlain, "4:3"},
        {"FOO Foo foo", "foo", kFold, "0:3 4:3 8:3"},
        {"FOO Foo foo", "foo", kPlain, "8:3"},
        {J(u8"ソ\\表\\"), "\\", kPlain, "2:1 5:1"},
        {J(u8"ソ表"), J(u8"表"), kPlain, "2:2"},
        {J(u8"表示 ソフト"), J(u8"(表|ソ)"), kRegex, "0:2 5:2"},
        {"abc", "x*", kRegex, "0:0 1:0 2:0 3:0"},
        {"abc", "z", kPlain, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.search);
        CSplicer marker(Rule(c.search, "", c.mode));
        std::vector<TextSpan> spans;
        ASSERT_TRUE(marker.Spans(c.text.data(), c.text.size(), false, &spans));
        std::string got;
        for (const TextSpan& m : spans)
            got += (got.empty() ? "" : " ") + std::to_string(m.nStart) + ":" + std::to_string(m.nLength);
        EXPECT_EQ(c.marks, got);
    }
    std::vector<TextSpan> spans{{1, 1}};
    EXPECT_FALSE(CSplicer(Rule("(", "", kRegex)).Spans("(", 1, false, &spans));
    EXPECT_TRUE(spans.empty());
}

TEST(Replace, RowsAfterAndBadReplacements)
{
    CSplicer splicer(Rule("b", J(u8"ア"), kPlain));
    std::string out;
    std::vector<SplicedLine> lines;
    uint64_t n = 0;
    const std::string bytes = u8"a\tb 𠀋 b" + "\0c\n"s;  // a character code page 932 lacks, and a NUL
    ASSERT_TRUE(splicer.Splice(bytes, {1}, &out, &lines, &n));
    EXPECT_EQ(2u, n);
    EXPECT_EQ("a\t" + J(u8"ア") + " ? " + J(u8"ア"), lines[0].text);  // shown as the search shows it, up to the NUL
    const struct { std::string search, replacement; int mode; const char* error; } bad[] = {
        {"(a)(b)(c)", "$7", kRegex, u8"置換後の文字列が正しくありません。\n$7 に当たるグループがありません。"},
        {"(a)", "${4}", kRegex, u8"置換後の文字列が正しくありません。\n${4} に当たるグループがありません。"},
        {"(?<k>a)", "${j}", kRegex, u8"置換後の文字列が正しくありません。\n${j} という名前のグループがありません。"},
        {"(a", "x", kRegex, u8"正規表現が正しくありません。\n"},
        {"(a)(b)(c)", "$3$0", kRegex, ""},
        {"a", "$7", kPlain, ""},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.replacement);
        std::string error(CheckReplacement(Rule(c.search, J(c.replacement), c.mode)));
        EXPECT_EQ(J(c.error), error.substr(0, J(c.error).size()));
        EXPECT_EQ(*c.error == 0, error.empty());
    }
}

}  // namespace

// A replace over files in a host folder, as the window runs one: file by file, then undo.
class ReplaceFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("tolvane-replace-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir / "tree");
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::permissions(m_dir / "tree/ro.txt", std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    // The product's path of a host file: "\\host\" names the host's root.
    CString Path(const std::string& rel) const
    {
        std::string p = "\\\\host" + (m_dir / rel).string();
        std::replace(p.begin(), p.end(), '/', '\\');
        return p.c_str();
    }
    void Put(const std::string& rel, const std::string& bytes) { std::ofstream(m_dir / rel, std::ios::binary) << bytes; }
    std::string Read(const std::string& rel) const { return ReadFile((m_dir / rel).string()); }
    ReplaceTarget Target(const std::string& rel, std::vector<uint64_t> lines)
    {
        ReplaceTarget t{Path("tree/" + rel), ("\\" + rel).c_str(), FileStamp(), {}};
        FileStatus status;
        if (GetFileStatus(t.strPath, &status))
            t.stamp = status.stamp;
        for (uint64_t n : lines)
            t.lines.push_back(ReplaceLine{n, "h"});
        return t;
    }
    ReplaceReport Run(std::vector<ReplaceTarget> targets, const std::string& replacement = "bar", size_t nStopAfter = 99)
    {
        CReplaceJob job(Rule("foo", replacement, kPlain), std::move(targets), Path("backup"));
        for (size_t k = 1; job.Step(); ++k)
            if (k == nStopAfter)
                job.Stop();
        m_rows = job.Rows();
        return job.Report();
    }
    size_t Backups() const
    {
        size_t n = 0;
        for (auto& e : std::filesystem::directory_iterator(m_dir / "backup"))
            n += e.is_directory();
        return n;
    }
    std::filesystem::path m_dir;
    std::vector<ReplacedRow> m_rows;
};

TEST_F(ReplaceFiles, ChangedAndReadOnlyFilesAreLeftAndUndoPutsBackTheRest)
{
    Put("tree/a.txt", "foo 1\nx\nfoo 2\n");
    Put("tree/changed.txt", "foo 1\n");
    Put("tree/ro.txt", "foo\n");
    Put("tree/jis.txt", Iconv(u8"foo 日本語\n", "ISO-2022-JP"));
    std::vector<ReplaceTarget> targets = {Target("a.txt", {1, 3}), Target("changed.txt", {1}), Target("ro.txt", {1}),
                                          Target("gone.txt", {1}), Target("jis.txt", {1})};
    // Another program writes it after the search, as long again: only its time tells. A file system may give two
    // quick writes one time, so the second is set a second later.
    auto searched = std::filesystem::last_write_time(m_dir / "tree/changed.txt");
    Put("tree/changed.txt", "foo 2\n");
    std::filesystem::last_write_time(m_dir / "tree/changed.txt", searched + std::chrono::seconds(1));
    std::filesystem::permissions(m_dir / "tree/ro.txt", std::filesystem::perms::owner_read);
    ReplaceReport r = Run(targets);
    EXPECT_EQ(J(u8"1 個のファイルで 2 箇所を置換しました。\n検索の後に変更されたファイル 1 個は置換しませんでした。\n"
                u8"読み取り専用のファイル 1 個は置換しませんでした。\n書き込めなかったファイル 1 個は置換しませんでした。\n"
                u8"JIS（ISO-2022-JP）のファイル 1 個は置換しませんでした。"),
              std::string(ReplaceReportText(r)));
    EXPECT_EQ("bar 1\nx\nbar 2\n", Read("tree/a.txt"));
    EXPECT_EQ("foo 2\n", Read("tree/changed.txt"));
    EXPECT_EQ("foo\n", Read("tree/ro.txt"));
    EXPECT_EQ(Iconv(u8"foo 日本語\n", "ISO-2022-JP"), Read("tree/jis.txt"));
    EXPECT_EQ(std::filesystem::perms::owner_read, std::filesystem::status(m_dir / "tree/ro.txt").permissions());
    ASSERT_EQ(2u, m_rows.size());
    EXPECT_EQ("\\a.txt|h|3|1|bar 2", std::string(m_rows[1].strColumn) + "|" + std::string(m_rows[1].strHeadword) +
                                          "|" + std::to_string(m_rows[1].nLine) + "|" +
                                          std::to_string(m_rows[1].nColumn) + "|" + m_rows[1].text);
    EXPECT_EQ(1u, Backups());

    EXPECT_TRUE(CanUndoReplace(Path("backup")));
    EXPECT_EQ(J(u8"1 個のファイルを元に戻しました。"), std::string(UndoReportText(UndoLastReplace(Path("backup")))));
    EXPECT_EQ("foo 1\nx\nfoo 2\n", Read("tree/a.txt"));
    EXPECT_FALSE(CanUndoReplace(Path("backup")));  // one step back only
    EXPECT_EQ(J(u8"元に戻す置換がありません。"), std::string(UndoReportText(UndoLastReplace(Path("backup")))));
}

TEST_F(ReplaceFiles, AFileEditedAfterTheReplaceIsNotUndone)
{
    Put("tree/a.txt", "foo\n");
    Put("tree/b.txt", "foo\n");
    Run({Target("a.txt", {1}), Target("b.txt", {1})});
    Put("tree/b.txt", "mine\n");
    EXPECT_EQ(J(u8"1 個のファイルを元に戻しました。\n置換の後に変更されたファイル 1 個はそのままにしました。"),
              std::string(UndoReportText(UndoLastReplace(Path("backup")))));
    EXPECT_EQ("foo\n", Read("tree/a.txt"));
    EXPECT_EQ("mine\n", Read("tree/b.txt"));
}

TEST_F(ReplaceFiles, EscStopsBetweenFilesAndTheNewestTenBackupsStay)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        Put("tree/"s + name, "foo\n");
    ReplaceReport r = Run({Target("a.txt", {1}), Target("b.txt", {1}), Target("c.txt", {1})}, "bar", 1);
    EXPECT_EQ(J(u8"中断しました。\n1 個のファイルで 1 箇所を置換しました。"), std::string(ReplaceReportText(r)));
    EXPECT_EQ("bar\n", Read("tree/a.txt"));
    EXPECT_EQ("foo\n", Read("tree/b.txt"));
    for (int k = 0; k < 11; ++k) {
        Put("tree/b.txt", "foo " + std::to_string(k) + "\n");
        Run({Target("b.txt", {1})});
    }
    EXPECT_EQ(10u, Backups());
    // A replace that writes nothing keeps no folder: the last one that did stays the one to undo.
    Run({Target("c.txt", {1})}, "foo");
    EXPECT_EQ(10u, Backups());
    UndoLastReplace(Path("backup"));
    EXPECT_EQ("foo 10\n", Read("tree/b.txt"));
}

TEST_F(ReplaceFiles, AKilledReplaceLeavesNoTemporaryFile)
{
    Put("tree/a.txt", "foo\n");
    Run({Target("a.txt", {1})});
    // A temporary file beside a finished replace's file is another run's, still going.
    Put("tree/a.txt" + std::string(".~tolvane"), "half");
    TidyAfterKilledReplace(Path("backup"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "tree/a.txt.~tolvane"));
    // Killed before its end, the replace never said it was finished.
    for (const auto& folder : std::filesystem::directory_iterator(m_dir / "backup"))
        std::filesystem::remove(folder.path() / "finished");
    TidyAfterKilledReplace(Path("backup"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "tree/a.txt.~tolvane"));
    EXPECT_EQ("bar\n", Read("tree/a.txt"));
}

// The preview of a row's line, lines printed as "LINE[*]:TEXT[marks]", the row's own with a *.
TEST_F(ReplaceFiles, PreviewShowsTheLinesAroundAsTheFileHoldsThem)
{
    const std::string bomLE = "\xFF\xFE";
    const struct {
        std::string bytes;
        uint64_t nLine;
        int nAround;
        std::string shown;  // "changed": the note instead of lines
    } cases[] = {
        {"foo\r\nb\r\nc\r\nd\r\n", 1, 2, "1*:foo[0:3] 2:b 3:c"},
        {"a\nb\nc\n\tfoo", 4, 2, "2:b 3:c 4*:    foo[4:3]"},
        {"a\nfoo foo\nc", 2, 0, "2*:foo foo[0:3,4:3]"},
        {"a\r\n\r\nfoo\r\n", 3, 3, "1:a 2: 3*:foo[0:3]"},
        {J(u8"ソ\\foo表"), 1, 1, u8"1*:ソ\\foo表[4:3]"},
        {u8"\xEF\xBB\xBF〜 foo\n", 1, 1, u8"1*:〜 foo[4:3]"},
        {bomLE + LE(u8"𠀋 foo\r\nb"), 1, 1, u8"1*:𠀋 foo[5:3] 2:b"},
        {"a\nb\n", 3, 1, "changed"},
        {"a\n" + std::string(70000, 'x') + "\nb\nfoo\nc", 4, 2, "2:" + std::string(70000, 'x') + " 3:b 4*:foo[0:3] 5:c"},
        {"a\n" + std::string(20000, 'x') + u8"\n\u3042\nfoo\xE2\x82\xAC\n", 4, 1, u8"3:\u3042 4*:foo\u20AC[0:3]"},
        // EUC-JP told far past the head, where the rows before had offsets; ISO-2022-JP, each line from ASCII.
        {"foo\n" + std::string(20000, 'x') + "\n" + E(u8"表示する\\foo"), 1, 2, "1*:foo[0:3] 2:" + std::string(20000, 'x') + u8" 3:表示する\\foo[13:3]"},
        {"a\n\x1B$B$\"\x1B(B foo\r\n\x1B$B$\"", 2, 1, u8"1:a 2*:あ foo[4:3] 3:あ"},
    };
    CSplicer marker(Rule("foo", "", kPlain));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        Put("tree/p.txt", c.bytes);
        std::vector<PreviewLine> lines;
        FileStamp stamp = Target("p.txt", {}).stamp;
        // Read from the file's start, and from the line's offset as the search keeps it.
        size_t at = 0;
        for (uint64_t n = 1; n < c.nLine && at != std::string::npos; ++n)
            at = c.bytes.find('\n', at) + 1;
        for (uint64_t nOffset : {UINT64_MAX, c.bytes[0] == '\xFF' ? UINT64_MAX : at}) {
            PreviewState state = ReadPreview(Path("tree/p.txt"), stamp, c.nLine, nOffset, c.nAround, marker, &lines);
            std::string shown = state == kPreviewChanged ? "changed" : "";
            for (const PreviewLine& l : lines) {
                shown += (shown.empty() ? "" : " ") + std::to_string(l.nLine) + (l.bOwn ? "*:" : ":") + l.text;
                for (size_t i = 0; i < l.marks.size(); ++i)
                    shown += (i ? "," : "[") + std::to_string(l.marks[i].nStart) + ":" + std::to_string(l.marks[i].nLength);
                shown += l.marks.empty() ? "" : "]";
            }
            EXPECT_EQ(c.shown, shown) << nOffset;
        }
    }
    // Written since the search, or gone: never lines that may be others.
    std::vector<PreviewLine> lines;
    FileStamp stamp = Target("p.txt", {}).stamp;
    Put("tree/p.txt", "b\na\n");
    EXPECT_EQ(kPreviewChanged, ReadPreview(Path("tree/p.txt"), FileStamp{stamp.nSize, stamp.nWriteTime + 1}, 1, 0, 1,
                                           marker, &lines));
    EXPECT_TRUE(lines.empty());
    std::filesystem::remove(m_dir / "tree/p.txt");
    EXPECT_EQ(kPreviewMissing, ReadPreview(Path("tree/p.txt"), stamp, 1, 0, 1, marker, &lines));
    EXPECT_TRUE(lines.empty());
}
