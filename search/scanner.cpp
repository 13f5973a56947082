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

class RegionScan {
public:
    RegionScan(const ScanOptions& o, ScanBuffers& b, ScanSink& s) : m_o(o), m_b(b), m_sink(s) {}

    int Matches() const { return m_nMatches; }

    // Scans [0, len) of the data buffer, whole lines only: each ends with
    // '\n' but the last, which may end at LEN (end of file, or a piece of an
    // over-long line).
    void Scan(size_t len)
    {
        const char* data = m_b.data.data();
        const char* text = data;
        if (m_o.bFold) {
            FoldLines(len);
            text = m_b.folded.data();
        }
        m_text = text;
        m_len = len;
        m_markerPos = 0;
        m_boundaryLine = SIZE_MAX;
        m_headStart = m_headLen = 0;
        m_bHeadInRegion = false;

        size_t pos = 0;
        while (pos < len) {
            const char* hit = FindBytes(text + pos, len - pos, m_o.needle, m_o.nNeedle);
            if (!hit)
                break;
            size_t h = static_cast<size_t>(hit - text);
            Line line = LineAt(h);
            if (!OnBoundary(line, h, m_o.nNeedle)) {
                pos = h + 1;
                continue;
            }
            Headword(line.end);
            m_sink.OnMatch(data + line.start, line.content - line.start,
                           m_bHeadInRegion ? data + m_headStart : m_b.headword.data(),
                           m_bHeadInRegion ? m_headLen : m_b.headword.size());
            ++m_nMatches;
            pos = line.end + 1;
        }
        // A headword line of this block may serve matches in the next ones.
        Headword(len);
        if (m_bHeadInRegion)
            m_b.headword.assign(data + m_headStart, m_headLen);
    }

private:
    void FoldLines(size_t len)
    {
        if (m_b.folded.size() < m_b.data.size())
            m_b.folded.resize(m_b.data.size());
        char* f = m_b.folded.data();
        std::memcpy(f, m_b.data.data(), len);
        // Line by line: a lead byte at the end of a line stands alone.
        for (size_t s = 0; s < len;) {
            const char* nl = static_cast<const char*>(std::memchr(f + s, '\n', len - s));
            size_t e = nl ? static_cast<size_t>(nl - f) : len;
            MbcsMakeLower(f + s, e - s);
            s = e + 1;
        }
    }

    Line LineAt(size_t h)
    {
        Line line;
        const char* t = m_text;
        const char* prev = FindLastByte(t, h, '\n');
        line.start = prev ? static_cast<size_t>(prev - t) + 1 : 0;
        const void* next = std::memchr(t + h, '\n', m_len - h);
        line.end = next ? static_cast<size_t>(static_cast<const char*>(next) - t) : m_len;
        line.content = line.end;
        if (next && line.content > line.start && t[line.content - 1] == '\r')
            --line.content;
        if (const void* nul = std::memchr(t + line.start, 0, line.content - line.start))
            line.content = static_cast<size_t>(static_cast<const char*>(nul) - t);
        return line;
    }

    // Whether a hit of N bytes at H lies in the line's text and starts on a
    // character boundary, stepping forward from the line's start.
    bool OnBoundary(const Line& line, size_t h, size_t n)
    {
        if (h + n > line.content)
            return false;
        if (m_boundaryLine != line.start || m_boundary > h) {
            m_boundaryLine = line.start;
            m_boundary = line.start;
        }
        const unsigned char* t = reinterpret_cast<const unsigned char*>(m_text);
        size_t b = m_boundary;
        while (b < h)
            b += (IsLeadByte932(t[b]) && b + 1 < line.content) ? 2 : 1;
        m_boundary = b;
        return b == h;
    }

    // Moves the headword up to the last line before LIMIT that holds the marker.
    void Headword(size_t limit)
    {
        if (m_o.nMarker == 0)
            return;
        while (m_markerPos < limit) {
            const char* hit = FindBytes(m_text + m_markerPos, limit - m_markerPos, m_o.marker, m_o.nMarker);
            if (!hit) {
                m_markerPos = limit;
                break;
            }
            size_t h = static_cast<size_t>(hit - m_text);
            Line line = LineAt(h);
            if (OnBoundary(line, h, m_o.nMarker)) {
                m_bHeadInRegion = true;
                m_headStart = line.start;
                m_headLen = line.content - line.start;
                m_markerPos = line.end + 1;
            } else {
                m_markerPos = h + 1;
            }
        }
    }

    const ScanOptions& m_o;
    ScanBuffers& m_b;
    ScanSink& m_sink;
    const char* m_text = nullptr;
    size_t m_len = 0;
    int m_nMatches = 0;
    size_t m_boundaryLine = SIZE_MAX;
    size_t m_boundary = 0;
    size_t m_markerPos = 0;
    bool m_bHeadInRegion = false;
    size_t m_headStart = 0;
    size_t m_headLen = 0;
};

uint64_t CountLines(const char* p, size_t len, bool bTail)
{
    uint64_t n = static_cast<uint64_t>(std::count(p, p + len, '\n'));
    if (bTail && len > 0 && p[len - 1] != '\n')
        ++n;
    return n;
}

// Where to cut a line that has no end within kMaxLinePiece bytes: on a
// character boundary, and never between the CR and LF of a line end.
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
    if (b > 1 && p[b - 1] == '\r')
        --b;
    return b;
}

}  // namespace

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
        long n = file.Read(data + have, capacity - have);
        if (n < 0)
            break;  // a read error ends the file; rows already added stay
        bool eof = n == 0;
        have += static_cast<size_t>(n);
        size_t end;
        if (eof) {
            end = have;
        } else {
            const char* last = FindLastByte(data, have, '\n');
            if (last) {
                end = static_cast<size_t>(last - data) + 1;
            } else if (have >= kMaxLinePiece) {
                end = PieceEnd(data);
                sink.OnLines(1);
                scan.Scan(end);
                std::memmove(data, data + end, have - end);
                have -= end;
                continue;
            } else {
                continue;
            }
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
