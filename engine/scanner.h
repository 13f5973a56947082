// The line scan of one file: large block reads, whole lines (pieces of 1 MiB
// only beyond that), matching on character boundaries, headword tracking,
// and no allocation per line.
#ifndef TOLVANE_SEARCH_SCANNER_H
#define TOLVANE_SEARCH_SCANNER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/encoding.h"
#include "engine/pattern.h"

class CRawFile;

struct ScanOptions {
    const char* needle;  // never empty; already folded when bFold
    size_t nNeedle;
    const char* marker;  // headword marker, may be empty; already folded when bFold
    size_t nMarker;
    bool bFold;          // case is not distinguished
    // A file whose first kBinaryLook bytes hold a NUL, and that starts with no
    // UTF-16 byte-order mark, is left out unread.
    bool bSkipBinary = false;
    // A regular expression or a whole word: lines are matched by it instead
    // of the needle.
    const SearchPattern* pPattern = nullptr;
    // kAutoDetect, or the Encoding every file without a byte-order mark is
    // read in.
    int nEncoding = kAutoDetect;
};

const uint64_t kNoOffset = UINT64_MAX;

// How far into a file a NUL makes it binary: the start of the first read,
// which every file gets anyway.
const size_t kBinaryLook = 8192;

class ScanSink {
public:
    virtual ~ScanSink() {}
    // One matching line as read (case kept, up to a NUL, without its line end)
    // and the headword line in force at that point. NLINENO is the line's
    // 1-based number in the file, NCOLUMN the 1-based position of the first
    // match in it, counted as Windows editors count (a character of code page
    // 932 text is one column, a UTF-16 code unit of Unicode text is one), both
    // from the line's real start also for a piece of an over-long line.
    // NOFFSET is where in the file the line (or its piece) starts, so that
    // its lines can be read again without the bytes before; kNoOffset for a
    // file read through a decoding, whose bytes are not the text's.
    virtual void OnMatch(const char* line, size_t nLine, const char* headword, size_t nHeadword,
                         uint64_t nLineNo, uint64_t nColumn, uint64_t nOffset) = 0;
    // NLINES more lines have been read; told after the rows found in them.
    virtual void OnLines(uint64_t nLines) = 0;
    // The file was left out as binary: none of its lines were read.
    virtual void OnBinary() {}
    // A line on which the pattern library gave up; it counts as not matching.
    virtual void OnGaveUp() {}
    // Asked now and then while a pattern is matched line by line, which can
    // be slow; false ends the scan of the file.
    virtual bool GoesOn() { return true; }
};

// The bytes of the file being read, not cleared when made: a page of it
// costs memory only once a read fills it, so the room kept for an over-long
// line costs nothing until one comes (each worker of a search has one).
class ScanBlock {
public:
    char* data() { return m_p.get(); }
    size_t size() const { return m_n; }
    void resize(size_t n)
    {
        if (n <= m_n)
            return;
        std::unique_ptr<char[]> p(new char[n]);
        if (m_n > 0)
            std::memcpy(p.get(), m_p.get(), m_n);
        m_p = std::move(p);
        m_n = n;
    }

private:
    std::unique_ptr<char[]> m_p;
    size_t m_n = 0;
};

// Reused from file to file so that a search allocates its buffers once.
struct ScanBuffers {
    ScanBlock data;
    std::vector<char> folded;  // one line at a time, when case is not distinguished
    std::string headword;
    std::vector<char> raw;     // UTF-16 bytes still to be read as UTF-8
    std::vector<char> shown;   // a row of a UTF-8 or UTF-16 file as code page 932
    // The search string and marker as UTF-8, and what they were made from.
    std::string utf8Key, utf8Needle, utf8Marker;
    bool bUtf8Needle = false, bUtf8Marker = false;
    // The compiled pattern, a line prepared for it, and the pattern a plain
    // search string with a variant form becomes in Unicode files.
    PatternMatcher matcher;
    std::string prepared;
    std::unique_ptr<SearchPattern> variantPattern;
    std::string variantKey;
};

// Longest piece of a line handed over whole; longer lines are cut between
// characters into pieces of at most this size.
const size_t kMaxLinePiece = 1u << 20;

// Bytes asked for by each read. Only tests change it: small blocks put every
// byte of a file on a block edge once.
extern size_t g_nScanReadBlock;

// Reads FILE to its end (or its first read error) and reports matches and
// lines read; returns the number of matching lines. A file with a UTF-8 or
// UTF-16 byte-order mark, or whose bytes from the first one of 0x80 or more
// on read as UTF-8, is searched as that text and reported as code page 932
// ('?' for what that lacks); any other file as code page 932 bytes.
// Whether the N bytes of a file without a byte-order mark are searched as
// UTF-8, as ScanFile tells them: its first byte of 0x80 or more starts a
// character of several bytes and the next 4 KiB from it are well formed.
bool ReadsAsUtf8(const char* bytes, size_t n);

int ScanFile(CRawFile& file, const ScanOptions& options, ScanBuffers& buffers, ScanSink& sink);

#endif
