// The rows of the results list, held by the program so the list only asks
// for the texts it draws, shown in walk order or sorted by a column (the
// orders themselves are text_order.h's). No window.
#ifndef TOLVANE_DIALOG_ROW_STORE_H
#define TOLVANE_DIALOG_ROW_STORE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dialog/text_order.h"
#include "platform/cstring.h"

// The rows of one search in a compact store: one buffer of texts, and per row
// where its texts lie, its line and its column. Rows are read in the order
// shown: the walk order, or the order of the last sort.
class CRowStore {
public:
    enum Column { kFile = 0, kLine = 1, kHeadword = 2, kText = 3, kColumns = 4 };

    void Clear();  // no rows, walk order
    // TEXT is the line as the row shows it (tabs already widened). A file or
    // headword text equal to the previous row's is stored once. A row appended
    // after a sort is shown below the sorted ones until the next Sort.
    void Append(const char* file, size_t nFile, uint64_t nLine, uint64_t nColumn, const char* headword,
                size_t nHeadword, const char* text, size_t nText);
    size_t Count() const;

    // Row N (0 = top, in the order shown): a column's text without a copy
    // (kLine: the number in decimal, valid until the next call), its line and
    // column. The text is not NUL-terminated; *pnLength is its length. Other
    // texts stay valid until the next Append or Clear, which may move them.
    const char* Text(size_t nRow, int nColumn, size_t* pnLength) const;
    CString TextOf(size_t nRow, int nColumn) const;
    uint64_t Line(size_t nRow) const;
    uint64_t Column(size_t nRow) const;

    // Stable: rows that compare equal keep their walk order, in both
    // directions. kFile by CompareLogical, kLine by number, kHeadword and
    // kText by CompareFolded.
    void Sort(int nColumn, bool bAscending);
    void ShowWalkOrder();
    int SortColumn() const;  // -1 in walk order
    bool SortAscending() const;

    // Bytes the store holds, for the memory figures (the untouched room of
    // its last block of texts left out).
    size_t BytesUsed() const;

private:
    // 32 bytes. The row's own text lies at m_texts[text]; its file and
    // headword are shared with the rows around it, so the row names them by
    // their place in m_shared. Every stored text starts with its length.
    struct Row {
        uint64_t text;
        uint32_t file;
        uint32_t headword;
        uint64_t line;
        uint64_t column;
    };
    static_assert(sizeof(Row) == 32, "a row's bookkeeping is meant to stay at 32 bytes");

    size_t WalkIndex(size_t nRow) const;
    uint64_t Put(const char* s, size_t n);
    uint32_t PutShared(uint32_t previous, const char* s, size_t n);
    const char* Stored(uint64_t offset, size_t* pnLength) const;
    const char* ColumnText(const Row& row, int nColumn, size_t* pnLength) const;
    // Per entry of m_shared, the place of its text among the rows' files.
    std::vector<uint32_t> FileRanks() const;

    // Blocks of texts; an offset is a block's number above kBlockShift bits
    // and the place in it below. A block holds one text of any length, or
    // several in kTextBlock bytes.
    static constexpr size_t kTextBlock = 1u << 20;
    static constexpr int kBlockShift = 32;
    std::vector<std::vector<char>> m_texts;
    std::vector<Row> m_rows;
    std::vector<uint64_t> m_shared;  // offsets of file and headword texts
    std::vector<uint32_t> m_order;   // walk indexes in the order shown, once sorted
    int m_nSortColumn = -1;
    bool m_bAscending = true;
    mutable char m_number[24] = {};
};

#endif
