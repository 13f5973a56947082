// The rule that tells the encoding of a file without a byte-order mark, for
// the scan (textsource.h) and the replace (file_text.cpp) alike.
#include <algorithm>
#include <cstring>

#include "engine/scanner.h"
#include "text/bytesearch.h"
#include "text/jis.h"
#include "text/mbcs.h"

namespace {

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

// Whether the N bytes at P read as UTF-16 text in one byte order: a line end
// among them, no NUL or other control character but tab, line feed, form
// feed and carriage return, no C1 control or non-character FFFE/FFFF, and
// every surrogate paired (one cut by the end of a whole look, BCUT, counts:
// the look is the same whatever the reads gave). An odd
// last byte is left out.
bool LooksUtf16(const unsigned char* p, size_t n, bool bBig, bool bCut)
{
    bool bLineEnd = false;
    for (size_t i = 0; i + 1 < n; i += 2) {
        unsigned u = bBig ? p[i] << 8 | p[i + 1] : p[i] | p[i + 1] << 8;
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\f' && u != '\r')
            return false;
        if ((u >= 0x7F && u <= 0x9F) || u >= 0xFFFE || (u >= 0xDC00 && u <= 0xDFFF))
            return false;
        bLineEnd |= u == '\n';
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= n)
                return bCut && bLineEnd;
            unsigned v = bBig ? p[i + 2] << 8 | p[i + 3] : p[i + 2] | p[i + 3] << 8;
            if (v < 0xDC00 || v > 0xDFFF)
                return false;
            i += 2;
        }
    }
    return bLineEnd;
}

// Bytes of the common characters of Japanese text in the N bytes at P read
// as EUC-JP: hiragana, katakana (half-width ones too) and level-1 kanji, and
// the rows before the kana (punctuation, full-width digits and letters) and
// after them (Greek, Cyrillic, box lines), whose first byte code page 932
// reads as half-width punctuation or katakana; and JIS X 0212, whose 8F code
// page 932 reads as a kanji's first byte. -1 when they are not well formed
// EUC-JP (a code cut by their end counts).
long EucJpScore(const unsigned char* p, size_t n)
{
    long score = 0;
    for (size_t i = 0; i < n;) {
        unsigned cp;
        size_t len = EucJpChar(p + i, n - i, &cp);
        if (len == SIZE_MAX)
            break;
        if (len == 1 && p[i] >= 0x80)
            return -1;
        bool bCommon = (p[i] >= 0xA1 && p[i] <= 0xA8) || p[i] == 0x8E || p[i] == 0x8F || (p[i] >= 0xB0 && p[i] <= 0xCF);
        if (bCommon && cp != kNoCharacter)
            score += static_cast<long>(len);
        i += len;
    }
    return score;
}

// The same in code page 932, where the half-width punctuation A1-A5 is no
// katakana: EUC-JP hiragana (A4 xx) read as code page 932 turn into it.
long Cp932Score(const unsigned char* p, size_t n)
{
    long score = 0;
    for (size_t i = 0; i < n;) {
        unsigned c = p[i];
        if (c < 0x80) {
            ++i;
        } else if (IsLeadByte932(static_cast<unsigned char>(c))) {
            if (i + 1 >= n)
                break;
            unsigned t = p[i + 1], code = c << 8 | t;
            if (t < 0x40 || t == 0x7F || t > 0xFC)
                return -1;
            if ((code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8396) ||
                (code >= 0x889F && code <= 0x9872))
                score += 2;
            i += 2;
        } else if (c >= 0xA1 && c <= 0xDF) {
            score += c >= 0xA6;
            ++i;
        } else {
            return -1;
        }
    }
    return score;
}

// The rule for the look from the first byte of 0x80 or more.
Encoding HighByteRule(const unsigned char* p, size_t n)
{
    if (LooksUtf8(p, n))
        return kUtf8;
    long euc = EucJpScore(p, n);
    if (euc < 0)
        return kCp932;
    long cp932 = Cp932Score(p, n);
    return cp932 < 0 || euc > cp932 ? kEucJp : kCp932;
}

}  // namespace

int DetectEncoding(const char* bytes, size_t n, bool bStart, bool bEnd, size_t* pAt)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(bytes);
    *pAt = 0;
    if (bStart) {
        // Only text with a NUL byte can hold a line end of UTF-16.
        size_t look = std::min(n, kDetectLook);
        if (std::memchr(bytes, 0, look)) {
            const char* high = FindHighByte(bytes, look);
            bool bUtf8 = high && LooksUtf8(reinterpret_cast<const unsigned char*>(high), look - (high - bytes));
            bool bLe = !bUtf8 && LooksUtf16(t, look, false, look == kDetectLook);
            bool bBe = !bUtf8 && LooksUtf16(t, look, true, look == kDetectLook);
            if (bLe != bBe)
                return bLe ? kUtf16Le : kUtf16Be;
        }
    }
    for (size_t from = 0;;) {
        const char* c = FindHighByteOr(bytes + from, n - from, '\x1B');
        if (!c) {
            *pAt = n;
            return kAutoDetect;
        }
        size_t at = static_cast<size_t>(c - bytes);
        if (!bEnd && n - at < 2 * kDetectLook) {
            *pAt = at;
            return kAutoDetect;
        }
        *pAt = at;
        if (t[at] == 0x1B) {
            if (!IsIso2022JpEscape(t + at, n - at)) {
                from = at + 1;
                continue;
            }
            const char* high = FindHighByte(c, std::min(n - at, kDetectLook));
            if (!high)
                return kIso2022Jp;
            at = static_cast<size_t>(high - bytes);
        }
        return HighByteRule(t + at, std::min(n - at, kDetectLook));
    }
}
