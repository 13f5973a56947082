#include "engine/preview.h"

#include <algorithm>
#include <cstring>

#include "engine/file_text.h"
#include "engine/scanner.h"
#include "text/mbcs.h"

void Append932AsUtf8(const char* s, size_t n, std::string* out)
{
    std::string utf8;
    if (Cp932ToUtf8(s, n, &utf8)) {
        *out += utf8;
        return;
    }
    const unsigned char* t = reinterpret_cast<const unsigned char*>(s);
    for (size_t i = 0; i < n;) {
        size_t len = CharLength932(t, i, n);
        *out += Cp932ToUtf8(s + i, len, &utf8) ? utf8 : std::string("?");
        i += len;
    }
}

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
        Append932AsUtf8(s.data() + from, to - from, &piece);
    }
    for (char c : piece) {
        if (c == '\t')
            *out += "    ";
        else
            *out += c;
    }
}

}  // namespace

namespace {

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

struct Window {
    std::string bytes;      // of the file, or of a span of it
    size_t lineStart = 0;   // where its first whole line starts
    uint64_t nLineNo = 1;   // and that line's number
};

// The span around NOFFSET, a place in line NLINE, that holds NAROUND line
// ends either side of it, or the file's start or end, or kMostLook bytes;
// false when it cannot be read so.
bool ReadAround(const char* path, uint64_t nSize, uint64_t nOffset, uint64_t nLine, int nAround, Window* w,
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
        if (!ReadSpan(file, from, to, &w->bytes))
            return false;
        size_t at = static_cast<size_t>(nOffset - from);
        size_t before = static_cast<size_t>(std::count(w->bytes.begin(), w->bytes.begin() + at, '\n'));
        size_t after = static_cast<size_t>(std::count(w->bytes.begin() + at, w->bytes.end(), '\n'));
        if (((from > body && before < need) || (to < nSize && after < need)) && look < kMostLook)
            continue;
        if (from == body) {
            w->lineStart = body - static_cast<size_t>(from);
        } else {
            size_t lf = w->bytes.find('\n');
            w->lineStart = lf < at ? lf + 1 : at;
        }
        w->nLineNo = nLine - std::count(w->bytes.begin() + w->lineStart, w->bytes.begin() + at, '\n');
        // A file that is ASCII at its start is told by its first byte of
        // 0x80 or more, which lies further on.
        if (body == 0 && std::none_of(head.begin(), head.end(), [](char c) { return c & 0x80; }))
            *pE = ReadsAsUtf8(w->bytes.data() + w->lineStart, w->bytes.size() - w->lineStart) ? kUtf8 : kCp932;
        return true;
    }
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
    Window w;
    Encoding e = kCp932;
    bool bWindow = nOffset != UINT64_MAX && nOffset <= stamp.nSize && nLine > 0;
    if (bWindow)
        bWindow = ReadAround(path, stamp.nSize, nOffset, nLine, nAround, &w, &e) && (e == kCp932 || e == kUtf8);
    if (!bWindow) {
        if (!ReadWholeFile(path, &w.bytes))
            return kPreviewMissing;
        if (w.bytes.size() != stamp.nSize)
            return kPreviewChanged;
        e = Detect(w.bytes, &w.lineStart);
        w.nLineNo = 1;
    }
    const std::string& bytes = w.bytes;
    bool bWide = e == kUtf16Le || e == kUtf16Be, bUtf8 = e != kCp932;
    size_t unit = bWide ? 2 : 1;
    const unsigned char* t = reinterpret_cast<const unsigned char*>(bytes.data());
    uint64_t nFirst = nLine > static_cast<uint64_t>(nAround) ? nLine - nAround : 1;
    uint64_t nLast = nLine + nAround;
    LineView view;
    std::vector<TextSpan> spans;
    size_t lineStart = w.lineStart;
    for (uint64_t n = w.nLineNo; n <= nLast && lineStart < bytes.size(); ++n) {
        size_t lineEnd = lineStart;
        if (bWide) {
            while (lineEnd + 1 < bytes.size() &&
                   (e == kUtf16Le ? t[lineEnd] != 0x0A || t[lineEnd + 1] : t[lineEnd] || t[lineEnd + 1] != 0x0A))
                lineEnd += 2;
            if (lineEnd + 1 >= bytes.size())
                lineEnd = bytes.size();
        } else {
            const void* lf = std::memchr(bytes.data() + lineStart, '\n', bytes.size() - lineStart);
            lineEnd = lf ? static_cast<size_t>(static_cast<const char*>(lf) - bytes.data()) : bytes.size();
        }
        if (n >= nFirst) {
            bool bLineEnd = lineEnd < bytes.size();
            if (bWide)
                ViewUtf16(bytes, lineStart, lineEnd, e == kUtf16Be, bLineEnd, &view);
            else
                view.text.assign(bytes, lineStart, ContentEnd(bytes, lineStart, lineEnd, bLineEnd) - lineStart);
            PreviewLine line{n, n == nLine, std::string(), {}};
            if (!marker.Spans(view.text.data(), view.text.size(), bUtf8, &spans))
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
            pLines->push_back(std::move(line));
        }
        lineStart = lineEnd + unit;
    }
    if (pLines->empty() || pLines->back().nLine < nLine) {
        pLines->clear();
        return kPreviewChanged;
    }
    return kPreviewShown;
}
