#include "engine/file_text.h"

#include <cstring>

#include "engine/matcher.h"
#include "engine/scanner.h"
#include "text/jis.h"
#include "text/mbcs.h"

Encoding Detect(const std::string& b, int nEncoding, size_t* pBody)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(b.data());
    *pBody = 0;
    if (b.size() >= 3 && t[0] == 0xEF && t[1] == 0xBB && t[2] == 0xBF) {
        *pBody = 3;
        return kUtf8;
    }
    if (b.size() >= 2 && ((t[0] == 0xFF && t[1] == 0xFE) || (t[0] == 0xFE && t[1] == 0xFF))) {
        *pBody = 2;
        return t[0] == 0xFF ? kUtf16Le : kUtf16Be;
    }
    if (nEncoding != kAutoDetect)
        return static_cast<Encoding>(nEncoding);
    size_t at;
    int e = DetectEncoding(b.data(), b.size(), true, true, &at);
    return e == kAutoDetect ? kCp932 : static_cast<Encoding>(e);
}

void AppendEncoded(const std::string& cp932, Encoding e, std::string* out)
{
    if (e == kCp932) {
        *out += cp932;
        return;
    }
    const unsigned char* t = reinterpret_cast<const unsigned char*>(cp932.data());
    for (size_t i = 0; i < cp932.size();) {
        size_t len = CharLength932(t, i, cp932.size());
        unsigned cp = '?';
        if (!Cp932ToUnicode(len == 2 ? (t[i] << 8) | t[i + 1] : t[i], &cp))
            cp = '?';
        i += len;
        if (e == kEucJp) {
            if (!AppendEucJp(cp, out))
                *out += '?';
            continue;
        }
        if (e == kUtf8) {
            char bytes[4];
            out->append(bytes, static_cast<size_t>(PutUtf8(bytes, cp) - bytes));
            continue;
        }
        unsigned units[2] = {cp, 0};
        int nUnits = 1;
        if (cp >= 0x10000) {
            units[0] = 0xD800 + ((cp - 0x10000) >> 10);
            units[1] = 0xDC00 + ((cp - 0x10000) & 0x3FF);
            nUnits = 2;
        }
        for (int k = 0; k < nUnits; ++k) {
            char hi = static_cast<char>(units[k] >> 8), lo = static_cast<char>(units[k] & 0xFF);
            *out += e == kUtf16Le ? lo : hi;
            *out += e == kUtf16Le ? hi : lo;
        }
    }
}

namespace {

void ViewUtf16(const std::string& b, size_t from, size_t to, bool bBig, bool bLineEnd, LineView* v)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(b.data());
    auto unit = [&](size_t i) { return bBig ? (t[i] << 8) | t[i + 1] : t[i] | (t[i + 1] << 8); };
    if (bLineEnd && to - from >= 2 && unit(to - 2) == 0x0D)
        to -= 2;
    size_t i = from;
    while (i < to) {
        size_t at = i;
        unsigned cp = 0xD800;
        if (i + 2 <= to) {
            cp = static_cast<unsigned>(unit(i));
            i += 2;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 2 <= to && unit(i) >= 0xDC00 && unit(i) <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<unsigned>(unit(i)) - 0xDC00);
                i += 2;
            }
        } else {
            i = to;
        }
        if (cp == 0) {
            i = at;
            break;
        }
        char bytes[4] = {'\xFF'};
        size_t n = cp >= 0xD800 && cp <= 0xDFFF ? 1 : static_cast<size_t>(PutUtf8(bytes, cp) - bytes);
        v->text.append(bytes, n);
        v->raw.insert(v->raw.end(), n, at);
    }
    v->raw.push_back(i);
}

// Where the text of the line [FROM, TO) of an 8-bit file ends: at a NUL, or
// before the CR of a CR LF.
size_t ContentEnd(const std::string& b, size_t from, size_t to, bool bLineEnd)
{
    const void* nul = std::memchr(b.data() + from, 0, to - from);
    if (nul)
        return static_cast<size_t>(static_cast<const char*>(nul) - b.data());
    return bLineEnd && to > from && b[to - 1] == '\r' ? to - 1 : to;
}

// An ISO-2022-JP line starts in ASCII, as each line of a mail does: the
// search's reader goes back to it at every line feed.
void ViewJis(const std::string& b, size_t from, size_t to, bool bIso2022, bool bLineEnd, LineView* v)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(b.data());
    size_t end = ContentEnd(b, from, to, bLineEnd);
    CIso2022JpReader reader;
    for (size_t i = from; i < end;) {
        unsigned cp;
        size_t len = bIso2022 ? reader.Char(t + i, end - i, &cp) : EucJpChar(t + i, end - i, &cp);
        if (len == SIZE_MAX)
            len = 1, cp = kNoCharacter;  // cut by the line's end: each byte is read on its own
        char bytes[4] = {'\xFF'};
        size_t n = cp == kNoText ? 0 : cp == kNoCharacter ? 1 : static_cast<size_t>(PutUtf8(bytes, cp) - bytes);
        v->text.append(bytes, n);
        v->raw.insert(v->raw.end(), n, i);
        i += len;
    }
    v->raw.push_back(end);
}

bool IsWide(Encoding e)
{
    return e == kUtf16Le || e == kUtf16Be;
}

}  // namespace

size_t LineEnd(const std::string& b, size_t from, Encoding e)
{
    if (!IsWide(e)) {
        const void* lf = std::memchr(b.data() + from, '\n', b.size() - from);
        return lf ? static_cast<size_t>(static_cast<const char*>(lf) - b.data()) : b.size();
    }
    const unsigned char* t = reinterpret_cast<const unsigned char*>(b.data());
    size_t end = from;
    while (end + 1 < b.size() && (e == kUtf16Le ? t[end] != 0x0A || t[end + 1] : t[end] || t[end + 1] != 0x0A))
        end += 2;
    return end + 1 < b.size() ? end : b.size();
}

void ViewLine(const std::string& b, size_t from, size_t to, Encoding e, bool bLineEnd, LineView* v)
{
    v->text.clear();
    v->raw.clear();
    if (IsWide(e))
        ViewUtf16(b, from, to, e == kUtf16Be, bLineEnd, v);
    else if (e == kEucJp || e == kIso2022Jp)
        ViewJis(b, from, to, e == kIso2022Jp, bLineEnd, v);
    else
        v->text.assign(b, from, ContentEnd(b, from, to, bLineEnd) - from);
}

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
    for (; m_at < m_bytes.size(); ++m_nAt) {
        size_t lineEnd = LineEnd(m_bytes, m_at, m_e);
        if (m_nAt == n) {
            ViewLine(m_bytes, m_at, lineEnd, m_e, lineEnd < m_bytes.size(), v);
            return true;
        }
        m_at = lineEnd + (IsWide(m_e) ? 2 : 1);
    }
    return false;
}

uint64_t Columns(const char* s, size_t n, bool bUtf8)
{
    if (bUtf8)
        return Utf8Columns(s, n);
    const unsigned char* t = reinterpret_cast<const unsigned char*>(s);
    uint64_t columns = 0;
    for (size_t i = 0; i < n; ++columns)
        i += CharLength932(t, i, n);
    return columns;
}
