// The file scan on arbitrary file bytes, search text, headword marker, case
// choice and read block size, against a plain scan of the whole file: the
// rows (line and headword), the number of lines read and the result. The
// search text escaped and searched as a regular expression must give the
// same, wherever decoding to Unicode cannot tell two codes apart.
//   input: flags, two bytes of block size, needle length, marker length,
//          [long-line length, two filler bytes], the needle, the marker,
//          then the file
// With the long-line flags the file gets, after its first half, a line of
// about one or two pieces (kMaxLinePiece) made of the filler bytes, so the
// cut of over-long lines is tried at and around its limit.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"
#include "engine/scanner.h"
#include "text/mbcs.h"
#include "tests/fuzz/reference.h"

namespace {

struct Row {
    std::string line, headword;
    uint64_t nLineNo, nColumn;
    bool operator==(const Row& o) const
    {
        return line == o.line && headword == o.headword && nLineNo == o.nLineNo && nColumn == o.nColumn;
    }
};

struct Result {
    std::vector<Row> rows;
    uint64_t nLines = 0;
    int nMatches = 0;
};

// One line (or piece of one) as the program sees it, with the number of
// its line in the file and the characters of the line's earlier pieces.
struct SeenLine {
    std::string text;
    uint64_t nLineNo;
    uint64_t nColumnsBefore;
};

// The lines of a code page 932 file as the program sees them: a line ends at
// LF, and a CR right before the LF is not part of it; a line of more than
// kMaxLinePiece bytes is cut into pieces of as many whole characters as fit
// in kMaxLinePiece, all of them with the line's number; what a line shows
// ends at its first NUL.
std::vector<SeenLine> Cp932Lines(const std::string& file)
{
    std::vector<SeenLine> lines;
    uint64_t nLineNo = 1, nColumnsBefore = 0;
    size_t pos = 0;
    while (pos < file.size()) {
        size_t lf = file.find('\n', pos);
        size_t len = (lf == std::string::npos ? file.size() : lf) - pos;
        std::string text;
        if (len > kMaxLinePiece) {
            size_t b = 0;
            while (b + (ref::IsLead(static_cast<unsigned char>(file[pos + b])) ? 2 : 1) <= kMaxLinePiece)
                b += ref::IsLead(static_cast<unsigned char>(file[pos + b])) ? 2 : 1;
            text = file.substr(pos, b);
            pos += b;
            lines.push_back({text.substr(0, text.find('\0')), nLineNo, nColumnsBefore});
            // Every character of the piece, past a NUL too, is a column.
            std::vector<char> at = ref::Boundaries(text);
            for (size_t i = 0; i < text.size(); ++i)
                nColumnsBefore += at[i] ? 1 : 0;
            continue;
        }
        text = file.substr(pos, len);
        if (lf != std::string::npos && !text.empty() && text.back() == '\r')
            text.pop_back();
        pos += len + 1;
        lines.push_back({text.substr(0, text.find('\0')), nLineNo++, nColumnsBefore});
        nColumnsBefore = 0;
    }
    return lines;
}

// Whether the program reads the file as UTF-8 or UTF-16 instead: a
// byte-order mark, or up to 4 KiB from the first byte of 0x80 or more that
// are well-formed UTF-8 (a character cut by their end counts), the first of
// them a character of several bytes. Those files are not compared here.
bool ReadAsUnicode(const std::string& file)
{
    if (file.compare(0, 3, "\xEF\xBB\xBF") == 0 || file.compare(0, 2, "\xFF\xFE") == 0 ||
        file.compare(0, 2, "\xFE\xFF") == 0)
        return true;
    size_t p = 0;
    while (p < file.size() && static_cast<unsigned char>(file[p]) < 0x80)
        ++p;
    if (p == file.size())
        return false;
    const std::string t = file.substr(p, 4096);
    bool bFirst = true;
    for (size_t i = 0; i < t.size();) {
        unsigned c = static_cast<unsigned char>(t[i]);
        // Table 3-7 of the Unicode standard: the lead byte, then the range of
        // the byte after it; further bytes are 80-BF.
        size_t len = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        unsigned lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80, hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        if (len == 0)
            return false;
        for (size_t k = 1; k < len; ++k) {
            if (i + k >= t.size())
                return !bFirst;  // cut by the end of what is looked at
            unsigned b = static_cast<unsigned char>(t[i + k]);
            if (b < (k == 1 ? lo : 0x80u) || b > (k == 1 ? hi : 0xBFu))
                return false;
        }
        bFirst = false;
        i += len;
    }
    return true;
}

// Rows of those lines: a line holds a text when Find finds it there (in the
// folded line without case); the headword is the last line up to and
// including this one that holds the marker. The column is one more than the
// characters before the first such position, those of earlier pieces too.
Result ReferenceRows(const std::vector<SeenLine>& lines, const std::string& needle, const std::string& marker,
                     bool bFold)
{
    Result r;
    std::string headword;
    for (const SeenLine& line : lines) {
        ++r.nLines;
        std::string seen = bFold ? ref::Lower(line.text) : line.text;
        if (!marker.empty() && ref::Find(seen, marker) >= 0)
            headword = line.text;
        long at = ref::Find(seen, needle);
        if (at >= 0) {
            r.rows.push_back({line.text, headword, line.nLineNo,
                              line.nColumnsBefore + ref::Columns(line.text, static_cast<size_t>(at)) + 1});
            ++r.nMatches;
        }
    }
    return r;
}

class Collect : public ScanSink {
public:
    explicit Collect(Result& r) : m_r(r) {}
    void OnMatch(const char* line, size_t nLine, const char* headword, size_t nHeadword, uint64_t nLineNo,
                 uint64_t nColumn) override
    {
        m_r.rows.push_back({std::string(line, nLine), std::string(headword, nHeadword), nLineNo, nColumn});
    }
    void OnLines(uint64_t nLines) override { m_r.nLines += nLines; }

private:
    Result& m_r;
};

std::string Hex(const std::string& s, size_t limit = 96)
{
    std::string out;
    char b[4];
    for (size_t i = 0; i < s.size() && i < limit; ++i) {
        std::snprintf(b, sizeof b, "%02X ", static_cast<unsigned char>(s[i]));
        out += b;
    }
    if (s.size() > limit)
        out += "... (" + std::to_string(s.size()) + " bytes)";
    return out;
}

[[noreturn]] void Fail(const char* what, const Result& got, const Result& want)
{
    std::fprintf(stderr, "%s: got %zu rows, %llu lines, result %d; expected %zu rows, %llu lines, result %d\n", what,
                 got.rows.size(), static_cast<unsigned long long>(got.nLines), got.nMatches, want.rows.size(),
                 static_cast<unsigned long long>(want.nLines), want.nMatches);
    for (size_t i = 0; i < got.rows.size() || i < want.rows.size(); ++i) {
        if (i < got.rows.size() && i < want.rows.size() && got.rows[i] == want.rows[i])
            continue;
        std::fprintf(stderr, "first differing row %zu\n", i);
        if (i < got.rows.size())
            std::fprintf(stderr, "  got line %llu column %llu\n", static_cast<unsigned long long>(got.rows[i].nLineNo),
                         static_cast<unsigned long long>(got.rows[i].nColumn));
        if (i < want.rows.size())
            std::fprintf(stderr, "  expected line %llu column %llu\n",
                         static_cast<unsigned long long>(want.rows[i].nLineNo),
                         static_cast<unsigned long long>(want.rows[i].nColumn));
        if (i < got.rows.size())
            std::fprintf(stderr, "  got:      %s | %s\n", Hex(got.rows[i].headword).c_str(), Hex(got.rows[i].line).c_str());
        if (i < want.rows.size())
            std::fprintf(stderr, "  expected: %s | %s\n", Hex(want.rows[i].headword).c_str(),
                         Hex(want.rows[i].line).c_str());
        break;
    }
    std::abort();
}

// Whether every character of code page 932 text decodes to a character
// that encodes back to the same code: the NEC and IBM duplicates decode to
// one character, which a regular expression then finds at either code. With
// BWHOLE, a code that decodes to nothing makes the text fail too.
bool RoundTrips(const std::string& s, bool bWhole)
{
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = ref::IsLead(c) && i + 1 < s.size() ? 2 : 1;
        unsigned code = len == 2 ? (c << 8) | static_cast<unsigned char>(s[i + 1]) : c, cp;
        unsigned short back;
        if (c >= 0x80 && Cp932ToUnicode(code, &cp) ? !UnicodeTo932(cp, &back) || back != code : c >= 0x80 && bWhole)
            return false;
        i += len;
    }
    return true;
}

std::string TempPath()
{
    // In memory where the machine has that: long lines are megabytes.
    static std::string path =
        std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tolvane-scan-fuzz." + std::to_string(getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t kHeader = 8;
    if (size < kHeader)
        return 0;
    const bool bFold = data[0] & 1;
    const bool bLong = (data[0] & 62) == 62;  // one input in 32: they are slow
    const unsigned blockBits = data[1] | data[2] << 8;
    size_t nNeedle = std::min<size_t>(data[3] % 32, size - kHeader);
    size_t nMarker = std::min<size_t>(data[4] % 32, size - kHeader - nNeedle);
    const char* p = reinterpret_cast<const char*>(data + kHeader);
    // The program's texts come from single-line fields: no NUL, no line end
    // once a NUL has cut them; the caller folds them when case does not count.
    std::string needle = std::string(p, nNeedle).c_str();
    std::string marker = std::string(p + nNeedle, nMarker).c_str();
    std::string file(p + nNeedle + nMarker, size - kHeader - nNeedle - nMarker);
    if (needle.empty())
        return 0;
    if (bFold) {
        needle = ref::Lower(needle);
        marker = ref::Lower(marker);
    }
    size_t block;
    if (bLong) {
        size_t nLong = (data[5] & 0x80 ? 2 * kMaxLinePiece : kMaxLinePiece) - 24 + (data[5] & 0x3F);
        std::string filler(nLong, static_cast<char>(data[6]));
        for (size_t i = 1; i < nLong; i += 2)
            filler[i] = static_cast<char>(data[7]);
        file.insert(file.size() / 2, filler);
        // Each read looks for the last LF of all that waits, so tiny blocks
        // would make a long line cost a pass per block over a megabyte;
        // larger blocks still put their edges anywhere.
        block = 65536 + blockBits * 3;
    } else {
        block = 1 + blockBits % 200;
    }

    FILE* f = std::fopen(TempPath().c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0)
        std::abort();
    const std::string escaped = EscapeRegex(needle.data(), needle.size());
    const SearchPattern literal(escaped.data(), escaped.size(), true, false, bFold);
    const bool bRegexToo = !bLong && RoundTrips(needle, true) && RoundTrips(file, false);
    Result got, gotRegex;
    for (bool bRegex : {false, true}) {
        if (bRegex && !bRegexToo)
            break;
        g_nScanReadBlock = block;
        CRawFile raw;
        if (!raw.Open(TempPath().c_str()))
            std::abort();
        ScanOptions options = {needle.c_str(), needle.size(), marker.c_str(), marker.size(), bFold};
        options.pPattern = bRegex ? &literal : nullptr;
        static ScanBuffers buffers;  // kept from file to file, as a search keeps them
        Result& r = bRegex ? gotRegex : got;
        Collect sink(r);
        r.nMatches = ScanFile(raw, options, buffers, sink);
    }
    std::remove(TempPath().c_str());  // only a crash leaves it behind
    if (ReadAsUnicode(file))
        return 0;  // it still must not crash, nor trip a sanitizer
    Result want = ReferenceRows(Cp932Lines(file), needle, marker, bFold);
    for (const Result* r : {&got, &gotRegex}) {
        if (r == &gotRegex && !bRegexToo)
            break;
        if (!(r->rows == want.rows) || r->nLines != want.nLines || r->nMatches != want.nMatches) {
            std::fprintf(stderr, "block %zu, %s, needle %s, marker %s\n", block, bFold ? "no case" : "case",
                         Hex(needle).c_str(), Hex(marker).c_str());
            Fail(r == &got ? "scan" : "scan of the escaped text as a pattern", *r, want);
        }
    }
    return 0;
}
