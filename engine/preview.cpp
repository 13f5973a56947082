#include "engine/preview.h"

#include <algorithm>
#include <cstring>

#include "engine/file_text.h"
#include "engine/scanner.h"
#include "text/mbcs.h"

namespace {

// A byte of UTF-8 text that is no part of a well-formed character becomes
// U+FFFD, so the pane is never handed bytes it cannot draw.
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

void AppendShown(const std::string& s, size_t from, size_t to, bool bUtf8, std::string* out)
{
    std::string piece;
    if (bUtf8) {
        const unsigned char* t = reinterpret_cast<const unsigned char*>(s.data());
        for (size_t i = from; i < to;) {
            size_t len = Utf8CharLength(t, i, to);
            piece += len ? s.substr(i, len) : std::string("\xEF\xBF\xBD");
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
PreviewLine ShowLine(uint64_t n, bool bOwn, const LineView& view, bool bUtf8, CSplicer* pMarker)
{
    PreviewLine line{n, bOwn, std::string(), {}};
    std::vector<TextSpan> spans;
    if (pMarker && !pMarker->Spans(view.text.data(), view.text.size(), bUtf8, &spans))
        spans.clear();
    size_t done = 0;
    for (const TextSpan& s : spans) {
        AppendShown(view.text, done, s.nStart, bUtf8, &line.text);
        size_t nStart = line.text.size();
        AppendShown(view.text, s.nStart, s.nStart + s.nLength, bUtf8, &line.text);
        line.marks.push_back(TextSpan{nStart, line.text.size() - nStart});
        done = s.nStart + s.nLength;
    }
    AppendShown(view.text, done, view.text.size(), bUtf8, &line.text);
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


// The span around NOFFSET, a place in line NLINE, that holds NAROUND line
// ends either side of it, or the file's start or end, or kMostLook bytes;
// false when it cannot be read so.
bool ReadAround(const char* path, uint64_t nSize, uint64_t nOffset, uint64_t nLine, int nAround, CTextLines* w,
                Encoding* pE)
{
    CRawFile file;
    std::string head;
    if (!file.Open(path) || !ReadSpan(file, 0, std::min<uint64_t>(nSize, kFirstLook), &head))
        return false;
    size_t body;
    *pE = Detect(head, &body);
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
            w->m_lineStart = body - static_cast<size_t>(from);
        } else {
            size_t lf = w->m_bytes.find('\n');
            w->m_lineStart = lf < at ? lf + 1 : at;
        }
        w->m_nLineNo = nLine - std::count(w->m_bytes.begin() + w->m_lineStart, w->m_bytes.begin() + at, '\n');
        // A file that is ASCII at its start is told by its first byte of
        // 0x80 or more, which lies further on.
        if (body == 0 && std::none_of(head.begin(), head.end(), [](char c) { return c & 0x80; }))
            *pE = ReadsAsUtf8(w->m_bytes.data() + w->m_lineStart, w->m_bytes.size() - w->m_lineStart) ? kUtf8 : kCp932;
        return true;
    }
}

}  // namespace

CTextLines::CTextLines(std::string bytes, size_t lineStart, uint64_t nLineNo, Encoding e)
    : m_bytes(std::move(bytes)), m_lineStart(lineStart), m_nLineNo(nLineNo), m_e(e)
{
}

void CTextLines::Reset(Encoding e)
{
    m_e = e;
    m_nAt = m_nLineNo;
    m_at = m_lineStart;
}

bool CTextLines::View(uint64_t n, LineView* v)
{
    if (n < m_nAt)
        Reset(m_e);
    bool bWide = m_e == kUtf16Le || m_e == kUtf16Be;
    const unsigned char* t = reinterpret_cast<const unsigned char*>(m_bytes.data());
    for (; m_at < m_bytes.size(); ++m_nAt) {
        size_t lineEnd = m_at;
        if (bWide) {
            while (lineEnd + 1 < m_bytes.size() &&
                   (m_e == kUtf16Le ? t[lineEnd] != 0x0A || t[lineEnd + 1] : t[lineEnd] || t[lineEnd + 1] != 0x0A))
                lineEnd += 2;
            if (lineEnd + 1 >= m_bytes.size())
                lineEnd = m_bytes.size();
        } else {
            const void* lf = std::memchr(m_bytes.data() + m_at, '\n', m_bytes.size() - m_at);
            lineEnd = lf ? static_cast<size_t>(static_cast<const char*>(lf) - m_bytes.data()) : m_bytes.size();
        }
        if (m_nAt == n) {
            bool bLineEnd = lineEnd < m_bytes.size();
            if (bWide)
                ViewUtf16(m_bytes, m_at, lineEnd, m_e == kUtf16Be, bLineEnd, v);
            else
                v->text.assign(m_bytes, m_at, ContentEnd(m_bytes, m_at, lineEnd, bLineEnd) - m_at);
            return true;
        }
        m_at = lineEnd + (bWide ? 2 : 1);
    }
    return false;
}

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
        bWindow = ReadAround(path, stamp.nSize, nOffset, nLine, nAround, &w, &e) && (e == kCp932 || e == kUtf8);
    if (!bWindow) {
        if (!ReadWholeFile(path, &w.m_bytes))
            return kPreviewMissing;
        if (w.m_bytes.size() != stamp.nSize)
            return kPreviewChanged;
        e = Detect(w.m_bytes, &w.m_lineStart);
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
            m_e = Detect(bytes, &body);
            m_lines = CTextLines(std::move(bytes), body, 1, m_e);
        }
        m_lines.Reset(m_e);
    }
    LineView view;
    if (m_e == kCp932 || !m_lines.View(nLine, &view))
        return false;
    *pLine = ShowLine(nLine, true, view, true, m_pMarker);
    return true;
}
