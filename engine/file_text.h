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

// Where the line that starts at FROM of B, a text in encoding E, ends: where
// its line feed starts, or B's end.
size_t LineEnd(const std::string& b, size_t from, Encoding e);

// The view of the line [FROM, TO) of B in encoding E (TO is where its line
// end starts when BLINEEND), up to a NUL and without the CR of a CR LF. A
// code that is no character (a lone surrogate, an odd last byte, a broken
// EUC-JP or ISO-2022-JP code or one cut by the line's end) is the byte FF,
// as the search reads it. RAW stays empty for CP932 and UTF-8 files, whose
// view is the file's bytes from FROM.
void ViewLine(const std::string& b, size_t from, size_t to, Encoding e, bool bLineEnd, LineView* v);

// The lines of a file's bytes, or of a span of them that starts with a whole
// line, as the search reads them; walked on from the last one asked for.
class CTextLines {
public:
    CTextLines() = default;
    CTextLines(std::string bytes, size_t lineStart, uint64_t nLineNo, Encoding e);
    void Reset(Encoding e);
    // Line N as the search sees it; false when the bytes end before it.
    bool View(uint64_t n, LineView* v);

    std::string m_bytes;
    size_t m_lineStart = 0;  // where the first whole line starts
    uint64_t m_nLineNo = 1;  // and its number

private:
    Encoding m_e = kCp932;
    uint64_t m_nAt = 1;
    size_t m_at = 0;
};

// Columns of the first N bytes of a view as Windows editors count them: a
// character of code page 932 text is one; in UTF-8 text a UTF-16 unit is one
// and so is each byte that is no part of a well-formed character.
uint64_t Columns(const char* s, size_t n, bool bUtf8);

#endif
