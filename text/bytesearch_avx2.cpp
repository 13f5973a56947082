// The 32-byte version of the candidate search; this file alone is compiled
// for AVX2, and it is only called where the processor has it.
#include "text/bytesearch.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "text/bytesearch_vec.h"

namespace {
struct Avx2 {
    typedef __m256i Vec;
    static Vec Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static Vec Splat(char c) { return _mm256_set1_epi8(c); }
    static Vec Eq(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static unsigned Mask(Vec a) { return static_cast<unsigned>(_mm256_movemask_epi8(a)); }
    static Vec Zero() { return _mm256_setzero_si256(); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi8(a, b); }
    static size_t SumBytes(Vec a)
    {
        __m256i sums = _mm256_sad_epu8(a, _mm256_setzero_si256());
        __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        return static_cast<size_t>(_mm_cvtsi128_si64(half) + _mm_extract_epi64(half, 1));
    }
};
}  // namespace

const char* FindCandidateAvx2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                              size_t midPos, char mid)
{
    return FindCandidateVec<Avx2, false>(hay, n, m, first, last, midPos, mid, nullptr);
}
const char* FindCandidateCountingAvx2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                      size_t midPos, char mid, size_t* pLineEnds)
{
    return FindCandidateVec<Avx2, true>(hay, n, m, first, last, midPos, mid, pLineEnds);
}
const char* FindLastCandidateAvx2(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                  size_t midPos, char mid)
{
    return FindLastCandidateVec<Avx2>(hay, n, m, first, last, midPos, mid);
}
namespace {
// Bit I set when byte I of the N (at most 64) at P is in the lead-byte range,
// 32 bytes and then 16 at a time. In range when the byte, its 0x20 bit
// flipped, less 0xA1 is at most 0x3B: the lead ranges 0x81-0x9F and
// 0xE0-0xFC close up to one.
uint64_t LeadBits932Avx2(const char* p, size_t n)
{
    uint64_t bits = 0;
    size_t i = 0;
    const __m256i flip = _mm256_set1_epi8(0x20), low = _mm256_set1_epi8(static_cast<char>(0xA1)),
                  top = _mm256_set1_epi8(0x3B);
    for (; i + 32 <= n; i += 32) {
        __m256i v = _mm256_sub_epi8(_mm256_xor_si256(Avx2::Load(p + i), flip), low);
        bits |= static_cast<uint64_t>(Avx2::Mask(_mm256_cmpeq_epi8(_mm256_min_epu8(v, top), v))) << i;
    }
    if (i + 16 <= n) {
        __m128i v = _mm_sub_epi8(_mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)),
                                               _mm256_castsi256_si128(flip)),
                                 _mm256_castsi256_si128(low));
        __m128i t = _mm256_castsi256_si128(top);
        bits |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, t), v))))
                << i;
        i += 16;
    }
    return LeadBitsRest932(p, i, n, bits);
}
}  // namespace

size_t CountDoubles932Avx2(const char* p, size_t n, bool* pOver)
{
    return CountDoubles932With<LeadBits932Avx2>(p, n, pOver);
}
const char* FindLineStopAvx2(const char* p, size_t n)
{
    const __m256i lf = _mm256_set1_epi8('\n'), nul = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i v = Avx2::Load(p + i);
        if (unsigned mask = Avx2::Mask(_mm256_or_si256(_mm256_cmpeq_epi8(v, lf), _mm256_cmpeq_epi8(v, nul))))
            return p + i + __builtin_ctz(mask);
    }
    for (; i < n; ++i) {
        if (p[i] == '\n' || p[i] == '\0')
            return p + i;
    }
    return nullptr;
}
size_t CountByteAvx2(const char* p, size_t n, char c)
{
    const __m256i needle = _mm256_set1_epi8(c);
    size_t count = 0, i = 0;
    // Four compares a round, so that the loop's own steps are paid once for
    // 128 bytes: counting goes over every byte of a file once, and the scan
    // counts the lines up to each match besides. Up to 63 rounds (252 in a
    // byte) before the byte-wise counts are added up.
    while (i + 128 <= n) {
        __m256i acc = _mm256_setzero_si256();
        for (size_t rounds = 0; rounds < 63 && i + 128 <= n; ++rounds, i += 128) {
            acc = _mm256_sub_epi8(acc, _mm256_cmpeq_epi8(Avx2::Load(p + i), needle));
            acc = _mm256_sub_epi8(acc, _mm256_cmpeq_epi8(Avx2::Load(p + i + 32), needle));
            acc = _mm256_sub_epi8(acc, _mm256_cmpeq_epi8(Avx2::Load(p + i + 64), needle));
            acc = _mm256_sub_epi8(acc, _mm256_cmpeq_epi8(Avx2::Load(p + i + 96), needle));
        }
        count += Avx2::SumBytes(acc);
    }
    if (i + 32 <= n) {
        __m256i acc = _mm256_setzero_si256();
        for (; i + 32 <= n; i += 32)
            acc = _mm256_sub_epi8(acc, _mm256_cmpeq_epi8(Avx2::Load(p + i), needle));
        count += Avx2::SumBytes(acc);
    }
    // The last bytes in one compare of the 32 that end with them: the scan
    // counts the lines up to each match, so short counts are common.
    if (i < n && n >= 32) {
        unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Avx2::Load(p + n - 32), needle)));
        return count + static_cast<size_t>(__builtin_popcount(mask >> (32 - (n - i))));
    }
    for (; i < n; ++i)
        count += p[i] == c;
    return count;
}
#endif
