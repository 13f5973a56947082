#include "platform/mbcs.h"

#include <cstring>

namespace {

struct FoldPair {
    unsigned short from;
    unsigned short to;
};

constexpr FoldPair kFoldPairs[] = {
#include "platform/mbcs_fold_table.inc"
};
constexpr size_t kFoldPairCount = sizeof(kFoldPairs) / sizeof(kFoldPairs[0]);

constexpr bool IsTrailByte932(unsigned c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

constexpr bool IsDoubleByteCode(unsigned code) {
    return IsLeadByte932(static_cast<unsigned char>(code >> 8)) && IsTrailByte932(code & 0xFF);
}

constexpr size_t CountFoldLeads() {
    bool seen[256] = {};
    size_t count = 0;
    for (const FoldPair& p : kFoldPairs) {
        if (!seen[p.from >> 8]) {
            seen[p.from >> 8] = true;
            ++count;
        }
    }
    return count;
}

constexpr size_t kFoldLeadCount = CountFoldLeads();

// Two levels: lead byte -> row (0 = no folding for that lead), then trail byte
// -> folded code (0 = unchanged). Only leads that have pairs get a row, which
// keeps it small enough to stay in cache inside the search loop.
struct FoldTable {
    unsigned char row[256] = {};
    unsigned short folded[kFoldLeadCount + 1][256] = {};
    bool valid = true;
};

constexpr FoldTable BuildFoldTable() {
    FoldTable t;
    unsigned char rows = 0;
    for (const FoldPair& p : kFoldPairs) {
        // Folding in place relies on every pair keeping two bytes, changing
        // something, and being final (folding twice equals folding once).
        if (!IsDoubleByteCode(p.from) || !IsDoubleByteCode(p.to) || p.from == p.to)
            t.valid = false;
        unsigned char lead = static_cast<unsigned char>(p.from >> 8);
        if (t.row[lead] == 0)
            t.row[lead] = ++rows;
        t.folded[t.row[lead]][p.from & 0xFF] = p.to;
    }
    for (const FoldPair& p : kFoldPairs) {
        unsigned char r = t.row[p.to >> 8];
        if (r != 0 && t.folded[r][p.to & 0xFF] != 0)
            t.valid = false;
    }
    return t;
}

constexpr FoldTable kFold = BuildFoldTable();
static_assert(kFold.valid, "mbcs_fold_table.inc must map double-byte codes to final double-byte codes");

struct AsciiLower {
    unsigned char map[256] = {};
    constexpr AsciiLower() {
        for (unsigned c = 0; c < 256; ++c)
            map[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
};

constexpr AsciiLower kAsciiLower;

}  // namespace

void MbcsMakeLower(char* s, size_t n) {
    unsigned char* p = reinterpret_cast<unsigned char*>(s);
    size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (!IsLeadByte932(c)) {
            p[i++] = kAsciiLower.map[c];
            continue;
        }
        if (i + 1 >= n)
            break;
        if (unsigned char r = kFold.row[c]) {
            if (unsigned short to = kFold.folded[r][p[i + 1]]) {
                p[i] = static_cast<unsigned char>(to >> 8);
                p[i + 1] = static_cast<unsigned char>(to);
            }
        }
        i += 2;
    }
}

long MbcsFind(const char* hay, size_t n, const char* needle, size_t m) {
    if (m == 0)
        return 0;
    if (m > n)
        return -1;

    bool needleEndsInLoneLead = false;
    for (size_t j = 0; j < m;) {
        if (IsLeadByte932(static_cast<unsigned char>(needle[j]))) {
            needleEndsInLoneLead = (j + 1 == m);
            j += 2;
        } else {
            j += 1;
        }
    }

    const char first = needle[0];
    const char last = needle[m - 1];
    const size_t lastStart = n - m;
    // Start of a character at or before every candidate still to come. It only
    // moves forward, so checking all candidates costs one pass over hay.
    size_t boundary = 0;
    size_t pos = 0;
    while (pos <= lastStart) {
        const void* hit = memchr(hay + pos, first, lastStart - pos + 1);
        if (!hit)
            return -1;
        size_t c = static_cast<const char*>(hit) - hay;
        pos = c + 1;
        if (hay[c + m - 1] != last || memcmp(hay + c, needle, m) != 0)
            continue;
        while (boundary < c)
            boundary += IsLeadByte932(static_cast<unsigned char>(hay[boundary])) ? 2 : 1;
        if (boundary != c)
            continue;  // starts on a trail byte
        if (needleEndsInLoneLead && c + m != n)
            continue;  // would cut the character whose lead ends the needle
        return static_cast<long>(c);
    }
    return -1;
}

int MbcsCompare(const char* a, const char* b) {
    const unsigned char* pa = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* pb = reinterpret_cast<const unsigned char*>(b);
    // Equal characters have equal widths, so both sides stay in step.
    for (;;) {
        unsigned ca = *pa++;
        if (IsLeadByte932(static_cast<unsigned char>(ca)) && *pa)
            ca = ca << 8 | *pa++;
        unsigned cb = *pb++;
        if (IsLeadByte932(static_cast<unsigned char>(cb)) && *pb)
            cb = cb << 8 | *pb++;
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

size_t MbcsFoldTableSize() {
    return kFoldPairCount;
}

void MbcsFoldPair(size_t i, unsigned short* from, unsigned short* to) {
    *from = kFoldPairs[i].from;
    *to = kFoldPairs[i].to;
}
