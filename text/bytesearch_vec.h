// The vector bodies of FindCandidate and FindLastCandidate, and the bit
// steps of CountDoubles932, compiled once per instruction set: the
// translation unit that includes it supplies OPS (Load, Splat, Zero, Eq, Or,
// And, Sub, Mask and SumBytes over one vector type) or a lead-bit function
// built for that instruction set. The test of one position serves every
// build, with vectors or without.
#ifndef TOLVANE_PLATFORM_BYTESEARCH_VEC_H
#define TOLVANE_PLATFORM_BYTESEARCH_VEC_H

#include <cstddef>
#include <cstdint>

#include "text/bytesearch.h"
#include "text/mbcs.h"

// The candidates among the vector's width of positions from AT, as a vector
// of all-ones bytes.
template <typename Ops>
struct CandidateTest {
    typedef typename Ops::Vec Vec;
    CandidateTest(const char* hay, size_t m, const ByteSet& first, const ByteSet& last, size_t midPos, char mid)
        : hay(hay), m(m), nFirst(first.count), nLast(last.count), midPos(midPos), md(Ops::Splat(mid))
    {
        for (int i = 0; i < 4; ++i) {
            f[i] = Ops::Splat(static_cast<char>(first.values[i < first.count ? i : 0]));
            l[i] = Ops::Splat(static_cast<char>(last.values[i < last.count ? i : 0]));
        }
    }
    Vec operator()(size_t at) const
    {
        Vec a = Ops::Load(hay + at);
        Vec b = Ops::Load(hay + at + m - 1);
        Vec ma = Ops::Eq(a, f[0]), mb = Ops::Eq(b, l[0]);
        for (int k = 1; k < nFirst; ++k)
            ma = Ops::Or(ma, Ops::Eq(a, f[k]));
        for (int k = 1; k < nLast; ++k)
            mb = Ops::Or(mb, Ops::Eq(b, l[k]));
        Vec both = Ops::And(ma, mb);
        if (midPos)
            both = Ops::And(both, Ops::Eq(Ops::Load(hay + at + midPos), md));
        return both;
    }
    const char* hay;
    size_t m;
    int nFirst, nLast;
    size_t midPos;
    Vec md, f[4], l[4];
};

inline bool IsCandidate(const char* hay, size_t i, size_t m, const ByteSet& first, const ByteSet& last, size_t midPos,
                        char mid)
{
    return first.Has(static_cast<unsigned char>(hay[i])) && last.Has(static_cast<unsigned char>(hay[i + m - 1])) &&
           (!midPos || hay[i + midPos] == mid);
}

// Candidates are the positions where the first and the last byte of the
// needle both fit (and the byte at MIDPOS is MID, unless MIDPOS is 0), tested
// a vector's width of positions at a time; the few that pass are checked by
// the caller. With PLINEENDS, the line ends among the positions passed over
// (all that were tested when none is a candidate) are added to it: the scan
// counts every line anyway, and these bytes are at hand.
template <typename Ops, bool bCount>
const char* FindCandidateVec(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                             size_t midPos, char mid, size_t* pLineEnds)
{
    typedef typename Ops::Vec Vec;
    const size_t width = sizeof(Vec);
    const CandidateTest<Ops> candidates(hay, m, first, last, midPos, mid);
    const Vec lf = Ops::Splat('\n');
    Vec ends = Ops::Zero();
    size_t nEnds = 0;
    unsigned rounds = 0;
    // The bits of MASK below bit K (K under the vector's width).
    auto below = [](unsigned mask, unsigned k) {
        return static_cast<size_t>(__builtin_popcount(mask & ((1u << k) - 1)));
    };
    size_t i = 0;
    // Two vectors a round and one test of both: candidates are rare, and the
    // loop's own steps cost as much as the compares.
    for (; i + width + m - 1 + width <= n; i += 2 * width) {
        Vec c0 = candidates(i), c1 = candidates(i + width);
        if (Ops::Mask(Ops::Or(c0, c1))) {
            unsigned mask = Ops::Mask(c0);
            const char* hit = mask ? hay + i + __builtin_ctz(mask) : hay + i + width + __builtin_ctz(Ops::Mask(c1));
            if (bCount) {
                unsigned e0 = Ops::Mask(Ops::Eq(Ops::Load(hay + i), lf));
                unsigned k = static_cast<unsigned>(hit - hay - i);
                nEnds += mask ? below(e0, k)
                              : static_cast<size_t>(__builtin_popcount(e0)) +
                                    below(Ops::Mask(Ops::Eq(Ops::Load(hay + i + width), lf)), k - width);
                *pLineEnds += nEnds + Ops::SumBytes(ends);
            }
            return hit;
        }
        if (bCount) {
            // Byte counts of up to 254 before they are added up.
            ends = Ops::Sub(ends, Ops::Eq(Ops::Load(hay + i), lf));
            ends = Ops::Sub(ends, Ops::Eq(Ops::Load(hay + i + width), lf));
            if (++rounds == 127) {
                nEnds += Ops::SumBytes(ends);
                ends = Ops::Zero();
                rounds = 0;
            }
        }
    }
    if (bCount)
        nEnds += Ops::SumBytes(ends);
    for (; i + m - 1 + width <= n; i += width) {
        unsigned mask = Ops::Mask(candidates(i));
        unsigned e = bCount ? Ops::Mask(Ops::Eq(Ops::Load(hay + i), lf)) : 0;
        if (mask) {
            if (bCount)
                *pLineEnds += nEnds + below(e, static_cast<unsigned>(__builtin_ctz(mask)));
            return hay + i + __builtin_ctz(mask);
        }
        nEnds += bCount ? static_cast<size_t>(__builtin_popcount(e)) : 0;
    }
    for (; i + m <= n; ++i) {
        if (IsCandidate(hay, i, m, first, last, midPos, mid)) {
            if (bCount)
                *pLineEnds += nEnds;
            return hay + i;
        }
        nEnds += bCount && hay[i] == '\n';
    }
    if (bCount)
        *pLineEnds += nEnds;
    return nullptr;
}

// The same test from the end back: the last candidate.
template <typename Ops>
const char* FindLastCandidateVec(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                 size_t midPos, char mid)
{
    const size_t width = sizeof(typename Ops::Vec);
    const CandidateTest<Ops> candidates(hay, m, first, last, midPos, mid);
    size_t end = n - m + 1;  // candidates lie before it
    for (; end >= width; end -= width) {
        unsigned mask = Ops::Mask(candidates(end - width));
        if (mask)
            return hay + end - width + (31 - __builtin_clz(mask));
    }
    while (end-- > 0)
        if (IsCandidate(hay, end, m, first, last, midPos, mid))
            return hay + end;
    return nullptr;
}

// The lead-range bits of the bytes from I to N (at most 64) at P, added to
// BITS: what a vector's width leaves at the end.
inline uint64_t LeadBitsRest932(const char* p, size_t i, size_t n, uint64_t bits)
{
    for (; i < n; ++i)
        bits |= static_cast<uint64_t>(IsLeadByte932(static_cast<unsigned char>(p[i]))) << i;
    return bits;
}

// CountDoubles932 over LEADBITS, which sets bit I when byte I of the K (at
// most 64) at P is in the lead-byte range. Every run of lead-range bytes
// that starts on a boundary holds a character start at its even places: the
// byte before the run is no lead, so it ends a character. Adding a run's
// first bit to the run clears it up to its end, which picks out the runs
// that start at even places, and the odd ones, 64 bytes at a time; a
// character start at a word's last place makes the next word's first byte a
// second byte.
template <uint64_t (*LeadBits)(const char*, size_t)>
size_t CountDoubles932With(const char* p, size_t n, bool* pOver)
{
    const uint64_t even = 0x5555555555555555ull;
    size_t doubles = 0;
    uint64_t carry = 0, starts = 0;
    size_t k = 0;
    for (size_t i = 0; i < n; i += k) {
        k = n - i < 64 ? n - i : 64;
        uint64_t lead = LeadBits(p + i, k) & ~carry;
        uint64_t first = lead & ~(lead << 1);
        starts = (lead & ~(lead + (first & even)) & even) | (lead & ~(lead + (first & ~even)) & ~even);
        doubles += static_cast<size_t>(__builtin_popcountll(starts));
        carry = starts >> 63;
    }
    *pOver = n > 0 && (starts >> (k - 1) & 1);
    return doubles;
}

#endif
