// Code page 932 (Shift-JIS) primitives shared by CString and the search loop.
// None of these allocate. A lead byte always takes the byte after it as its
// trail, whatever that byte is; only a lead byte at the very end of a buffer
// stands alone. Callers must pass a position known to be a character boundary
// (the start of the buffer); nothing here ever steps backwards.
#pragma once

#include <cstddef>

// 0x81-0x9F and 0xE0-0xFC. XOR 0x20 moves both ranges next to each other
// (0xA1-0xBF, 0xC0-0xDC), so one unsigned compare covers them.
constexpr bool IsLeadByte932(unsigned char c) {
    return static_cast<unsigned char>(c ^ 0x20) - 0xA1u < 0x3Cu;
}

// Lower-cases ASCII A-Z and every double-byte code in the folding table, in
// place. Trail bytes are never touched on their own, so the 'A' trail of
// U+30A2 (83 41) stays as it is. Byte length never changes.
void MbcsMakeLower(char* s, size_t n);

// Byte index of the first occurrence of needle in hay that starts on a
// character boundary, or -1. An empty needle is found at 0. A needle ending
// in an unpaired lead byte only matches at the very end of hay, so a match
// never splits a character.
long MbcsFind(const char* hay, size_t n, const char* needle, size_t m);

// Order of two NUL-terminated strings, character by character, as _mbscmp
// in code page 932: a double-byte character counts as (lead << 8) | trail,
// a single byte as its value. Returns <0, 0 or >0.
int MbcsCompare(const char* a, const char* b);

// The double-byte folding pairs, sorted by source code.
size_t MbcsFoldTableSize();
void MbcsFoldPair(size_t i, unsigned short* from, unsigned short* to);
