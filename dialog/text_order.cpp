#include "dialog/text_order.h"

#include <algorithm>
#include <cstring>

#include "text/mbcs.h"

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

}  // namespace

std::vector<uint32_t> SortFolded(size_t n, bool bAscending, TextAt textAt, const void* context)
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
            const char* text = textAt(context, items[k].row, &nText);
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
