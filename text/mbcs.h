// text/: what code page 932 and Unicode text is: character boundaries,
// byte search, the fold and code tables, the encodings. No file system and
// no window.
//
// Code page 932 (Shift-JIS) primitives shared by CString and the search loop.
// None of these allocate. A lead byte always takes the byte after it as its
// trail, whatever that byte is; only a lead byte at the very end of a buffer
// stands alone. Callers must pass a position known to be a character boundary
// (the start of the buffer); nothing here ever steps backwards.
#pragma once

#include <cstddef>
#include <string>

// 0x81-0x9F and 0xE0-0xFC. XOR 0x20 moves both ranges next to each other
// (0xA1-0xBF, 0xC0-0xDC), so one unsigned compare covers them.
constexpr bool IsLeadByte932(unsigned char c) {
    return static_cast<unsigned char>(c ^ 0x20) - 0xA1u < 0x3Cu;
}

// Bytes of the character at I of the N bytes at T (I a character boundary):
// a lead byte takes the byte after it, one at the very end stands alone.
inline size_t CharLength932(const unsigned char* t, size_t i, size_t n) {
    return IsLeadByte932(t[i]) && i + 1 < n ? 2 : 1;
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

// Code page 932 and Unicode, by the tables Windows converts with: a code is
// a single byte below 0x100, else (lead << 8) | trail.
// Windows' code for a character without best-fit look-alikes; false when code
// page 932 lacks it.
bool UnicodeTo932(unsigned cp, unsigned short* code);
// The character of a code; false for a code no character has.
bool Cp932ToUnicode(unsigned code, unsigned* cp);

// UTF-8. Text is walked from its start a character at a time; a byte that
// starts no well-formed character within the text counts alone, so a
// well-formed character is always found where it starts.
// Length of the well-formed character at P (N > 0 bytes there) and its code
// point; 0 when there is none, SIZE_MAX when the N bytes end inside one that
// could still be well formed.
size_t Utf8Char(const unsigned char* p, size_t n, unsigned* cp);
// Writes the UTF-8 bytes of CP (below 0x110000) at OUT; returns their end.
char* PutUtf8(char* out, unsigned cp);
// Lower-cases, in place, ASCII A-Z and the characters the double-byte folding
// table folds (full-width Latin, Greek, Cyrillic, Roman numerals), as their
// code points. Every such pair keeps its UTF-8 length, so the byte length never
// changes.
void Utf8MakeLower(char* s, size_t n);
// The pairs Utf8MakeLower folds, ASCII included, as code points.
size_t Utf8FoldTableSize();
void Utf8FoldPair(size_t i, unsigned* from, unsigned* to);
// Code page 932 text as UTF-8; false when it holds a code that is no
// character (or ends in a lone lead byte).
bool Cp932ToUtf8(const char* s, size_t n, std::string* out);
// Code page 932 text appended to OUT as UTF-8, a code that is no character
// (a lone lead byte at a cut, a damaged file's bytes) as '?', as the list
// shows it.
void AppendCp932AsUtf8(const char* s, size_t n, std::string* out);
// UTF-8 text as code page 932 at OUT, which needs room for N bytes: '?' for a
// character code page 932 lacks (no best-fit look-alike) and for every byte
// that is no part of a well-formed character. Returns the length.
size_t Utf8To932(const char* s, size_t n, char* out);
