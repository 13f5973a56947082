#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_mask.h"

// Names and masks are code page 932 bytes, written as escapes because the
// interesting bytes are trail bytes:
//   表 95 5C, ソ 83 5C, ー 81 5B, ス 83 58, 示 8E A6   (trail 5C is '\\')
//   ア 83 41, イ 83 43, ヂ 83 61                       (trail 41 is 'A', 61 'a')
//   Ａ 82 60 / ａ 82 81, Α 83 9F / α 83 BF, Ω 83 B6 / ω 83 D6,
//   А 84 40 / а 84 70, Ⅰ 87 54 / ⅰ FA 40
namespace {

struct MaskCase {
    const char* what;
    std::string mask;
    std::string name;
    bool expected;
};

bool Matches(const MaskCase& c)
{
    return MaskMatches(c.mask.data(), c.mask.size(), c.name.data(), c.name.size());
}

}  // namespace

TEST(FileMask, WildcardsAtEachPlace) {
    const std::vector<MaskCase> cases = {
        {"plain equal", "readme.txt", "readme.txt", true},
        {"whole name, not a part", "read", "readme.txt", false},
        {"whole name, not a longer one", "readme.txt.bak", "readme.txt", false},
        {"empty mask, empty name", "", "", true},
        {"empty mask", "", "a", false},
        {"star alone", "*", "anything.at.all", true},
        {"star alone, empty name", "*", "", true},
        {"star at start", "*.txt", "a.txt", true},
        {"star at start, nothing", "*.txt", ".txt", true},
        {"star at start, wrong end", "*.txt", "a.txt.bak", false},
        {"star in the middle", "a*z.c", "abcz.c", true},
        {"star in the middle, nothing", "a*z.c", "az.c", true},
        {"star in the middle, no z", "a*z.c", "abc.c", false},
        {"star at end", "make*", "makefile", true},
        {"star at end, nothing", "make*", "make", true},
        {"star at end, wrong start", "make*", "cmake", false},
        {"several stars", "*a*b*c*", "xxaxxbxxcxx", true},
        {"several stars, out of order", "*a*b*c*", "cba", false},
        {"stars next to each other", "a**b", "ab", true},
        {"last star must retry", "*ab", "aab", true},
        {"last star retries over a partial match", "*aab*", "aaab", true},
        {"question at start", "?.c", "x.c", true},
        {"question in the middle", "a?c", "abc", true},
        {"question at end", "a.?", "a.c", true},
        {"question is exactly one", "a?c", "ac", false},
        {"question is not two", "a?c", "abbc", false},
        {"question cannot be empty", "?", "", false},
        {"two questions", "??.txt", "ab.txt", true},
        {"question then star", "?*", "a", true},
        {"question then star, empty", "?*", "", false},
        {"star then question", "*?.c", "abc.c", true},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(c.expected, Matches(c)) << c.what << ": " << c.mask << " / " << c.name;
}

TEST(FileMask, CaseAndCodePage932) {
    const std::vector<MaskCase> cases = {
        {"ASCII upper mask", "*.TXT", "a.txt", true},
        {"ASCII upper name", "*.txt", "README.TXT", true},
        {"ASCII mixed", "ReadMe.*", "rEADmE.md", true},
        {"full-width A against a", "\x82\x60*", "\x82\x81.txt", true},
        {"full-width a against A", "*\x82\x81", "x\x82\x60", true},
        {"Greek alpha", "\x83\x9f.txt", "\x83\xbf.TXT", true},
        {"Greek omega", "*\x83\xd6", "\x83\xb6", true},
        {"Cyrillic A", "\x84\x40?", "\x84\x70x", true},
        {"Roman numeral one", "\x87\x54.txt", "\xfa\x40.txt", true},
        {"half-width katakana stays itself", "\xb1*", "\xb1.txt", true},
        {"different full-width letters", "\x82\x60", "\x82\x82", false},
        // Names with a '\\' (5C) trail byte.
        {"hyou name", "\x95\x5c.txt", "\x95\x5c.txt", true},
        {"hyou at start of mask", "\x95\x5c*", "\x95\x5c\x8e\xa6.txt", true},
        {"hyou at start, elsewhere in name", "\x95\x5c*", "\x83\x5c\x95\x5c", false},
        {"hyou at end of mask", "*\x95\x5c", "\x83\x5c\x95\x5c", true},
        {"hyou at end, not last", "*\x95\x5c", "\x95\x5c" "a", false},
        {"sou-su dot c", "*.c", "\x83\x5c\x81\x5b\x83\x58.c", true},
        {"sou-su whole", "\x83\x5c\x81\x5b\x83\x58.C", "\x83\x5c\x81\x5b\x83\x58.c", true},
        {"question then so", "?\x83\x5c.txt", "\x95\x5c\x83\x5c.txt", true},
        {"question then so, ASCII first", "?\x83\x5c.txt", "a\x83\x5c.txt", true},
        {"question then so, nothing first", "?\x83\x5c.txt", "\x83\x5c.txt", false},
        {"backslash is no trail", "*\\", "\x95\x5c", false},
        {"backslash inside is no trail", "*\\*", "\x83\x5c\x81\x5b\x83\x58.c", false},
        {"backslash after hyou", "*\\", "\x95\x5c\\", true},
        // One double-byte character is one character for '?'.
        {"question is hyou", "?.txt", "\x95\x5c.txt", true},
        {"question is not two letters", "?.txt", "ab.txt", false},
        {"two questions are not hyou", "??", "\x95\x5c", false},
        {"two questions, two kanji", "??", "\x95\x5c\x8e\xa6", true},
        // The 41 trail of a is no 'A', and the fold leaves it alone.
        {"A against a-i", "*A*", "\x83\x41\x83\x43.txt", false},
        {"a against a-i", "*a*", "\x83\x41\x83\x43.txt", false},
        {"A against a then A", "*A*", "\x83\x41" "A.txt", true},
        {"a against a then A", "*a*", "\x83\x41" "A.txt", true},
        {"ji is not folded a", "\x83\x61", "\x83\x41", false},
        {"a is not folded ji", "\x83\x41", "\x83\x61", false},
        // A lead byte takes whatever follows it, even a '*' or '?'.
        {"lead swallows star", "\x81*", "\x81xyz", false},
        {"lead with star is itself", "\x81*", "\x81*", true},
        {"lead swallows question", "\x81?", "\x81x", false},
        {"lone lead ends the name", "ab?", "ab\x83", true},
        {"lone lead is not a pair", "ab\x83", "ab\x83\x41", false},
        {"lone lead against itself", "ab\x83", "ab\x83", true},
        {"star before lone lead", "*", "ab\x83", true},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(c.expected, Matches(c)) << c.what;
}

TEST(FileMask, LongNamesAgainstManyStars) {
    // Retrying every star would take longer than the test run; retrying the
    // last one only is a few hundred thousand steps.
    const std::string longA(1000, 'a');
    std::string longKana;
    for (int i = 0; i < 1000; ++i)
        longKana += "\x83\x41";
    const std::vector<MaskCase> cases = {
        {"no b at the end", "*a*a*a*a*b", longA, false},
        {"b at the end", "*a*a*a*a*b", longA + "b", true},
        {"many stars, no b", "*a*a*a*a*a*a*a*a*a*a*a*a*b", longA + "c", false},
        {"question runs", "*?a?a?a?a?b", longA, false},
        {"double-byte, no b", "*\x83\x41*\x83\x41*\x83\x41*b", longKana, false},
        {"double-byte, b at the end", "*\x83\x41*\x83\x41*\x83\x41*b", longKana + "B", true},
        {"trail A is never a", "*a*a*a*", longKana, false},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(c.expected, Matches(c)) << c.what;
}

TEST(FileFilter, TextsAndNames) {
    struct Case {
        const char* text;
        const char* name;
        bool expected;
    };
    const std::vector<Case> cases = {
        // No mask character: the old rule, the name holds the text.
        {"", "a.txt", true},
        {"", "", true},
        {"txt", "a.txt", true},
        {"txt", "a.txt.bak", true},
        {"txt", "atxt", false},
        {"txt", "a.text", false},
        {"txt", "a.TXT", false},
        {".txt", "a.txt", true},
        {".txt", "atxt", false},
        {"TXT", "a.TXT", true},
        {"TXT", "a.txt", false},
        {"c.tx", "abc.txt", true},
        {"c.tx", "a.txt", false},
        {"txt ", "a.txt", false},
        {"txt ", "a.txt b", true},
        {".A", "\x83.A", false},  // the '.' is a trail there, as CString::Find knows
        {".A", "x.A", true},
        // Masks.
        {"*.c;*.h", "a.c", true},
        {"*.c;*.h", "a.h", true},
        {"*.c;*.h", "A.C", true},
        {"*.c;*.h", "a.cpp", false},
        {"*.c;*.h", "c.h.txt", false},
        {"  *.c ; ;*.h  ", "a.c", true},
        {"  *.c ; ;*.h  ", "a.h", true},
        {"  *.c ; ;*.h  ", "a.cpp", false},
        {"  *.c ; ;*.h  ", " a.c", true},
        {"\t*.c\t;\t", "a.c", true},
        {"\t*.c\t;\t", "a.h", false},
        {"*.js;!*.min.js", "app.js", true},
        {"*.js;!*.min.js", "app.min.js", false},
        {"*.js;!*.min.js", "APP.MIN.JS", false},
        {"*.js;!*.min.js", "app.ts", false},
        {"!*.min.js;*.js", "app.min.js", false},
        {"!*.log", "a.txt", true},
        {"!*.log", "a.log", false},
        {"!*.log", "a.LOG", false},
        {"!*.log", "a.log.txt", true},
        {"*.txt;!*.txt", "a.txt", false},
        {"!", "a.txt", true},
        {"!", "", true},
        {" ! ; *.c", "a.c", true},
        {" ! ; *.c", "a.h", false},
        {";", "a.txt", true},
        {"*", "a.txt", true},
        {"*.*", "README", true},
        {"*.*;!*.*", "README", false},
        {"*.c;! *.h", "a.h", false},
        {"*.c;!\t*.h", "a.c", true},
        {"?.txt", "\x95\x5c.txt", true},
        {"?.txt", "ab.txt", false},
        {"?.txt", "a.txt", true},
        {"!\x95\x5c*", "\x95\x5c.txt", false},
        {"!\x95\x5c*", "\x83\x5c.txt", true},
        {"*.\x82\x60", "a.\x82\x81", true},
        // Only a leading '!' excludes; inside a mask it is itself.
        {"a!b", "a!b", true},
        {"a!b", "A!B", true},
        {"a!b", "xa!bx", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CFileFilter(c.text).Accepts(c.name)) << "\"" << c.text << "\" / " << c.name;
}

TEST(FileFilter, DefaultAcceptsEverything) {
    CFileFilter filter;
    EXPECT_TRUE(filter.Accepts("a.txt"));
    EXPECT_TRUE(filter.Accepts(""));
}

TEST(FileMask, FolderLists) {
    struct Case {
        const char* text;
        const char* name;
        bool expected;
    };
    const char* vcs = ".git;.svn;.hg;.vs;node_modules";
    const std::vector<Case> cases = {
        {vcs, "node_modules", true},
        {vcs, "node_modules_x", false},
        {vcs, "Node_Modules", true},
        {vcs, ".git", true},
        {vcs, ".GIT", true},
        {vcs, ".git2", false},
        {vcs, "git", false},
        {vcs, ".vs", true},
        {vcs, ".vscode", false},
        {vcs, "src", false},
        {"build*", "build", true},
        {"build*", "build-out", true},
        {"build*", "BUILD-OUT", true},
        {"build*", "rebuild", false},
        {"!tmp", "!tmp", true},  // '!' is an ordinary character here
        {"!tmp", "tmp", false},
        {"\t.vs\t;  obj  ", ".vs", true},
        {"\t.vs\t;  obj  ", "obj", true},
        {"\t.vs\t;  obj  ", " obj", false},
        {"\x95\x5c*", "\x95\x5c\x8e\xa6", true},
        {"\x95\x5c*", "\x83\x5c", false},
        {"", "x", false},
        {" ; ;", "x", false},
        {" ; ;", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CNameMasks(c.text).Matches(c.name)) << "\"" << c.text << "\" / " << c.name;
}

TEST(FileMask, FolderListEmptiness) {
    struct Case {
        const char* text;
        bool empty;
    };
    const std::vector<Case> cases = {
        {"", true}, {" ", true}, {";;", true}, {" \t; ;\t", true},
        {".git", false}, {" ; .git ; ", false}, {"!", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.empty, CNameMasks(c.text).IsEmpty()) << "\"" << c.text << "\"";
    EXPECT_TRUE(CNameMasks().IsEmpty());
    EXPECT_FALSE(CNameMasks().Matches("x"));
}
