#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dialog/row_store.h"
#include "text/mbcs.h"

// Texts are code page 932 bytes, written as escapes because the interesting
// bytes are trail bytes:
//   ア 83 41, ヂ 83 61, ソ 83 5C, 表 95 5C   (trail 41 is 'A', 61 'a', 5C '\\')
//   Ａ 82 60 / ａ 82 81, Α 83 9F / α 83 BF, А 84 40 / а 84 70, Ⅰ 87 54 / ⅰ FA 40
//   １ 82 50, ２ 82 51, ｱ B1 (a single byte)
namespace {

struct CompareCase {
    const char* what;
    std::string a;
    std::string b;
    int expected;  // the sign
};

int SignOf(int v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

std::string Lowered(std::string s)
{
    if (!s.empty())
        MbcsMakeLower(&s[0], s.size());
    return s;
}

}  // namespace

TEST(CompareLogical, NamesAsExplorerOrdersThem) {
    const std::vector<CompareCase> cases = {
        {"a number by its value", "f2", "f10", -1},
        {"one digit against two", "x9", "x10", -1},
        {"equal values, fewer leading zeros first", "f2", "f02", -1},
        {"more zeros still later", "f02", "f002", -1},
        {"all zeros", "0", "00", -1},
        {"leading zeros decide only when the rest is equal", "f02a", "f2b", -1},
        {"the second number decides", "a10b2", "a10b10", -1},
        {"the first number decides before the second", "a2b10", "a10b2", -1},
        {"longer than 64 bits", "v12345678901234567890", "v9", 1},
        {"two long numbers", "v12345678901234567890", "v12345678901234567891", -1},
        {"ASCII case is blind", "ABC", "abc", 0},
        {"case blind, then the letter", "Ab", "aC", -1},
        {"full-width Latin is case blind", "\x82\x60", "\x82\x81", 0},
        {"Greek is case blind", "\x83\x9F", "\x83\xBF", 0},
        {"Cyrillic is case blind", "\x84\x40", "\x84\x70", 0},
        {"Roman numerals are case blind", "\x87\x54", "\xFA\x40", 0},
        {"a name before a longer one", "file", "file.txt", -1},
        {"a name before the same with a number", "a", "a1", -1},
        {"empty names", "", "", 0},
        {"a trail 41 is no letter A", "\x83\x41", "\x83\x5C", -1},
        {"a trail 61 is no letter a", "\x83\x41", "\x83\x61", -1},
        {"a trail 5C is no separator", "\x95\x5C", "\x83\x5C", 1},
        {"numbers after a double-byte character", "\x83\x41" "2", "\x83\x41" "10", -1},
        {"numbers after a trail 5C", "\x95\x5C" "9.txt", "\x95\x5C" "10.txt", -1},
        {"a digit taken as a trail is no digit", "\x81" "10", "\x81" "9", -1},
        {"full-width digits are characters", "\x82\x51", "\x82\x50\x82\x4F", 1},
        {"a lone lead byte at the end is a character", "a\x81", "a\x81\x40", -1},
        {"single-byte kana by its byte", "\xB1", "\x83\x41", 1},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(c.expected, SignOf(CompareLogical(c.a.data(), c.a.size(), c.b.data(), c.b.size()))) << c.what;
        EXPECT_EQ(-c.expected, SignOf(CompareLogical(c.b.data(), c.b.size(), c.a.data(), c.a.size()))) << c.what;
    }
}

TEST(CompareFolded, TextsBlindToCaseElseByBytes) {
    const std::vector<CompareCase> cases = {
        {"equal", "abc", "abc", 0},
        {"ASCII case is blind", "abc", "ABC", 0},
        {"a letter", "abc", "ABD", -1},
        {"a text before a longer one", "ab", "abc", -1},
        {"empty texts", "", "", 0},
        {"empty before any", "", " ", -1},
        {"digits by their bytes", "file10", "file9", -1},
        {"capitals fold before comparing", "_", "A", -1},
        {"full-width Latin is case blind", "x\x82\x60y", "X\x82\x81Y", 0},
        {"Greek is case blind", "\x83\x9F", "\x83\xBF", 0},
        {"Cyrillic is case blind", "\x84\x40", "\x84\x70", 0},
        {"Roman numerals are case blind", "\x87\x54", "\xFA\x40", 0},
        {"a trail 41 is no letter A", "\x83\x41", "\x83\x61", -1},
        {"a trail 41 against a trail 5C", "\x83\x41", "\x83\x5C", -1},
        {"a trail 5C is no separator", "\x95\x5C", "\x83\x5C", 1},
        {"a lone lead byte at the end is a character", "a\x81", "a\x81\x40", -1},
        {"single-byte kana by its byte", "\xB1", "\x83\x41", 1},
    };
    for (const CompareCase& c : cases) {
        EXPECT_EQ(c.expected, SignOf(CompareFolded(c.a.data(), c.a.size(), c.b.data(), c.b.size()))) << c.what;
        EXPECT_EQ(-c.expected, SignOf(CompareFolded(c.b.data(), c.b.size(), c.a.data(), c.a.size()))) << c.what;
        EXPECT_EQ(c.expected, SignOf(Lowered(c.a).compare(Lowered(c.b)))) << c.what << ": as the search folds";
    }
}

namespace {

struct RowCase {
    std::string file;
    uint64_t line;
    std::string headword;
    std::string text;
};

// The column of each row is its walk index, so Column() tells the order shown.
const std::vector<RowCase> kRows = {
    {"src\\f10.c", 5, "main", "Return x"},
    {"src\\f10.c", 12, "main", "alpha"},
    {"src\\f2.c", 7, "Init", "return y"},
    {"src\\F2.c", 3, "init", "ALPHA"},
    {"src\\\x95\x5C.c", 7, "", "\x83\x5C"},
    {"src\\\x83\x41.c", 1, "", "\x83\x41"},
    {"src\\f02.c", 7, "main", "beta"},
};

void Fill(CRowStore* store, const std::vector<RowCase>& rows)
{
    for (const RowCase& r : rows) {
        store->Append(r.file.data(), r.file.size(), r.line, store->Count(), r.headword.data(), r.headword.size(),
                      r.text.data(), r.text.size());
    }
}

std::vector<uint64_t> Shown(const CRowStore& store)
{
    std::vector<uint64_t> order;
    for (size_t i = 0; i < store.Count(); ++i)
        order.push_back(store.Column(i));
    return order;
}

}  // namespace

TEST(RowStore, SortsByEachColumnKeepingWalkOrderForTies) {
    struct SortCase {
        int column;
        bool ascending;
        std::vector<uint64_t> expected;
    };
    const std::vector<SortCase> cases = {
        // f2 = F2, then f02; ア (83 41) before 表 (95 5C).
        {CRowStore::kFile, true, {2, 3, 6, 0, 1, 5, 4}},
        {CRowStore::kFile, false, {4, 5, 0, 1, 6, 2, 3}},
        {CRowStore::kLine, true, {5, 3, 0, 2, 4, 6, 1}},
        {CRowStore::kLine, false, {1, 2, 4, 6, 0, 3, 5}},
        // Init = init; "main" stored twice, equal both times.
        {CRowStore::kHeadword, true, {4, 5, 2, 3, 0, 1, 6}},
        {CRowStore::kHeadword, false, {0, 1, 6, 2, 3, 4, 5}},
        // alpha = ALPHA; ア before ソ though ア's trail is an 'A'.
        {CRowStore::kText, true, {1, 3, 6, 0, 2, 5, 4}},
        {CRowStore::kText, false, {4, 5, 2, 0, 6, 1, 3}},
    };
    for (const SortCase& c : cases) {
        CRowStore store;
        Fill(&store, kRows);
        store.Sort(c.column, c.ascending);
        EXPECT_EQ(c.expected, Shown(store)) << "column " << c.column << (c.ascending ? " up" : " down");
        EXPECT_EQ(c.column, store.SortColumn());
        EXPECT_EQ(c.ascending, store.SortAscending());
        for (size_t i = 0; i < store.Count(); ++i) {
            const RowCase& row = kRows[c.expected[i]];
            EXPECT_EQ(CString(row.file.c_str()), store.TextOf(i, CRowStore::kFile));
            EXPECT_EQ(CString(row.headword.c_str()), store.TextOf(i, CRowStore::kHeadword));
            EXPECT_EQ(CString(row.text.c_str()), store.TextOf(i, CRowStore::kText));
            EXPECT_EQ(row.line, store.Line(i));
        }

        // Another sort starts from the walk order, not from this one.
        store.Sort(CRowStore::kLine, false);
        EXPECT_EQ(std::vector<uint64_t>({1, 2, 4, 6, 0, 3, 5}), Shown(store)) << "after column " << c.column;

        store.ShowWalkOrder();
        EXPECT_EQ(std::vector<uint64_t>({0, 1, 2, 3, 4, 5, 6}), Shown(store));
        EXPECT_EQ(-1, store.SortColumn());
    }
}

// Texts are sorted eight folded bytes at a time; these meet at and across
// the eighth byte, where a double-byte character can be cut in two.
TEST(RowStore, SortsTextsAsCompareFoldedOrdersThem) {
    const std::vector<std::string> texts = {
        "abcdefg\x83\x41", "abcdefg\x83\x5C", "ABCDEFG\x83\x41x", "abcdefg\x82\x60", "abcdefg\x82\x81",
        "abcdefgh", std::string("abcdefgh\0", 9), std::string("abcdefgh\0\0", 10), "ABCDEFGH",
        "abcdefghijklmnopQ", "abcdefghijklmnopq", "abcdefghijklmnop", "abcdefghijklmnoP", "abcdefg", "",
        "\x83\x41\x83\x41\x83\x41\x83\x41", "\x83\x41\x83\x41\x83\x41\x83\x41\x83", "a\x83\x41\x83\x41\x83\x41\x83\x41",
        "a\x83\x41\x83\x41\x83\x41\x83\x61", "A\x83\x41\x83\x41\x83\x41\x83\x41", "a\x83\x41\x83\x41\x83\x41\x83\x60",
        "abcdefg\x83", "abcdefg", "abcdefgH",
    };
    CRowStore store;
    for (const std::string& text : texts)
        store.Append("f", 1, 1, store.Count(), "", 0, text.data(), text.size());
    for (bool ascending : {true, false}) {
        std::vector<uint64_t> expected;
        for (size_t i = 0; i < texts.size(); ++i)
            expected.push_back(i);
        std::stable_sort(expected.begin(), expected.end(), [&](uint64_t x, uint64_t y) {
            int c = CompareFolded(texts[x].data(), texts[x].size(), texts[y].data(), texts[y].size());
            return ascending ? c < 0 : c > 0;
        });
        store.Sort(CRowStore::kText, ascending);
        EXPECT_EQ(expected, Shown(store)) << (ascending ? "up" : "down");
    }
}

TEST(RowStore, TextsLinesAndClear) {
    CRowStore store;
    EXPECT_EQ(-1, store.SortColumn());
    const std::vector<RowCase> rows = {
        {"a.txt", 0, "", "x"},
        {"a.txt", 18446744073709551615u, "h", ""},
        {"b.txt", 40, "h", std::string(20000, 'y')},
        {"b.txt", 41, "h", std::string(CRowWriter::kTextBlock + 5, 'z')},  // a block of its own
        {"b.txt", 42, "h", "after"},
    };
    Fill(&store, rows);
    ASSERT_EQ(5u, store.Count());
    for (size_t i = 3; i < 5; ++i) {
        EXPECT_EQ(rows[i].text, std::string(store.TextOf(i, CRowStore::kText))) << i;
        EXPECT_EQ(CString("b.txt"), store.TextOf(i, CRowStore::kFile)) << i;
        EXPECT_EQ(CString("h"), store.TextOf(i, CRowStore::kHeadword)) << i;
    }
    store.Clear();
    Fill(&store, std::vector<RowCase>(rows.begin(), rows.begin() + 3));
    ASSERT_EQ(3u, store.Count());
    EXPECT_EQ(CString("0"), store.TextOf(0, CRowStore::kLine));
    EXPECT_EQ(CString("18446744073709551615"), store.TextOf(1, CRowStore::kLine));
    size_t n = 99;
    const char* p = store.Text(2, CRowStore::kLine, &n);
    EXPECT_EQ("40", std::string(p, n));
    p = store.Text(2, CRowStore::kText, &n);
    EXPECT_EQ(rows[2].text, std::string(p, n));
    EXPECT_EQ(CString(""), store.TextOf(1, CRowStore::kText));
    EXPECT_EQ(CString("b.txt"), store.TextOf(2, CRowStore::kFile));
    EXPECT_EQ(CString("h"), store.TextOf(2, CRowStore::kHeadword));

    // A row appended to a sorted list comes below the sorted rows.
    store.Sort(CRowStore::kLine, true);
    Fill(&store, {{"c.txt", 1, "", "z"}});
    EXPECT_EQ(std::vector<uint64_t>({0, 2, 1, 3}), Shown(store));
    EXPECT_EQ(CString("c.txt"), store.TextOf(3, CRowStore::kFile));

    store.Clear();
    EXPECT_EQ(0u, store.Count());
    EXPECT_EQ(-1, store.SortColumn());
    Fill(&store, {{"d.txt", 9, "g", "w"}, {"a.txt", 2, "g", "v"}});
    ASSERT_EQ(2u, store.Count());
    EXPECT_EQ(std::vector<uint64_t>({0, 1}), Shown(store));
    EXPECT_EQ(CString("d.txt"), store.TextOf(0, CRowStore::kFile));
    EXPECT_EQ(CString("a.txt"), store.TextOf(1, CRowStore::kFile));
    EXPECT_EQ(CString("g"), store.TextOf(1, CRowStore::kHeadword));
    EXPECT_EQ(CString("v"), store.TextOf(1, CRowStore::kText));
}

TEST(RowStore, FileAndHeadwordOfTheRowBeforeAreStoredOnce) {
    const size_t kRowCount = 1000;
    const std::string longName(300, 'n');
    CRowStore shared, distinct;
    for (size_t i = 0; i < kRowCount; ++i) {
        std::string text = "line " + std::to_string(i);
        std::string own = longName + std::to_string(i % 10);
        shared.Append(longName.data(), longName.size(), i, i, longName.data(), longName.size(), text.data(),
                      text.size());
        distinct.Append(own.data(), own.size(), i, i, longName.data(), longName.size(), text.data(), text.size());
    }
    EXPECT_LT(shared.BytesUsed(), kRowCount * longName.size() / 2);
    EXPECT_GT(distinct.BytesUsed(), kRowCount * longName.size());
    for (size_t i = 0; i < kRowCount; i += 97) {
        EXPECT_EQ(CString(longName.c_str()), shared.TextOf(i, CRowStore::kFile));
        EXPECT_EQ(CString((longName + std::to_string(i % 10)).c_str()), distinct.TextOf(i, CRowStore::kFile));
        EXPECT_EQ(CString(("line " + std::to_string(i)).c_str()), distinct.TextOf(i, CRowStore::kText));
    }
}

// Workers write the rows of alternate files, each into blocks of its own,
// and hand them over at any row; the list links the pieces in walk order.
TEST(RowStore, LinksPiecesOfSeveralWriters) {
    CRowWriter writers[2];
    CRowStore store;
    std::vector<RowCase> expected;
    uint32_t seed = 7;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int nFile = 0; nFile < 40; ++nFile) {
        CRowWriter& writer = writers[nFile % 2];
        std::string file = "dir\\file" + std::to_string(nFile);
        writer.StartFile(file.data(), file.size());
        size_t nRows = next() % 3000;
        std::vector<CRowPiece> pieces;
        for (size_t i = 0; i < nRows; ++i) {
            RowCase row{file, i, "head" + std::to_string(i / 100), std::string(next() % 700, 'a' + nFile % 26)};
            writer.Add(row.line, expected.size(), row.headword.data(), row.headword.size(), row.text.data(),
                       row.text.size());
            expected.push_back(row);
            if (next() % 500 == 0)
                writer.TakeInto(&pieces);
        }
        writer.TakeInto(&pieces);
        store.Link(pieces);
    }
    ASSERT_EQ(expected.size(), store.Count());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(expected[i].file, std::string(store.TextOf(i, CRowStore::kFile))) << i;
        ASSERT_EQ(expected[i].headword, std::string(store.TextOf(i, CRowStore::kHeadword))) << i;
        ASSERT_EQ(expected[i].text, std::string(store.TextOf(i, CRowStore::kText))) << i;
        ASSERT_EQ(expected[i].line, store.Line(i)) << i;
        ASSERT_EQ(i, store.Column(i));
    }
    store.Sort(CRowStore::kFile, false);
    for (size_t i = 1; i < store.Count(); ++i) {
        size_t na, nb;
        const char* a = store.Text(i - 1, CRowStore::kFile, &na);
        const char* b = store.Text(i, CRowStore::kFile, &nb);
        int c = CompareLogical(a, na, b, nb);
        ASSERT_TRUE(c > 0 || (c == 0 && store.Column(i - 1) < store.Column(i))) << i;
    }
}

TEST(RowStore, HalfAMillionRowsSort) {
    const size_t kRowCount = 500000;
    CRowStore store;
    uint32_t seed = 12345;
    auto next = [&seed]() { return seed = seed * 1103515245u + 12345u; };
    std::string file, headword, text;
    for (size_t i = 0; i < kRowCount; ++i) {
        // About 40 rows a file, the files in no order of their names.
        if (i % 40 == 0) {
            file = "C:\\work\\src\\module" + std::to_string(next() % 500) + "\\File" + std::to_string(next() % 1000)
                   + ".cpp";
        }
        if (i % 8 == 0)
            headword = "Function" + std::to_string(next() % 3000);
        text = std::string(next() % 12, ' ') + (next() % 2 ? "Return " : "return ") + std::to_string(next() % 100000)
               + " + value_of_something_long;";
        store.Append(file.data(), file.size(), next() % 5000, i, headword.data(), headword.size(), text.data(),
                     text.size());
    }
    ASSERT_EQ(kRowCount, store.Count());
    EXPECT_LT(store.BytesUsed(), 100u * 1000 * 1000);

    for (int column : {CRowStore::kFile, CRowStore::kLine, CRowStore::kHeadword, CRowStore::kText}) {
        for (bool ascending : {true, false}) {
            store.Sort(column, ascending);
            size_t nBad = 0;
            for (size_t i = 1; i < kRowCount; ++i) {
                int c;
                if (column == CRowStore::kLine) {
                    c = store.Line(i - 1) < store.Line(i) ? -1 : store.Line(i - 1) > store.Line(i) ? 1 : 0;
                } else {
                    size_t na, nb;
                    const char* a = store.Text(i - 1, column, &na);
                    const char* b = store.Text(i, column, &nb);
                    c = column == CRowStore::kFile ? CompareLogical(a, na, b, nb) : CompareFolded(a, na, b, nb);
                }
                if (!ascending)
                    c = -c;
                if (c > 0 || (c == 0 && store.Column(i - 1) > store.Column(i)))
                    ++nBad;
            }
            EXPECT_EQ(0u, nBad) << "column " << column << (ascending ? " up" : " down");
        }
    }
}
