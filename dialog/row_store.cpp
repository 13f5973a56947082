#include "dialog/row_store.h"

#include <algorithm>
#include <cstring>

#include "dialog/text_order.h"

namespace {

template <class T>
void Release(std::vector<T>* v)
{
    std::vector<T>().swap(*v);
}

}  // namespace

void CRowStore::Clear()
{
    Release(&m_pieces);
    Release(&m_firstRow);
    Release(&m_order);
    m_writer = CRowWriter();
    m_nRows = 0;
    m_nLastPiece = 0;
    m_nSortColumn = -1;
    m_bAscending = true;
}

// A piece that goes on where the last one ends, in the same blocks and the
// same file, joins it: rows written one at a time would otherwise each be
// a piece.
void CRowStore::Link(const std::vector<CRowPiece>& pieces)
{
    for (const CRowPiece& piece : pieces) {
        if (piece.nRows == 0)
            continue;
        size_t nFirst = m_nRows;
        m_nRows += piece.nRows;
        CRowPiece* last = m_pieces.empty() ? nullptr : &m_pieces.back();
        if (last && last->texts == piece.texts && last->rows == piece.rows && last->file == piece.file &&
            last->first + last->nRows == piece.first) {
            last->nRows += piece.nRows;
            last->nBytes += piece.nBytes;
        } else {
            m_pieces.push_back(piece);
            m_firstRow.push_back(nFirst);
        }
        if (m_nSortColumn >= 0) {
            for (size_t i = nFirst; i < m_nRows; ++i)
                m_order.push_back(static_cast<uint32_t>(i));
        }
    }
}

void CRowStore::Append(const char* file, size_t nFile, uint64_t nLine, uint64_t nColumn, const char* headword,
                       size_t nHeadword, const char* text, size_t nText)
{
    m_writer.StartFile(file, nFile);
    m_writer.Add(nLine, nColumn, headword, nHeadword, text, nText);
    m_appended.clear();
    m_writer.TakeInto(&m_appended);
    Link(m_appended);
}

size_t CRowStore::Count() const
{
    return m_nRows;
}

size_t CRowStore::WalkIndex(size_t nRow) const
{
    return m_nSortColumn < 0 ? nRow : m_order[nRow];
}

CRowStore::Place CRowStore::Locate(size_t nWalkIndex) const
{
    size_t k = m_nLastPiece;
    if (k >= m_pieces.size() || nWalkIndex < m_firstRow[k] || nWalkIndex - m_firstRow[k] >= m_pieces[k].nRows) {
        k = static_cast<size_t>(std::upper_bound(m_firstRow.begin(), m_firstRow.end(), nWalkIndex) -
                                m_firstRow.begin()) - 1;
        m_nLastPiece = k;
    }
    return Place{k, nWalkIndex - m_firstRow[k]};
}

const StoredRow& CRowStore::RowAt(size_t nWalkIndex) const
{
    Place at = Locate(nWalkIndex);
    return m_pieces[at.nPiece].first[at.nInPiece];
}

const char* CRowStore::ColumnText(const StoredRow& row, const char* file, int nColumn, size_t* pnLength) const
{
    switch (nColumn) {
    case kFile:
        return StoredText(file, pnLength);
    case kHeadword:
        return StoredText(row.headword, pnLength);
    case kText:
        return StoredText(row.text, pnLength);
    case kLine: {
        char* end = m_number + sizeof(m_number);
        char* p = end;
        uint64_t v = row.nLine;
        do {
            *--p = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        *pnLength = static_cast<size_t>(end - p);
        return p;
    }
    default:
        *pnLength = 0;
        return "";
    }
}

const char* CRowStore::Text(size_t nRow, int nColumn, size_t* pnLength) const
{
    Place at = Locate(WalkIndex(nRow));
    const CRowPiece& piece = m_pieces[at.nPiece];
    return ColumnText(piece.first[at.nInPiece], piece.file, nColumn, pnLength);
}

CString CRowStore::TextOf(size_t nRow, int nColumn) const
{
    size_t n;
    const char* p = Text(nRow, nColumn, &n);
    return CString(p, static_cast<int>(n));
}

uint64_t CRowStore::Line(size_t nRow) const
{
    return RowAt(WalkIndex(nRow)).nLine;
}

uint64_t CRowStore::Column(size_t nRow) const
{
    return RowAt(WalkIndex(nRow)).nColumn;
}

uint64_t CRowStore::Offset(size_t nRow) const
{
    return RowAt(WalkIndex(nRow)).nOffset;
}

FileStamp CRowStore::Stamp(size_t nRow) const
{
    Place at = Locate(WalkIndex(nRow));
    return at.nPiece < m_pieces.size() ? m_pieces[at.nPiece].stamp : FileStamp();
}

// Rows of one file lie next to each other and share one stored text, so each
// file is ordered once and a row sorts by the rank of its file: a few
// thousand files make the sort of half a million rows one of numbers.
std::vector<uint32_t> CRowStore::FileRanks() const
{
    auto compare = [this](uint32_t x, uint32_t y) {
        size_t nx, ny;
        const char* px = StoredText(m_pieces[x].file, &nx);
        const char* py = StoredText(m_pieces[y].file, &ny);
        return CompareLogical(px, nx, py, ny);
    };
    // A piece whose file is the previous piece's own stored text takes its rank.
    std::vector<uint32_t> runs;
    for (size_t k = 0; k < m_pieces.size(); ++k) {
        if (k == 0 || m_pieces[k].file != m_pieces[k - 1].file)
            runs.push_back(static_cast<uint32_t>(k));
    }
    std::sort(runs.begin(), runs.end(), [&compare](uint32_t x, uint32_t y) { return compare(x, y) < 0; });
    std::vector<uint32_t> rank(m_pieces.size());
    uint32_t nRank = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        if (k > 0 && compare(runs[k - 1], runs[k]) != 0)
            ++nRank;
        rank[runs[k]] = nRank;
    }
    for (size_t k = 1; k < m_pieces.size(); ++k) {
        if (m_pieces[k].file == m_pieces[k - 1].file)
            rank[k] = rank[k - 1];
    }
    return rank;
}

// The walk index last makes the order total, which is what keeps ties in
// walk order both ways and whatever order the rows were in before.
void CRowStore::Sort(int nColumn, bool bAscending)
{
    if (nColumn < kFile || nColumn > kText)
        return;
    const size_t n = m_nRows;
    std::vector<uint32_t> order;
    if (nColumn == kHeadword || nColumn == kText) {
        // Each row's address once, so the sort does not look for rows' pieces.
        std::vector<const StoredRow*> rows;
        rows.reserve(n);
        for (const CRowPiece& piece : m_pieces) {
            for (size_t i = 0; i < piece.nRows; ++i)
                rows.push_back(piece.first + i);
        }
        struct Column {
            const std::vector<const StoredRow*>* rows;
            bool bHeadword;
        } column = {&rows, nColumn == kHeadword};
        order = SortFolded(
            n, bAscending,
            [](const void* context, uint32_t row, size_t* pnLength) {
                const Column* c = static_cast<const Column*>(context);
                const StoredRow* r = (*c->rows)[row];
                return StoredText(c->bHeadword ? r->headword : r->text, pnLength);
            },
            &column);
    } else {
        struct Item {
            uint64_t key;
            uint32_t row;
        };
        std::vector<Item> items(n);
        std::vector<uint32_t> rank = nColumn == kFile ? FileRanks() : std::vector<uint32_t>();
        for (size_t k = 0; k < m_pieces.size(); ++k) {
            for (size_t i = 0; i < m_pieces[k].nRows; ++i) {
                uint32_t row = static_cast<uint32_t>(m_firstRow[k] + i);
                items[row] = {nColumn == kFile ? rank[k] : m_pieces[k].first[i].nLine, row};
            }
        }
        std::sort(items.begin(), items.end(), [bAscending](const Item& x, const Item& y) {
            if (x.key != y.key)
                return (x.key < y.key) == bAscending;
            return x.row < y.row;
        });
        order.reserve(n);
        for (const Item& item : items)
            order.push_back(item.row);
    }
    m_order.swap(order);
    m_nSortColumn = nColumn;
    m_bAscending = bAscending;
}

void CRowStore::ShowWalkOrder()
{
    Release(&m_order);
    m_nSortColumn = -1;
    m_bAscending = true;
}

int CRowStore::SortColumn() const
{
    return m_nSortColumn;
}

bool CRowStore::SortAscending() const
{
    return m_bAscending;
}

size_t CRowStore::BytesUsed() const
{
    // What the rows' pieces wrote; the untouched room of their blocks is not counted.
    size_t n = m_pieces.capacity() * sizeof(CRowPiece) + m_firstRow.capacity() * sizeof(size_t) +
               m_order.capacity() * sizeof(uint32_t);
    for (const CRowPiece& piece : m_pieces)
        n += piece.nBytes;
    return n;
}
