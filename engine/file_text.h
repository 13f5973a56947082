// A file's text as the search reads it, for rewriting it byte for byte: its
// encoding, its lines as the scan sees them with the file's own bytes each
// came from, and text converted into its encoding.
#ifndef TOLVANE_ENGINE_FILE_TEXT_H
#define TOLVANE_ENGINE_FILE_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/encoding.h"


// As the search tells a file's text: by its byte-order mark, else as
// NENCODING (kAutoDetect: by its bytes); *PBODY is where the text starts,
// after the mark.
Encoding Detect(const std::string& b, int nEncoding, size_t* pBody);

// Code page 932 text in encoding E (not ISO-2022-JP), as Windows converts
// it: a code that is no character, or that E lacks, becomes '?'.
void AppendEncoded(const std::string& cp932, Encoding e, std::string* out);

// A line as the search sees it: code page 932 or UTF-8 bytes up to a NUL,
// without its line end; with the file's own bytes each of them came from.
struct LineView {
    std::string text;
    std::vector<size_t> raw;  // per byte of TEXT, where its character starts in the file; then the content's end
};

// The view of the UTF-16 units in [FROM, TO) of the file, up to a NUL unit
// and without the CR before a line end (BLINEEND: TO is where one starts).
// A unit that is no character (a lone surrogate, an odd last byte) is the
// byte FF, as the search reads it.
void ViewUtf16(const std::string& b, size_t from, size_t to, bool bBig, bool bLineEnd, LineView* v);

// The view of the EUC-JP line [FROM, TO), as ViewUtf16: a code that is no
// character, or cut by the line's end, is the byte FF.
void ViewEucJp(const std::string& b, size_t from, size_t to, bool bLineEnd, LineView* v);

// Where the text of the line [FROM, TO) of an 8-bit file ends: at a NUL, or
// before the CR of a CR LF.
size_t ContentEnd(const std::string& b, size_t from, size_t to, bool bLineEnd);

// Columns of the first N bytes of a view as Windows editors count them: a
// character of code page 932 text is one; in UTF-8 text a UTF-16 unit is one
// and so is each byte that is no part of a well-formed character.
uint64_t Columns(const char* s, size_t n, bool bUtf8);

#endif
