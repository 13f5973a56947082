#include "dialog/row_store.h"

#include <algorithm>
#include <cstring>

#include "dialog/text_order.h"

namespace {

// Half again rather than double: the store is the largest thing the program
// holds, and doubling can leave nearly half of it unused.
template <class T>
void MakeRoom(std::vector<T>* v, size_t nExtra)
{
    if (v->capacity() - v->size() >= nExtra)
        return;
    v->reserve(std::max(v->size() + nExtra, v->capacity() + v->capacity() / 2 + 16));
}

template <class T>
void Release(std::vector<T>* v)
{
    std::vector<T>().swap(*v);
}

const uint32_t kNoShared = UINT32_MAX;

}  // namespace

void CRowStore::Clear()
{
    Release(&m_texts);
    Release(&m_rows);
    Release(&m_shared);
    Release(&m_order);
    m_nSortColumn = -1;
    m_bAscending = true;
}

// Each text is its length, seven bits a byte with the top bit saying more
// follow, then its bytes: one byte of length for a usual line.
// Texts go into blocks that never move, each its pages touched once: a
// buffer grown by copying would touch every page again at each growth. A
// text longer than a block gets one of its own. The offset names the block
// and the place in it.
uint64_t CRowStore::Put(const char* s, size_t n)
{
    size_t need = n + 10;
    if (m_texts.empty() || m_texts.back().capacity() - m_texts.back().size() < need) {
        m_texts.emplace_back();
        m_texts.back().reserve(std::max(kTextBlock, need));
    }
    std::vector<char>& block = m_texts.back();
    uint64_t offset = (static_cast<uint64_t>(m_texts.size() - 1) << kBlockShift) | block.size();
    size_t rest = n;
    while (rest >= 0x80) {
        block.push_back(static_cast<char>((rest & 0x7F) | 0x80));
        rest >>= 7;
    }
    block.push_back(static_cast<char>(rest));
    block.insert(block.end(), s, s + n);
    return offset;
}

const char* CRowStore::Stored(uint64_t offset, size_t* pnLength) const
{
    const std::vector<char>& block = m_texts[static_cast<size_t>(offset >> kBlockShift)];
    const unsigned char* p =
        reinterpret_cast<const unsigned char*>(block.data() + (offset & ((uint64_t(1) << kBlockShift) - 1)));
    size_t n = 0;
    int shift = 0;
    while (*p & 0x80) {
        n |= static_cast<size_t>(*p++ & 0x7F) << shift;
        shift += 7;
    }
    n |= static_cast<size_t>(*p++) << shift;
    *pnLength = n;
    return reinterpret_cast<const char*>(p);
}

uint32_t CRowStore::PutShared(uint32_t previous, const char* s, size_t n)
{
    if (previous != kNoShared) {
        size_t nPrevious;
        const char* p = Stored(m_shared[previous], &nPrevious);
        if (nPrevious == n && std::memcmp(p, s, n) == 0)
            return previous;
    }
    MakeRoom(&m_shared, 1);
    m_shared.push_back(Put(s, n));
    return static_cast<uint32_t>(m_shared.size() - 1);
}

void CRowStore::Append(const char* file, size_t nFile, uint64_t nLine, uint64_t nColumn, const char* headword,
                       size_t nHeadword, const char* text, size_t nText)
{
    Row row;
    row.file = PutShared(m_rows.empty() ? kNoShared : m_rows.back().file, file, nFile);
    row.headword = PutShared(m_rows.empty() ? kNoShared : m_rows.back().headword, headword, nHeadword);
    row.text = Put(text, nText);
    row.line = nLine;
    row.column = nColumn;
    MakeRoom(&m_rows, 1);
    m_rows.push_back(row);
    if (m_nSortColumn >= 0) {
        MakeRoom(&m_order, 1);
        m_order.push_back(static_cast<uint32_t>(m_rows.size() - 1));
    }
}

size_t CRowStore::Count() const
{
    return m_rows.size();
}

size_t CRowStore::WalkIndex(size_t nRow) const
{
    return m_nSortColumn < 0 ? nRow : m_order[nRow];
}

const char* CRowStore::ColumnText(const Row& row, int nColumn, size_t* pnLength) const
{
    switch (nColumn) {
    case kFile:
        return Stored(m_shared[row.file], pnLength);
    case kHeadword:
        return Stored(m_shared[row.headword], pnLength);
    case kText:
        return Stored(row.text, pnLength);
    case kLine: {
        char* end = m_number + sizeof(m_number);
        char* p = end;
        uint64_t v = row.line;
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
    return ColumnText(m_rows[WalkIndex(nRow)], nColumn, pnLength);
}

CString CRowStore::TextOf(size_t nRow, int nColumn) const
{
    size_t n;
    const char* p = Text(nRow, nColumn, &n);
    return CString(p, static_cast<int>(n));
}

uint64_t CRowStore::Line(size_t nRow) const
{
    return m_rows[WalkIndex(nRow)].line;
}

uint64_t CRowStore::Column(size_t nRow) const
{
    return m_rows[WalkIndex(nRow)].column;
}

// Rows of one file lie next to each other and share one stored text, so each
// stored name is ordered once and a row sorts by the rank of its name: a few
// thousand files make the sort of half a million rows one of numbers.
std::vector<uint32_t> CRowStore::FileRanks() const
{
    // A row's file is the previous row's or a new one, so the files of
    // distinct runs are distinct entries.
    std::vector<uint32_t> runs;
    for (const Row& row : m_rows) {
        if (runs.empty() || runs.back() != row.file)
            runs.push_back(row.file);
    }
    auto compare = [this](uint32_t x, uint32_t y) {
        size_t nx, ny;
        const char* px = Stored(m_shared[x], &nx);
        const char* py = Stored(m_shared[y], &ny);
        return CompareLogical(px, nx, py, ny);
    };
    std::sort(runs.begin(), runs.end(), [&compare](uint32_t x, uint32_t y) { return compare(x, y) < 0; });
    std::vector<uint32_t> rank(m_shared.size());
    uint32_t nRank = 0;
    for (size_t k = 0; k < runs.size(); ++k) {
        if (k > 0 && compare(runs[k - 1], runs[k]) != 0)
            ++nRank;
        rank[runs[k]] = nRank;
    }
    return rank;
}

// The walk index last makes the order total, which is what keeps ties in
// walk order both ways and whatever order the rows were in before.
void CRowStore::Sort(int nColumn, bool bAscending)
{
    if (nColumn < kFile || nColumn > kText)
        return;
    const size_t n = m_rows.size();
    std::vector<uint32_t> order;
    if (nColumn == kHeadword || nColumn == kText) {
        struct Column {
            const CRowStore* store;
            int nColumn;
        } column = {this, nColumn};
        order = SortFolded(
            n, bAscending,
            [](const void* context, uint32_t row, size_t* pnLength) {
                const Column* c = static_cast<const Column*>(context);
                return c->store->ColumnText(c->store->m_rows[row], c->nColumn, pnLength);
            },
            &column);
    } else {
        std::vector<uint32_t> rank = nColumn == kFile ? FileRanks() : std::vector<uint32_t>();
        struct Item {
            uint64_t key;
            uint32_t row;
        };
        std::vector<Item> items(n);
        for (size_t i = 0; i < n; ++i)
            items[i] = {nColumn == kFile ? rank[m_rows[i].file] : m_rows[i].line, static_cast<uint32_t>(i)};
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
    // The room left in the last block is not yet touched, so it is not counted.
    size_t n = m_texts.capacity() * sizeof(std::vector<char>);
    for (const std::vector<char>& block : m_texts)
        n += &block == &m_texts.back() ? block.size() : block.capacity();
    return n + m_rows.capacity() * sizeof(Row) + m_shared.capacity() * sizeof(uint64_t) +
           m_order.capacity() * sizeof(uint32_t);
}
