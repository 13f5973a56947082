// The scan of one file: which lines match, their line and column (as a Windows editor counts: code page 932
// characters, UTF-16 units in Unicode text), what a row shows and under which headword, how the encoding is decided,
// binary files, and long lines cut into pieces.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/file_text.h"
#include "engine/scanner.h"
#include "platform/files.h"
#include "text/jis.h"
#include "text/mbcs.h"

namespace {

using namespace std::string_literals;
typedef std::vector<std::pair<uint64_t, uint64_t>> Places;  // (line, column) of each row

// Each row as "line:column [headword] text|", without brackets when no headword.
struct Scan : ScanSink {
    void OnMatch(const char* line, size_t n, const char* head, size_t nHead, uint64_t nLine, uint64_t nColumn,
                 uint64_t nOffset) override
    {
        offsets.push_back(nOffset);
        rows += std::to_string(nLine) + ":" + std::to_string(nColumn) + " " +
                (nHead ? "[" + std::string(head, nHead) + "] " : "") + std::string(line, n) + "|";
        texts.emplace_back(line, n);
        places.push_back({nLine, nColumn});
    }
    void OnLines(uint64_t n) override { nLines += n; }
    void OnBinary() override { bBinary = true, rows += "binary|"; }
    std::string rows;
    std::vector<std::string> texts;
    Places places;
    std::vector<uint64_t> offsets;
    uint64_t nLines = 0;
    bool bBinary = false;
};

enum Mode { kPlain, kRegex, kWord, kRegexWord, kSkipBinary };  // the last: plain, binary files left out
struct Query {  // code page 932, as typed
    Query(std::string n, std::string m = "", bool f = false, Mode o = kPlain)
        : needle(n), marker(m), bFold(f), mode(o) {}
    std::string needle, marker;
    bool bFold;
    Mode mode;
};

const size_t kBlocks[] = {256u << 10, 1, 7};
ScanBuffers g_buffers;  // one set for all, as a worker's serves file after file

// BYTES as a file, scanned for Q folded as the search command folds it, in blocks of BLOCK bytes. With a marker, a
// file of one headword line goes first: a headword carried over into the next file would show.
Scan ScanBytes(const std::string& bytes, Query q, size_t block = kBlocks[0], int nEncoding = kAutoDetect)
{
    SearchPattern pattern(q.needle.data(), q.needle.size(), q.mode & kRegex, q.mode & kWord, q.bFold);
    if (q.bFold) {
        MbcsMakeLower(&q.needle[0], q.needle.size());
        MbcsMakeLower(&q.marker[0], q.marker.size());
    }
    ScanOptions options = {q.needle.c_str(), q.needle.size(), q.marker.c_str(), q.marker.size(), q.bFold,
                           q.mode == kSkipBinary, q.mode % kSkipBinary ? &pattern : nullptr, nEncoding};
    const std::string path = "/tmp/tolvane-scan-" + std::to_string(getpid());
    size_t saved = g_nScanReadBlock;
    g_nScanReadBlock = block;
    Scan scan;
    for (const std::string& file : q.marker.empty() ? std::vector{bytes} : std::vector{q.marker, bytes}) {
        std::ofstream(path, std::ios::binary) << file;
        CRawFile raw;
        EXPECT_TRUE(raw.Open(path.c_str()));
        scan = Scan();
        int n = ScanFile(raw, options, g_buffers, scan);
        EXPECT_EQ(static_cast<int>(scan.texts.size()), n);
    }
    // A row's offset leads to its line (or to its piece of an over-long
    // one). Only a file read through a decoding has rows without one.
    size_t at0;
    bool bWideMark = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0);
    int e = nEncoding != kAutoDetect ? nEncoding : DetectEncoding(bytes.data(), bytes.size(), true, true, &at0);
    bool bAsIs = !bWideMark && (e == kCp932 || e == kUtf8 || e == kAutoDetect);
    for (size_t i = 0; i < scan.offsets.size(); ++i) {
        uint64_t at = scan.offsets[i];
        EXPECT_TRUE(!bAsIs || at != kNoOffset) << i;
        if (at == kNoOffset || at > bytes.size()) {
            EXPECT_TRUE(at == kNoOffset) << i;
            continue;
        }
        EXPECT_EQ(scan.places[i].first, 1 + std::count(bytes.begin(), bytes.begin() + at, '\n')) << i;
        EXPECT_TRUE(at == 0 || bytes[at - 1] == '\n' || (at == 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) ||
                    scan.places[i].second > kMaxLinePiece / 4) << i;
    }
    std::remove(path.c_str());
    g_nScanReadBlock = saved;
    return scan;
}

std::string Cp932(const std::string& utf8)
{
    std::string out(utf8.size(), '\0');
    return out.substr(0, Utf8To932(utf8.data(), utf8.size(), &out[0]));
}
// S in encoding TO by glibc's iconv, the reference the product is held to; false when TO lacks a character of it.
bool Iconv(const std::string& s, const char* from, const char* to, std::string* out)
{
    iconv_t cd = iconv_open(to, from);
    out->assign(s.size() * 4 + 16, '\0');
    char *in = const_cast<char*>(s.data()), *o = &(*out)[0];
    size_t nIn = s.size(), nOut = out->size();
    bool bOk = iconv(cd, &in, &nIn, &o, &nOut) != size_t(-1) && iconv(cd, nullptr, nullptr, &o, &nOut) != size_t(-1);
    iconv_close(cd);
    out->resize(out->size() - nOut);
    return bOk;
}
std::string Euc(const std::string& utf8, const char* to = "EUC-JP")
{
    std::string out;
    EXPECT_TRUE(Iconv(utf8, "UTF-8", to, &out)) << utf8;
    return out;
}
std::string Utf16(const std::string& utf8, bool bBigEndian = false)
{
    std::string out;
    auto unit = [&](unsigned u) { out += bBigEndian ? ""s + char(u >> 8) + char(u) : ""s + char(u) + char(u >> 8); };
    for (size_t i = 0, len; i < utf8.size(); i += len) {
        unsigned cp;
        len = Utf8Char(reinterpret_cast<const unsigned char*>(&utf8[i]), utf8.size() - i, &cp);
        if (cp >= 0x10000)
            unit(0xD800 + ((cp - 0x10000) >> 10));
        unit(cp >= 0x10000 ? 0xDC00 + ((cp - 0x10000) & 0x3FF) : cp);
    }
    return out;
}

// Files as they stand on disk: code page 932 text, binary files, what decides a file's encoding, and what only
// Unicode text holds. A row shows ? for a character code page 932 lacks and for each byte of no character, which a
// typed ? never matches.
TEST(Scanner, RowsOfAFile)
{
    // Lead bytes 81-9F and E0-FC take the next byte, 80, A0, DF and FD do not:
    // over a vector's width before the first candidate, and between candidates.
    const std::string some = "\x81\x42\x9f\x42\xe0\x42\xfc\x42\x80\xa0\xdf\xfd",
                      leads = some + some + some + "\x81\x41\x9f\x41\xe0\x41\xfc\x41\x80\xa0\xdf\xfd";
    std::string e = "\xF0\x9F\x98\x80", a1365, x8191(8191, 'x');  // U+1F600, outside the BMP; 4,095 bytes of あ
    for (int i = 0; i < 1365; ++i)
        a1365 += u8"あ";
    const std::string q = u8"a€b\n" + std::string(8 << 10, '-') + "\nc\xFF" "d\ne?f\n" + e + "g\n";  // UTF-8 after all
    const std::string u = u8"■ 検索\n検索 x\n", c = "\x85\x40 \x8C\x9F\x8D\xF5\n検\n";  // 85 40 is no character
    const struct { const char* name; std::string bytes; Query q; std::string rows; } cases[] = {
        {"a match before the first headword", "foo 1\n## h\nfoo 2\n", {"foo", "##"}, "1:1 foo 1|3:1 [## h] foo 2|"},
        {"earlier headwords", "## 1\nx\nfoo\n##\n## 2\nx\nfoo\n", {"foo", "##"}, "3:1 [## 1] foo|7:1 [## 2] foo|"},
        {"its own headword", "x\n## foo\tbar\n", {"foo", "##"}, "2:4 [## foo\tbar] ## foo\tbar|"},
        {"an empty marker", "## foo\n", {"foo"}, "1:4 ## foo|"},
        {"lead bytes", leads + "A\n", {"A"}, "1:33 " + leads + "A|"},
        {"on past a candidate inside a character", "\x81\x81\x41\x81\x41\n", {"\x81\x41"}, "1:3 \x81\x81\x41\x81\x41|"},
        // FA 40 is folded onto from codes of four lead bytes and three trail bytes: EE EF is the last of each.
        {"every byte that folds onto the first and last", "x\xEE\xEF\n", {"\xFA\x40", "", true}, "1:2 x\xEE\xEF|"},
        {"no trail byte A without case", "\x83\x41\n\x83\x41" "A\n", {"a", "", true}, "2:2 \x83\x41" "A|"},
        {"no match from a trail byte on", "\x83\x41\x83\x41\n", {"\x41\x83"}, ""},
        {"no trail byte 5C", "\x83\x5c\nC:\\dir\n", {"\\"}, "2:3 C:\\dir|"},
        {"no marker in a trail byte", "\x83\x5c foo\n", {"foo", "\\"}, "1:3 \x83\x5c foo|"},
        {"a CR that ends no line stays", "foo\rbar\r\n\n\r\nfoo\r", {"foo"}, "1:1 foo\rbar|4:1 foo\r|"},
        {"shown up to a NUL", "foo\0bar\n"s, {"foo"}, "1:1 foo|"},
        {"searched up to a NUL", "foo\0bar\nbar\n"s, {"bar"}, "2:1 bar|"},
        {"no marker after a NUL", "x\0##\nfoo\n"s, {"foo", "##"}, "2:1 foo|"},
        {"a lone lead byte ends its line", "x\x83\nAbc\n", {"A"}, "2:1 Abc|"},
        {"text ending in a lead byte", "x\x83\x41\nx\x83\n", {"x\x83"}, "2:1 x\x83|"},
        {"the same without case", "X\x83\x41\nX\x83\n", {"x\x83", "", true}, "2:1 X\x83|"},
        // Binary: a NUL in the first 8,192 bytes, and no UTF-16 mark.
        {"NUL at byte 8,191", x8191 + "\0\nfoo\n"s, {"foo", "", false, kSkipBinary}, "binary|"},
        {"NUL at byte 8,192", x8191 + "x\0\nfoo\n"s, {"foo", "", false, kSkipBinary}, "2:1 foo|"},
        {"8,192 bytes, the last a NUL", x8191 + "\0"s, {"foo", "", false, kSkipBinary}, "binary|"},
        {"8,192 bytes without a NUL", x8191.substr(3) + "\nfoo", {"foo", "", false, kSkipBinary}, "2:1 foo|"},
        {"NUL first", "\0foo\n"s, {"foo", "", false, kSkipBinary}, "binary|"},
        {"UTF-16 with its mark", "\xFE\xFF" + Utf16("foo\n", true), {"foo", "", false, kSkipBinary}, "1:1 foo|"},
        {"UTF-16 without a mark, read", Utf16("foo\n"), {"foo", "", false, kSkipBinary}, "1:1 foo|"},
        {"a UTF-8 mark, then a NUL", "\xEF\xBB\xBF" "foo\0\n"s, {"foo", "", false, kSkipBinary}, "binary|"},
        // Unicode.
        {"beyond the BMP in UTF-8", "x\n" + e + "Tolvane\n", {"Tolvane"}, "2:3 ?Tolvane|"},
        {"in UTF-16", "\xFF\xFE" + Utf16("x\n" + e + "Tolvane\n"), {"Tolvane"}, "2:3 ?Tolvane|"},
        {"through a pattern", "x\n" + e + "Tolvane\n", {"Tol.ane", "", false, kRegex}, "2:3 ?Tolvane|"},
        {"a pair read as its code point", "\xFF\xFE" + Utf16("a" + e), {"\\x{1F600}", "", false, kRegex}, "1:2 a?|"},
        {"a byte that is no UTF-8", "\xEF\xBB\xBF\xFFx Tolvane", {"Tolvane"}, "1:4 ?x Tolvane|"},
        {"a character cut short", u8"\xEF\xBB\xBFあ\xE3\x81x Tolvane", {"Tolvane"}, "1:6 あ??x Tolvane|"},
        {"overlong, surrogate, too high", "\xEF\xBB\xBF\xE0\x80\x80 \xED\xA0\x80 \xF4\x90\x80\x80 \xC1\xBF Tolvane",
         {"Tolvane"}, "1:17 ??? ??? ???? ?? Tolvane|"},
        {"a lone surrogate, BE", "\xFE\xFF\xDC\x00"s + Utf16("x\tTolvane", true), {"Tolvane"}, "1:4 ?x\tTolvane|"},
        {"a pair with the last low half", "\xFF\xFE\x3C\xD8\xFF\xDF"s + Utf16(" Tolvane"), {"Tolvane"}, "1:4 ? Tolvane|"},
        {"a pair across the end of a read", "\xFF\xFE" + Utf16(std::string(131071, 'x') + e), {"x"},
         "1:1 " + std::string(131071, 'x') + "?|"},
        {"a pair, a lone surrogate, an odd last byte", "\xFF\xFE" + Utf16(e) + "\x00\xD8"s + Utf16(u8"検索") + "x",
         {"検索"}, "1:4 ??検索?|"},
        // The first 4 KiB from the first byte of 80 or more decide the encoding.
        {"UTF-8 after 300 KiB of ASCII", std::string(300 << 10, 'a') + u8"\nx検索ア\n", {"検索"}, "2:2 x検索ア|"},
        {"UTF-8 of two bytes first", "caf\xC3\xA9 Tolvane", {"Tolvane"}, "1:6 caf? Tolvane|"},
        {"UTF-8 turning invalid stays CP932", "\xE3\x81\x82\xA0 検索\n", {"検索"}, "1:4 \xE3\x81\x82\xA0 検索|"},
        {"invalid at its 4,096th byte", a1365 + "\xFF\nx" + u8"あ Tolvane", {"Tolvane"}, "2:4 x\xE3\x81\x82 Tolvane|"},
        {"invalid just past it", a1365 + "a\xFF\nx" + u8"あ Tolvane", {"Tolvane"}, "2:4 xあ Tolvane|"},
        {"a lone lead byte at the end stays CP932", "\xE3\x81\x82 検索\xE3", {"検索"}, "1:3 \xE3\x81\x82 検索\xE3|"},
        {"a UTF-8 start cut by the end stays CP932", "Tolvane \xE3\x81", {"Tolvane"}, "1:1 Tolvane \xE3\x81|"},
        {"CP932 from its first byte", "ア検索\n", {"検索"}, "1:2 ア検索|"},
        {"invalid bytes after a UTF-8 start", u8"あ\n" + std::string(8 << 10, 'b') + "\nx\xFF\xC0\xE3\x81y" + u8"検索\n",
         {"検索"}, "3:7 x????y検索|"},
        {"characters CP932 lacks", u8"€" + e + u8"é 検索", {"検索"}, "1:6 ??? 検索|"},
        {"a UTF-8 mark before CP932 bytes", "\xEF\xBB\xBF\x8C\x9F\x8D\xF5", {"検索"}, ""},
        {"UTF-8 cut inside its last character", u8"検索\xE3\x81", {"検索"}, "1:1 検索??|"},
        {"UTF-16 without a mark stays CP932", Utf16(u8"検索") + "検索", {"検索"}, "1:5 " + Utf16(u8"検索") + "検索|"},
        {"EUC-JP after 300 KiB of ASCII", std::string(300 << 10, 'a') + "\n" + Euc(u8"x検索ア\n"), {"検索"}, "2:2 x検索ア|"},
        {"an escape of another kind, then EUC-JP", "\x1B[1m" + Euc(u8"x検索\n"), {"検索"}, "1:6 \x1B[1mx検索|"},
        {"ISO-2022-JP, a byte of 80 or more later", Euc(u8"検索\n", "ISO-2022-JP") + std::string(4096, 'a') + "\nx\xA4\xA2y",
         {"y"}, "3:4 x??y|"},
        {"a typed ?", q, {"?", "", true}, "4:2 e?f|"},
        {"one ? beyond the BMP", q, {"g"}, "5:3 ?g|"},
        {"text with no character", u, {"\x85\x40"}, ""},
        {"text ending in a lead byte", u, {"検\x8C", "", true}, ""},
        {"a marker with no character", u, {"x", "\x85\x40"}, "2:4 検索 x|"},
        {"a marker", u, {"x", "■", true}, "2:4 [■ 検索] 検索 x|"},
        {"the same bytes in CP932", c, {"\x85\x40"}, "1:1 \x85\x40 検索|"},
        {"a marker of them", c, {"検", "\x85\x40", true}, "1:3 [\x85\x40 検索] \x85\x40 検索|2:1 [\x85\x40 検索] 検|"},
    };
    for (const auto& c : cases) {
        for (size_t block : kBlocks) {
            if (block > 100 || c.bytes.size() < 10000) {  // a long line read by the byte is looked through at every one
                Scan scan = ScanBytes(c.bytes, c.q, block);
                EXPECT_EQ(c.rows, scan.rows) << c.name << ", blocks of " << block;
                EXPECT_TRUE(!scan.bBinary || scan.nLines == 0) << c.name << ": a binary file is read as lines";
            }
        }
    }
}

// Text every encoding holds, as UTF-8 (u8: other literals are code page 932
// in this build): the same rows in each, with every line end and block size.
TEST(Scanner, TheSameTextGivesTheSameRowsInEveryEncoding)
{
    const struct { const char* name; std::vector<std::string> lines; Query q; Places want; } cases[] = {
        {"tabs, double-byte characters, two matches", {"Tolvane", "-", u8"\tタブ\t全角 Tolvane", "", "x Tolvane y Tolvane"},
         {"Tolvane"}, {{1, 1}, {3, 8}, {5, 3}}},
        {"headwords", {u8"■見出し一", u8"検索\tＡＢＣ αβγ", u8"■見出し二", u8"ＡＢＣ 検索"}, {u8"検索", u8"■"}, {{2, 1}, {4, 5}}},
        // ア is 83 41 in code page 932: its trail byte is an A that is no match.
        {"a needle byte inside a character", {u8"アA", u8"ア", u8"xアyA"}, {"A"}, {{1, 2}, {3, 4}}},
        {"without case after full-width letters", {u8"ＡＢＣ tolVANE", "abc", u8"ＴＯＬＶＡＮＥ TOLVANE"},
         {"tolvane", "", true}, {{1, 5}, {3, 9}}},
        {"a full-width letter without case", {u8"aＡＢ b", u8"ｂ"}, {u8"ｂ", "", true}, {{1, 3}, {2, 1}}},
        {"Greek and Roman numerals without case", {u8"ΑΒΓ Ⅳ", u8"αβγ", u8"ⅳ"}, {u8"αβγ", u8"ⅳ", true},
         {{1, 1}, {2, 1}}},
        {"an empty file", {}, {"Tolvane"}, {}},
        // Both forms of a character Unicode writes two ways, and a row for each.
        {"the JIS and the Microsoft tilde", {u8"a\u301Cb", u8"a\uFF5Eb", "a~b"}, {u8"\uFF5E"}, {{1, 2}, {2, 2}}},
        {"the cent sign, two bytes of UTF-8 or three", {u8"x\u00A2", u8"\uFFE0"}, {u8"\uFFE0"}, {{1, 2}, {2, 1}}},
        {"both dashes, a pattern", {u8"\u2014\u2015", u8"x\u2212"}, {u8"\u2015\u2015|x\uFF0D", "", false, kRegex},
         {{1, 1}, {2, 1}}},
        // Patterns: classes go by code point whatever the encoding (亜 comes
        // before 一 in code page 932 order), matches start on characters.
        {"katakana class", {u8"xxファイル名", u8"ひらがなる", u8"カル"}, {u8"[ァ-ヶ]+ル", "", false, kRegex}, {{1, 3}, {3, 1}}},
        {"kanji class", {u8"abc 亜細亜", u8"かな", u8"一"}, {u8"[一-龠]+", "", false, kRegex}, {{1, 5}, {3, 1}}},
        {"no match inside a character", {u8"ア", u8"xZ"}, {"[@-Z]", "", false, kRegex}, {{2, 2}}},
        {"digits, full-width too", {"ab 12 345", "12", u8"全角１２３"}, {"\\d{3,}", "", false, kRegex}, {{1, 7}, {3, 3}}},
        {"case folds as in the plain search", {u8"xＴＯＬ", "VANE", "-", u8"Σ"}, {u8"ｔｏｌ|vane|σ", "", true, kRegex},
         {{1, 2}, {2, 1}, {4, 1}}},
        {"escapes keep their case without case", {"12", "ab"}, {"\\D", "", true, kRegex}, {{2, 1}}},
        // Whole words: a match counts only where the kind of character changes.
        {"an identifier", {"width id", "id_x", "(id)", "ID"}, {"id", "", false, kWord}, {{1, 7}, {3, 2}}},
        {"a word without case", {"width ID", "Id"}, {"id", "", true, kWord}, {{1, 7}, {2, 1}}},
        {"kanji before hiragana", {u8"検索する", u8"全文検索", u8"検索", u8"検索々"}, {u8"検索", "", false, kWord}, {{1, 1}, {3, 1}}},
        {"katakana, the long mark, half-width ones", {u8"ファイルズ", u8"ファイル名", u8"ｦファイル", u8"ファイルー"},
         {u8"ファイル", "", false, kWord}, {{2, 1}}},
        {"full-width letters", {u8"ＡＢＣ", u8"ＡＢ c", u8"ＡＢｃ"}, {u8"ＡＢ", "", false, kWord}, {{2, 1}}},
        {"a pattern as a whole word at each start", {"a123", "x 123 456", u8"１２"}, {"\\d+", "", false, kRegexWord},
         {{2, 3}, {3, 1}}},
    };
    // CP932; UTF-8; with a mark: UTF-8, UTF-16 LE, BE; without: UTF-16 LE, BE, EUC-JP, ISO-2022-JP, each of the last
    // four also chosen by hand.
    const char* boms[] = {"", "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "", "", "", ""};
    const int chosen[] = {0, 0, 0, 0, 0, kUtf16Le, kUtf16Be, kEucJp, kIso2022Jp};
    for (const auto& c : cases) {
        const Query q = {Cp932(c.q.needle), Cp932(c.q.marker), c.q.bFold, c.q.mode};
        for (int nEnd = 0; nEnd < 4; ++nEnd) {
            std::string text;  // LF or CR LF, with or without one after the last line
            for (size_t i = 0; i < c.lines.size(); ++i)
                text += c.lines[i] + (i + 1 < c.lines.size() || (nEnd & 1) ? (nEnd & 2 ? "\r\n" : "\n") : "");
            std::string copies[9];
            bool bHas[9];
            for (int e = 1; e < 9; ++e) {
                copies[e] = e < 3 ? text : Utf16(text, e == 4 || e == 6);
                // A text with a character EUC-JP or ISO-2022-JP lacks has no copy in it.
                bHas[e] = e < 7 || Iconv(text, "UTF-8", e == 7 ? "EUC-JP" : "ISO-2022-JP", &copies[e]);
            }
            for (size_t block : kBlocks) {
                const Scan cp932 = ScanBytes(Cp932(text), q, block);
                EXPECT_EQ(c.want, cp932.places) << c.name << ", line ends " << nEnd << ", blocks of " << block;
                for (int e = 1; e < 9; ++e) {
                    if (!bHas[e])
                        continue;
                    Scan scan = ScanBytes(boms[e] + copies[e], q, block);
                    EXPECT_EQ(cp932.rows, scan.rows) << c.name << ", encoding " << e << ", " << nEnd << ", " << block;
                    EXPECT_EQ(c.lines.size(), scan.nLines) << c.name << ", encoding " << e;
                    if (chosen[e])
                        EXPECT_EQ(cp932.rows, ScanBytes(copies[e], q, block, chosen[e]).rows) << c.name << ", " << e;
                }
            }
        }
    }
}

// The rule for a file without a byte-order mark (DetectEncoding), as the scan and the replace use it: short files,
// text that reads as CP932 and as EUC-JP alike, the first byte of 80 or more near 4 KiB, UTF-16 of ASCII and of kanji.
TEST(Scanner, TheEncodingOfAFileWithoutAMark)
{
    std::string kanji, ascii(4095, 'a');
    for (int i = 0; i < 1500; ++i)
        kanji += u8"漢";
    const std::string jis = Euc(u8"こんにちは\n", "ISO-2022-JP");
    const struct { const char* name; std::string bytes; int encoding; } cases[] = {
        {"nothing", "", kCp932}, {"ASCII", "abc\n", kCp932},
        {"CP932", Cp932(u8"ア検索\n"), kCp932}, {"UTF-8", u8"あ\n", kUtf8},
        {"two bytes of EUC-JP", "\xA4\xA2", kEucJp}, {"one half-width katakana", "\xB1", kCp932},
        {"EUC-JP hiragana, CP932 half-width too", Euc(u8"ひらがなです。\n"), kEucJp},
        {"EUC-JP kanji", Euc(u8"漢字辞書\n"), kEucJp}, {"EUC-JP full-width digits", Euc(u8"１２３\n"), kEucJp},
        {"CP932 half-width katakana, EUC-JP too", Cp932(u8"ﾃﾞｰﾀﾍﾞｰｽﾉﾌｧｲﾙ ﾃﾞｽ｡\n"), kCp932},
        {"as many bytes each way: CP932", "\xB6\xC0\xB6\xC5", kCp932},
        {"EUC-JP after 4,095 bytes of ASCII", ascii + Euc(u8"日本語のテキスト"), kEucJp},
        {"CP932 after 4,095 bytes of ASCII", ascii + Cp932(u8"日本語のテキスト"), kCp932},
        {"EUC-JP cut by the end of the look", std::string(4095, '\xA4') + "\xA2", kEucJp},
        {"ISO-2022-JP", jis, kIso2022Jp}, {"ISO-2022-JP after 4,095 bytes of ASCII", ascii + jis, kIso2022Jp},
        {"JIS X 0201 Roman and katakana, JIS X 0212", "\x1B(J\\\x1B(I1\x1B$(D\"7\x1B(B\n", kIso2022Jp},
        {"an escape of another kind", "\x1B[1mbold\x1B[0m\n", kCp932},
        {"an escape, then EUC-JP", "\x1B[1m" + Euc(u8"あ"), kEucJp},
        {"ISO-2022-JP, then a byte of 80 or more", jis + Cp932(u8"ア検索\n"), kCp932},
        {"ISO-2022-JP with 4 KiB before a byte of 80 or more", jis + ascii + Cp932(u8"ア検索"), kIso2022Jp},
        {"UTF-16LE of ASCII", Utf16("a\r\nb\n"), kUtf16Le}, {"UTF-16BE of ASCII", Utf16("a\nb", true), kUtf16Be},
        {"UTF-16LE of kanji, one line end", Utf16(kanji + "\n" + kanji), kUtf16Le},
        {"UTF-16BE of kanji, one line end", Utf16(kanji + "\n" + kanji, true), kUtf16Be},
        {"UTF-16 without a line end in 4 KiB", Utf16(kanji + kanji + "\n"), kCp932},
        {"UTF-16 with a lone surrogate", Utf16("a\n") + "\x00\xD8"s + Utf16("b\n"), kCp932},
        {"UTF-16 with a NUL", Utf16("a\n") + "\0\0"s, kCp932}, {"a PNG", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\n\0"s, kCp932},
        {"an ELF header", "\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0>\0\x01\0\n\0"s, kCp932},
        {"an executable", "MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0\n\0"s, kCp932},
    };
    for (const auto& c : cases) {
        size_t at, body;
        int e = DetectEncoding(c.bytes.data(), c.bytes.size(), true, true, &at);
        EXPECT_EQ(c.encoding, e == kAutoDetect ? kCp932 : e) << c.name;
        EXPECT_EQ(c.encoding, Detect(c.bytes, kAutoDetect, &body)) << c.name;
    }
}

// A choice other than 自動判定 reads every file without a mark in that encoding; a mark still decides.
TEST(Scanner, AnEncodingChosenByHand)
{
    const std::string euc = "x" + Euc(u8"あ") + "\n", jis = "x\x1B$B$\"\x1B(B\n", a = Cp932(u8"xあ|");
    const struct { std::string bytes; int encoding; std::string rows; } cases[] = {
        {euc, kAutoDetect, "1:1 " + a}, {euc, kEucJp, "1:1 " + a}, {euc, kCp932, "1:1 " + euc.substr(0, 3) + "|"},
        {euc, kUtf8, "1:1 x??|"}, {euc, kIso2022Jp, "1:1 x??|"}, {euc, kUtf16Le, ""},
        {jis, kIso2022Jp, "1:1 " + a}, {jis, kCp932, "1:1 " + jis.substr(0, 9) + "|"}, {jis, kEucJp, "1:1 " + jis.substr(0, 9) + "|"},
        {Utf16("x\n"), kUtf16Le, "1:1 x|"}, {Utf16("x\n", true), kUtf16Be, "1:1 x|"}, {Utf16("x\n", true), kUtf16Le, ""},
        {"\xEF\xBB\xBF" + Cp932("x") + u8"あ\n", kEucJp, "1:1 " + a},
        {"\xFF\xFE" + Utf16(u8"xあ\n"), kCp932, "1:1 " + a},
    };
    for (const auto& c : cases)
        for (size_t block : kBlocks)
            EXPECT_EQ(c.rows, ScanBytes(c.bytes, {"x"}, block, c.encoding).rows) << c.bytes << " as " << c.encoding;
}

// Every cell of JIS X 0208 and JIS X 0212, and the half-width katakana, as EUC-JP and ISO-2022-JP read them and
// EUC-JP writes them, against glibc's iconv. Only 0212's TILDE is written as 0208's wave dash, the code page 932 〜.
TEST(Scanner, TheJisTablesAreTheReferenceCodecs)
{
    const struct { const char *lead, *escape; unsigned rows, cells; } sets[] = {
        {"", "\x1B$B", 94, 94}, {"\x8F", "\x1B$(D", 94, 94}, {"\x8E", "\x1B(I", 1, 63}};
    auto u = [](const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); };
    for (const auto& set : sets) {
        for (unsigned row = 1, nEscape = std::strlen(set.escape); row <= set.rows; ++row) {
            for (unsigned cell = 1; cell <= set.cells; ++cell) {
                std::string code = (set.rows > 1 ? ""s + char(0xA0 + row) : "") + char(0xA0 + cell);
                std::string euc = set.lead + code, jis = set.escape, utf8, back;
                for (char c : code)
                    jis += static_cast<char>(c - 0x80);
                unsigned want = kNoCharacter, cp, jisCp;
                if (Iconv(euc, "EUC-JP", "UTF-8", &utf8))
                    Utf8Char(u(utf8), utf8.size(), &want);
                CIso2022JpReader reader;
                EXPECT_EQ(euc.size(), EucJpChar(u(euc), euc.size(), &cp));
                EXPECT_EQ(nEscape, reader.Char(u(jis), jis.size(), &jisCp));
                reader.Char(u(jis) + nEscape, code.size(), &jisCp);
                EXPECT_TRUE(want == cp && want == jisCp) << euc;
                if (want != kNoCharacter)
                    EXPECT_TRUE(AppendEucJp(want, &back) && back == (want == 0xFF5E ? "\xA1\xC1" : euc)) << euc;
            }
        }
    }
}

// A line longer than kMaxLinePiece comes in pieces cut between characters, each a row with the line's number and
// columns counted from its start, wherever in the file it starts and the reads end.
TEST(Scanner, LongLinesComeInPieces)
{
    const size_t kMax = kMaxLinePiece;
    std::string piece(kMax, 'x'), wide = "x";
    while (wide.size() < kMax)
        wide += "\x82\xa0";
    // Every piece holds an x; each row's line, column and length.
    const struct { const char* name; std::string line; std::vector<std::vector<size_t>> rows; } cases[] = {
        {"a whole piece", piece + "\n", {{1, 1, kMax}}},
        {"a whole piece before CR LF", piece.substr(1) + "\r\n", {{1, 1, kMax - 1}}},
        {"one byte more, and a line after it", piece + "x\nx", {{1, 1, kMax}, {1, kMax + 1, 1}, {2, 1, 1}}},
        {"a CR that is no line end", piece.substr(1) + "\rx\n", {{1, 1, kMax}, {1, kMax + 1, 1}}},
        {"a double-byte character across it", piece.substr(1) + "\x82\xa0x\n", {{1, 1, kMax - 1}, {1, kMax + 1, 3}}},
        {"double-byte characters", wide + "x\n", {{1, 1, kMax - 1}, {1, kMax / 2 + 2, 3}}},
        {"no line end, a whole piece", piece, {{1, 1, kMax}}},
        {"no line end, ending in CR", piece.substr(1) + "\r", {{1, 1, kMax}}},
    };
    for (const auto& c : cases) {
        for (size_t offset : {0, 1, 4095, 65536, 262143}) {
            std::string before(offset, 'y');
            if (offset > 0)
                before.back() = '\n';
            Scan scan = ScanBytes(before + c.line, {"x"}, offset == 1 ? 65537 : kBlocks[0]);
            std::vector<std::vector<size_t>> rows;
            for (size_t i = 0; i < scan.texts.size(); ++i)
                rows.push_back({scan.places[i].first - (offset > 0), scan.places[i].second, scan.texts[i].size()});
            EXPECT_EQ(c.rows, rows) << c.name << " at " << offset;
            EXPECT_EQ(c.rows.size() + (offset > 0), scan.nLines) << c.name << " at " << offset;
        }
    }
}

// Unicode text is cut before a character that would not fit, so that the pieces make up the line with no ? for a cut
// character: at every place of a three-byte character, and after the third byte of a four-byte one.
TEST(Scanner, UnicodeLinesComeInPiecesCutBetweenCharacters)
{
    const std::string a = u8"あ";
    for (const auto& [prefix, unit] : {std::pair{"", a}, {"x", a}, {"xx", a}, {"xxxxx", a + "\xF0\x9F\x98\x80"}}) {
        std::string line = prefix;
        while (line.size() < (5u << 20) / 2)
            line += unit;
        for (const std::string& bytes : {line + u8"\nあ", "\xFE\xFF" + Utf16(line + u8"\r\nあ", true)}) {
            Scan scan = ScanBytes(bytes, {"\x82\xa0"});
            ASSERT_EQ(4u, scan.texts.size()) << prefix << " " << bytes.size();
            EXPECT_TRUE(scan.texts[0] + scan.texts[1] + scan.texts[2] == Cp932(line)) << prefix << " " << bytes.size();
            EXPECT_EQ((std::pair<uint64_t, uint64_t>{2, 1}), scan.places[3]);
            // Columns from the line's start: one for each character of the pieces before.
            size_t nColumns = std::strlen(prefix);
            for (size_t i = 0; i < 3 && unit == a; nColumns += (scan.texts[i].size() - (i ? 0 : nColumns)) / 2, ++i)
                EXPECT_EQ((std::pair<uint64_t, uint64_t>{1, nColumns + 1}), scan.places[i]) << i;
        }
    }
}

}  // namespace
