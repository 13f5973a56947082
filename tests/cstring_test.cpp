#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/cstring.h"
#include "text/mbcs.h"

// ア 83 41 (41 is 'A'), ソ 83 5C and 表 95 5C (5C is '\\'), Ａ 82 60 / ａ 82 81, ｱ B1 (one byte).
namespace {

std::string Bytes(const CString& s) { return std::string(s.GetString(), s.GetLength()); }
CString Make(const std::string& s) { return CString(s.data(), static_cast<int>(s.size())); }
std::string Shown(const std::string& s) { return testing::PrintToString(s.substr(0, 12)); }
int Sign(int v) { return (v > 0) - (v < 0); }

std::string Lowered(std::string s, size_t n)
{
    MbcsMakeLower(&s[0], n);
    return s;
}

}  // namespace

TEST(Mbcs, LeadBytesAreExactlyTheTwoRanges) {
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC), IsLeadByte932(c & 0xFF)) << std::hex << c;
}

TEST(Mbcs, MakeLowerFoldsWholeCharactersOnly) {
    const struct { std::string in, out; size_t n; } cases[] = {  // n: bytes folded, when fewer than all
        {"ABC xyz-09", "abc xyz-09", 0}, {"\x83\x41" "B", "\x83\x41" "b", 0}, {"Z\x95\x5c", "z\x95\x5c", 0},
        {"\xb1" "A\xdf", "\xb1" "a\xdf", 0}, {"\x82\x60", "\x82\x81", 0}, {"\x82\x79", "\x82\x9a", 0},
        // Greek omega, Cyrillic A, Roman numeral one, an NEC duplicate to its IBM code, then nothing to fold.
        {"\x83\xb6", "\x83\xd6", 0}, {"\x84\x40", "\x84\x70", 0}, {"\x87\x54", "\xfa\x40", 0},
        {"\xed\x40", "\xfa\x5c", 0}, {"\xfb\x40", "\xfb\x40", 0}, {"\x82\x41", "\x82\x41", 0}, {"A\x82", "a\x82", 0},
        {"", "", 0}, {"AB", "aB", 1}, {"\x82\x60\x82", "\x82\x81\x82", 0}, {"\x82\x60", "\x82\x60", 1},
        {"a\x82\x60Z", "a\x82\x81Z", 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, c.n ? Lowered(c.in, c.n) : Bytes(Make(c.in).MakeLower())) << testing::PrintToString(c.in);
    // Every pair of the table, once and for all: folding the folded code changes nothing.
    ASSERT_EQ(491u, MbcsFoldTableSize());
    for (size_t i = 0; i < MbcsFoldTableSize(); ++i) {
        unsigned short from = 0, to = 0;
        MbcsFoldPair(i, &from, &to);
        const std::string code{char(from >> 8), char(from)}, folded{char(to >> 8), char(to)};
        EXPECT_EQ(folded, Lowered(code, 2));
        EXPECT_EQ(folded, Lowered(folded, 2));
    }
}

// Boundaries count from index 0, whatever the start; one byte is also sought as a character.
TEST(CString, FindMatchesOnlyAtCharacterBoundaries) {
    std::string kana;
    for (int i = 0; i < 49999; ++i)
        kana += "\x83\x41";
    const struct { std::string s, sub; int start, expected, last = -9; } cases[] = {  // last: ReverseFind
        {"abc", "", 0, 0}, {"abc", "", 3, 3}, {"abc", "", 4, -1}, {"abc", "a", -1, 0, 0}, {"abc", "a", 9, -1, 0},
        {"", "a", 0, -1, -1}, {"abc", "x", 0, -1, -1}, {"ab", "abc", 0, -1}, {"xxabc", "abc", 0, 2},
        {"abcabc", "abc", 1, 3}, {"abcabc", "abc", 3, 3}, {"abcabc", "abc", 4, -1}, {"a.b.c", ".", 0, 1, 3},
        {"a.b.c", ".", 2, 3, 3}, {"a.b.c", ".", 4, -1, 3}, {std::string("a\0b", 3), std::string(1, '\0'), 0, 1, 1},
        {"\x83\x41", "A", 0, -1, -1}, {"\x83\x41\x83\x41" "A", "A", 0, 4, 4}, {"\x83\x5c", "\\", 0, -1, -1},
        {"\x95\x5c\\", "\\", 0, 2, 2}, {"\x83\x5c\x95\x5c", "\x5c\x95", 0, -1}, {"\xb1" "A", "A", 0, 1, 1},
        {"\x83\x81\x81\x40", "\x81\x81", 0, -1}, {"\x83\x81\x81\x40", "\x81\x40", 0, 2},
        {"ab\x83", "b", 0, 1, 1}, {"x\x83", "\x83", 0, 1, 1}, {"x\x83\x41", "x\x83", 0, -1}, {"x\x83", "x\x83", 0, 0},
        {"\x83\x5c\\", "\\", 1, 2, 2}, {"\x81\x83\x41", "A", 1, 2, 2}, {"\x83\x41\x83\x41", "\x83\x41", 1, 2},
        {"C:\\\x83\x5c\\x.exe", "\\", 0, 2, 5}, {"C:\\\x83\x5c", "\\", 3, -1, 2}, {"C:\\\x95\x5c", "\\", 3, -1, 2},
        {kana + "xA", "A", 0, 99999, 99999}, {kana + "\x83\x42", "\x83\x42", 0, 99998},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.s) + " from " + std::to_string(c.start));
        if (c.sub.find('\0') == std::string::npos) {
            EXPECT_EQ(c.expected, Make(c.s).Find(c.sub.c_str(), c.start));
        }
        if (c.sub.size() == 1) {
            EXPECT_EQ(c.expected, Make(c.s).Find(c.sub[0], c.start));
            EXPECT_EQ(c.last, Make(c.s).ReverseFind(c.sub[0]));
        }
    }
    EXPECT_EQ(1, CString("abc").Find(static_cast<const char*>(nullptr), 1));
}

// A double-byte character counts as (lead << 8) | trail; a lead byte before the NUL as itself.
TEST(Mbcs, CompareOrdersByCharacterValue) {
    const struct { const char *a, *b; int sign; } cases[] = {
        {"abc", "abc", 0}, {"", "", 0}, {"ab", "abc", -1}, {"abd", "abc", 1}, {"\x7f", "\x80", -1},
        {"\x81\x40", "\xa1", 1}, {"\xdf", "\xe0\x40", -1}, {"\x9f\xfc", "\xe0\x40", -1}, {"\x83\x41", "\x83\x42", -1},
        {"\x83\x41", "\x83", 1}, {"\x83", "\x83", 0}, {"\x83", "\x82\x40", -1}, {"\x83\x41z", "\x83\x41", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.sign, Sign(MbcsCompare(c.a, c.b))) << Shown(c.a) << " vs " << Shown(c.b);
        EXPECT_EQ(-c.sign, Sign(MbcsCompare(c.b, c.a))) << Shown(c.b) << " vs " << Shown(c.a);
        EXPECT_EQ(c.sign, Sign(CString(c.a).Compare(c.b))) << Shown(c.a) << " vs " << Shown(c.b);
    }
}

// Lengths and indexes past either end, NULs inside, a text formatted from itself.
TEST(CString, BuildCutAndFormat) {
    const CString s("abc\x83\x41"), ab("ab");
    CString grown("x"), cleared("gone"), self("me"), appended("n="), formatted("keep?"), empty("keep?");
    (((grown += ab) += "y") += '\x83') += static_cast<const char*>(nullptr);
    cleared = static_cast<const char*>(nullptr);
    self.Format("%s+%s", self.GetString(), static_cast<const char*>(self));
    appended.AppendFormat("%d%c", 42, '!');
    formatted.Format("<%s>|%d", std::string(5000, 'q').c_str(), -12);
    empty.Format("%s", "");
    auto released = [](const char* initial, const char* written, int nLength) {
        CString t(initial);
        char* buffer = t.GetBuffer(16);
        if (written)
            memcpy(buffer, written, strlen(written) + 1);
        t.ReleaseBuffer(nLength);
        return t;
    };
    const std::pair<CString, std::string> cases[] = {
        {s.Left(-1), ""}, {s.Left(0), ""}, {s.Left(2), "ab"}, {s.Left(5), "abc\x83\x41"}, {s.Left(9), "abc\x83\x41"},
        {s.Right(-1), ""}, {s.Right(0), ""}, {s.Right(2), "\x83\x41"}, {s.Right(5), "abc\x83\x41"},
        {s.Right(9), "abc\x83\x41"}, {s.Mid(0), "abc\x83\x41"}, {s.Mid(3), "\x83\x41"}, {s.Mid(-3), "abc\x83\x41"},
        {s.Mid(5), ""}, {s.Mid(7), ""}, {s.Mid(1, 2), "bc"}, {s.Mid(1, 0), ""}, {s.Mid(1, -1), ""},
        {s.Mid(3, 10), "\x83\x41"}, {s.Mid(-1, 2), "ab"}, {s.Mid(6, 1), ""},
        {CString(static_cast<const char*>(nullptr)), ""}, {CString("ab\0cd", 5), std::string("ab\0cd", 5)},
        {CString("abcdef", 3), "abc"}, {CString("abc", 0), ""}, {grown, "xaby\x83"}, {cleared, ""},
        {ab + CString("cd") + "ef" + '\\', "abcdef\\"}, {"cd" + ab, "cdab"}, {self, "me+me"}, {appended, "n=42!"},
        {formatted, "<" + std::string(5000, 'q') + ">|-12"}, {empty, ""}, {released("", "hello", -1), "hello"},
        {released("", "hello", 3), "hel"}, {released("abcdefgh", "xy", -1), "xy"}, {released("abc", 0, -1), "abc"},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(cases[i].second, Bytes(cases[i].first)) << "case " << i;
    EXPECT_TRUE(ab == "ab" && "ab" == ab && ab != "abc" && "a" != ab && ab[1] == 'b' && cleared.IsEmpty());
    EXPECT_FALSE(CString("ab\0", 3) == "ab");  // bytes, not C strings
}
