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

// How far the encoding rule looks: the first bytes of a file for UTF-16, and
// the bytes from its first byte of 0x80 or more (or the escape that tells
// ISO-2022-JP) for the others. Japanese CP932 text breaks the UTF-8 and
// EUC-JP rules within a few bytes (its hiragana and katakana start with bytes
// neither uses so), so this only has to be long against chance.
const size_t kDetectLook = 4u << 10;

// The encoding of a file without a byte-order mark, told by N of its bytes:
// from its start when BSTART, else from a byte before which the file holds
// only ASCII and no escape of ISO-2022-JP; BEND when they reach its end.
//   UTF-16 LE or BE (only from the start): the first kDetectLook bytes (or
//   all) read as UTF-16 text in that byte order and not in the other, and
//   not as UTF-8 from their first byte of 0x80 or more.
//   Else the first byte of 0x80 or more, or the first ESC that starts an
//   escape of ISO-2022-JP (ESC $ B, ESC $ @, ESC ( J, ESC ( I, ESC $ ( D),
//   decides, with the kDetectLook bytes from it (or what is left):
//   ISO-2022-JP when an escape comes first and none of those bytes is 0x80
//   or more; else, from the first such byte, UTF-8 when they are well formed
//   UTF-8 starting with a character of several bytes; EUC-JP when they are
//   well formed EUC-JP and either not well formed CP932 or holding more bytes
//   of hiragana, katakana and level-1 kanji as EUC-JP than as CP932; else
//   code page 932.
// *PAT is where the text read in that encoding starts (all before it is
// ASCII). kAutoDetect when the bytes tell nothing yet: *PAT is then N when
// they hold neither such byte nor such an escape, or where one starts that
// has fewer than 2 * kDetectLook bytes after it and BEND is false.
int DetectEncoding(const char* bytes, size_t n, bool bStart, bool bEnd, size_t* pAt);

// Reads FILE to its end (or its first read error) and reports matches and
// lines read; returns the number of matching lines. A file with a UTF-8 or
// UTF-16 byte-order mark is read as that text; any other in the encoding
// OPTIONS.nEncoding names or, with kAutoDetect, DetectEncoding tells. A
// Unicode file, and an EUC-JP or ISO-2022-JP one, is searched as UTF-8 and
// reported as code page 932 ('?' for what that lacks); a CP932 file as its
// bytes.
int ScanFile(CRawFile& file, const ScanOptions& options, ScanBuffers& buffers, ScanSink& sink);

#endif
