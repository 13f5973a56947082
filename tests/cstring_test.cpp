#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "text/mbcs.h"

namespace {

// Visible bytes for failure messages: the interesting bytes here are not text.
std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

std::string Bytes(const CString& s) {
    return std::string(s.GetString(), s.GetLength());
}

CString Make(const std::string& s) {
    return CString(s.data(), static_cast<int>(s.size()));
}

std::string Lowered(std::string s) {
    MbcsMakeLower(&s[0], s.size());
    return s;
}

std::string CodeBytes(unsigned short code) {
    return std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

TEST(Mbcs, LeadBytesAreExactlyTheTwoRanges) {
    for (int c = 0; c < 256; ++c) {
        bool expected = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        EXPECT_EQ(expected, IsLeadByte932(static_cast<unsigned char>(c))) << std::hex << c;
    }
}

TEST(Mbcs, MakeLowerFoldsWholeCharactersOnly) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
        size_t n;  // bytes folded, when fewer than all
    };
    const std::vector<Case> cases = {
        {"ascii", "ABC xyz-09", "abc xyz-09", 0},
        {"a trail is not a letter", "\x83\x41", "\x83\x41", 0},
        {"letter after a", "\x83\x41" "B", "\x83\x41" "b", 0},
        {"backslash trail of hyou", "Z\x95\x5c", "z\x95\x5c", 0},
        {"half-width katakana is single", "\xb1" "A\xdf", "\xb1" "a\xdf", 0},
        {"full-width A", "\x82\x60", "\x82\x81", 0},
        {"full-width Z", "\x82\x79", "\x82\x9a", 0},
        {"full-width lower stays", "\x82\x81", "\x82\x81", 0},
        {"greek omega", "\x83\xb6", "\x83\xd6", 0},
        {"cyrillic A", "\x84\x40", "\x84\x70", 0},
        {"cyrillic IO", "\x84\x46", "\x84\x76", 0},
        {"roman numeral one", "\x87\x54", "\xfa\x40", 0},
        {"NEC-selected duplicate", "\xed\x40", "\xfa\x5c", 0},
        {"IBM extension stays", "\xfb\x40", "\xfb\x40", 0},
        {"NEC row 13 duplicate", "\x87\x90", "\x81\xe0", 0},
        {"unmapped pair untouched", "\x82\x41", "\x82\x41", 0},
        {"lead byte last", "A\x82", "a\x82", 0},
        {"lead byte last after fold", "\x82\x60\x82", "\x82\x81\x82", 0},
        {"empty", "", "", 0},
        {"stops at its length", "AB", "aB", 1},
        {"a lead alone at the length", "\x82\x60", "\x82\x60", 1},
        {"a character just inside the length", "a\x82\x60Z", "a\x82\x81Z", 3},
    };
    for (const Case& c : cases) {
        std::string s = c.in;
        MbcsMakeLower(&s[0], c.n ? c.n : s.size());
        EXPECT_EQ(Hex(c.out), Hex(s)) << c.name;
        if (c.n == 0) {
            EXPECT_EQ(Hex(c.out), Hex(Bytes(Make(c.in).MakeLower()))) << c.name;
        }
    }
}

TEST(Mbcs, FoldTableIsSane) {
    ASSERT_EQ(491u, MbcsFoldTableSize());
    unsigned short previous = 0;
    for (size_t i = 0; i < MbcsFoldTableSize(); ++i) {
        unsigned short from = 0, to = 0;
        MbcsFoldPair(i, &from, &to);
        SCOPED_TRACE(Hex(CodeBytes(from)) + "-> " + Hex(CodeBytes(to)));
        EXPECT_GT(from, previous);
        previous = from;
        EXPECT_TRUE(IsLeadByte932(static_cast<unsigned char>(from >> 8)));
        EXPECT_TRUE(IsLeadByte932(static_cast<unsigned char>(to >> 8)));
        EXPECT_GE(to & 0xFF, 0x40);
        EXPECT_NE(to & 0xFF, 0x7F);
        EXPECT_LE(to & 0xFF, 0xFC);
        EXPECT_NE(from, to);
        std::string once = Lowered(CodeBytes(from));
        EXPECT_EQ(Hex(CodeBytes(to)), Hex(once));
        EXPECT_EQ(Hex(once), Hex(Lowered(once)));
    }
}

TEST(Mbcs, FindMatchesOnlyAtCharacterBoundaries) {
    struct Case {
        const char* name;
        std::string hay;
        std::string needle;
        long expected;
    };
    const std::vector<Case> cases = {
        {"empty needle", "abc", "", 0},
        {"empty hay", "", "a", -1},
        {"needle longer", "ab", "abc", -1},
        {"plain", "xxabc", "abc", 2},
        {"A as trail of a", "\x83\x41", "A", -1},
        {"A after a", "\x83\x41" "A", "A", 2},
        {"a then A candidates", "\x83\x41\x83\x41" "A", "A", 4},
        {"backslash in so", "\x83\x5c", "\\", -1},
        {"backslash in hyou", "\x95\x5c", "\\", -1},
        {"backslash after hyou", "\x95\x5c\\", "\\", 2},
        {"across trail and lead", "\x83\x5c\x95\x5c", "\x5c\x95", -1},
        {"double-byte needle on trail", "\x83\x81\x81\x40", "\x81\x81", -1},
        {"double-byte needle on boundary", "\x83\x81\x81\x40", "\x81\x40", 2},
        {"half-width kana is single", "\xb1" "A", "A", 1},
        {"lead byte last", "ab\x83", "b", 1},
        {"lone lead last matches itself", "x\x83", "\x83", 1},
        {"needle lone lead would split", "x\x83\x41", "x\x83", -1},
        {"needle lone lead at end", "x\x83", "x\x83", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, MbcsFind(c.hay.data(), c.hay.size(), c.needle.data(), c.needle.size()))
            << c.name;
}

TEST(Mbcs, FindOnLongLines) {
    auto repeat = [](const std::string& unit, size_t times) {
        std::string s;
        for (size_t i = 0; i < times; ++i)
            s += unit;
        return s;
    };
    struct Case {
        const char* name;
        std::string hay;
        std::string needle;
        long expected;
    };
    const std::vector<Case> cases = {
        {"match at end", std::string(99999, 'x') + "A", "A", 99999},
        {"a trails then A", repeat("\x83\x41", 49999) + "xA", "A", 99999},
        {"only a trails", repeat("\x83\x41", 50000), "A", -1},
        {"hyou trails then backslash", repeat("\x95\x5c", 49999) + "x\\", "\\", 99999},
        {"two-byte needle across characters", "x" + repeat("\x83\x41", 49999) + "y", "\x41\x83", -1},
        {"two-byte needle at end", repeat("\x83\x41", 49999) + "\x83\x42", "\x83\x42", 99998},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(100000u, c.hay.size()) << c.name;
        EXPECT_EQ(c.expected, MbcsFind(c.hay.data(), c.hay.size(), c.needle.data(), c.needle.size()))
            << c.name;
    }
}

TEST(Mbcs, CompareOrdersByCharacterValue) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const std::vector<Case> cases = {
        {"abc", "abc", 0},
        {"", "", 0},
        {"ab", "abc", -1},
        {"abd", "abc", 1},
        {"\x81\x40", "\xa1", 1},  // 0x8140 against 0xA1
        {"\xa1", "\x81\x40", -1},
        {"\xdf", "\xe0\x40", -1},
        {"\x9f\xfc", "\xe0\x40", -1},
        {"\x7f", "\x80", -1},
        {"\x83\x41", "\x83\x42", -1},
        {"\x83\x41", "\x83", 1},
        {"\x83\x41z", "\x83\x41", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.sign, Sign(MbcsCompare(c.a, c.b))) << Hex(c.a) << "vs " << Hex(c.b);
        EXPECT_EQ(c.sign, Sign(CString(c.a).Compare(c.b))) << Hex(c.a) << "vs " << Hex(c.b);
    }
}

TEST(CString, CaseBlindFindAfterFolding) {
    struct Case {
        const char* name;
        std::string line;
        std::string pattern;
        int expected;
    };
    const std::vector<Case> cases = {
        {"a is not a", "\x83\x41", "a", -1},
        {"a is not A", "\x83\x41", "A", -1},
        {"A after a", "x\x83\x41" "A", "a", 3},
        {"so is not backslash", "\x83\x5c", "\\", -1},
        {"full-width word", "\x82\x60\x82\x61\x82\x62", "\x82\x81\x82\x82\x82\x83", 0},
        {"full-width is not half-width", "\x82\x60", "A", -1},
        {"cyrillic", "-\x84\x40", "\x84\x70", 1},
        {"NEC/IBM duplicate", "\xed\x40", "\xfa\x5c", 0},
        {"ascii", "Hello World", "WORLD", 6},
    };
    for (const Case& c : cases) {
        CString line = Make(c.line);
        CString pattern = Make(c.pattern);
        EXPECT_EQ(c.expected, line.MakeLower().Find(pattern.MakeLower())) << c.name;
    }
}

TEST(CString, FindCountsBoundariesFromStart) {
    struct Case {
        std::string s;
        const char* sub;
        int start;
        int expected;
    };
    const std::vector<Case> cases = {
        {"abcabc", "abc", 0, 0},
        {"abcabc", "abc", 1, 3},
        {"abcabc", "abc", 3, 3},
        {"abcabc", "abc", 4, -1},
        {"abcabc", "abc", 6, -1},
        {"abcabc", "abc", 7, -1},
        {"abc", "", 0, 0},
        {"abc", "", 2, 2},
        {"abc", "", 3, 3},
        {"abc", "", 4, -1},
        {"abc", nullptr, 1, 1},
        {"\x83\x5c\\", "\\", 0, 2},
        {"\x83\x5c\\", "\\", 1, 2},  // index 1 is the trail of so
        {"\x81\x83\x41", "A", 1, 2},  // 81 83 is one character, so 41 stands alone
        {"\x83\x41\x83\x41", "\x83\x41", 1, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Make(c.s).Find(c.sub, c.start)) << Hex(c.s) << "start " << c.start;
}

// Find from a start and ReverseFind over the whole string: a byte that is
// the second of a character is no match.
TEST(CString, FindAndReverseFindCharacter) {
    struct Case {
        std::string s;
        char ch;
        int start, found, foundLast;
    };
    const std::vector<Case> cases = {
        {"a.b.c", '.', 0, 1, 3},
        {"a.b.c", '.', 2, 3, 3},
        {"a.b.c", '.', 4, -1, 3},
        {"\x95\x5c\\", '\\', 0, 2, 2},
        {"\x83\x41" "A", 'A', 0, 2, 2},
        {std::string("a\0b", 3), '\0', 0, 1, 1},
        {"abc", 'a', 9, -1, 0},
        {"C:\\\x83\x5c\\x.exe", '\\', 0, 2, 5},
        {"C:\\\x83\x5c", '\\', 3, -1, 2},
        {"C:\\\x95\x5c", '\\', 3, -1, 2},
        {"C:\\dir\\\x83\x5c", '\\', 0, 2, 6},
        {"abc", 'x', 0, -1, -1},
        {"", '\\', 0, -1, -1},
        {"\x83\x41", 'A', 0, -1, -1},
        {"x\x83", '\x83', 0, 1, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.found, Make(c.s).Find(c.ch, c.start)) << Hex(c.s) << "start " << c.start;
        EXPECT_EQ(c.foundLast, Make(c.s).ReverseFind(c.ch)) << Hex(c.s);
    }
}

TEST(CString, LeftRightMid) {
    const CString s("abc\x83\x41");  // five bytes
    struct Case {
        int n;
        const char* left;
        const char* right;
    };
    const std::vector<Case> cases = {
        {-1, "", ""},
        {0, "", ""},
        {2, "ab", "\x83\x41"},
        {5, "abc\x83\x41", "abc\x83\x41"},
        {9, "abc\x83\x41", "abc\x83\x41"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(c.left), Hex(Bytes(s.Left(c.n)))) << c.n;
        EXPECT_EQ(Hex(c.right), Hex(Bytes(s.Right(c.n)))) << c.n;
    }

    struct MidCase {
        int first;
        int count;  // -2: use Mid(first)
        const char* expected;
    };
    const std::vector<MidCase> mids = {
        {0, -2, "abc\x83\x41"},
        {3, -2, "\x83\x41"},
        {-3, -2, "abc\x83\x41"},
        {5, -2, ""},
        {7, -2, ""},
        {1, 2, "bc"},
        {1, 0, ""},
        {1, -1, ""},
        {3, 10, "\x83\x41"},
        {-1, 2, "ab"},
        {6, 1, ""},
    };
    for (const MidCase& c : mids) {
        CString got = c.count == -2 ? s.Mid(c.first) : s.Mid(c.first, c.count);
        EXPECT_EQ(Hex(c.expected), Hex(Bytes(got))) << c.first << "," << c.count;
    }
}

TEST(CString, BuildingAndComparing) {
    CString ab("ab");
    CString grown("x");
    grown += ab;
    grown += "y";
    grown += '\x83';
    grown += static_cast<const char*>(nullptr);
    CString assigned("old");
    assigned = "new";
    CString cleared("gone");
    cleared = static_cast<const char*>(nullptr);
    CString emptied("gone");
    emptied.Empty();
    CString moved(CString("moved"));

    struct Case {
        const char* name;
        CString value;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"default", CString(), ""},
        {"null", CString(static_cast<const char*>(nullptr)), ""},
        {"with length keeps NUL", CString("ab\0cd", 5), std::string("ab\0cd", 5)},
        {"with length cuts", CString("abcdef", 3), "abc"},
        {"with zero length", CString("abc", 0), ""},
        {"appended", grown, "xaby\x83"},
        {"assigned", assigned, "new"},
        {"assigned null", cleared, ""},
        {"emptied", emptied, ""},
        {"moved", moved, "moved"},
        {"string + string", ab + CString("cd"), "abcd"},
        {"string + pointer", ab + "cd", "abcd"},
        {"pointer + string", "cd" + ab, "cdab"},
        {"string + char", ab + '\\', "ab\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(c.bytes), Hex(Bytes(c.value))) << c.name;
        EXPECT_EQ(static_cast<int>(c.bytes.size()), c.value.GetLength()) << c.name;
        EXPECT_EQ(c.bytes.empty(), c.value.IsEmpty()) << c.name;
    }

    struct EqCase {
        CString a;
        CString b;
        bool equal;
    };
    const std::vector<EqCase> eqs = {
        {"abc", "abc", true},
        {"abc", "abd", false},
        {"abc", "ab", false},
        {CString("a\0b", 3), CString("a\0c", 3), false},
        {"\x83\x41", "\x83\x41", true},
        {"\x82\x60", "\x82\x81", false},
    };
    for (const EqCase& c : eqs) {
        EXPECT_EQ(c.equal, c.a == c.b) << Hex(Bytes(c.a));
        EXPECT_NE(c.equal, c.a != c.b) << Hex(Bytes(c.a));
    }
    EXPECT_TRUE(ab == "ab");
    EXPECT_TRUE("ab" == ab);
    EXPECT_TRUE(ab != "abc");
    EXPECT_TRUE("a" != ab);
    EXPECT_FALSE(CString("ab\0", 3) == "ab");  // bytes, not C strings
    EXPECT_STREQ("ab", static_cast<const char*>(ab));
    EXPECT_EQ('b', ab.GetAt(1));
    EXPECT_EQ('a', ab[0]);
}

TEST(CString, FormatAnyLength) {
    const std::string longText(5000, 'q');
    CString simple;
    simple.Format("%s|%d|%c", "ab", -12, 'x');
    CString big;
    big.Format("<%s>", longText.c_str());
    CString self("me");
    self.Format("%s+%s", self.GetString(), static_cast<const char*>(self));
    CString appended("n=");
    appended.AppendFormat("%d%c", 42, '!');
    CString sjis;
    sjis.Format("%s\\%s", "\x83\x5c", "x.exe");
    CString empty("keep?");
    empty.Format("%s", "");

    struct Case {
        const char* name;
        CString got;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"mixed", simple, "ab|-12|x"},
        {"long", big, "<" + longText + ">"},
        {"own text as argument", self, "me+me"},
        {"append", appended, "n=42!"},
        {"double-byte argument", sjis, "\x83\x5c\\x.exe"},
        {"empty result", empty, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Bytes(c.got)) << c.name;
}

TEST(CString, GetBufferReleaseBuffer) {
    struct Case {
        const char* name;
        const char* initial;
        const char* written;  // copied over the buffer with its NUL
        int release;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"strlen", "", "hello", -1, "hello"},
        {"explicit length", "", "hello", 3, "hel"},
        {"shorter than before", "abcdefgh", "xy", -1, "xy"},
        {"keep existing text", "abc", nullptr, -1, "abc"},
        {"double-byte", "", "\x83\x5c\x95\x5c", -1, "\x83\x5c\x95\x5c"},
    };
    for (const Case& c : cases) {
        CString s(c.initial);
        char* buffer = s.GetBuffer(16);
        ASSERT_NE(nullptr, buffer);
        if (c.written)
            std::copy(c.written, c.written + strlen(c.written) + 1, buffer);
        s.ReleaseBuffer(c.release);
        EXPECT_EQ(Hex(c.expected), Hex(Bytes(s))) << c.name;
        EXPECT_EQ(static_cast<int>(c.expected.size()), s.GetLength()) << c.name;
    }
}
