#include "search/scanner.h"

#include <algorithm>
#include <cstring>

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

// Steps from a known character boundary B of a text ending at END up to H;
// true when H is a boundary too.
bool StepTo(const unsigned char* t, size_t& b, size_t h, size_t end)
{
    while (b < h)
        b += (IsLeadByte932(t[b]) && b + 1 < end) ? 2 : 1;
    return b == h;
}

// Finds the lines that hold one text (the search string or the headword
// marker) on a character boundary. Raw bytes are first filtered on the
// text's first and last byte (and a middle one when case counts); without
// case, the filter admits every byte that folds to them, and only a line
// that passes is folded and checked.
class Matcher {
public:
    Matcher(const char* text, size_t n, bool bFold, std::vector<char>& scratch)
        : m_text(text), m_n(n), m_bFold(bFold), m_scratch(scratch)
    {
        m_first.count = m_last.count = 0;
        if (n == 0)
            return;
        const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
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
        MbcsMakeLower(window, m_n);
        return std::memcmp(window, m_text, m_n) == 0;
    }

    bool HoldsAt(const char* data, const Line& line, size_t h)
    {
        if (h + m_n > line.content)
            return false;
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
        MbcsMakeLower(f, n);
        size_t b = 0;
        for (size_t from = 0; from + m_n <= n;) {
            const char* hit = FindBytes(f + from, n - from, m_text, m_n);
            if (!hit)
                return false;
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

class RegionScan {
public:
    RegionScan(const ScanOptions& o, ScanBuffers& b, ScanSink& s)
        : m_b(b), m_sink(s), m_needle(o.needle, o.nNeedle, o.bFold, b.folded),
          m_marker(o.marker, o.nMarker, o.bFold, b.folded), m_bMarker(o.nMarker > 0)
    {
    }

    int Matches() const { return m_nMatches; }

    // Scans [0, len) of the data buffer, whole lines only: each ends with
    // '\n' but the last, which may end at LEN (end of file, or a piece of an
    // over-long line).
    void Scan(size_t len)
    {
        const char* data = m_b.data.data();
        m_len = len;
        m_markerPos = 0;
        m_bNextMarker = m_bMarkersDone = false;
        m_bHeadInRegion = false;
        m_needle.Reset();
        m_marker.Reset();
        Line line;
        for (size_t pos = 0; pos < len && m_needle.NextLine(data, len, pos, len, &line); pos = line.end + 1) {
            Headword(line.end);
            m_sink.OnMatch(data + line.start, line.content - line.start,
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
                    !m_marker.NextLine(m_b.data.data(), m_len, m_markerPos, m_len, &m_nextMarker)) {
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

    ScanBuffers& m_b;
    ScanSink& m_sink;
    Matcher m_needle;
    Matcher m_marker;
    bool m_bMarker;
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
size_t PieceEnd(const char* p)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(p);
    size_t b = 0;
    for (;;) {
        size_t w = IsLeadByte932(t[b]) ? 2 : 1;
        if (b + w > kMaxLinePiece)
            break;
        b += w;
    }
    return b;
}

}  // namespace

size_t g_nScanReadBlock = kReadBlock;

int ScanFile(CRawFile& file, const ScanOptions& options, ScanBuffers& buffers, ScanSink& sink)
{
    const size_t capacity = kMaxLinePiece + kReadBlock;
    if (buffers.data.size() < capacity + 1)
        buffers.data.resize(capacity + 1);
    buffers.headword.clear();
    RegionScan scan(options, buffers, sink);
    size_t have = 0;
    for (;;) {
        char* data = buffers.data.data();
        // Blocks small enough to stay in the processor's cache between the
        // line count and the search.
        long n = file.Read(data + have, std::min(std::min(g_nScanReadBlock, kReadBlock), capacity - have));
        if (n < 0)
            break;  // a read error ends the file; rows already added stay
        bool eof = n == 0;
        have += static_cast<size_t>(n);
        // Only the first line here can be longer than a piece: the others
        // came whole within one read. It is cut once it is known to be
        // longer, wherever the reads happened to end.
        while (have > kMaxLinePiece && !std::memchr(data, '\n', kMaxLinePiece + 1)) {
            size_t piece = PieceEnd(data);
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
