#include <gtest/gtest.h>

#include <string>

#include "engine/file_mask.h"

// 表 95 5C, ソ 83 5C, ー 81 5B, ス 83 58, 示 8E A6 (trail 5C is '\\'); ア 83 41, イ 83 43,
// ヂ 83 61 (trail 41 is 'A', 61 'a'); Ａ 82 60 / ａ 82 81.
namespace {

struct Case { std::string text, name; bool expected; };

std::string Quoted(const Case& c)
{
    return testing::PrintToString(c.text) + " / " + testing::PrintToString(c.name.substr(0, 40));
}

}  // namespace

TEST(FileMask, WildcardsCaseAndCodePage932) {
    auto repeat = [](const std::string& unit) { std::string s; for (int i = 0; i < 1000; ++i) s += unit; return s; };
    const Case cases[] = {
        {"readme.txt", "readme.txt", true}, {"read", "readme.txt", false}, {"readme.txt.bak", "readme.txt", false},
        {"", "", true}, {"", "a", false}, {"*", "", true}, {"*.txt", "a.txt.bak", false}, {"a*z.c", "az.c", true},
        {"a*z.c", "abc.c", false}, {"make*", "make", true}, {"make*", "cmake", false}, {"*a*b*c*", "xxaxxbxxcxx", true},
        {"*a*b*c*", "cba", false}, {"a**b", "ab", true}, {"*ab", "aab", true}, {"*aab*", "aaab", true},
        {"a?c", "ac", false}, {"a?c", "abbc", false}, {"?", "", false}, {"?*", "", false}, {"*?.c", "abc.c", true},
        {"*.TXT", "a.txt", true}, {"*.txt", "README.TXT", true}, {"*\x82\x81", "x\x82\x60", true},  // blind to case
        // A 5C trail is no '\\', a 41 trail no 'A', and one double-byte character is one '?'.
        {"\x95\x5c*", "\x95\x5c\x8e\xa6.txt", true}, {"\x95\x5c*", "\x83\x5c\x95\x5c", false},
        {"*\x95\x5c", "\x83\x5c\x95\x5c", true}, {"*\x95\x5c", "\x95\x5c" "a", false}, {"*\\", "\x95\x5c", false},
        {"*\\*", "\x83\x5c\x81\x5b\x83\x58.c", false}, {"*\\", "\x95\x5c\\", true},
        {"?\x83\x5c.txt", "\x95\x5c\x83\x5c.txt", true}, {"?\x83\x5c.txt", "\x83\x5c.txt", false},
        {"?.txt", "\x95\x5c.txt", true}, {"??", "\x95\x5c", false}, {"??", "\x95\x5c\x8e\xa6", true},
        {"*A*", "\x83\x41\x83\x43.txt", false}, {"*a*", "\x83\x41\x83\x43.txt", false},
        {"*a*", "\x83\x41" "A", true}, {"\x83\x61", "\x83\x41", false},
        // A lead byte takes whatever follows it, even a '*' or '?'; at the end it stands alone.
        {"\x81*", "\x81xyz", false}, {"\x81*", "\x81*", true}, {"\x81?", "\x81x", false}, {"ab?", "ab\x83", true},
        {"ab\x83", "ab\x83\x41", false}, {"ab\x83", "ab\x83", true},
        // Retrying only the last star: retrying every one would outlast the test run.
        {"*a*a*a*a*a*a*a*a*a*a*a*a*b", repeat("a") + "c", false}, {"*a*a*a*a*b", repeat("a") + "b", true},
        {"*\x83\x41*\x83\x41*\x83\x41*b", repeat("\x83\x41") + "B", true}, {"*a*a*a*", repeat("\x83\x41"), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, MaskMatches(c.text.data(), c.text.size(), c.name.data(), c.name.size())) << Quoted(c);
}

// Without a mask character the name holds the text, case kept, a '.' put in front when it has none.
TEST(FileFilter, TextsAndNames) {
    const Case cases[] = {
        {"", "a.txt", true}, {"", "", true}, {"txt", "a.txt.bak", true}, {"txt", "atxt", false},
        {"txt", "a.TXT", false}, {".txt", "atxt", false}, {"TXT", "a.TXT", true}, {"c.tx", "abc.txt", true},
        {"txt ", "a.txt", false}, {"txt ", "a.txt b", true}, {".A", "\x83.A", false}, {".A", "x.A", true},
        {"\x81*", "a.\x81*", true}, {"\x81;*.c", "x.c", false},  // a lead byte's '*' or ';' is its trail
        {"*.c;*.h", "a.h", true}, {"*.c;*.h", "A.C", true}, {"*.c;*.h", "a.cpp", false}, {"*.c;*.h", "c.h.txt", false},
        {"  *.c ; ;*.h  ", "a.h", true}, {"  *.c ; ;*.h  ", " a.c", true}, {"\t*.c\t;\t", "a.h", false},
        {"*.js;!*.min.js", "app.js", true}, {"*.js;!*.min.js", "APP.MIN.JS", false}, {"!*.log", "a.log.txt", true},
        {"*.js;!*.min.js", "app.ts", false}, {"!*.min.js;*.js", "app.min.js", false}, {"!*.log", "a.txt", true},
        {"!*.log", "a.LOG", false}, {"*.txt;!*.txt", "a.txt", false}, {"!", "a.txt", true}, {"!", "", true},
        {" ! ; *.c", "a.h", false}, {";", "a.txt", true}, {"*.*", "README", true}, {"*.*;!*.*", "README", false},
        {"! *.h", "a.h", false}, {"*;!\t*.*", "a.h", false}, {"!\x95\x5c*", "\x95\x5c.txt", false},
        {"!\x95\x5c*", "\x83\x5c.txt", true}, {"a!b", "xa!bx", false}, {"a!b", "A!B", true},  // a '!' inside is itself
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CFileFilter(c.text.c_str()).Accepts(c.name.c_str())) << Quoted(c);
    EXPECT_TRUE(CFileFilter().Accepts("a.txt"));
}

// The excluded folders: '!' is an ordinary character there.
TEST(FileMask, FolderLists) {
    const std::string vcs = ".git;.svn;.hg;.vs;node_modules";
    const Case cases[] = {
        {vcs, "node_modules", true}, {vcs, "node_modules_x", false}, {vcs, "Node_Modules", true}, {vcs, ".GIT", true},
        {vcs, "git", false}, {vcs, ".vscode", false}, {"build*", "BUILD-OUT", true}, {"build*", "rebuild", false},
        {"!tmp", "!tmp", true}, {"!tmp", "tmp", false}, {"\t.vs\t;  obj  ", "obj", true},
        {"\t.vs\t;  obj  ", " obj", false}, {"\x95\x5c*", "\x95\x5c\x8e\xa6", true}, {"\x95\x5c*", "\x83\x5c", false},
        {"\x81 ", "\x81 ", true}, {"\x81\x81 ", "\x81\x81", true}, {"\x81;x", "x", false},  // trails, not blanks or ';'
        {"", "x", false}, {" ; ;", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CNameMasks(c.text.c_str()).Matches(c.name.c_str())) << Quoted(c);
    EXPECT_TRUE(CNameMasks(" \t; ;\t").IsEmpty() && CNameMasks().IsEmpty());
    EXPECT_FALSE(CNameMasks(" ; .git ; ").IsEmpty() || CNameMasks("!").IsEmpty() || CNameMasks().Matches("x"));
}
