// The bytes of a file as the line scan reads them (scanner.cpp, its only
// user): a byte-order mark taken off, UTF-16 decoded to UTF-8.
#ifndef TOLVANE_SEARCH_TEXTSOURCE_H
#define TOLVANE_SEARCH_TEXTSOURCE_H

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "text/mbcs.h"

// Only the scan of a file includes this; its names stay its own.
namespace {

// Bytes of the file asked for by each read, at most.
const size_t kReadBlock = 256u << 10;

// A file's bytes as the scan reads them: as they are, without a UTF-8
// byte-order mark, or after a UTF-16 one as the same text in UTF-8. A unit
// that is no character (a lone surrogate, an odd last byte) becomes the byte
// FF, which no UTF-8 text holds, so it shows as '?' and never matches.
class TextSource {
public:
    // With SKIPBINARY the first read also looks for a NUL in the first
    // kBinaryLook bytes.
    TextSource(CRawFile& file, std::vector<char>& raw, bool bSkipBinary)
        : m_file(file), m_raw(raw), m_nFirstRead(bSkipBinary ? kBinaryLook : 3), m_bSkipBinary(bSkipBinary)
    {
    }

    // Whether the byte-order mark said UTF-8 or UTF-16.
    bool IsUtf8() const { return m_bUtf8; }
    // Where in the file the text's byte AT came from; kNoOffset once the
    // text is decoded from other bytes.
    uint64_t FileOffset(uint64_t at) const { return m_bUtf16 ? kNoOffset : at + m_nMark; }
    // Whether the file is left out as binary; it then reads as empty.
    bool IsBinary() const { return m_bBinary; }

    // At most N bytes to OUT (the first time at least 3 for the mark, and
    // kBinaryLook when binary files are left out, as far as the file goes);
    // 0 at the end of the file, -1 on a read error.
    long Read(char* out, size_t n)
    {
        if (m_bUtf16)
            return Decode(out, n);
        if (m_bBinary)
            return 0;
        long r = m_file.Read(out, n);
        if (!m_bStart || r <= 0)
            return r;
        m_bStart = false;
        size_t got = static_cast<size_t>(r);
        while (got < std::min(m_nFirstRead, n)) {  // a short read must not hide the mark or a NUL
            long more = m_file.Read(out + got, n - got);
            if (more < 0)
                return -1;
            if (more == 0)
                break;
            got += static_cast<size_t>(more);
        }
        r = static_cast<long>(got);
        const unsigned char* t = reinterpret_cast<const unsigned char*>(out);
        bool bUtf16Mark = got >= 2 && ((t[0] == 0xFF && t[1] == 0xFE) || (t[0] == 0xFE && t[1] == 0xFF));
        if (m_bSkipBinary && !bUtf16Mark && std::memchr(out, 0, std::min(got, kBinaryLook))) {
            m_bBinary = true;
            return 0;
        }
        if (got >= 3 && t[0] == 0xEF && t[1] == 0xBB && t[2] == 0xBF) {
            m_bUtf8 = true;
            m_nMark = 3;
            std::memmove(out, out + 3, got - 3);
            return got > 3 ? static_cast<long>(got - 3) : m_file.Read(out, n);
        }
        if (bUtf16Mark) {
            m_bUtf8 = m_bUtf16 = true;
            m_bBigEndian = t[0] == 0xFE;
            if (m_raw.size() < kReadBlock)
                m_raw.resize(kReadBlock);
            m_have = got - 2;
            std::memcpy(m_raw.data(), out + 2, std::min(m_have, m_raw.size()));
            m_have = std::min(m_have, m_raw.size());
            return Decode(out, n);
        }
        return r;
    }

private:
    long Decode(char* out, size_t n)
    {
        for (;;) {
            if (!m_eof && m_have < m_raw.size()) {
                long r = m_file.Read(m_raw.data() + m_have, m_raw.size() - m_have);
                if (r < 0)
                    return -1;
                m_eof = r == 0;
                m_have += static_cast<size_t>(r);
            }
            const unsigned char* t = reinterpret_cast<const unsigned char*>(m_raw.data());
            size_t o = 0, i = 0;
            for (;;) {
                for (; m_nPending > 0 && o < n; --m_nPending)
                    out[o++] = m_pending[4 - m_nPending];
                if (o == n || i + 2 > m_have)
                    break;
                unsigned u = Unit(t + i), cp = u;
                size_t len = 2;
                if (u >= 0xD800 && u <= 0xDBFF) {
                    if (i + 4 > m_have && !m_eof)
                        break;  // its other half is still to come
                    unsigned v = i + 4 <= m_have ? Unit(t + i + 2) : 0;
                    if (v >= 0xDC00 && v <= 0xDFFF) {
                        cp = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
                        len = 4;
                    }
                }
                i += len;
                char bytes[4];
                size_t nBytes = 1;
                if (cp >= 0xD800 && cp <= 0xDFFF)
                    bytes[0] = '\xFF';
                else
                    nBytes = static_cast<size_t>(PutUtf8(bytes, cp) - bytes);
                // What does not fit waits for the next read.
                std::memcpy(m_pending + 4 - nBytes, bytes, nBytes);
                m_nPending = nBytes;
            }
            if (m_eof && i + 1 == m_have && o < n) {
                out[o++] = '\xFF';  // an odd last byte
                ++i;
            }
            std::memmove(m_raw.data(), m_raw.data() + i, m_have - i);
            m_have -= i;
            if (o > 0 || (m_eof && m_have == 0 && m_nPending == 0))
                return static_cast<long>(o);
        }
    }

    unsigned Unit(const unsigned char* p) const
    {
        return m_bBigEndian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8);
    }

    CRawFile& m_file;
    std::vector<char>& m_raw;
    size_t m_have = 0;
    char m_pending[4] = {};
    size_t m_nPending = 0;
    size_t m_nFirstRead;
    size_t m_nMark = 0;
    bool m_bSkipBinary;
    bool m_bBinary = false;
    bool m_bStart = true;
    bool m_bUtf8 = false;
    bool m_bUtf16 = false;
    bool m_bBigEndian = false;
    bool m_eof = false;
};

}  // namespace

#endif
