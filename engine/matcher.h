// Finding the lines of a block that hold the search string or the headword
// marker, for the line scan of one file (scanner.cpp, its only user).
#ifndef TOLVANE_SEARCH_MATCHER_H
#define TOLVANE_SEARCH_MATCHER_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text/bytesearch.h"
#include "text/mbcs.h"

// Only the scan of a file includes this; its names stay its own.
namespace {

// One line of the block: [start, end) is the text up to its line end;
// content stops earlier at a NUL or at the CR of a CR LF.
struct Line {
    size_t start;
    size_t end;      // position of its '\n', or the region end
    size_t content;  // end of the text the program sees
    size_t match;    // where the text first stands in it, once it is found there
    size_t columns;  // and the columns before that (Utf8Columns, StepTo)
};

inline Line LineAt(const char* t, size_t len, size_t h)
{
    Line line;
    const char* prev = FindLastByte(t, h, '\n');
    line.start = prev ? static_cast<size_t>(prev - t) + 1 : 0;
    line.match = line.start;
    line.columns = 0;
    // One look from the start finds the line's end, or the NUL that ends
    // its text sooner (a rare one: only then is the end looked for on).
    const char* stop = FindLineStop(t + line.start, len - line.start);
    if (stop && *stop == '\0') {
        line.content = static_cast<size_t>(stop - t);
        const void* next = std::memchr(stop, '\n', len - line.content);
        line.end = next ? static_cast<size_t>(static_cast<const char*>(next) - t) : len;
        return line;
    }
    line.end = line.content = stop ? static_cast<size_t>(stop - t) : len;
    if (stop && line.content > line.start && t[line.content - 1] == '\r')
        --line.content;
    return line;
}

// The line ends a forward search has passed over: N of them before TO.
struct LineCount {
    size_t to;
    uint64_t n;
};

// Steps from a known character boundary B of a CP932 text up to H (short of
// the text's end), adding the characters stepped over to COLUMNS (each is
// one column in a Windows editor, a tab and a double-byte character too);
// true when H is a boundary too, else B stops on the boundary after it.
inline bool StepTo(const unsigned char* t, size_t& b, size_t& columns, size_t h)
{
    if (b >= h)
        return b == h;
    bool bOver = false;
    size_t doubles = CountDoubles932(reinterpret_cast<const char*>(t) + b, h - b, &bOver);
    size_t to = bOver ? h + 1 : h;
    columns += to - b - doubles;
    b = to;
    return !bOver;
}

inline bool IsUtf8Tail(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The columns of the N bytes of UTF-8 text at P as a Windows editor counts
// them, in UTF-16 code units: two for a character outside the BMP, one for
// any other, and one for each byte that no well-formed character holds (the
// one a UTF-16 file's lone surrogate became too). P starts a character and
// none runs on past N.
inline size_t Utf8Columns(const char* p, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(p);
    size_t columns = 0;
    for (size_t i = 0; i < n; ++columns) {
        unsigned cp;
        size_t len = t[i] < 0x80 ? 1 : Utf8Char(t + i, n - i, &cp);
        if (len == 0 || len == SIZE_MAX)
            len = 1;
        columns += len == 4 ? 1 : 0;
        i += len;
    }
    return columns;
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
    // LIMIT, with the position of the text's first match in it; LEN is where
    // the region's bytes end. A PCOUNT that has counted up to FROM goes on
    // with the bytes searched: to the line's start when one is found, else
    // as far as the search went.
    bool NextLine(const char* data, size_t len, size_t from, size_t limit, Line* pLine, LineCount* pCount = nullptr)
    {
        if (pCount && pCount->to != from)
            pCount = nullptr;
        while (from < limit) {
            size_t span = std::min(len - from, limit - from + m_n - 1);
            size_t nEnds = 0;
            const char* hit = pCount ? FindCandidateCounting(data + from, span, m_n, m_first, m_last, m_midPos, m_mid,
                                                             &nEnds)
                                     : FindCandidate(data + from, span, m_n, m_first, m_last, m_midPos, m_mid);
            if (pCount) {
                pCount->n += nEnds;
                pCount->to = hit ? static_cast<size_t>(hit - data) : span >= m_n ? from + span - m_n + 1 : from;
            }
            if (!hit)
                return false;
            size_t h = static_cast<size_t>(hit - data);
            // Most candidates fail on their own bytes; only the rest need
            // their line found.
            if (h + m_n > len || !MayHoldAt(data + h)) {
                from = h + 1;
                PassOver(data, h, from, pCount);
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
            // Candidates come in order from the line's start (FROM is never
            // inside a line already passed over), so the first that holds is
            // the line's first match. Without case, a candidate whose folded
            // bytes are the text holds when it starts a character, as with
            // case; only a text the window cannot fold for certain has its
            // whole line folded and searched from its start.
            bool bWholeLine = m_bFold && !FoldsInWindow();
            size_t match = h, columns = 0;
            if (bWholeLine ? FoldedLineHolds(data, line, &match, &columns) : HoldsAt(data, line, h, &columns)) {
                *pLine = line;
                pLine->match = match;
                // UTF-8 matches need no walk to be found; their columns do.
                pLine->columns = m_bUtf8 ? Utf8Columns(data + line.start, match - line.start) : columns;
                if (pCount)
                    pCount->to = line.start;  // the line has no line end before H
                return true;
            }
            // A folded line has been looked at whole.
            from = bWholeLine ? std::min(line.end + 1, len) : h + 1;
            PassOver(data, h, from, pCount);
        }
        return false;
    }

    // The last line starting at or after FROM (a line start) and before
    // LIMIT that holds the text, found from LIMIT back: what a block leaves
    // for the blocks after it is its last headword line, which mostly lies
    // near its end.
    bool LastLine(const char* data, size_t len, size_t from, size_t limit, Line* pLine)
    {
        // Candidates start before HI; those from it on are ruled out.
        for (size_t hi = limit; hi > from;) {
            size_t span = std::min(len, hi - 1 + m_n) - from;
            const char* hit = FindLastCandidate(data + from, span, m_n, m_first, m_last, m_midPos, m_mid);
            if (!hit)
                return false;
            size_t h = static_cast<size_t>(hit - data);
            if (!MayHoldAt(hit)) {
                hi = h;
                continue;
            }
            // The line holds the text if it does so by H: past H it has no
            // candidate left.
            Line line = LineAt(data, len, h);
            if (NextLine(data, len, line.start, h + 1, pLine))
                return true;
            hi = line.start;
        }
        return false;
    }

private:
    // The count goes on over [H, FROM), bytes passed over without a search.
    static void PassOver(const char* data, size_t h, size_t from, LineCount* pCount)
    {
        if (!pCount)
            return;
        pCount->n += from - h == 1 ? data[h] == '\n' : CountByte(data + h, from - h, '\n');
        pCount->to = from;
    }

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

    static constexpr size_t kFoldWindow = 64;

    // Whether folding the text's length of bytes from a character boundary
    // gives what folding the whole line gives there. Folding keeps each
    // character's length, so it does, unless the text ends in a lone lead
    // byte or is longer than the window.
    bool FoldsInWindow() const { return !m_bLoneLeadLast && m_n <= kFoldWindow; }

    // Whether the text could stand at P: its bytes as they are, or without
    // case folded from P on. When P starts a character and FoldsInWindow,
    // it is the answer, not only a filter.
    bool MayHoldAt(const char* p)
    {
        if (!m_bFold)
            return std::memcmp(p, m_text, m_n) == 0;
        if (!FoldsInWindow())
            return true;
        char window[kFoldWindow];
        std::memcpy(window, p, m_n);
        MakeLower(window, m_n);
        return std::memcmp(window, m_text, m_n) == 0;
    }

    bool HoldsAt(const char* data, const Line& line, size_t h, size_t* pColumns)
    {
        if (h + m_n > line.content)
            return false;
        if (m_bUtf8)
            return true;
        if (m_boundaryLine != line.start || m_boundary > h) {
            m_boundaryLine = line.start;
            m_boundary = line.start;
            m_boundaryColumns = 0;
        }
        bool bHolds = StepTo(reinterpret_cast<const unsigned char*>(data), m_boundary, m_boundaryColumns, h) &&
                      EndsWhole(h, line.content);
        *pColumns = m_boundaryColumns;  // those before H when it holds: the walk stopped there
        return bHolds;
    }

    // A text that ends in a lead byte stands only at the end of a line:
    // anywhere else that byte takes the next one as its second.
    bool EndsWhole(size_t h, size_t end) const { return !m_bLoneLeadLast || h + m_n == end; }

    // Folding keeps every character's length, so a position in the folded
    // line is the same one in the line as read.
    bool FoldedLineHolds(const char* data, const Line& line, size_t* pMatch, size_t* pColumns)
    {
        size_t n = line.content - line.start;
        if (m_scratch.size() < n + 1)
            m_scratch.resize(n + 1);
        char* f = m_scratch.data();
        std::memcpy(f, data + line.start, n);
        MakeLower(f, n);
        size_t b = 0, columns = 0;
        for (size_t from = 0; from + m_n <= n;) {
            const char* hit = FindBytes(f + from, n - from, m_text, m_n);
            if (!hit)
                return false;
            size_t h = static_cast<size_t>(hit - f);
            *pMatch = line.start + h;
            if (m_bUtf8)
                return true;
            if (StepTo(reinterpret_cast<const unsigned char*>(f), b, columns, h) && EndsWhole(h, n)) {
                *pColumns = columns;
                return true;
            }
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
    size_t m_boundaryColumns = 0;  // characters from the line's start to m_boundary
    Line m_line = {0, 0, 0, 0, 0};
    bool m_bLineKnown = false;
};

}  // namespace

#endif
