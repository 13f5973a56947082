// The file scan on arbitrary bytes, search text, headword marker, case and read block size, against a plain scan of
// the whole file; the text escaped as a regular expression gives the same where decoding tells codes apart.
//   input: flags, block size (2), needle length, marker length, long-line
//          length, filler bytes (2), the needle, the marker, the file
// A long-line input gets, after the file's first half, a line of about one or
// two pieces (kMaxLinePiece) of the filler bytes, to cut at and around the limit.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files.h"
#include "engine/file_text.h"
#include "engine/scanner.h"
#include "text/mbcs.h"
#include "tests/fuzz/reference.h"

namespace {

struct Row {
    std::string line, headword;
    uint64_t nLineNo, nColumn;
    auto Tied() const { return std::tie(line, headword, nLineNo, nColumn); }
    bool operator==(const Row& o) const { return Tied() == o.Tied(); }
};

struct Result {
    std::vector<Row> rows;
    uint64_t nLines = 0;
    int nMatches = 0;
    bool operator==(const Result& o) const { return rows == o.rows && nLines == o.nLines && nMatches == o.nMatches; }
};

// Whether the program reads the file in another encoding than code page 932: by a byte-order mark, or by the rule
// for a file without one, told here from the whole file, which the scan must tell alike from its reads of any size.
// Those files are not compared here.
bool ReadAsAnother(const std::string& file)
{
    size_t body;
    return Detect(file, kAutoDetect, &body) != kCp932;
}

// Rows of a code page 932 file as a plain scan finds them. A line ends at LF, and a CR right before the LF is not
// part of it; a line of more than kMaxLinePiece bytes is cut into pieces of as many whole characters as fit, each
// with the line's number; what a line shows ends at its first NUL. A line holds a text when Find finds it there (in
// the folded line without case); the headword is the last line up to and including this one that holds the marker;
// the column is one more than the characters before the first such position, those of the line's earlier pieces too.
Result ReferenceRows(const std::string& file, const std::string& needle, const std::string& marker, bool bFold)
{
    Result r;
    std::string headword;
    uint64_t nLineNo = 1, nColumnsBefore = 0;
    for (size_t pos = 0; pos < file.size(); ++r.nLines) {
        size_t lf = file.find('\n', pos), len = (lf == std::string::npos ? file.size() : lf) - pos, w;
        const bool bPiece = len > kMaxLinePiece;
        if (bPiece) {
            len = 0;
            while (len + (w = ref::IsLead(static_cast<unsigned char>(file[pos + len])) ? 2 : 1) <= kMaxLinePiece)
                len += w;
        }
        std::string text = file.substr(pos, len);
        pos += bPiece ? len : len + 1;
        if (!bPiece && lf != std::string::npos && !text.empty() && text.back() == '\r')
            text.pop_back();
        const std::string shown = text.substr(0, text.find('\0')), seen = bFold ? ref::Lower(shown) : shown;
        if (!marker.empty() && ref::Find(seen, marker) >= 0)
            headword = shown;
        long at = ref::Find(seen, needle);
        if (at >= 0) {
            r.rows.push_back({shown, headword, nLineNo, nColumnsBefore + ref::Columns(shown, size_t(at)) + 1});
            ++r.nMatches;
        }
        nColumnsBefore = bPiece ? nColumnsBefore + ref::Columns(text, text.size()) : 0;  // past a NUL too
        nLineNo += bPiece ? 0 : 1;
    }
    return r;
}

struct Collect : ScanSink {
    explicit Collect(Result& r) : m_r(r) {}
    void OnMatch(const char* line, size_t nLine, const char* headword, size_t nHeadword, uint64_t nLineNo,
                 uint64_t nColumn, uint64_t) override
    {
        m_r.rows.push_back({std::string(line, nLine), std::string(headword, nHeadword), nLineNo, nColumn});
    }
    void OnLines(uint64_t nLines) override { m_r.nLines += nLines; }
    Result& m_r;
};

[[noreturn]] void Fail(const char* what, const Result& got, const Result& want)
{
    std::fprintf(stderr, "%s: got %zu rows, %llu lines, result %d; expected %zu rows, %llu lines, result %d\n", what,
                 got.rows.size(), static_cast<unsigned long long>(got.nLines), got.nMatches, want.rows.size(),
                 static_cast<unsigned long long>(want.nLines), want.nMatches);
    size_t i = 0;
    while (i < got.rows.size() && i < want.rows.size() && got.rows[i] == want.rows[i])
        ++i;
    for (const Result* r : {&got, &want})
        if (i < r->rows.size())
            std::fprintf(stderr, "row %zu, %s: line %llu column %llu: %s| %s\n", i, r == &got ? "got" : "expected",
                         static_cast<unsigned long long>(r->rows[i].nLineNo),
                         static_cast<unsigned long long>(r->rows[i].nColumn), ref::Hex(r->rows[i].headword).c_str(),
                         ref::Hex(r->rows[i].line).c_str());
    std::abort();
}

// Whether every character of code page 932 text decodes to a character that encodes back to the same code: the NEC
// and IBM duplicates decode to one character, which a regular expression then finds at either code. With BWHOLE, a
// code that decodes to nothing makes the text fail too.
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

// In memory where the machine has that: long lines are megabytes.
const std::string kTempPath =
    std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tolvane-scan-fuzz." + std::to_string(getpid());

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
    needle = bFold ? ref::Lower(needle) : needle;
    marker = bFold ? ref::Lower(marker) : marker;
    // Each read looks for the last LF of all that waits, so tiny blocks would make a long line cost a pass per block
    // over a megabyte; larger blocks still put their edges anywhere.
    const size_t block = bLong ? 65536 + blockBits * 3 : 1 + blockBits % 200;
    if (bLong) {
        size_t nLong = (data[5] & 0x80 ? 2 * kMaxLinePiece : kMaxLinePiece) - 24 + (data[5] & 0x3F);
        std::string filler(nLong, static_cast<char>(data[6]));
        for (size_t i = 1; i < nLong; i += 2)
            filler[i] = static_cast<char>(data[7]);
        file.insert(file.size() / 2, filler);
    }

    FILE* f = std::fopen(kTempPath.c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0)
        std::abort();
    const std::string escaped = EscapeRegex(needle.data(), needle.size());
    const SearchPattern literal(escaped.data(), escaped.size(), true, false, bFold);
    const int nScans = !bLong && RoundTrips(needle, true) && RoundTrips(file, false) ? 2 : 1;
    Result got[2];
    for (int k = 0; k < nScans; ++k) {
        g_nScanReadBlock = block;
        CRawFile raw;
        if (!raw.Open(kTempPath.c_str()))
            std::abort();
        ScanOptions options = {needle.c_str(), needle.size(), marker.c_str(), marker.size(), bFold};
        options.pPattern = k ? &literal : nullptr;
        static ScanBuffers buffers;  // kept from file to file, as a search keeps them
        Collect sink(got[k]);
        got[k].nMatches = ScanFile(raw, options, buffers, sink);
    }
    std::remove(kTempPath.c_str());  // only a crash leaves it behind
    if (ReadAsAnother(file))
        return 0;  // it still must not crash, nor trip a sanitizer
    Result want = ReferenceRows(file, needle, marker, bFold);
    for (int k = 0; k < nScans; ++k) {
        if (!(got[k] == want)) {
            std::fprintf(stderr, "block %zu, %s, needle %s, marker %s\n", block, bFold ? "no case" : "case",
                         ref::Hex(needle).c_str(), ref::Hex(marker).c_str());
            Fail(k ? "scan of the escaped text as a pattern" : "scan", got[k], want);
        }
    }
    return 0;
}
