#include "engine/scanner.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "text/bytesearch.h"
#include "platform/files.h"
#include "text/mbcs.h"
#include "engine/matcher.h"
#include "engine/textsource.h"

namespace {

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
        if (o.pPattern)
            UsePattern(o.pPattern);
    }

    int Matches() const { return m_nMatches; }
    // Where in the file the next region starts, or kNoOffset.
    void SetRegionOffset(uint64_t nOffset) { m_nRegionOffset = nOffset; }
    bool Stopped() const { return m_bStopped; }

    // The file's text is UTF-8 from here on; all of it before was ASCII,
    // which reads the same either way.
    void UseUtf8()
    {
        m_bUtf8 = true;
        if (m_pPattern) {
            UseUtf8Literal();
        } else if (HoldsVariantForm(m_o.needle, m_o.nNeedle)) {
            // Only a pattern sees both forms of such a character as one.
            std::string key(m_o.needle, m_o.nNeedle);
            key += m_o.bFold ? 'f' : 'c';
            if (!m_b.variantPattern || key != m_b.variantKey) {
                m_b.variantPattern.reset(new SearchPattern(m_o.needle, m_o.nNeedle, false, false, m_o.bFold));
                m_b.variantKey = key;
            }
            UsePattern(m_b.variantPattern.get());
            UseUtf8Literal();
        }
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
    // '\n' but the last, which may end at LEN (end of file); returns the
    // number of line ends in it.
    uint64_t Scan(size_t len)
    {
        size_t counted = 0;
        uint64_t nLineEnds = ScanRegion(len, &counted);
        // The lines after the last match are counted here, once: the count
        // of the region is made up of the counts to its matches.
        nLineEnds += CountByte(m_b.data.data() + counted, len - counted, '\n');
        m_nLineNo += nLineEnds;
        m_nColumnsBefore = 0;
        return nLineEnds;
    }

    // Scans a piece of an over-long line, of NCOLUMNS columns: the line goes
    // on at the start of the next region, with the same number.
    void ScanPiece(size_t len, uint64_t nColumns)
    {
        size_t counted = 0;
        ScanRegion(len, &counted);
        m_nColumnsBefore += nColumns;
    }

private:
    // Scans [0, len); returns the line ends before *PCOUNTED, how far its
    // lines have been counted.
    uint64_t ScanRegion(size_t len, size_t* pCounted)
    {
        if (m_pPattern ? !m_bPatternUsable : !m_pNeedle)
            return 0;
        const char* data = m_b.data.data();
        m_len = len;
        m_markerPos = 0;
        m_bNextMarker = m_bMarkersDone = false;
        m_bHeadInRegion = false;
        if (m_pNeedle)
            m_pNeedle->Reset();
        if (m_pLiteral)
            m_pLiteral->Reset();
        m_pMarker->Reset();
        // Lines are counted up to each match, on from the one before, so
        // that the region's bytes are counted once in all; the search for
        // the text counts them as it goes where it can.
        LineCount count = {0, 0};
        Line line;
        for (size_t pos = 0; pos < len && NextLine(data, len, pos, &line, &count); pos = line.end + 1) {
            Headword(line.end);
            if (count.to < line.start)
                count.n += CountByte(data + count.to, line.start - count.to, '\n');
            count.to = line.start;
            uint64_t nLineNo = m_nLineNo + count.n;
            // Only the region's first line can go on from an earlier piece.
            uint64_t nColumn = (line.start == 0 ? m_nColumnsBefore : 0) + line.columns + 1;
            Report(data + line.start, line.content - line.start,
                   m_bHeadInRegion ? data + m_headStart : m_b.headword.data(),
                   m_bHeadInRegion ? m_headLen : m_b.headword.size(), nLineNo, nColumn,
                   m_nRegionOffset == kNoOffset ? kNoOffset : m_nRegionOffset + line.start);
            ++m_nMatches;
            // The search goes on after the line, and the count with it.
            if (line.end < len)
                count = {line.end + 1, count.n + 1};
        }
        // A headword line of this block may serve matches in the next ones.
        LastHeadword();
        if (m_bHeadInRegion)
            m_b.headword.assign(data + m_headStart, m_headLen);
        *pCounted = count.to;
        return count.n;
    }

    void UsePattern(const SearchPattern* pPattern)
    {
        m_pPattern = pPattern;
        m_bPatternUsable = m_b.matcher.Use(*pPattern);
        const std::string& literal = pPattern->Literal();
        m_literal932.emplace(literal.data(), literal.size(), pPattern->Fold(), false, m_b.folded);
        m_pLiteral = literal.empty() ? nullptr : &*m_literal932;
    }

    void UseUtf8Literal()
    {
        m_literal8.reset();
        m_pLiteral = nullptr;
        if (m_pPattern->Literal().empty() || !Cp932ToUtf8(m_pPattern->Literal().data(), m_pPattern->Literal().size(),
                                                          &m_literalUtf8))
            return;
        if (m_pPattern->Fold())
            Utf8MakeLower(&m_literalUtf8[0], m_literalUtf8.size());
        m_literal8.emplace(m_literalUtf8.data(), m_literalUtf8.size(), m_pPattern->Fold(), true, m_b.folded);
        m_pLiteral = &*m_literal8;
    }

    // The next line at or after POS that matches. With a pattern, the lines
    // that hold its literal (or all, without one) are decoded and matched.
    bool NextLine(const char* data, size_t len, size_t pos, Line* pLine, LineCount* pCount)
    {
        if (!m_pPattern)
            return m_pNeedle->NextLine(data, len, pos, len, pLine, pCount);
        while (pos < len) {
            if (m_pLiteral) {
                if (!m_pLiteral->NextLine(data, len, pos, len, pLine))
                    return false;
                if (m_pPattern->OnlyLiteral())
                    return true;  // the literal is the match, its column found with it
            } else {
                *pLine = LineAt(data, len, pos);
                if (!m_b.matcher.MayMatch(data + pLine->start, pLine->content - pLine->start, m_bUtf8)) {
                    pos = pLine->end + 1;
                    continue;
                }
            }
            PrepareLine(data + pLine->start, pLine->content - pLine->start, m_bUtf8, m_pPattern->Fold(), m_b.prepared);
            size_t start = 0;
            PatternMatcher::Result r = m_b.matcher.Find(m_b.prepared.data(), m_b.prepared.size(), &start);
            if (r == PatternMatcher::kMatch) {
                pLine->columns = PreparedColumns(m_b.prepared.data(), start);
                return true;
            }
            if (r == PatternMatcher::kGaveUp)
                m_sink.OnGaveUp();
            // A line given up on took tens of milliseconds: Esc is looked
            // for after each, and after every few ordinary ones.
            if ((r == PatternMatcher::kGaveUp || ++m_nTried % 64 == 0) && !m_sink.GoesOn()) {
                m_bStopped = true;
                return false;
            }
            pos = pLine->end + 1;
        }
        return false;
    }

    // Rows are code page 932 text whatever the file is.
    void Report(const char* line, size_t nLine, const char* headword, size_t nHeadword, uint64_t nLineNo,
                uint64_t nColumn, uint64_t nOffset)
    {
        if (!m_bUtf8) {
            m_sink.OnMatch(line, nLine, headword, nHeadword, nLineNo, nColumn, nOffset);
            return;
        }
        if (m_b.shown.size() < nLine + nHeadword)
            m_b.shown.resize(nLine + nHeadword);
        char* out = m_b.shown.data();
        size_t nShownLine = Utf8To932(line, nLine, out);
        size_t nShownHead = Utf8To932(headword, nHeadword, out + nShownLine);
        m_sink.OnMatch(out, nShownLine, out + nShownLine, nShownHead, nLineNo, nColumn, nOffset);
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

    // The last headword line of the region, looked for from its end back to
    // the last one a match took: with few matches, a forward look would
    // read the whole region once more.
    void LastHeadword()
    {
        if (!m_bMarker || m_bMarkersDone)
            return;
        Line line;
        if (m_pMarker->LastLine(m_b.data.data(), m_len, m_markerPos, m_len, &line)) {
            m_bHeadInRegion = true;
            m_headStart = line.start;
            m_headLen = line.content - line.start;
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
    const SearchPattern* m_pPattern = nullptr;
    bool m_bPatternUsable = false;
    std::optional<Matcher> m_literal932;
    std::optional<Matcher> m_literal8;
    std::string m_literalUtf8;
    Matcher* m_pLiteral = nullptr;  // NULL: every line is matched
    unsigned m_nTried = 0;
    bool m_bStopped = false;
    bool m_bMarker;
    bool m_bUtf8 = false;
    size_t m_len = 0;
    int m_nMatches = 0;
    size_t m_markerPos = 0;
    Line m_nextMarker = {0, 0, 0, 0, 0};
    bool m_bNextMarker = false;
    bool m_bMarkersDone = false;
    bool m_bHeadInRegion = false;
    size_t m_headStart = 0;
    size_t m_headLen = 0;
    uint64_t m_nLineNo = 1;          // of the region's first line
    uint64_t m_nColumnsBefore = 0;   // of its earlier pieces, when it is cut
    uint64_t m_nRegionOffset = kNoOffset;
};

// Where to cut a line that has no end within kMaxLinePiece + 1 bytes: after
// as many whole characters as fit in kMaxLinePiece. The byte after the cut is
// known and is no LF, so a CR before it is no line end either. *PCOLUMNS is
// the piece's columns, for the matches in the rest of the line.
size_t PieceEnd(const char* p, bool bUtf8, uint64_t* pColumns)
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
        b = len != 0 && (len == SIZE_MAX || start + len > kMaxLinePiece) ? start : kMaxLinePiece;
        *pColumns = Utf8Columns(p, b);
        return b;
    }
    // The walk to the cut counts the columns on the way.
    uint64_t nColumns = 0;
    for (;; ++nColumns) {
        size_t w = IsLeadByte932(t[b]) ? 2 : 1;
        if (b + w > kMaxLinePiece)
            break;
        b += w;
    }
    *pColumns = nColumns;
    return b;
}

}  // namespace

size_t g_nScanReadBlock = kReadBlock;

int ScanFile(CRawFile& file, const ScanOptions& options, ScanBuffers& buffers, ScanSink& sink)
{
    const size_t capacity = kMaxLinePiece + kReadBlock;
    if (buffers.data.size() < capacity)
        buffers.data.resize(capacity);
    buffers.headword.clear();
    RegionScan scan(options, buffers, sink);
    TextSource source(file, buffers.raw, options.bSkipBinary, options.nEncoding);
    // Text that is ASCII so far reads the same as CP932 and as UTF-8.
    bool bDecided = false, bUtf8 = false;
    size_t have = 0;
    uint64_t nPassed = 0;  // bytes of the text before the buffer's first
    for (;;) {
        char* data = buffers.data.data();
        // Blocks small enough to stay in the processor's cache between the
        // line count and the search.
        size_t ask = have < capacity ? std::min(std::min(g_nScanReadBlock, kReadBlock), capacity - have) : 0;
        size_t first = TextSource::FirstRead(options.bSkipBinary);
        long n = ask == 0 ? 0 : source.Read(data + have, have == 0 ? std::max(ask, first) : ask);
        if (n < 0)
            break;  // a read error ends the file; rows already added stay
        if (source.IsBinary()) {
            sink.OnBinary();
            return 0;
        }
        bool eof = ask > 0 && n == 0;
        have += static_cast<size_t>(n);
        if (!bDecided && source.IsDecided()) {
            bDecided = true;
            bUtf8 = source.IsUtf8();
            if (bUtf8)
                scan.UseUtf8();
        }
        // Only the first line here can be longer than a piece: the others
        // came whole within one read. It is cut once it is known to be
        // longer, wherever the reads happened to end.
        while (have > kMaxLinePiece && !std::memchr(data, '\n', kMaxLinePiece + 1)) {
            uint64_t nColumns;
            size_t piece = PieceEnd(data, bUtf8, &nColumns);
            scan.SetRegionOffset(source.FileOffset(nPassed));
            scan.ScanPiece(piece, nColumns);
            nPassed += piece;
            sink.OnLines(1);
            if (scan.Stopped())
                return scan.Matches();
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
        // The lines are told after the region's rows: they are counted on the
        // way to its matches. A last line without a line end is a line too.
        scan.SetRegionOffset(source.FileOffset(nPassed));
        uint64_t nLineEnds = scan.Scan(end);
        sink.OnLines(nLineEnds + (eof && end > 0 && data[end - 1] != '\n' ? 1 : 0));
        if (eof || scan.Stopped())
            break;
        std::memmove(data, data + end, have - end);
        have -= end;
        nPassed += end;
    }
    return scan.Matches();
}
