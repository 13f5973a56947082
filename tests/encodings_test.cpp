// The same rows from code page 932, UTF-8 and UTF-16 files: how the encoding
// is decided, what a row shows, and lines cut between characters.
#include "tests/search_fixture.h"

namespace {

class EncodingsTest : public SearchTest {};

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

TEST_F(EncodingsTest, SameRowsInEveryEncoding)
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

TEST_F(EncodingsTest, EncodingIsDecidedFromTheFirstBytesPastAscii)
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

TEST_F(EncodingsTest, ProgressStepsPerLineInEveryEncoding)
{
    Put("a.txt", "\xFF\xFE" + Utf16Bytes(u"1\n2\r\n3\n4\n5\n6\n7\n検索", false));
    Search("C:\\", "検索");
    EXPECT_EQ(1, CProgressCtrl(Item(IDC_PROGRESS)).GetPos());  // the eighth step passes 80
}

TEST_F(EncodingsTest, TypedQuestionMarkIsNoStandInForWhatCp932Lacks)
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

TEST_F(EncodingsTest, TextWithNoCharacterNeverMatchesInUnicodeFiles)
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

TEST_F(EncodingsTest, UnicodeLinesBeyondOneMebibyteAreCutBetweenCharacters)
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

TEST_F(EncodingsTest, Utf16PairsAcrossReadBlocks)
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

}  // namespace
