#include "dialog/row_store.h"

#include <algorithm>
#include <cstring>

#include "platform/mbcs.h"

namespace {

// What MbcsMakeLower does to one character, looked up instead of done to a
// copy, so that a comparison inside a sort neither allocates nor writes.
struct CharFold {
    unsigned char single[256];
    unsigned char row[256] = {};       // lead byte -> row of folded, 0 = nothing folds
    std::vector<unsigned short> folded;  // row * 256 + trail -> folded code, 0 = unchanged

    CharFold() : folded(256)
    {
        for (unsigned c = 0; c < 256; ++c)
            single[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        for (size_t i = 0; i < MbcsFoldTableSize(); ++i) {
            unsigned short from, to;
            MbcsFoldPair(i, &from, &to);
            unsigned char lead = static_cast<unsigned char>(from >> 8);
            if (row[lead] == 0) {
                row[lead] = static_cast<unsigned char>(folded.size() / 256);
                folded.resize(folded.size() + 256);
            }
            folded[row[lead] * 256 + (from & 0xFF)] = to;
        }
    }
};

const CharFold& Fold()
{
    static const CharFold fold;
    return fold;
}

// The folded character at P[*I], stepping past it, as a number that orders
// as its bytes do: the first byte above the second, and a double-byte
// character after a lone lead byte of the same value, which is a prefix of it.
inline uint32_t NextChar(const CharFold& f, const unsigned char* p, size_t* i, size_t n)
{
    unsigned c = p[(*i)++];
    if (!IsLeadByte932(static_cast<unsigned char>(c)) || *i >= n)
        return static_cast<uint32_t>(f.single[c]) << 9;
    unsigned code = c << 8 | p[(*i)++];
    if (unsigned r = f.row[c]) {
        if (unsigned short to = f.folded[r * 256 + (code & 0xFF)])
            code = to;
    }
    return (code >> 8) << 9 | 0x100 | (code & 0xFF);
}

inline bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

inline int Sign(long long v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

// A text's place in a sort by its folded bytes, eight at a time: texts
// whose eight bytes differ are ordered by them, and only those that agree read
// their next eight. Each text is read about once whatever the comparisons,
// where comparing whole texts reads both of them at every comparison.
struct FoldedItem {
    uint64_t key;    // the eight bytes read last, the first in the top byte
    size_t pos;      // where the next eight start
    uint32_t row;    // walk index
    uint8_t nBytes;  // how many of the eight the text had
};

// A double-byte character cut by the eighth byte is read again whole by the
// next eight. Texts that reach it agree on all before it, so both repeat the
// same first byte there, and no order changes.
void ReadNextEight(const CharFold& f, const char* s, size_t n, FoldedItem* item)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    uint64_t key = 0;
    int nBytes = 0;
    size_t i = item->pos;
    while (i < n && nBytes < 8) {
        size_t start = i;
        uint32_t c = NextChar(f, p, &i, n);
        key = key << 8 | (c >> 9);
        ++nBytes;
        if (c & 0x100) {
            if (nBytes == 8) {
                i = start;
                break;
            }
            key = key << 8 | (c & 0xFF);
            ++nBytes;
        }
    }
    // Padded with zeros: where a text ends and another goes on with real
    // zeros, the fewer bytes put the shorter one first.
    item->key = nBytes == 0 ? 0 : key << (8 * (8 - nBytes));
    item->nBytes = static_cast<uint8_t>(nBytes);
    item->pos = i;
}

// Walk indexes 0..N-1 in the order of CompareFolded of TEXTOF(index), ties in
// walk order.
template <class TextOf>
std::vector<uint32_t> SortFolded(size_t n, bool bAscending, TextOf textOf)
{
    const CharFold& f = Fold();
    std::vector<FoldedItem> items(n);
    for (size_t i = 0; i < n; ++i)
        items[i] = {0, 0, static_cast<uint32_t>(i), 0};
    auto before = [bAscending](const FoldedItem& x, const FoldedItem& y) {
        if (x.key != y.key)
            return (x.key < y.key) == bAscending;
        if (x.nBytes != y.nBytes)
            return (x.nBytes < y.nBytes) == bAscending;
        return x.row < y.row;
    };
    std::vector<std::pair<size_t, size_t>> pending = {{0, n}};
    while (!pending.empty()) {
        size_t begin = pending.back().first, end = pending.back().second;
        pending.pop_back();
        for (size_t k = begin; k < end; ++k) {
            size_t nText;
            const char* text = textOf(items[k].row, &nText);
            ReadNextEight(f, text, nText, &items[k]);
        }
        std::sort(items.begin() + begin, items.begin() + end, before);
        // Texts that agree so far and went on for all eight bytes may still differ.
        for (size_t k = begin; k < end;) {
            size_t same = k + 1;
            while (same < end && items[same].key == items[k].key && items[same].nBytes == items[k].nBytes)
                ++same;
            if (same - k > 1 && items[k].nBytes == 8)
                pending.push_back({k, same});
            k = same;
        }
    }
    std::vector<uint32_t> order;
    order.reserve(n);
    for (const FoldedItem& item : items)
        order.push_back(item.row);
    return order;
}

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

namespace {

// Both orders in one walk; NUMBERS reads runs of ASCII digits by their value.
inline int CompareTexts(const char* a, size_t na, const char* b, size_t nb, bool bNumbers)
{
    if (a == b && na == nb)
        return 0;  // rows of one file share its text
    const CharFold& f = Fold();
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b);
    // The first difference in leading zeros, kept for names otherwise equal.
    int zeros = 0;
    size_t i = 0, j = 0;
    while (i < na && j < nb) {
        // Both are at a character's start here, and a digit is never a lead
        // byte, so a run of digits never takes a trail byte in.
        if (bNumbers && IsDigit(pa[i]) && IsDigit(pb[j])) {
            size_t endA = i, endB = j;
            while (endA < na && IsDigit(pa[endA]))
                ++endA;
            while (endB < nb && IsDigit(pb[endB]))
                ++endB;
            size_t firstA = i, firstB = j;
            while (firstA < endA && pa[firstA] == '0')
                ++firstA;
            while (firstB < endB && pb[firstB] == '0')
                ++firstB;
            // By length then by digits: a value of any length, never overflowing.
            size_t nA = endA - firstA, nB = endB - firstB;
            if (nA != nB)
                return nA < nB ? -1 : 1;
            if (int c = std::memcmp(pa + firstA, pb + firstB, nA))
                return Sign(c);
            if (zeros == 0)
                zeros = Sign(static_cast<long long>(firstA - i) - static_cast<long long>(firstB - j));
            i = endA;
            j = endB;
            continue;
        }
        // Equal bytes below 0x80 are the same single-byte character on both sides.
        if (pa[i] == pb[j] && pa[i] < 0x80) {
            ++i;
            ++j;
            continue;
        }
        uint32_t ca = NextChar(f, pa, &i, na);
        uint32_t cb = NextChar(f, pb, &j, nb);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < na || j < nb)
        return (i < na) - (j < nb);
    return zeros;
}

}  // namespace

int CompareFolded(const char* a, size_t na, const char* b, size_t nb)
{
    return CompareTexts(a, na, b, nb, false);
}

int CompareLogical(const char* a, size_t na, const char* b, size_t nb)
{
    return CompareTexts(a, na, b, nb, true);
}

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
        order = SortFolded(n, bAscending, [this, nColumn](uint32_t row, size_t* pnLength) {
            return ColumnText(m_rows[row], nColumn, pnLength);
        });
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
