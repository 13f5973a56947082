#include "engine/preview.h"

#include <algorithm>
#include <cstring>

#include "engine/file_text.h"
#include "engine/scanner.h"
#include "text/mbcs.h"

namespace {

// A byte of UTF-8 text that is no part of a well-formed character becomes
// BROKEN: U+FFFD in the pane, which is never handed bytes it cannot draw,
// and in a saved row the '?' its row shows.
size_t Utf8CharLength(const unsigned char* t, size_t i, size_t n)
{
    unsigned char c = t[i];
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > n || (len == 2 && c < 0xC2))
        return 0;
    for (size_t k = 1; k < len; ++k)
        if ((t[i + k] & 0xC0) != 0x80)
            return 0;
    return len;
}

void AppendShown(const std::string& s, size_t from, size_t to, bool bUtf8, const char* broken, std::string* out)
{
    std::string piece;
    if (bUtf8) {
        const unsigned char* t = reinterpret_cast<const unsigned char*>(s.data());
        for (size_t i = from; i < to;) {
            size_t len = Utf8CharLength(t, i, to);
            piece += len ? s.substr(i, len) : std::string(broken);
            i += len ? len : 1;
        }
    } else {
        AppendCp932AsUtf8(s.data() + from, to - from, &piece);
    }
    for (char c : piece) {
        if (c == '\t')
            *out += "    ";
        else
            *out += c;
    }
}

// Line N of a view: its text as shown, with the matches MARKER finds.
PreviewLine ShowLine(uint64_t n, bool bOwn, const LineView& view, bool bUtf8, CSplicer* pMarker,
                     const char* broken = "\xEF\xBF\xBD")
{
    PreviewLine line{n, bOwn, std::string(), {}};
    std::vector<TextSpan> spans;
    if (pMarker && !pMarker->Spans(view.text.data(), view.text.size(), bUtf8, &spans))
        spans.clear();
    size_t done = 0;
    for (const TextSpan& s : spans) {
        AppendShown(view.text, done, s.nStart, bUtf8, broken, &line.text);
        size_t nStart = line.text.size();
        AppendShown(view.text, s.nStart, s.nStart + s.nLength, bUtf8, broken, &line.text);
        line.marks.push_back(TextSpan{nStart, line.text.size() - nStart});
        done = s.nStart + s.nLength;
    }
    AppendShown(view.text, done, view.text.size(), bUtf8, broken, &line.text);
    return line;
}

// How much around a row's line is read at first, and at most: enough for a
// pane of usual lines at once; more only for long ones.
const size_t kFirstLook = 16u << 10;
const size_t kMostLook = 8u << 20;

// Bytes [FROM, TO) of FILE into *POUT; false when it has fewer.
bool ReadSpan(CRawFile& file, uint64_t from, uint64_t to, std::string* pOut)
{
    pOut->resize(static_cast<size_t>(to - from));
    if (!file.Seek(from))
        return false;
    for (size_t got = 0; got < pOut->size();) {
        long n = file.Read(&(*pOut)[got], pOut->size() - got);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}


// FILE's encoding as the search told it with NENCODING, from HEAD, its
// first bytes: a file ASCII as far as HEAD goes is told by its first byte of
// 0x80 or more (or escape) further on, read in pieces. *PBODY is where the
// text starts, after a byte-order mark.
bool TellEncoding(CRawFile& file, uint64_t nSize, int nEncoding, const std::string& head, Encoding* pE,
                  size_t* pBody)
{
    // A mark decides, and so does a choice by hand.
    *pE = Detect(head.substr(0, 3), nEncoding == kAutoDetect ? kCp932 : nEncoding, pBody);
    if (*pBody > 0 || nEncoding != kAutoDetect)
        return true;
    std::string look = head;
    for (uint64_t from = 0;;) {
        bool bEnd = from + look.size() >= nSize;
        size_t at;
        int e = DetectEncoding(look.data(), look.size(), from == 0, bEnd, &at);
        if (e != kAutoDetect || bEnd) {
            *pE = e == kAutoDetect ? kCp932 : static_cast<Encoding>(e);
            return true;
        }
        from += at;
        if (!ReadSpan(file, from, std::min<uint64_t>(nSize, from + (1u << 20)), &look))
            return false;
    }
}

// The span around NOFFSET, a place in line NLINE of FILE (text in E from
// BODY on), that holds NAROUND line ends either side of it, or the file's
// start or end, or kMostLook bytes; false when it cannot be read so.
bool ReadAround(CRawFile& file, uint64_t nSize, size_t body, uint64_t nOffset, uint64_t nLine, int nAround,
                CTextLines* w)
{
    if (nOffset < body)
        return false;
    size_t need = static_cast<size_t>(nAround) + 1;
    for (size_t look = kFirstLook;; look = std::min(look * 4, kMostLook)) {
        uint64_t from = nOffset > body + look ? nOffset - look : body, to = std::min(nSize, nOffset + look);
        if (!ReadSpan(file, from, to, &w->m_bytes))
            return false;
        size_t at = static_cast<size_t>(nOffset - from);
        size_t before = static_cast<size_t>(std::count(w->m_bytes.begin(), w->m_bytes.begin() + at, '\n'));
        size_t after = static_cast<size_t>(std::count(w->m_bytes.begin() + at, w->m_bytes.end(), '\n'));
        if (((from > body && before < need) || (to < nSize && after < need)) && look < kMostLook)
            continue;
        if (from == body) {
            w->m_lineStart = 0;
        } else {
            size_t lf = w->m_bytes.find('\n');
            w->m_lineStart = lf < at ? lf + 1 : at;
        }
        w->m_nLineNo = nLine - std::count(w->m_bytes.begin() + w->m_lineStart, w->m_bytes.begin() + at, '\n');
        return true;
    }
}

// Whether BYTES (the file's first ones with BSTART) hold none that may tell
// its encoding, by the rule the scan tells it by: they read alike in every
// encoding it can still be.
bool TellsNothing(const std::string& bytes, bool bStart)
{
    size_t at;
    return DetectEncoding(bytes.data(), bytes.size(), bStart, false, &at) == kAutoDetect && at == bytes.size();
}

// The lines of PATH around NOFFSET, as ReadAround; false when they cannot
// be read so (a UTF-16 file's offsets are never kept).
bool ReadWindow(const char* path, uint64_t nSize, int nEncoding, uint64_t nOffset, uint64_t nLine, int nAround,
                CTextLines* w, Encoding* pE)
{
    CRawFile file;
    std::string head;
    size_t body;
    if (!file.Open(path) || !ReadSpan(file, 0, std::min<uint64_t>(nSize, kFirstLook), &head))
        return false;
    // A file of ASCII as far as its head goes (a log) is told further on,
    // perhaps only near its end: where the lines around are ASCII too, how
    // it is told changes nothing, and the file is not read up to there.
    if (nEncoding == kAutoDetect && TellsNothing(head, true)) {
        if (!ReadAround(file, nSize, 0, nOffset, nLine, nAround, w))
            return false;
        *pE = kCp932;
        if (TellsNothing(w->m_bytes, false))
            return true;
    }
    return TellEncoding(file, nSize, nEncoding, head, pE, &body) && *pE != kUtf16Le && *pE != kUtf16Be &&
           ReadAround(file, nSize, body, nOffset, nLine, nAround, w);
}

}  // namespace

PreviewState ReadPreview(const char* path, FileStamp stamp, uint64_t nLine, uint64_t nOffset, int nAround,
                         CSplicer& marker, std::vector<PreviewLine>* pLines)
{
    pLines->clear();
    FileStatus status;
    if (!GetFileStatus(path, &status) || status.bDirectory)
        return kPreviewMissing;
    if (status.stamp != stamp)
        return kPreviewChanged;
    CTextLines w;
    Encoding e = kCp932;
    bool bWindow = nOffset != UINT64_MAX && nOffset <= stamp.nSize && nLine > 0;
    if (bWindow)
        bWindow = ReadWindow(path, stamp.nSize, marker.Rule().nEncoding, nOffset, nLine, nAround, &w, &e);
    if (!bWindow) {
        if (!ReadWholeFile(path, &w.m_bytes))
            return kPreviewMissing;
        if (w.m_bytes.size() != stamp.nSize)
            return kPreviewChanged;
        e = Detect(w.m_bytes, marker.Rule().nEncoding, &w.m_lineStart);
        w.m_nLineNo = 1;
    }
    w.Reset(e);
    LineView view;
    for (uint64_t n = nLine > static_cast<uint64_t>(nAround) ? nLine - nAround : 1; n <= nLine + nAround; ++n) {
        if (!w.View(n, &view))
            break;
        pLines->push_back(ShowLine(n, n == nLine, view, e != kCp932, &marker));
    }
    if (pLines->empty() || pLines->back().nLine < nLine) {
        pLines->clear();
        return kPreviewChanged;
    }
    return kPreviewShown;
}

bool CRowLines::OwnLine(const char* path, FileStamp stamp, uint64_t nLine, PreviewLine* pLine)
{
    if (m_strPath != path || m_stamp != stamp) {
        m_strPath = path;
        m_stamp = stamp;
        m_e = kCp932;
        FileStatus status;
        std::string bytes;
        if (GetFileStatus(path, &status) && status.stamp == stamp && ReadWholeFile(path, &bytes) &&
            bytes.size() == stamp.nSize) {
            size_t body;
            m_e = Detect(bytes, m_pMarker->Rule().nEncoding, &body);
            m_lines = CTextLines(std::move(bytes), body, 1, m_e);
        }
        m_lines.Reset(m_e);
    }
    LineView view;
    if (m_e == kCp932 || !m_lines.View(nLine, &view))
        return false;
    *pLine = ShowLine(nLine, true, view, true, m_pMarker, "?");
    return true;
}
