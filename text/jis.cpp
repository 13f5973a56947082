#include "text/jis.h"

#include <cstdint>

#include "text/mbcs.h"

namespace {

#include "jis_table.inc"

bool IsEucByte(unsigned c) { return c >= 0xA1 && c <= 0xFE; }

// Unicode to EUC-JP, made once from the two tables: the code, or 0.
struct EucEncoder {
    unsigned code[0x10000] = {};
    EucEncoder()
    {
        for (unsigned i = 0; i < 94 * 94; ++i)
            if (kJis0208[i] && !code[kJis0208[i]])
                code[kJis0208[i]] = 0xA1A1 + (i / 94 << 8) + i % 94;
        // Text from Windows writes some JIS characters as their Microsoft
        // forms: each such form takes its JIS character's code.
        for (unsigned i = 0; i < 94 * 94; ++i) {
            unsigned short c932;
            unsigned ms;
            if (kJis0208[i] && UnicodeTo932(kJis0208[i], &c932) && Cp932ToUnicode(c932, &ms) && ms < 0x10000 &&
                !code[ms])
                code[ms] = code[kJis0208[i]];
        }
        for (unsigned i = 0; i < 94 * 94; ++i)
            if (kJis0212[i] && !code[kJis0212[i]])
                code[kJis0212[i]] = 0x8FA1A1 + (i / 94 << 8) + i % 94;
    }
};

}  // namespace

unsigned JisChar(bool b0212, unsigned row, unsigned cell)
{
    if (row < 1 || row > 94 || cell < 1 || cell > 94)
        return 0;
    return (b0212 ? kJis0212 : kJis0208)[(row - 1) * 94 + cell - 1];
}

size_t EucJpChar(const unsigned char* p, size_t n, unsigned* cp)
{
    unsigned c = p[0];
    *cp = kNoCharacter;
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    size_t len = c == 0x8F ? 3 : 2;
    if (c != 0x8E && c != 0x8F && !IsEucByte(c))
        return 1;
    for (size_t i = 1; i < len; ++i) {
        if (i >= n)
            return SIZE_MAX;
        if (c == 0x8E ? p[i] < 0xA1 || p[i] > 0xDF : !IsEucByte(p[i]))
            return 1;
    }
    unsigned ch = c == 0x8E ? 0xFF61 + p[1] - 0xA1 : JisChar(c == 0x8F, p[len - 2] - 0xA0, p[len - 1] - 0xA0);
    if (ch)
        *cp = ch;
    return len;
}

bool AppendEucJp(unsigned cp, std::string* out)
{
    static const EucEncoder encoder;
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
        return true;
    }
    if (cp >= 0xFF61 && cp <= 0xFF9F) {
        *out += '\x8E';
        *out += static_cast<char>(cp - 0xFF61 + 0xA1);
        return true;
    }
    unsigned code = cp < 0x10000 ? encoder.code[cp] : 0;
    if (!code)
        return false;
    if (code > 0xFFFF)
        *out += '\x8F';
    *out += static_cast<char>(code >> 8 & 0xFF);
    *out += static_cast<char>(code & 0xFF);
    return true;
}

bool IsIso2022JpEscape(const unsigned char* p, size_t n)
{
    if (n < 3 || p[0] != 0x1B)
        return false;
    if (p[1] == '$')
        return p[2] == 'B' || p[2] == '@' || (n >= 4 && p[2] == '(' && p[3] == 'D');
    return p[1] == '(' && (p[2] == 'J' || p[2] == 'I');
}

size_t CIso2022JpReader::Char(const unsigned char* p, size_t n, unsigned* cp)
{
    unsigned c = p[0];
    *cp = kNoCharacter;
    if (c == 0x1B) {
        // ESC ( F for the one-byte sets, ESC $ F and ESC $ ( F for the others.
        size_t len = n >= 2 && p[1] == '$' && n >= 3 && p[2] == '(' ? 4 : 3;
        if (n < len)
            return n >= 2 && p[1] != '$' && p[1] != '(' ? (*cp = c, 1) : SIZE_MAX;
        unsigned f = p[len - 1];
        Set set = m_set;
        if (p[1] == '(' && (f == 'B' || f == 'J' || f == 'I'))
            set = f == 'B' ? kAscii : f == 'J' ? kRoman : kKana;
        else if (p[1] == '$' && (f == 'B' || f == '@') && (len == 3 || f == 'B'))
            set = k0208;
        else if (p[1] == '$' && len == 4 && f == 'D')
            set = k0212;
        else
            return *cp = c, 1;  // an escape of another system, kept as it is
        m_set = set;
        *cp = kNoText;
        return len;
    }
    if (c >= 0x80)
        return 1;
    if (c == '\n')
        m_set = kAscii;
    if (c <= 0x20 || c == 0x7F || m_set == kAscii) {
        *cp = c;
        return 1;
    }
    if (m_set == kRoman) {
        *cp = c == 0x5C ? 0xA5 : c == 0x7E ? 0x203E : c;
        return 1;
    }
    if (m_set == kKana) {
        if (c <= 0x5F)
            *cp = 0xFF61 + c - 0x21;
        return 1;
    }
    if (n < 2)
        return SIZE_MAX;
    if (p[1] <= 0x20 || p[1] >= 0x7F)
        return 1;  // half a code: the byte after it is read on its own
    if (unsigned ch = JisChar(m_set == k0212, c - 0x20, p[1] - 0x20))
        *cp = ch;
    return 2;
}
