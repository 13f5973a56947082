#include "text/bytesearch.h"

#include <cstdint>
#include <cstring>

#include "text/bytesearch_vec.h"

#if defined(__SSE2__) && defined(__x86_64__)
#include <immintrin.h>

#define TOLVANE_HAVE_SSE2 1
const char* FindCandidateAvx2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                              size_t midPos, char mid);
const char* FindLastCandidateAvx2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                  size_t midPos, char mid);
size_t CountByteAvx2(const char* p, size_t n, char c);
const char* FindCandidateCountingAvx2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                      size_t midPos, char mid, size_t* pLineEnds);
const char* FindLineStopAvx2(const char* p, size_t n);
size_t CountDoubles932Avx2(const char* p, size_t n, bool* pOver);
#endif

bool ByteSet::Add(unsigned char b)
{
    if (Has(b))
        return true;
    if (count == 4)
        return false;
    values[count++] = b;
    return true;
}

bool ByteSet::Has(unsigned char b) const
{
    for (int i = 0; i < count; ++i)
        if (values[i] == b)
            return true;
    return false;
}

namespace {

#ifdef TOLVANE_HAVE_SSE2

struct Sse2 {
    typedef __m128i Vec;
    static Vec Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
    static Vec Splat(char c) { return _mm_set1_epi8(c); }
    static Vec Eq(Vec a, Vec b) { return _mm_cmpeq_epi8(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static unsigned Mask(Vec a) { return static_cast<unsigned>(_mm_movemask_epi8(a)); }
    static Vec Zero() { return _mm_setzero_si128(); }
    static Vec Sub(Vec a, Vec b) { return _mm_sub_epi8(a, b); }
    static size_t SumBytes(Vec a)
    {
        __m128i sums = _mm_sad_epu8(a, _mm_setzero_si128());
        return static_cast<size_t>(_mm_cvtsi128_si32(sums)) +
               static_cast<size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
};

const char* FindCandidateSse2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                              size_t midPos, char mid)
{
    return FindCandidateVec<Sse2, false>(hay, n, m, first, last, midPos, mid, nullptr);
}

const char* FindLastCandidateSse2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                  size_t midPos, char mid)
{
    return FindLastCandidateVec<Sse2>(hay, n, m, first, last, midPos, mid);
}

size_t CountByteSse2(const char* p, size_t n, char c)
{
    const __m128i needle = _mm_set1_epi8(c);
    size_t count = 0, i = 0;
    while (i + 16 <= n) {
        // Up to 255 rounds of byte-wise counts before they are added up.
        __m128i acc = _mm_setzero_si128();
        size_t rounds = 0;
        for (; rounds < 255 && i + 16 <= n; ++rounds, i += 16)
            acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(Sse2::Load(p + i), needle));
        count += Sse2::SumBytes(acc);
    }
    for (; i < n; ++i)
        count += p[i] == c;
    return count;
}

bool HasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
const bool g_bAvx2 = HasAvx2();

#endif

}  // namespace

const char* FindCandidate(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                          size_t midPos, char mid)
{
    if (m == 0 || m > n)
        return nullptr;
#ifdef TOLVANE_HAVE_SSE2
    return g_bAvx2 ? FindCandidateAvx2(hay, n, m, first, last, midPos, mid)
                   : FindCandidateSse2(hay, n, m, first, last, midPos, mid);
#else
    for (size_t i = 0; i + m <= n; ++i)
        if (IsCandidate(hay, i, m, first, last, midPos, mid))
            return hay + i;
    return nullptr;
#endif
}

// Without AVX2, the two searches one after the other.
const char* FindCandidateCounting(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                  size_t midPos, char mid, size_t* pLineEnds)
{
    if (m == 0 || m > n)
        return nullptr;
#ifdef TOLVANE_HAVE_SSE2
    if (g_bAvx2)
        return FindCandidateCountingAvx2(hay, n, m, first, last, midPos, mid, pLineEnds);
#endif
    const char* hit = FindCandidate(hay, n, m, first, last, midPos, mid);
    *pLineEnds += CountByte(hay, hit ? static_cast<size_t>(hit - hay) : n - m + 1, '\n');
    return hit;
}

const char* FindLastCandidate(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                              size_t midPos, char mid)
{
    if (m == 0 || m > n)
        return nullptr;
#ifdef TOLVANE_HAVE_SSE2
    return g_bAvx2 ? FindLastCandidateAvx2(hay, n, m, first, last, midPos, mid)
                   : FindLastCandidateSse2(hay, n, m, first, last, midPos, mid);
#else
    for (size_t i = n - m + 1; i-- > 0;)
        if (IsCandidate(hay, i, m, first, last, midPos, mid))
            return hay + i;
    return nullptr;
#endif
}

const char* FindBytes(const char* hay, size_t n, const char* needle, size_t m)
{
    ByteSet first = {{static_cast<unsigned char>(needle[0])}, 1};
    ByteSet last = {{static_cast<unsigned char>(needle[m - 1])}, 1};
    size_t midPos = m > 2 ? m / 2 : 0;
    while (const char* p = FindCandidate(hay, n, m, first, last, midPos, midPos ? needle[midPos] : 0)) {
        if (m <= 2 || std::memcmp(p + 1, needle + 1, m - 2) == 0)
            return p;
        size_t skip = static_cast<size_t>(p - hay) + 1;
        hay += skip;
        n -= skip;
    }
    return nullptr;
}

// The searches back from a match to its line's start, and from a block's
// end to its last line end, are short, but there is one for every row.
const char* FindLastByte(const char* p, size_t n, char c)
{
#ifdef TOLVANE_HAVE_SSE2
    const __m128i needle = _mm_set1_epi8(c);
    for (; n >= 16; n -= 16) {
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(Sse2::Load(p + n - 16), needle)));
        if (mask)
            return p + n - 16 + (31 - __builtin_clz(mask));
    }
#endif
    while (n > 0) {
        if (p[--n] == c)
            return p + n;
    }
    return nullptr;
}

namespace {

// Bit I set when byte I of the N (at most 64) at P is in the lead-byte range;
// a byte at a time, where the processor has no AVX2.
uint64_t LeadBits932(const char* p, size_t n)
{
    return LeadBitsRest932(p, 0, n, 0);
}

}  // namespace

size_t CountDoubles932(const char* p, size_t n, bool* pOver)
{
#ifdef TOLVANE_HAVE_SSE2
    if (g_bAvx2)
        return CountDoubles932Avx2(p, n, pOver);
#endif
    return CountDoubles932With<LeadBits932>(p, n, pOver);
}

const char* FindLineStop(const char* p, size_t n)
{
#ifdef TOLVANE_HAVE_SSE2
    if (g_bAvx2)
        return FindLineStopAvx2(p, n);
#endif
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == '\n' || p[i] == '\0')
            return p + i;
    }
    return nullptr;
}

const char* FindHighByte(const char* p, size_t n)
{
    size_t i = 0;
#ifdef TOLVANE_HAVE_SSE2
    for (; i + 16 <= n; i += 16) {
        if (unsigned mask = Sse2::Mask(Sse2::Load(p + i)))
            return p + i + __builtin_ctz(mask);
    }
#endif
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return p + i;
    }
    return nullptr;
}

const char* FindHighByteOr(const char* p, size_t n, char c)
{
    size_t i = 0;
#ifdef TOLVANE_HAVE_SSE2
    const Sse2::Vec vc = Sse2::Splat(c);
    for (; i + 16 <= n; i += 16) {
        Sse2::Vec v = Sse2::Load(p + i);
        if (unsigned mask = Sse2::Mask(v) | Sse2::Mask(Sse2::Eq(v, vc)))
            return p + i + __builtin_ctz(mask);
    }
#endif
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80 || p[i] == c)
            return p + i;
    }
    return nullptr;
}

size_t CountByte(const char* p, size_t n, char c)
{
#ifdef TOLVANE_HAVE_SSE2
    return g_bAvx2 ? CountByteAvx2(p, n, c) : CountByteSse2(p, n, c);
#else
    size_t count = 0;
    for (size_t i = 0; i < n; ++i)
        count += p[i] == c;
    return count;
#endif
}
