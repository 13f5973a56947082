#include "text/mbcs.h"

#include <cstdint>
#include <cstring>

namespace {

struct FoldPair {
    unsigned short from;
    unsigned short to;
};

constexpr FoldPair kFoldPairs[] = {
#include "text/mbcs_fold_table.inc"
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

namespace {

struct CodePair {
    unsigned short from;
    unsigned short to;
};

#include "cp932_table.inc"

size_t Utf8Length(unsigned cp) {
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Looked up directly, as text is converted a character at a time.
struct UnicodeTables {
    unsigned short code[0x10000] = {};     // character -> code page 932 code, 0 = none
    unsigned short ch[0x100][0x100] = {};  // code (lead, trail; single bytes in row 0) -> character
    unsigned short lower[0x10000] = {};    // character -> its lower case, 0 = unchanged
    CodePair folds[kFoldPairCount + 26] = {};
    size_t nFolds = 0;
    void AddFold(unsigned short from, unsigned short to) {
        // Folding in place needs both of the same UTF-8 length. A pair that
        // only joins two codes of one character folds nothing here, and a
        // character with two codes comes once.
        if (from == to || Utf8Length(from) != Utf8Length(to) || lower[from] != 0)
            return;
        lower[from] = to;
        folds[nFolds++] = {from, to};
    }
    UnicodeTables() {
        for (const CodePair& p : kEncodePairs)
            code[p.from] = p.to;
        for (const CodePair& p : kDecodePairs)
            ch[p.from >> 8][p.from & 0xFF] = p.to;
        for (unsigned c = 0; c < 0x80; ++c) {
            code[c] = static_cast<unsigned short>(c);
            ch[0][c] = static_cast<unsigned short>(c);
        }
        for (unsigned c = 'A'; c <= 'Z'; ++c)
            AddFold(static_cast<unsigned short>(c), static_cast<unsigned short>(c + ('a' - 'A')));
        for (const FoldPair& p : kFoldPairs)
            AddFold(ch[p.from >> 8][p.from & 0xFF], ch[p.to >> 8][p.to & 0xFF]);
    }
};

const UnicodeTables& Tables() {
    static const UnicodeTables tables;
    return tables;
}

}  // namespace

bool UnicodeTo932(unsigned cp, unsigned short* code) {
    if (cp > 0xFFFF || (cp != 0 && Tables().code[cp] == 0))
        return false;
    *code = Tables().code[cp];
    return true;
}

bool Cp932ToUnicode(unsigned code, unsigned* cp) {
    if (code > 0xFFFF || (code != 0 && Tables().ch[code >> 8][code & 0xFF] == 0))
        return false;
    *cp = Tables().ch[code >> 8][code & 0xFF];
    return true;
}

size_t Utf8Char(const unsigned char* p, size_t n, unsigned* cp) {
    unsigned c = p[0];
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;
    if (c < 0x80) {
        *cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        *cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        *cp = c & 0x0F;
        if (c == 0xE0)
            lo = 0xA0;  // overlong
        if (c == 0xED)
            hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        *cp = c & 0x07;
        if (c == 0xF0)
            lo = 0x90;  // overlong
        if (c == 0xF4)
            hi = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    for (size_t i = 1; i < len; ++i) {
        if (i >= n)
            return SIZE_MAX;
        unsigned t = p[i];
        if (t < (i == 1 ? lo : 0x80u) || t > (i == 1 ? hi : 0xBFu))
            return 0;
        *cp = (*cp << 6) | (t & 0x3F);
    }
    return len;
}

char* PutUtf8(char* out, unsigned cp) {
    unsigned char* o = reinterpret_cast<unsigned char*>(out);
    size_t len = Utf8Length(cp);
    if (len == 1) {
        *o = static_cast<unsigned char>(cp);
        return out + 1;
    }
    static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (size_t i = len - 1; i > 0; --i, cp >>= 6)
        o[i] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    o[0] = static_cast<unsigned char>(kLead[len] | cp);
    return out + len;
}

void Utf8MakeLower(char* s, size_t n) {
    const UnicodeTables& t = Tables();
    unsigned char* p = reinterpret_cast<unsigned char*>(s);
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            p[i] = kAsciiLower.map[p[i]];
            ++i;
            continue;
        }
        unsigned cp;
        size_t len = Utf8Char(p + i, n - i, &cp);
        if (len == 0 || len == SIZE_MAX) {
            ++i;
            continue;
        }
        if (cp < 0x10000 && t.lower[cp] != 0)
            PutUtf8(s + i, t.lower[cp]);
        i += len;
    }
}

size_t Utf8FoldTableSize() {
    return Tables().nFolds;
}

void Utf8FoldPair(size_t i, unsigned* from, unsigned* to) {
    *from = Tables().folds[i].from;
    *to = Tables().folds[i].to;
}

bool Cp932ToUtf8(const char* s, size_t n, std::string* out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    out->clear();
    char buf[4];
    for (size_t i = 0; i < n;) {
        unsigned code = p[i++];
        if (IsLeadByte932(static_cast<unsigned char>(code))) {
            if (i >= n)
                return false;  // a lone lead byte is no character
            code = code << 8 | p[i++];
        }
        unsigned cp;
        if (!Cp932ToUnicode(code, &cp))
            return false;
        out->append(buf, PutUtf8(buf, cp));
    }
    return true;
}

void AppendCp932AsUtf8(const char* s, size_t n, std::string* out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    char buf[4];
    for (size_t i = 0; i < n;) {
        size_t len = CharLength932(p, i, n);
        unsigned code = len == 2 ? p[i] << 8 | p[i + 1] : p[i], cp;
        if (!Cp932ToUnicode(code, &cp))
            cp = '?';
        out->append(buf, PutUtf8(buf, cp));
        i += len;
    }
}

size_t Utf8To932(const char* s, size_t n, char* out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    char* o = out;
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            *o++ = static_cast<char>(p[i++]);
            continue;
        }
        unsigned cp;
        unsigned short code;
        size_t len = Utf8Char(p + i, n - i, &cp);
        if (len == 0 || len == SIZE_MAX) {
            *o++ = '?';  // a byte that is no part of a character
            ++i;
            continue;
        }
        i += len;
        if (!UnicodeTo932(cp, &code)) {
            *o++ = '?';
        } else {
            if (code > 0xFF)
                *o++ = static_cast<char>(code >> 8);
            *o++ = static_cast<char>(code & 0xFF);
        }
    }
    return static_cast<size_t>(o - out);
}
