// The rows of the results list, held by the program so the list only asks
// for the texts it draws, shown in walk order or sorted by a column (the
// orders themselves are text_order.h's). No window.
#ifndef TOLVANE_DIALOG_ROW_STORE_H
#define TOLVANE_DIALOG_ROW_STORE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dialog/text_order.h"
#include "engine/found_rows.h"
#include "platform/cstring.h"

// The rows of one search: the pieces the engine wrote them in, linked in
// walk order, each row its texts' addresses, its line and its column. Rows
// are read in the order shown: the walk order, or the order of the last sort.
class CRowStore {
public:
    enum Column { kFile = 0, kLine = 1, kHeadword = 2, kText = 3, kColumns = 4 };

    void Clear();  // no rows, walk order
    // Rows in walk order after the rows there are. A row linked after a sort
    // is shown below the sorted ones until the next Sort.
    void Link(const std::vector<CRowPiece>& pieces);
    // One row, written by the store itself. TEXT is the line as read, its
    // tabs widened as the row shows them. A file or headword text equal to
    // the previous row's is stored once.
    void Append(const char* file, size_t nFile, uint64_t nLine, uint64_t nColumn, const char* headword,
                size_t nHeadword, const char* text, size_t nText);
    size_t Count() const;

    // Row N (0 = top, in the order shown): a column's text without a copy
    // (kLine: the number in decimal, valid until the next call), its line and
    // column. The text is not NUL-terminated; *pnLength is its length. Other
    // texts stay valid until the next Clear.
    const char* Text(size_t nRow, int nColumn, size_t* pnLength) const;
    CString TextOf(size_t nRow, int nColumn) const;
    uint64_t Line(size_t nRow) const;
    uint64_t Column(size_t nRow) const;
    // Where in its file the row's line starts; UINT64_MAX when not known.
    uint64_t Offset(size_t nRow) const;
    // The size and time of the row's file as the search read it.
    FileStamp Stamp(size_t nRow) const;
    // Where row N (in the order shown) stands in the walk's order.
    size_t WalkIndex(size_t nRow) const;

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
    struct Place {
        size_t nPiece;
        size_t nInPiece;
    };
    Place Locate(size_t nWalkIndex) const;
    const StoredRow& RowAt(size_t nWalkIndex) const;
    const char* ColumnText(const StoredRow& row, const char* file, int nColumn, size_t* pnLength) const;
    // Per piece, the place of its file among the rows' files.
    std::vector<uint32_t> FileRanks() const;

    std::vector<CRowPiece> m_pieces;
    std::vector<size_t> m_firstRow;  // per piece, its first row's walk index
    size_t m_nRows = 0;
    CRowWriter m_writer;             // Append's
    std::vector<CRowPiece> m_appended;
    std::vector<uint32_t> m_order;   // walk indexes in the order shown, once sorted
    int m_nSortColumn = -1;
    bool m_bAscending = true;
    mutable size_t m_nLastPiece = 0;  // rows are mostly read near the last one read
    mutable char m_number[24] = {};
};

#endif
