#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/row_store.h"

// ア 83 41, ヂ 83 61, ソ 83 5C, 表 95 5C (trail 41 is 'A', 61 'a', 5C '\\'); Ａ 82 60 / ａ 82 81,
// Ⅰ 87 54 / ⅰ FA 40, １ 82 50, ｱ B1 (one byte).
namespace {

int SignOf(int v) { return (v > 0) - (v < 0); }

struct Row {
    std::string file;
    uint64_t line;
    std::string headword, text;
    std::string Text(int nColumn) const
    {
        return nColumn == CRowStore::kFile ? file : nColumn == CRowStore::kLine ? std::to_string(line)
               : nColumn == CRowStore::kHeadword ? headword : text;
    }
};

// Every column both ways, one sort after another, then the walk order: rows' texts in the order shown,
// the column's order with ties in walk order (each row's column is its walk index).
void ExpectEverySort(CRowStore* store, const std::vector<Row>& rows)
{
    for (int nSort = 0; nSort <= 8; ++nSort) {
        const int column = nSort / 2;  // 4: walk order
        nSort < 8 ? store->Sort(column, nSort % 2 == 0) : store->ShowWalkOrder();
        ASSERT_EQ(nSort < 8 ? column : -1, store->SortColumn());
        ASSERT_EQ(nSort % 2 == 0, store->SortAscending());
        ASSERT_EQ(rows.size(), store->Count());
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows.at(store->Column(i));
            ASSERT_EQ(row.line, store->Line(i)) << i;
            for (int nColumn = CRowStore::kFile; nColumn <= CRowStore::kText; ++nColumn) {
                size_t n = 0;
                const char* p = store->Text(i, nColumn, &n);
                ASSERT_EQ(row.Text(nColumn), std::string(p, n)) << i << ", column " << nColumn;
            }
            if (i == 0)
                continue;
            const Row& before = rows[store->Column(i - 1)];
            const std::string a = before.Text(column), b = row.Text(column);
            int c = column == CRowStore::kLine ? (before.line > row.line) - (before.line < row.line)
                    : column == CRowStore::kFile ? CompareLogical(a.data(), a.size(), b.data(), b.size())
                    : column < 4                 ? CompareFolded(a.data(), a.size(), b.data(), b.size())
                                                 : 0;
            ASSERT_TRUE((nSort % 2 ? -c : c) < 0 || (c == 0 && store->Column(i - 1) < store->Column(i)))
                << "sort " << nSort << ", row " << i;
        }
    }
}

void Append(CRowStore* store, std::vector<Row>* rows, const Row& r)
{
    rows->push_back(r);
    store->Append(r.file.data(), r.file.size(), r.line, store->Count(), r.headword.data(), r.headword.size(),
                  r.text.data(), r.text.size());
}

}  // namespace

// CompareLogical reads runs of digits by their value; CompareFolded is the
// byte order of the folded texts. Both fold the letters the search folds.
TEST(TextOrder, LogicalAndFoldedOrders) {
    const struct { std::string a, b; int logical, folded; } cases[] = {
        {"f2", "f10", -1, 1}, {"f2", "f02", -1, 1}, {"0", "00", -1, -1}, {"a10b2", "a10b10", -1, 1},
        {"f02a", "f2b", -1, -1}, {"a02b2", "a2b02", 1, -1},  // the first leading zeros decide, and only at the end
        {"a2b10", "a10b2", -1, 1}, {"v12345678901234567890", "v9", 1, -1}, {"ABCXYZ", "abcxyz", 0, 0},
        {"v12345678901234567890", "v12345678901234567891", -1, -1}, {"Ab", "aC", -1, -1}, {"_", "A", -1, -1},
        {"x\x82\x60y", "X\x82\x81Y", 0, 0}, {"\x87\x54", "\xFA\x40", 0, 0}, {"a", "a1", -1, -1}, {"", "", 0, 0},
        {"", " ", -1, -1}, {"\x83\x41", "\x83\x5C", -1, -1},
        {"\x83\x41", "\x83\x61", -1, -1}, {"\x95\x5C", "\x83\x5C", 1, 1}, {"\x83\x41" "2", "\x83\x41" "10", -1, 1},
        {"\x95\x5C" "9.txt", "\x95\x5C" "10.txt", -1, 1}, {"\x81" "10", "\x81" "9", -1, -1},  // 81 31 is one character
        {"\x82\x51", "\x82\x50\x82\x4F", 1, 1}, {"a\x81", "a\x81\x40", -1, -1}, {"\xB1", "\x83\x41", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a) + " against " + testing::PrintToString(c.b));
        EXPECT_EQ(c.logical, SignOf(CompareLogical(c.a.data(), c.a.size(), c.b.data(), c.b.size())));
        EXPECT_EQ(-c.logical, SignOf(CompareLogical(c.b.data(), c.b.size(), c.a.data(), c.a.size())));
        EXPECT_EQ(c.folded, SignOf(CompareFolded(c.a.data(), c.a.size(), c.b.data(), c.b.size())));
        EXPECT_EQ(-c.folded, SignOf(CompareFolded(c.b.data(), c.b.size(), c.a.data(), c.a.size())));
    }
}

// Two writers take alternate files and hand rows over at any row; names equal but for case tie. Then
// rows the store writes, whose texts meet at the eighth byte: texts sort eight folded bytes at a time.
TEST(RowStore, SortsByEachColumnKeepingWalkOrderForTies) {
    CRowWriter writers[2];
    CRowStore store;
    std::vector<Row> rows;
    uint32_t seed = 7;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int nFile = 0; nFile < 40; ++nFile) {
        const std::string file = (nFile % 2 ? "DIR\\F" : "dir\\f") + std::to_string(nFile % 7);
        CRowWriter& writer = writers[nFile % 2];
        writer.StartFile(file.data(), file.size());
        std::vector<CRowPiece> pieces;
        for (size_t i = 0, nRows = next() % 800; i < nRows; ++i) {
            const uint64_t line = i == 0 ? UINT64_MAX : next() % 50;
            rows.push_back({file, line, (i % 3 ? "Head" : "HEAD") + std::to_string(i / 100 % 3),
                            std::string(next() % 200, "aAbB"[i % 4])});
            const Row& r = rows.back();
            writer.Add(r.line, rows.size() - 1, r.headword.data(), r.headword.size(), r.text.data(), r.text.size());
            if (next() % 300 == 0)
                writer.TakeInto(&pieces);
        }
        writer.TakeInto(&pieces);
        store.Link(pieces);
    }
    for (std::string text : {"abcdefg\x83\x41", "abcdefg\x83\x5C", "ABCDEFG\x83\x41x", "abcdefg\x82\x60",
                             "abcdefg\x82\x81", "abcdefgh", "ABCDEFGH", "abcdefghijklmnopQ", "abcdefghijklmnopq",
                             "abcdefghijklmnop", "abcdefghijklmnoP", "abcdefg", "", "\x83\x41\x83\x41\x83\x41\x83\x41",
                             "\x83\x41\x83\x41\x83\x41\x83\x41\x83", "a\x83\x41\x83\x41\x83\x41\x83\x41",
                             "a\x83\x41\x83\x41\x83\x41\x83\x61", "A\x83\x41\x83\x41\x83\x41\x83\x41",
                             "a\x83\x41\x83\x41\x83\x41\x83\x60", "abcdefg\x83", "abcdefgH"})
        Append(&store, &rows, {"f" + std::to_string(rows.size() % 3), 1, "", text});
    for (size_t n : {9, 10})
        Append(&store, &rows, {"f", 1, "", std::string("abcdefgh\0\0", n)});
    ExpectEverySort(&store, rows);
    // A row linked to a sorted list comes below the sorted rows until the next sort.
    store.Sort(CRowStore::kText, true);
    Append(&store, &rows, {"a.c", 1, "", std::string(CRowWriter::kTextBlock + 5, 'z')});
    EXPECT_EQ(rows.size() - 1, store.Column(rows.size() - 1));
    ExpectEverySort(&store, rows);
    store.Sort(CRowStore::kLine, false);
    store.Clear();
    EXPECT_EQ(-1, store.SortColumn());
    std::vector<Row> one;
    Append(&store, &one, rows.back());
    ExpectEverySort(&store, one);
}

TEST(RowStore, FileAndHeadwordOfTheRowBeforeAreStoredOnce) {
    const std::string name(300, 'n');
    CRowStore shared, distinct;
    for (size_t i = 0; i < 1000; ++i) {
        const std::string text = "line " + std::to_string(i), own = name + std::to_string(i % 10);
        shared.Append(name.data(), 300, i, i, name.data(), 300, text.data(), text.size());
        distinct.Append(own.data(), own.size(), i, i, name.data(), 300, text.data(), text.size());
    }
    EXPECT_LT(shared.BytesUsed(), 1000 * name.size() / 2);
    EXPECT_GT(distinct.BytesUsed(), 1000 * name.size());
}
