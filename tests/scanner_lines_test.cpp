// The line number and column of each row: the same text gives the same
// place whatever its encoding, line ends and read block size, and a column
// counts what a Windows editor counts (characters in code page 932, UTF-16
// units in Unicode text) from the line's real start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "text/mbcs.h"
#include "engine/scanner.h"

namespace {

typedef std::vector<std::pair<uint64_t, uint64_t>> Places;  // (line, column) of each row

class PlaceSink : public ScanSink {
public:
    void OnMatch(const char*, size_t, const char*, size_t, uint64_t nLineNo, uint64_t nColumn) override
    {
        places.push_back({nLineNo, nColumn});
    }
    void OnLines(uint64_t) override {}
    Places places;
};

class TempFile {
public:
    TempFile()
    {
        int fd = mkstemp(m_path);
        EXPECT_GE(fd, 0);
        close(fd);
    }
    ~TempFile() { std::remove(m_path); }
    const char* Path() const { return m_path; }

private:
    char m_path[32] = "/tmp/tolvane-lines-XXXXXX";
};

// How the search string is read.
enum Mode { kPlain, kRegex, kWord, kRegexWord };

// The places of the rows a search for NEEDLE (code page 932, folded here
// when FOLD) finds in BYTES, read in blocks of BLOCK bytes.
Places ScanPlaces(const std::string& bytes, std::string needle, bool bFold, size_t block, Mode mode = kPlain)
{
    SearchPattern pattern(needle.data(), needle.size(), mode == kRegex || mode == kRegexWord,
                          mode == kWord || mode == kRegexWord, bFold);
    TempFile temp;
    FILE* f = std::fopen(temp.Path(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (bFold)
        MbcsMakeLower(&needle[0], needle.size());
    ScanOptions options = {needle.c_str(), needle.size(), "", 0, bFold};
    if (mode != kPlain)
        options.pPattern = &pattern;
    ScanBuffers buffers;
    CRawFile file;
    EXPECT_TRUE(file.Open(temp.Path()));
    PlaceSink sink;
    size_t saved = g_nScanReadBlock;
    g_nScanReadBlock = block;
    ScanFile(file, options, buffers, sink);
    g_nScanReadBlock = saved;
    return sink.places;
}

// The code points of well-formed UTF-8 text.
std::vector<unsigned> CodePoints(const std::string& utf8)
{
    std::vector<unsigned> cps;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        unsigned cp;
        size_t len = Utf8Char(p + i, utf8.size() - i, &cp);
        if (len == 0 || len == SIZE_MAX) {
            ADD_FAILURE() << "no UTF-8: " << utf8;
            return cps;
        }
        cps.push_back(cp);
        i += len;
    }
    return cps;
}

std::string Utf16(const std::string& utf8, bool bBigEndian)
{
    std::string out;
    auto unit = [&](unsigned u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bBigEndian ? std::string{hi, lo} : std::string{lo, hi};
    };
    for (unsigned cp : CodePoints(utf8)) {
        if (cp < 0x10000) {
            unit(cp);
        } else {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Cp932(const std::string& utf8)
{
    std::string out;
    for (unsigned cp : CodePoints(utf8)) {
        unsigned short code;
        EXPECT_TRUE(UnicodeTo932(cp, &code)) << std::hex << cp;
        if (code > 0xFF)
            out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

struct Encoding {
    const char* name;
    std::string (*encode)(const std::string& utf8);  // the text, line ends included
    const char* bom;
};

const Encoding kEncodings[] = {
    {"code page 932", [](const std::string& s) { return Cp932(s); }, ""},
    {"UTF-8 without BOM", [](const std::string& s) { return s; }, ""},
    {"UTF-8 with BOM", [](const std::string& s) { return s; }, "\xEF\xBB\xBF"},
    {"UTF-16 LE", [](const std::string& s) { return Utf16(s, false); }, "\xFF\xFE"},
    {"UTF-16 BE", [](const std::string& s) { return Utf16(s, true); }, "\xFE\xFF"},
};

const size_t kBlocks[] = {256u << 10, 1, 7};

struct Case {
    const char* name;
    std::vector<std::string> lines;  // UTF-8, each but the last followed by a line end
    bool bLastEnds;                  // and the last one too
    std::string needle;              // UTF-8
    bool bFold;
    Places want;
    Mode mode = kPlain;
};

// Text every encoding holds, as UTF-8 (u8: other literals are code page 932
// in this build): the same rows at the same places in each.
const Case kCases[] = {
    {"a match on line 1, tabs and double-byte characters, the first of two",
     {"Tolvane", "none", u8"\tタブ\t全角 Tolvane", "", "x Tolvane y Tolvane"}, false, "Tolvane", false,
     {{1, 1}, {3, 8}, {5, 3}}},
    {"the same with a last line end", {"Tolvane", "none", u8"\tタブ\t全角 Tolvane", "", "x Tolvane y Tolvane"}, true,
     "Tolvane", false, {{1, 1}, {3, 8}, {5, 3}}},
    // ア is 83 41 in code page 932: its trail byte is an A that is no match.
    {"a needle byte inside a character before the match", {u8"アA", u8"ア", u8"xアyA"}, true, "A", false,
     {{1, 2}, {3, 4}}},
    {"without case after full-width letters", {u8"ＡＢＣ tolVANE", "abc", u8"ＴＯＬＶＡＮＥ TOLVANE"}, true, "tolvane",
     true, {{1, 5}, {3, 9}}},
    {"a full-width letter found without case", {u8"aＡＢ b", u8"ｂ"}, false, u8"ｂ", true, {{1, 3}, {2, 1}}},
    {"no match", {"abc", "def"}, true, "Tolvane", false, {}},
    {"an empty file", {}, false, "Tolvane", false, {}},
    // Both forms of a character Unicode writes two ways, and a row for each.
    {"the JIS and the Microsoft tilde", {u8"a\u301Cb", u8"a\uFF5Eb", "a~b"}, true, u8"\uFF5E", false,
     {{1, 2}, {2, 2}}},
    {"the cent sign, two bytes of UTF-8 or three", {u8"x\u00A2", u8"\uFFE0"}, false, u8"\uFFE0", false,
     {{1, 2}, {2, 1}}},
    {"both dashes through a pattern", {u8"\u2014\u2015", u8"x\u2212"}, false, u8"\u2015\u2015|x\uFF0D", false,
     {{1, 1}, {2, 1}}, kRegex},
    // Patterns: classes go by code point whatever the encoding (亜 comes
    // before 一 in code page 932 order), matches start on characters.
    {"a regular expression of a literal", {"ab Tolvane", "x"}, true, "Tol.ane", false, {{1, 4}}, kRegex},
    {"katakana class", {u8"xxファイル名", u8"ひらがなる", u8"カル"}, true, u8"[ァ-ヶ]+ル", false, {{1, 3}, {3, 1}},
     kRegex},
    {"kanji class", {u8"abc 亜細亜", u8"かな", u8"一"}, false, u8"[一-龠]+", false, {{1, 5}, {3, 1}}, kRegex},
    {"no match inside a character", {u8"ア", u8"xZ"}, false, "[@-Z]", false, {{2, 2}}, kRegex},
    {"anchors at the line's ends", {"#include <a.h>", " #include", "a.h> x"}, true, "^#include.*\\.h>$", false,
     {{1, 1}}, kRegex},
    {"alternation in a group", {u8"引数を渡す", u8"xオプションを", u8"オプション"}, true, u8"(?:オプション|引数)を",
     false, {{1, 1}, {2, 2}}, kRegex},
    {"digits, full-width ones too", {"ab 12 345", "12", u8"全角１２３"}, true, "\\d{3,}", false, {{1, 7}, {3, 3}},
     kRegex},
    {"no match spans a line end", {"a", "b", "a  b", "a[x]b"}, true, "a\\s+b|a[^x]+b", false, {{3, 1}}, kRegex},
    {"case folds as in the plain search", {u8"xＴＯＬ", "VANE", "none", u8"Σ"}, true, u8"ｔｏｌ|vane|σ", true,
     {{1, 2}, {2, 1}, {4, 1}}, kRegex},
    {"case kept", {u8"xＴＯＬ", "VANE", u8"ｔｏｌ"}, true, u8"ｔｏｌ|vane", false, {{3, 1}}, kRegex},
    {"lazy quantifier and escapes", {"a.b.c", "abc"}, true, "a.*?\\.c", false, {{1, 1}}, kRegex},
    // Whole words: a match counts only where the kind of character changes.
    {"an identifier", {"width id", "id_x", "(id)", "ID"}, true, "id", false, {{1, 7}, {3, 2}}, kWord},
    {"without case", {"width ID", "Id"}, true, "id", true, {{1, 7}, {2, 1}}, kWord},
    {"kanji before hiragana", {u8"検索する", u8"全文検索", u8"検索", u8"検索々"}, true, u8"検索", false,
     {{1, 1}, {3, 1}}, kWord},
    {"katakana, the long mark and half-width ones", {u8"ファイルズ", u8"ファイル名", u8"ｶﾅファイル", u8"ファイルー"},
     true, u8"ファイル", false, {{2, 1}}, kWord},
    {"full-width letters", {u8"ＡＢＣ", u8"ＡＢ c", u8"ＡＢｃ"}, true, u8"ＡＢ", false, {{2, 1}}, kWord},
    {"a pattern as a whole word, tried at each start", {"a123", "x 123 456", u8"１２"}, true, "\\d+", false,
     {{2, 3}, {3, 1}}, kRegexWord},
};

std::string Text(const Case& c, const char* lineEnd)
{
    std::string text;
    for (size_t i = 0; i < c.lines.size(); ++i)
        text += c.lines[i] + (i + 1 < c.lines.size() || c.bLastEnds ? lineEnd : "");
    return text;
}

TEST(ScanLines, TheSameTextGivesTheSamePlacesInEveryEncoding)
{
    for (const Case& c : kCases) {
        for (const Encoding& e : kEncodings) {
            for (const char* lineEnd : {"\n", "\r\n"}) {
                for (size_t block : kBlocks) {
                    SCOPED_TRACE(std::string(c.name) + ", " + e.name + (lineEnd[0] == '\r' ? ", CR LF" : ", LF") +
                                 ", blocks of " + std::to_string(block));
                    std::string bytes = e.bom + e.encode(Text(c, lineEnd));
                    EXPECT_EQ(c.want, ScanPlaces(bytes, Cp932(c.needle), c.bFold, block, c.mode));
                }
            }
        }
    }
}

// What only Unicode text holds, as file bytes, with a search for Tolvane.
TEST(ScanLines, ColumnsCountUtf16UnitsInUnicodeText)
{
    const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600, outside the BMP
    const struct {
        const char* name;
        std::string bytes;
        Places want;
    } cases[] = {
        {"a character outside the BMP in UTF-8", "x\n" + emoji + "Tolvane\n", {{2, 3}}},
        {"the same in UTF-16 LE", "\xFF\xFE" + Utf16("x\n" + emoji + "Tolvane\n", false), {{2, 3}}},
        {"the same in UTF-16 BE", "\xFE\xFF" + Utf16("x\n" + emoji + "Tolvane", true), {{2, 3}}},
        {"a byte that is no UTF-8", "\xEF\xBB\xBF\xFFx Tolvane", {{1, 4}}},
        {"a character cut short: two such bytes", u8"\xEF\xBB\xBFあ\xE3\x81x Tolvane", {{1, 6}}},
        {"a lone surrogate in UTF-16 LE", std::string("\xFF\xFE\x00\xD8", 4) + Utf16("x Tolvane", false), {{1, 4}}},
        {"a lone surrogate in UTF-16 BE", std::string("\xFE\xFF\xDC\x00", 4) + Utf16("x\tTolvane", true),
         {{1, 4}}},
    };
    for (const auto& c : cases) {
        for (size_t block : kBlocks) {
            SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(block));
            EXPECT_EQ(c.want, ScanPlaces(c.bytes, "Tolvane", false, block));
        }
    }
}

// A line longer than a piece is handed over in pieces, each a row of its own
// when it matches, all with the line's number and with columns counted from
// the line's start; the next line's number is not moved by the cut.
TEST(ScanLines, PiecesOfALongLineKeepItsNumberAndColumns)
{
    const size_t n = kMaxLinePiece + 100;
    const std::string a = "\xE3\x81\x82";  // あ
    std::string wide;
    for (size_t i = 0; i < n / 2; ++i)
        wide += a;
    const struct {
        const char* name;
        std::string bytes;
        Places want;
    } cases[] = {
        {"single bytes", "x\n" + std::string(n, 'a') + "Tolvane\nTolvane\n", {{2, n + 1}, {3, 1}}},
        {"a match in each piece", "Tolvane" + std::string(kMaxLinePiece, 'a') + "Tolvane\r\nyTolvane",
         {{1, 1}, {1, kMaxLinePiece + 8}, {2, 2}}},
        {"double-byte characters", Cp932(wide) + "Tolvane\nTolvane", {{1, n / 2 + 1}, {2, 1}}},
        {"three-byte characters in UTF-8", wide + "Tolvane\nTolvane", {{1, n / 2 + 1}, {2, 1}}},
        {"characters outside the BMP in UTF-16", "\xFF\xFE" + Utf16(wide + "\xF0\x9F\x98\x80Tolvane\nTolvane", false),
         {{1, n / 2 + 3}, {2, 1}}},
    };
    for (const auto& c : cases) {
        for (size_t block : {size_t(256u << 10), size_t(65537)}) {
            SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(block));
            EXPECT_EQ(c.want, ScanPlaces(c.bytes, "Tolvane", false, block));
        }
    }
}

// Line numbers past many blocks, counted only up to the matches.
TEST(ScanLines, LineNumbersRunOnAcrossBlocks)
{
    std::string bytes;
    Places want;
    for (uint64_t i = 1; i <= 100000; ++i) {
        bool bMatch = i % 7919 == 0 || i == 100000;
        bytes += bMatch ? "ab Tolvane\r\n" : "abc\n";
        if (bMatch)
            want.push_back({i, 4});
    }
    for (size_t block : {size_t(256u << 10), size_t(4093), size_t(3)}) {
        SCOPED_TRACE("blocks of " + std::to_string(block));
        EXPECT_EQ(want, ScanPlaces(bytes, "Tolvane", false, block));
    }
}

// A position in the folded line is the same one in the line as read only
// when folding keeps each character's columns and bytes.
TEST(ScanLines, FoldingKeepsEveryCharactersColumnsAndBytes)
{
    for (size_t i = 0; i < MbcsFoldTableSize(); ++i) {
        unsigned short from, to;
        MbcsFoldPair(i, &from, &to);
        EXPECT_TRUE(from > 0xFF && to > 0xFF && IsLeadByte932(from >> 8) && IsLeadByte932(to >> 8))
            << std::hex << from << " -> " << to;
    }
    for (size_t i = 0; i < Utf8FoldTableSize(); ++i) {
        unsigned from, to;
        Utf8FoldPair(i, &from, &to);
        char a[4], b[4];
        EXPECT_EQ(PutUtf8(a, from) - a, PutUtf8(b, to) - b) << std::hex << from << " -> " << to;
        EXPECT_EQ(from >= 0x10000, to >= 0x10000) << std::hex << from << " -> " << to;
    }
}

}  // namespace

namespace {

// What a pattern is read to hold: a literal too long or a class run too
// strict would leave out lines that match.
TEST(ScanLines, PatternNeedsHoldInEveryMatch)
{
    const struct {
        const char* pattern;
        const char* literal;
        bool bOnlyLiteral;
        const char* classAtom;
        unsigned nClassRun;
    } cases[] = {
        {"Tolvane", "Tolvane", true, "", 0},
        {"a\\.b\\\\", "a.b\\", true, "", 0},
        {"ソ表", "ソ表", true, "", 0},  // trail bytes 5C are no backslash
        {"a{x", "a{x", true, "", 0},     // a brace that makes no count stands for itself
        {"ファイル.*名", "ファイル", false, "", 0},
        {"[ァ-ヶ]+ル", "ル", false, "", 0},
        {"(?:オプション|引数)を", "を", false, "", 0},
        {"ab?c", "a", false, "", 0},
        {"abc*d", "ab", false, "", 0},
        {"ab{2}c", "ab", false, "", 0},
        {"a{,2}bc", "bc", false, "", 0},
        {"^#include", "#include", false, "", 0},
        {"\\d{3,}", "", false, "\\d", 3},
        {"\\w+?\\d", "", false, "\\w", 1},
        {"[ァ-ヶ]*[一-龠]{2}", "", false, "[一-龠]", 2},
        {"\\s*x?", "", false, "", 0},
        {"〜x", "x", false, "", 0},  // either form of 〜 in a Unicode file
        {"a|b", "", false, "", 0},
        {"(?i)abc", "", false, "", 0},
        {"x\\p{Han}yz", "", false, "", 0},
        {"abc\\", "", false, "", 0},
    };
    for (const auto& c : cases) {
        PatternNeeds needs = ReadPatternNeeds(c.pattern, std::strlen(c.pattern));
        EXPECT_EQ(c.literal, needs.literal) << c.pattern;
        EXPECT_EQ(c.bOnlyLiteral, needs.bOnlyLiteral) << c.pattern;
        EXPECT_EQ(c.classAtom, needs.classAtom) << c.pattern;
        EXPECT_EQ(c.nClassRun, needs.nClassRun) << c.pattern;
    }
}

}  // namespace
