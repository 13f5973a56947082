// Plain code page 932 text rules for the fuzz targets to compare against:
// byte by byte, character by character, written from the code page's
// definition and the folding table's source data, and calling nothing of the
// program, so that a fault in a shared primitive shows up as a difference.
#ifndef TOLVANE_TESTS_FUZZ_REFERENCE_H
#define TOLVANE_TESTS_FUZZ_REFERENCE_H

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>
#include <vector>

namespace ref {

// Bytes in hex for a failure report, the first LIMIT of them.
inline std::string Hex(const std::string& s, size_t limit = 96)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < s.size() && i < limit; ++i)
        out += {kDigits[static_cast<unsigned char>(s[i]) >> 4], kDigits[s[i] & 15], ' '};
    return s.size() > limit ? out + "... (" + std::to_string(s.size()) + " bytes)" : out;
}

inline bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// at[i] is true where a character starts, and at[size]: a lead byte takes the
// next byte whatever it is; only a lead byte that ends the text stands alone.
inline std::vector<char> Boundaries(const std::string& s)
{
    std::vector<char> at(s.size() + 1, false);
    for (size_t i = 0; i < s.size(); i += IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1)
        at[i] = true;
    at[s.size()] = true;
    return at;
}

const struct { unsigned short from, to; } kFoldPairs[] = {
#include "text/mbcs_fold_table.inc"
};

inline unsigned short FoldCode(unsigned short code)
{
    // Every code once, so that a line of a megabyte folds quickly.
    static const std::vector<unsigned short> folded = [] {
        std::vector<unsigned short> t(0x10000);
        std::iota(t.begin(), t.end(), 0);
        for (const auto& p : kFoldPairs)
            t[p.from] = p.to;
        return t;
    }();
    return folded[code];
}

inline std::string Lower(std::string s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLead(c) && i + 1 < s.size()) {
            unsigned short to = FoldCode(static_cast<unsigned short>(c << 8 | static_cast<unsigned char>(s[i + 1])));
            s[i] = static_cast<char>(to >> 8);
            s[++i] = static_cast<char>(to & 0xFF);
        } else if (c >= 'A' && c <= 'Z') {
            s[i] = static_cast<char>(c + 32);
        }
    }
    return s;
}

// Whether NEEDLE stands at C of HAY as whole characters: it starts where a character starts and ends where one ends.
inline bool HoldsAt(const std::string& hay, const std::vector<char>& at, const std::string& needle, size_t c)
{
    return c + needle.size() <= hay.size() && at[c] && at[c + needle.size()] &&
           hay.compare(c, needle.size(), needle) == 0;
}

// The characters of HAY before byte C, a boundary: the column of C in a Windows editor is one more.
inline size_t Columns(const std::string& hay, size_t c)
{
    std::vector<char> at = Boundaries(hay);
    return static_cast<size_t>(std::count(at.begin(), at.begin() + static_cast<long>(c), true));
}

// The first such position at or after FROM, or -1; an empty needle at FROM.
inline long Find(const std::string& hay, const std::string& needle, size_t from = 0)
{
    if (from > hay.size())
        return -1;
    if (needle.empty())
        return static_cast<long>(from);
    std::vector<char> at = Boundaries(hay);
    // The library's find only proposes positions; the rule decides.
    for (size_t c = hay.find(needle, from); c != std::string::npos; c = hay.find(needle, c + 1))
        if (HoldsAt(hay, at, needle, c))
            return static_cast<long>(c);
    return -1;
}

}  // namespace ref

#endif
