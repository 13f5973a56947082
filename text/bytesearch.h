// Raw byte searches for the scan's inner loop. They run over whole blocks of
// a file, so they use the processor's vector instructions where it has them.
#ifndef TOLVANE_PLATFORM_BYTESEARCH_H
#define TOLVANE_PLATFORM_BYTESEARCH_H

#include <cstddef>

// Up to four byte values.
struct ByteSet {
    unsigned char values[4];
    int count;
    bool Add(unsigned char b);
    bool Has(unsigned char b) const;
};

// The first position i of HAY (N bytes) with HAY[i] in FIRST, HAY[i + M - 1]
// in LAST (M >= 1, both inside HAY) and, unless MIDPOS is 0, HAY[i + MIDPOS]
// equal to MID; or NULL. The caller checks the other bytes.
const char* FindCandidate(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                          size_t midPos = 0, char mid = 0);

// FindCandidate that also adds to *PLINEENDS the LF bytes before the
// position found, or among the N - M + 1 tested when it finds none.
const char* FindCandidateCounting(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                                  size_t midPos, char mid, size_t* pLineEnds);

// The last such position, or NULL.
const char* FindLastCandidate(const char* hay, size_t n, size_t m, const ByteSet& first, const ByteSet& last,
                              size_t midPos = 0, char mid = 0);

// First occurrence of NEEDLE (M bytes, M > 0) in HAY (N bytes), or NULL.
const char* FindBytes(const char* hay, size_t n, const char* needle, size_t m);

// Last occurrence of byte C in the N bytes at P, or NULL.
const char* FindLastByte(const char* p, size_t n, char c);

// The first LF or NUL in the N bytes at P, or NULL: where a line's text
// ends, when it is read from the line's start.
const char* FindLineStop(const char* p, size_t n);

// The first byte of 0x80 or more in the N bytes at P, or NULL.
const char* FindHighByte(const char* p, size_t n);
// The first byte of 0x80 or more, or C, in the N bytes at P, or NULL.
const char* FindHighByteOr(const char* p, size_t n, char c);

// The N bytes at P read as CP932 from P, a character boundary on: how many
// double-byte characters start among them, and in *POVER whether the last
// of those takes its second byte from beyond them. A lead byte always takes
// the byte after it: the caller stops short of the text's last byte.
size_t CountDoubles932(const char* p, size_t n, bool* pOver);

// How many bytes C the N bytes at P hold.
size_t CountByte(const char* p, size_t n, char c);

#endif
