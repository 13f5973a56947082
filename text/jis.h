// The JIS character sets as EUC-JP and ISO-2022-JP carry them: JIS X 0208,
// JIS X 0212, and JIS X 0201's Roman letters and half-width katakana. Like
// the rest of text/, nothing here allocates but the append.
#pragma once

#include <cstddef>
#include <string>

// What a decoder gives for a code that is no character (the caller writes
// the byte FF for it, as for a broken UTF-16 unit), and for bytes that only
// switch the set in force.
const unsigned kNoCharacter = 0x110000;
const unsigned kNoText = 0x110001;

// The character of a cell (row and cell 1-94) of JIS X 0208, or with B0212 of
// JIS X 0212; 0 for a cell without one.
unsigned JisChar(bool b0212, unsigned row, unsigned cell);

// EUC-JP: the length of the code at P (N > 0 bytes there) and in *PCP its
// character, kNoCharacter when it has none; a byte that starts no code is one
// byte without a character, so ASCII after it is read as ASCII. SIZE_MAX when
// the N bytes end inside a code.
size_t EucJpChar(const unsigned char* p, size_t n, unsigned* cp);

// Appends CP in EUC-JP; false, appending nothing, when EUC-JP lacks it. A
// character that code page 932 writes as a JIS character's code (U+FF5E,
// Windows' 〜) is written as that JIS character.
bool AppendEucJp(unsigned cp, std::string* out);

// Whether the N bytes at P start with one of the escapes that tell
// ISO-2022-JP text (ESC $ B, ESC $ @, ESC ( J, ESC ( I, ESC $ ( D).
bool IsIso2022JpEscape(const unsigned char* p, size_t n);

// ISO-2022-JP read from the start of the text on, one code at a time: its
// escapes switch among ASCII, JIS X 0201 Roman and katakana, JIS X 0208 and
// JIS X 0212, and a line feed goes back to ASCII (each line of a mail ends in
// ASCII). A byte of 0x80 or more is no character.
class CIso2022JpReader {
public:
    // The length of the code at P (N > 0 bytes there) and in *PCP its
    // character, kNoCharacter or, for an escape, kNoText; SIZE_MAX when the N
    // bytes end inside a code or an escape.
    size_t Char(const unsigned char* p, size_t n, unsigned* cp);

private:
    enum Set { kAscii, kRoman, kKana, k0208, k0212 };
    Set m_set = kAscii;
};
