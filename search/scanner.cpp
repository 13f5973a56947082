#include "search/scanner.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/bytesearch.h"
#include "platform/files.h"
#include "platform/mbcs.h"

namespace {

const size_t kReadBlock = 256u << 10;

// One line of the block: [start, end) is the text up to its line end;
// content stops earlier at a NUL or at the CR of a CR LF.
struct Line {
    size_t start;
    size_t end;      // position of its '\n', or the region end
    size_t content;  // end of the text the program sees
};

Line LineAt(const char* t, size_t len, size_t h)
{
    Line line;
    const char* prev = FindLastByte(t, h, '\n');
    line.start = prev ? static_cast<size_t>(prev - t) + 1 : 0;
    const void* next = std::memchr(t + h, '\n', len - h);
    line.end = next ? static_cast<size_t>(static_cast<const char*>(next) - t) : len;
    line.content = line.end;
    if (next && line.content > line.start && t[line.content - 1] == '\r')
        --line.content;
    if (const void* nul = std::memchr(t + line.start, 0, line.content - line.start))
        line.content = static_cast<size_t>(static_cast<const char*>(nul) - t);
    return line;
}

// Steps from a known character boundary B of a CP932 text ending at END up
// to H; true when H is a boundary too.
bool StepTo(const unsigned char* t, size_t& b, size_t h, size_t end)
{
    while (b < h)
        b += (IsLeadByte932(t[b]) && b + 1 < end) ? 2 : 1;
    return b == h;
}

bool IsUtf8Tail(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Finds the lines that hold one text (the search string or the headword
// marker) on a character boundary. Raw bytes are first filtered on the
// text's first and last byte (and a middle one when case counts); without
// case, the filter admits every byte that folds to them, and only a line
// that passes is folded and checked.
//
// In UTF-8 text (and in the same text for the scan of a UTF-16 file) the
// text is the well-formed UTF-8 of the search string or marker. Its first
// byte starts a character, and text is walked so that such a byte always
// starts one (mbcs.h), so every raw match is on a boundary by itself.
class Matcher {
public:
    Matcher(const char* text, size_t n, bool bFold, bool bUtf8, std::vector<char>& scratch)
        : m_text(text), m_n(n), m_bFold(bFold), m_bUtf8(bUtf8), m_scratch(scratch)
    {
        m_first.count = m_last.count = 0;
        if (n == 0)
            return;
        const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
        if (bUtf8) {
            InitUtf8(t);
            return;
        }
        size_t lastChar = 0;
        for (size_t b = 0; b < n; b += (IsLeadByte932(t[b]) && b + 1 < n) ? 2 : 1)
            lastChar = b;
        m_first.Add(t[0]);
        m_last.Add(t[n - 1]);
        m_bLoneLeadLast = lastChar == n - 1 && IsLeadByte932(t[n - 1]);
        if (!bFold) {
            // A third byte makes candidates much rarer in Japanese text,
            // where the first (lead) bytes of a text are common ones.
            m_midPos = n > 2 ? n / 2 : 0;
            m_mid = text[m_midPos];
            return;
        }
        AddUpperAscii(m_first, t[0]);
        if (lastChar == n - 1)
            AddUpperAscii(m_last, t[n - 1]);
        // Double-byte characters that fold onto the text's first lead byte,
        // or onto its last character.
        unsigned lastCode = lastChar + 2 == n ? (t[lastChar] << 8) | t[lastChar + 1] : 0;
        for (size_t i = 0, k = MbcsFoldTableSize(); i < k; ++i) {
            unsigned short from, to;
            MbcsFoldPair(i, &from, &to);
            if (n >= 2 && IsLeadByte932(t[0]) && (to >> 8) == t[0])
                m_first.Add(static_cast<unsigned char>(from >> 8));
            if (to == lastCode)
                m_last.Add(static_cast<unsigned char>(from & 0xff));
        }
    }

    // Positions are offsets into one region: a new region forgets them.
    void Reset()
    {
        m_boundaryLine = SIZE_MAX;
        m_bLineKnown = false;
    }

    // The first line at or after FROM holding the text at a position before
    // LIMIT; LEN is where the region's bytes end.
    bool NextLine(const char* data, size_t len, size_t from, size_t limit, Line* pLine)
    {
        while (from < limit) {
            size_t span = std::min(len - from, limit - from + m_n - 1);
            const char* hit = FindCandidate(data + from, span, m_n, m_first, m_last, m_midPos, m_mid);
            if (!hit)
                return false;
            size_t h = static_cast<size_t>(hit - data);
            // Most candidates fail on their own bytes; only the rest need
            // their line found.
            if (h + m_n > len || !MayHoldAt(data + h)) {
                from = h + 1;
                continue;
            }
            // Candidates that fail on their character boundaries can come at
            // every other byte of one long line; finding that line for each
            // of them anew would cost its length each time.
            if (!m_bLineKnown || h < m_line.start || h > m_line.end) {
                m_line = LineAt(data, len, h);
                m_bLineKnown = true;
            }
            const Line line = m_line;
            if (m_bFold ? FoldedLineHolds(data, line) : HoldsAt(data, line, h)) {
                *pLine = line;
                return true;
            }
            // Without case the whole line has been looked at.
            from = m_bFold ? line.end + 1 : h + 1;
        }
        return false;
    }

private:
    static void AddUpperAscii(ByteSet& set, unsigned char c)
    {
        if (c >= 'a' && c <= 'z')
            set.Add(static_cast<unsigned char>(c - 0x20));
    }

    void InitUtf8(const unsigned char* t)
    {
        m_first.Add(t[0]);
        m_last.Add(t[m_n - 1]);
        if (!m_bFold) {
            m_midPos = m_n > 2 ? m_n / 2 : 0;
            m_mid = m_text[m_midPos];
            return;
        }
        // The characters that fold onto the text's first and last one.
        size_t lastChar = m_n - 1;
        while (lastChar > 0 && IsUtf8Tail(t[lastChar]))
            --lastChar;
        unsigned first = 0, last = 0;
        Utf8Char(t, m_n, &first);
        Utf8Char(t + lastChar, m_n - lastChar, &last);
        for (size_t i = 0, k = Utf8FoldTableSize(); i < k; ++i) {
            unsigned from, to;
            Utf8FoldPair(i, &from, &to);
            char bytes[4];
            size_t len = static_cast<size_t>(PutUtf8(bytes, from) - bytes);
            if (to == first)
                m_first.Add(static_cast<unsigned char>(bytes[0]));
            if (to == last)
                m_last.Add(static_cast<unsigned char>(bytes[len - 1]));
        }
    }

    void MakeLower(char* s, size_t n) const
    {
        if (m_bUtf8)
            Utf8MakeLower(s, n);
        else
            MbcsMakeLower(s, n);
    }

    // Whether the text could stand at P: its bytes as they are, or without
    // case folded from P on (a real match starts a character, so folding
    // from there gives what folding the line gives).
    bool MayHoldAt(const char* p)
    {
        if (!m_bFold)
            return std::memcmp(p, m_text, m_n) == 0;
        if (m_bLoneLeadLast)
            return true;
        char window[64];
        if (m_n > sizeof window)
            return true;
        std::memcpy(window, p, m_n);
        MakeLower(window, m_n);
        return std::memcmp(window, m_text, m_n) == 0;
    }

    bool HoldsAt(const char* data, const Line& line, size_t h)
    {
        if (h + m_n > line.content)
            return false;
        if (m_bUtf8)
            return true;
        if (m_boundaryLine != line.start || m_boundary > h) {
            m_boundaryLine = line.start;
            m_boundary = line.start;
        }
        return StepTo(reinterpret_cast<const unsigned char*>(data), m_boundary, h, line.content) &&
               EndsWhole(h, line.content);
    }

    // A text that ends in a lead byte stands only at the end of a line:
    // anywhere else that byte takes the next one as its second.
    bool EndsWhole(size_t h, size_t end) const { return !m_bLoneLeadLast || h + m_n == end; }

    bool FoldedLineHolds(const char* data, const Line& line)
    {
        size_t n = line.content - line.start;
        if (m_scratch.size() < n + 1)
            m_scratch.resize(n + 1);
        char* f = m_scratch.data();
        std::memcpy(f, data + line.start, n);
        MakeLower(f, n);
        size_t b = 0;
        for (size_t from = 0; from + m_n <= n;) {
            const char* hit = FindBytes(f + from, n - from, m_text, m_n);
            if (!hit)
                return false;
            if (m_bUtf8)
                return true;
            size_t h = static_cast<size_t>(hit - f);
            if (StepTo(reinterpret_cast<const unsigned char*>(f), b, h, n) && EndsWhole(h, n))
                return true;
            from = h + 1;
        }
        return false;
    }

    const char* m_text;
    size_t m_n;
    bool m_bFold;
    bool m_bUtf8;
    std::vector<char>& m_scratch;
    ByteSet m_first, m_last;
    bool m_bLoneLeadLast = false;
    size_t m_midPos = 0;
    char m_mid = 0;
    size_t m_boundaryLine = SIZE_MAX;
    size_t m_boundary = 0;
    Line m_line = {0, 0, 0};
    bool m_bLineKnown = false;
};

// The search string and the marker as UTF-8, converted once for all the
// files of a search; false (for the search string) when one holds a code that
// is no character, which then never matches in UTF-8 text.
bool Utf8Texts(const ScanOptions& o, ScanBuffers& b)
{
    std::string key = std::to_string(o.nNeedle) + (o.bFold ? "f:" : "c:");
    key.append(o.needle, o.nNeedle).append(o.marker, o.nMarker);
    if (key != b.utf8Key) {
        b.utf8Key = key;
        b.bUtf8Needle = Cp932ToUtf8(o.needle, o.nNeedle, &b.utf8Needle);
        b.bUtf8Marker = Cp932ToUtf8(o.marker, o.nMarker, &b.utf8Marker);
        if (o.bFold) {
            Utf8MakeLower(&b.utf8Needle[0], b.utf8Needle.size());
            Utf8MakeLower(&b.utf8Marker[0], b.utf8Marker.size());
        }
    }
    return b.bUtf8Needle;
}

class RegionScan {
public:
    RegionScan(const ScanOptions& o, ScanBuffers& b, ScanSink& s)
        : m_o(o), m_b(b), m_sink(s), m_needle932(o.needle, o.nNeedle, o.bFold, false, b.folded),
          m_marker932(o.marker, o.nMarker, o.bFold, false, b.folded), m_pNeedle(&m_needle932),
          m_pMarker(&m_marker932), m_bMarker(o.nMarker > 0)
    {
    }

    int Matches() const { return m_nMatches; }

    // The file's text is UTF-8 from here on; all of it before was ASCII,
    // which reads the same either way.
    void UseUtf8()
    {
        m_bUtf8 = true;
        if (!Utf8Texts(m_o, m_b)) {
            m_pNeedle = nullptr;
            return;
        }
        m_needle8.emplace(m_b.utf8Needle.data(), m_b.utf8Needle.size(), m_o.bFold, true, m_b.folded);
        m_pNeedle = &*m_needle8;
        if (m_b.bUtf8Marker) {
            m_marker8.emplace(m_b.utf8Marker.data(), m_b.utf8Marker.size(), m_o.bFold, true, m_b.folded);
            m_pMarker = &*m_marker8;
        } else {
            m_bMarker = false;
        }
    }

    // Scans [0, len) of the data buffer, whole lines only: each ends with
    // '\n' but the last, which may end at LEN (end of file, or a piece of an
    // over-long line).
    void Scan(size_t len)
    {
        if (!m_pNeedle)
            return;
        const char* data = m_b.data.data();
        m_len = len;
        m_markerPos = 0;
        m_bNextMarker = m_bMarkersDone = false;
        m_bHeadInRegion = false;
        m_pNeedle->Reset();
        m_pMarker->Reset();
        Line line;
        for (size_t pos = 0; pos < len && m_pNeedle->NextLine(data, len, pos, len, &line); pos = line.end + 1) {
            Headword(line.end);
            Report(data + line.start, line.content - line.start,
                   m_bHeadInRegion ? data + m_headStart : m_b.headword.data(),
                   m_bHeadInRegion ? m_headLen : m_b.headword.size());
            ++m_nMatches;
        }
        // A headword line of this block may serve matches in the next ones.
        Headword(len);
        if (m_bHeadInRegion)
            m_b.headword.assign(data + m_headStart, m_headLen);
    }

private:
    // Rows are code page 932 text whatever the file is.
    void Report(const char* line, size_t nLine, const char* headword, size_t nHeadword)
    {
        if (!m_bUtf8) {
            m_sink.OnMatch(line, nLine, headword, nHeadword, 0, 0);
            return;
        }
        if (m_b.shown.size() < nLine + nHeadword)
            m_b.shown.resize(nLine + nHeadword);
        char* out = m_b.shown.data();
        size_t nShownLine = Utf8To932(line, nLine, out);
        size_t nShownHead = Utf8To932(headword, nHeadword, out + nShownLine);
        m_sink.OnMatch(out, nShownLine, out + nShownLine, nShownHead, 0, 0);
    }

    // Moves the headword up to the last line before LIMIT that holds the
    // marker. The next marker line is looked for over the rest of the block
    // at once, not up to each match: long searches are the fast ones.
    void Headword(size_t limit)
    {
        if (!m_bMarker)
            return;
        for (;;) {
            if (!m_bNextMarker) {
                if (m_bMarkersDone ||
                    !m_pMarker->NextLine(m_b.data.data(), m_len, m_markerPos, m_len, &m_nextMarker)) {
                    m_bMarkersDone = true;
                    return;
                }
                m_bNextMarker = true;
            }
            if (m_nextMarker.start >= limit)
                return;
            m_bHeadInRegion = true;
            m_headStart = m_nextMarker.start;
            m_headLen = m_nextMarker.content - m_nextMarker.start;
            m_markerPos = m_nextMarker.end + 1;
            m_bNextMarker = false;
        }
    }

    const ScanOptions& m_o;
    ScanBuffers& m_b;
    ScanSink& m_sink;
    Matcher m_needle932;
    Matcher m_marker932;
    std::optional<Matcher> m_needle8;
    std::optional<Matcher> m_marker8;
    Matcher* m_pNeedle;  // NULL: nothing can match
    Matcher* m_pMarker;
    bool m_bMarker;
    bool m_bUtf8 = false;
    size_t m_len = 0;
    int m_nMatches = 0;
    size_t m_markerPos = 0;
    Line m_nextMarker = {0, 0, 0};
    bool m_bNextMarker = false;
    bool m_bMarkersDone = false;
    bool m_bHeadInRegion = false;
    size_t m_headStart = 0;
    size_t m_headLen = 0;
};

uint64_t CountLines(const char* p, size_t len, bool bTail)
{
    uint64_t n = CountByte(p, len, '\n');
    if (bTail && len > 0 && p[len - 1] != '\n')
        ++n;
    return n;
}

// Where to cut a line that has no end within kMaxLinePiece + 1 bytes: after
// as many whole characters as fit in kMaxLinePiece. The byte after the cut is
// known and is no LF, so a CR before it is no line end either.
size_t PieceEnd(const char* p, bool bUtf8)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(p);
    size_t b = 0;
    if (bUtf8) {
        // Before the character the byte after the cut belongs to, if any.
        size_t start = kMaxLinePiece;
        for (int k = 0; k < 3 && IsUtf8Tail(t[start]); ++k)
            --start;
        unsigned cp;
        size_t len = start < kMaxLinePiece ? Utf8Char(t + start, kMaxLinePiece + 1 - start, &cp) : 0;
        return len != 0 && (len == SIZE_MAX || start + len > kMaxLinePiece) ? start : kMaxLinePiece;
    }
    for (;;) {
        size_t w = IsLeadByte932(t[b]) ? 2 : 1;
        if (b + w > kMaxLinePiece)
            break;
        b += w;
    }
    return b;
}

// How far past its first byte of 0x80 or more a file without a byte-order
// mark is looked at. Japanese CP932 text breaks the UTF-8 rules within a few
// bytes (its hiragana and katakana start with a byte UTF-8 only uses inside a
// character), so this only has to be long against chance; a UTF-8 file pays
// for reading it twice.
const size_t kLookAhead = 4u << 10;

// Whether the N bytes at P, the first of them 0x80 or more, read as UTF-8:
// well formed as far as they go (a character cut by their end counts) and
// holding a character of several bytes, which the first one then is.
bool LooksUtf8(const unsigned char* p, size_t n)
{
    bool bMulti = false;
    for (size_t i = 0; i < n;) {
        unsigned cp;
        size_t len = Utf8Char(p + i, n - i, &cp);
        if (len == 0)
            return false;
        if (len == SIZE_MAX)
            break;
        bMulti |= len > 1;
        i += len;
    }
    return bMulti;
}

// A file's bytes as the scan reads them: as they are, without a UTF-8
// byte-order mark, or after a UTF-16 one as the same text in UTF-8. A unit
// that is no character (a lone surrogate, an odd last byte) becomes the byte
// FF, which no UTF-8 text holds, so it shows as '?' and never matches.
class TextSource {
public:
    TextSource(CRawFile& file, std::vector<char>& raw) : m_file(file), m_raw(raw) {}

    // Whether the byte-order mark said UTF-8 or UTF-16.
    bool IsUtf8() const { return m_bUtf8; }

    // At most N bytes to OUT (at least 3 the first time, for the mark); 0 at
    // the end of the file, -1 on a read error.
    long Read(char* out, size_t n)
    {
        if (m_bUtf16)
            return Decode(out, n);
        long r = m_file.Read(out, n);
        if (!m_bStart || r <= 0)
            return r;
        m_bStart = false;
        size_t got = static_cast<size_t>(r);
        while (got < 3) {  // a short read must not hide the mark
            long more = m_file.Read(out + got, n - got);
            if (more < 0)
                return -1;
            if (more == 0)
                break;
            got += static_cast<size_t>(more);
        }
        r = static_cast<long>(got);
        const unsigned char* t = reinterpret_cast<const unsigned char*>(out);
        if (got >= 3 && t[0] == 0xEF && t[1] == 0xBB && t[2] == 0xBF) {
            m_bUtf8 = true;
            std::memmove(out, out + 3, got - 3);
            return got > 3 ? static_cast<long>(got - 3) : m_file.Read(out, n);
        }
        if (got >= 2 && ((t[0] == 0xFF && t[1] == 0xFE) || (t[0] == 0xFE && t[1] == 0xFF))) {
            m_bUtf8 = m_bUtf16 = true;
            m_bBigEndian = t[0] == 0xFE;
            if (m_raw.size() < kReadBlock)
                m_raw.resize(kReadBlock);
            m_have = got - 2;
            std::memcpy(m_raw.data(), out + 2, std::min(m_have, m_raw.size()));
            m_have = std::min(m_have, m_raw.size());
            return Decode(out, n);
        }
        return r;
    }

private:
    long Decode(char* out, size_t n)
    {
        for (;;) {
            if (!m_eof && m_have < m_raw.size()) {
                long r = m_file.Read(m_raw.data() + m_have, m_raw.size() - m_have);
                if (r < 0)
                    return -1;
                m_eof = r == 0;
                m_have += static_cast<size_t>(r);
            }
            const unsigned char* t = reinterpret_cast<const unsigned char*>(m_raw.data());
            size_t o = 0, i = 0;
            for (;;) {
                for (; m_nPending > 0 && o < n; --m_nPending)
                    out[o++] = m_pending[4 - m_nPending];
                if (o == n || i + 2 > m_have)
                    break;
                unsigned u = Unit(t + i), cp = u;
                size_t len = 2;
                if (u >= 0xD800 && u <= 0xDBFF) {
                    if (i + 4 > m_have && !m_eof)
                        break;  // its other half is still to come
                    unsigned v = i + 4 <= m_have ? Unit(t + i + 2) : 0;
                    if (v >= 0xDC00 && v <= 0xDFFF) {
                        cp = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                        len = 4;
                    }
                }
                i += len;
                char bytes[4];
                size_t nBytes = 1;
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    bytes[0] = '\xFF';
                else
                    nBytes = static_cast<size_t>(PutUtf8(bytes, cp) - bytes);
                // What does not fit waits for the next read.
                std::memcpy(m_pending + 4 - nBytes, bytes, nBytes);
                m_nPending = nBytes;
            }
            if (m_eof && i + 1 == m_have && o < n) {
                out[o++] = '\xFF';  // an odd last byte
                ++i;
            }
            std::memmove(m_raw.data(), m_raw.data() + i, m_have - i);
            m_have -= i;
            if (o > 0 || (m_eof && m_have == 0 && m_nPending == 0))
                return static_cast<long>(o);
        }
    }

    unsigned Unit(const unsigned char* p) const
    {
        return m_bBigEndian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8);
    }

    CRawFile& m_file;
    std::vector<char>& m_raw;
    size_t m_have = 0;
    char m_pending[4] = {};
    size_t m_nPending = 0;
    bool m_bStart = true;
    bool m_bUtf8 = false;
    bool m_bUtf16 = false;
    bool m_bBigEndian = false;
    bool m_eof = false;
};

}  // namespace

size_t g_nScanReadBlock = kReadBlock;

int ScanFile(CRawFile& file, const ScanOptions& options, ScanBuffers& buffers, ScanSink& sink)
{
    // The look-ahead may read past the capacity once, so that it sees the
    // same bytes wherever the first byte of 0x80 or more lies.
    const size_t capacity = kMaxLinePiece + kReadBlock;
    if (buffers.data.size() < capacity + kLookAhead + 1)
        buffers.data.resize(capacity + kLookAhead + 1);
    buffers.headword.clear();
    RegionScan scan(options, buffers, sink);
    TextSource source(file, buffers.raw);
    // Text that is ASCII so far reads the same as CP932 and as UTF-8.
    bool bDecided = false, bUtf8 = false;
    size_t have = 0;
    for (;;) {
        char* data = buffers.data.data();
        // Blocks small enough to stay in the processor's cache between the
        // line count and the search.
        size_t ask = have < capacity ? std::min(std::min(g_nScanReadBlock, kReadBlock), capacity - have) : 0;
        long n = ask == 0 ? 0 : source.Read(data + have, have == 0 ? std::max<size_t>(ask, 3) : ask);
        if (n < 0)
            break;  // a read error ends the file; rows already added stay
        bool eof = ask > 0 && n == 0;
        have += static_cast<size_t>(n);
        if (!bDecided) {
            const char* high = source.IsUtf8() ? data : FindHighByte(data, have);
            if (high && !source.IsUtf8()) {
                size_t p = static_cast<size_t>(high - data), want = p + kLookAhead;
                while (!eof && have < want) {
                    long more = source.Read(data + have, want - have);
                    if (more < 0)
                        return scan.Matches();
                    eof = more == 0;
                    have += static_cast<size_t>(more);
                }
                bUtf8 = LooksUtf8(reinterpret_cast<const unsigned char*>(high), std::min(have - p, kLookAhead));
            }
            bDecided = high != nullptr;
            if (source.IsUtf8() || bUtf8) {
                bUtf8 = true;
                scan.UseUtf8();
            }
        }
        // Only the first line here can be longer than a piece: the others
        // came whole within one read. It is cut once it is known to be
        // longer, wherever the reads happened to end.
        while (have > kMaxLinePiece && !std::memchr(data, '\n', kMaxLinePiece + 1)) {
            size_t piece = PieceEnd(data, bUtf8);
            sink.OnLines(1);
            scan.Scan(piece);
            std::memmove(data, data + piece, have - piece);
            have -= piece;
        }
        size_t end;
        if (eof) {
            end = have;
        } else {
            const char* last = FindLastByte(data, have, '\n');
            if (!last)
                continue;
            end = static_cast<size_t>(last - data) + 1;
        }
        sink.OnLines(CountLines(data, end, eof));
        scan.Scan(end);
        if (eof)
            break;
        std::memmove(data, data + end, have - end);
        have -= end;
    }
    return scan.Matches();
}

void ProgressModel::Reset(int nLow, int nHigh, int nStep, int nPos)
{
    m_nLow = nLow;
    m_nHigh = nHigh;
    m_nStep = nStep;
    m_nPos = nPos;
}

void ProgressModel::Step(uint64_t nSteps)
{
    int nRange = m_nHigh - m_nLow;
    if (m_nStep <= 0 || nRange <= 0)
        return;
    if (m_nStep > nRange) {
        for (; nSteps > 0; --nSteps) {
            m_nPos += m_nStep;
            while (m_nPos > m_nHigh)
                m_nPos -= nRange;
        }
        return;
    }
    // The control carries what passes the top over to the bottom (71 + 10
    // gives 1 in 0..80), so once above the bottom the position runs through
    // 1..range above it, modulo the range.
    for (; nSteps > 0 && m_nPos == m_nLow; --nSteps)
        m_nPos += m_nStep;
    uint64_t v = static_cast<uint64_t>(m_nPos - m_nLow - 1) + (nSteps % static_cast<uint64_t>(nRange)) *
                                                                  static_cast<uint64_t>(m_nStep);
    m_nPos = m_nLow + 1 + static_cast<int>(v % static_cast<uint64_t>(nRange));
}
