// The bytes of a file as the line scan reads them (scanner.cpp, its only
// user): a byte-order mark taken off, the file's encoding told, and UTF-16,
// EUC-JP and ISO-2022-JP text decoded to UTF-8.
#ifndef TOLVANE_SEARCH_TEXTSOURCE_H
#define TOLVANE_SEARCH_TEXTSOURCE_H

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/scanner.h"
#include "platform/files.h"
#include "text/jis.h"
#include "text/mbcs.h"

// Only the scan of a file includes this; its names stay its own.
namespace {

// Bytes of the file asked for by each read, at most.
const size_t kReadBlock = 256u << 10;

// A file's bytes as the scan reads them: as they are (code page 932, or
// UTF-8 without its byte-order mark), or decoded to the same text in UTF-8.
// A code that is no character (a lone surrogate, an odd last byte, a broken
// or unknown EUC-JP or ISO-2022-JP code) becomes the byte FF, which no UTF-8
// text holds, so it shows as '?' and never matches.
//
// Until the encoding is told the bytes come as they are, up to the first
// byte that may tell it: before that byte the file is ASCII, which reads the
// same in every encoding but UTF-16 (told from the first read). From it on
// the bytes are held until the look of DetectEncoding is read; code page 932
// and UTF-8 are told in the read's own buffer and never copied.
class TextSource {
public:
    // With SKIPBINARY the first read also looks for a NUL in the first
    // kBinaryLook bytes. NENCODING: kAutoDetect or the encoding of every
    // file without a byte-order mark.
    TextSource(CRawFile& file, std::vector<char>& raw, bool bSkipBinary, int nEncoding)
        : m_file(file), m_raw(raw), m_bSkipBinary(bSkipBinary), m_nEncoding(nEncoding)
    {
    }

    // The least the first read is asked for.
    static size_t FirstRead(bool bSkipBinary) { return bSkipBinary ? kBinaryLook : kDetectLook; }
    // Whether the encoding is told; until then every byte read was ASCII.
    bool IsDecided() const { return m_mode != kStart && m_mode != kLooking; }
    // Whether the text read is UTF-8: a Unicode file, or one decoded.
    bool IsUtf8() const { return m_bUtf8; }
    // Where in the file the text's byte AT came from; kNoOffset once the
    // text is decoded from other bytes.
    uint64_t FileOffset(uint64_t at) const { return m_mode == kWide || m_mode == kEuc || m_mode == kJis ? kNoOffset : at + m_nMark; }
    // Whether the file is left out as binary; it then reads as empty.
    bool IsBinary() const { return m_mode == kBinaryFile; }

    // At most N bytes to OUT (the first time at least FirstRead(), as far
    // as the file goes); 0 at the end of the file, -1 on a read error.
    long Read(char* out, size_t n)
    {
        switch (m_mode) {
        case kStart:
            return First(out, n);
        case kBinaryFile:
            return 0;
        case kAsIs:
        case kLooking:
            break;
        default:
            return Decode(out, n);
        }
        if (m_pos < m_have) {
            if (m_mode == kLooking && m_nClear == 0 && !DecideHeld())
                return -1;
            if (m_mode != kAsIs && m_mode != kLooking)
                return Decode(out, n);
            size_t k = std::min(n, m_mode == kLooking ? m_nClear : m_have - m_pos);
            std::memcpy(out, m_raw.data() + m_pos, k);
            m_pos += k;
            m_nClear -= std::min(m_nClear, k);
            return static_cast<long>(k);
        }
        long r = m_file.Read(out, n);
        m_eof = r == 0;
        if (r <= 0 || m_mode == kAsIs)
            return r;
        return Look(out, static_cast<size_t>(r), n, false);
    }

private:
    enum Mode { kStart, kLooking, kAsIs, kBinaryFile, kWide, kEuc, kJis };

    long First(char* out, size_t n)
    {
        long r = m_file.Read(out, n);
        if (r <= 0)
            return r;
        size_t got = static_cast<size_t>(r);
        while (got < std::min(FirstRead(m_bSkipBinary), n)) {  // a short read must not hide the mark or a NUL
            long more = m_file.Read(out + got, n - got);
            if (more < 0)
                return -1;
            if (more == 0) {
                m_eof = true;
                break;
            }
            got += static_cast<size_t>(more);
        }
        const unsigned char* t = reinterpret_cast<const unsigned char*>(out);
        int e = m_nEncoding;
        size_t body = 0;
        if (got >= 3 && t[0] == 0xEF && t[1] == 0xBB && t[2] == 0xBF) {
            e = kUtf8;
            body = m_nMark = 3;
        } else if (got >= 2 && ((t[0] == 0xFF && t[1] == 0xFE) || (t[0] == 0xFE && t[1] == 0xFF))) {
            e = t[0] == 0xFF ? kUtf16Le : kUtf16Be;
            body = 2;
        }
        // One look for a NUL serves the binary rule and the UTF-16 one, which
        // needs a NUL in the first kDetectLook bytes: from the start without
        // it, the rule goes on as from anywhere else.
        size_t at = 0, nLook = std::min(got, m_bSkipBinary ? kBinaryLook : kDetectLook);
        const char* nul = static_cast<const char*>(std::memchr(out, 0, nLook));
        int told = e != kAutoDetect ? e : DetectEncoding(out, got, nul && nul < out + kDetectLook, false, &at);
        bool bWide = told == kUtf16Le || told == kUtf16Be;
        if (m_bSkipBinary && !bWide && nul) {
            m_mode = kBinaryFile;
            return 0;
        }
        if (told == kAutoDetect) {
            m_mode = kLooking;
            return Look(out, got, n, true);
        }
        // A file with a mark or an encoding chosen by hand reads in it from
        // the first byte; a detected one from AT, all ASCII before it.
        if (e != kAutoDetect) {
            std::memmove(out, out + body, got - body);
            got -= body;
            at = 0;
        }
        Decided(told);
        if (m_mode == kAsIs)
            return got > 0 || !body ? static_cast<long>(got) : Read(out, n);
        return Hold(out, got, n, at);
    }

    // R bytes just read to OUT (room for N) while the encoding is not told:
    // those before the first byte that may tell it go on, the rest are held.
    long Look(char* out, size_t r, size_t n, bool bStart)
    {
        size_t at;
        int e = DetectEncoding(out, r, bStart, false, &at);
        if (e == kAutoDetect && at == r)
            return static_cast<long>(r);
        if (e == kAutoDetect) {
            m_nClear = 0;
            return Hold(out, r, n, at);
        }
        Decided(e);
        return m_mode == kAsIs ? static_cast<long>(r) : Hold(out, r, n, at);
    }

    // Keeps the R - AT bytes from AT of OUT for later reads; returns the
    // AT before them, or with none the next read's bytes (at most N).
    long Hold(char* out, size_t r, size_t n, size_t at)
    {
        if (m_raw.size() < kReadBlock)
            m_raw.resize(kReadBlock);
        m_pos = 0;
        m_have = r - at;
        std::memcpy(m_raw.data(), out + at, m_have);
        return at > 0 ? static_cast<long>(at) : Read(out, n);
    }

    // The held bytes start with one that may tell the encoding: reads on
    // until the look is there, and tells it, or finds it still untold and
    // how many of them go on as they are.
    bool DecideHeld()
    {
        if (!Fill(2 * kDetectLook))
            return false;
        size_t at;
        int e = DetectEncoding(m_raw.data() + m_pos, m_have - m_pos, false, m_eof, &at);
        if (e == kAutoDetect)
            m_nClear = at;
        else
            Decided(e);
        return true;
    }

    // Reads until WANT bytes are held, or to the end of the file.
    bool Fill(size_t want)
    {
        std::memmove(m_raw.data(), m_raw.data() + m_pos, m_have - m_pos);
        m_have -= m_pos;
        m_pos = 0;
        while (!m_eof && m_have < want) {
            long r = m_file.Read(m_raw.data() + m_have, m_raw.size() - m_have);
            if (r < 0)
                return false;
            m_eof = r == 0;
            m_have += static_cast<size_t>(r);
        }
        return true;
    }

    void Decided(int e)
    {
        m_bUtf8 = e != kCp932;
        m_mode = e == kCp932 || e == kUtf8 ? kAsIs : e == kEucJp ? kEuc : e == kIso2022Jp ? kJis : kWide;
        m_bBigEndian = e == kUtf16Be;
    }

    long Decode(char* out, size_t n)
    {
        for (;;) {
            if (!m_eof && m_have - m_pos < kReadBlock / 2 && !Fill(kReadBlock))
                return -1;
            const unsigned char* t = reinterpret_cast<const unsigned char*>(m_raw.data());
            size_t o = 0, i = m_pos;
            for (;;) {
                for (; m_nPending > 0 && o < n; --m_nPending)
                    out[o++] = m_pending[4 - m_nPending];
                if (o == n || i == m_have)
                    break;
                unsigned cp;
                size_t len = Char(t + i, m_have - i, &cp);
                if (len == SIZE_MAX) {
                    if (!m_eof)
                        break;  // the rest of the code is still to come
                    len = 1;
                    cp = kNoCharacter;
                }
                i += len;
                if (cp == kNoText)
                    continue;
                char bytes[4] = {'\xFF'};
                size_t nBytes = 1;
                if (cp != kNoCharacter && (cp < 0xD800 || cp > 0xDFFF))
                    nBytes = static_cast<size_t>(PutUtf8(bytes, cp) - bytes);
                // What does not fit waits for the next read.
                std::memcpy(m_pending + 4 - nBytes, bytes, nBytes);
                m_nPending = nBytes;
            }
            m_pos = i;
            if (o > 0 || (m_eof && m_pos == m_have && m_nPending == 0))
                return static_cast<long>(o);
        }
    }

    // The code at P (N > 0 bytes there) in the file's encoding.
    size_t Char(const unsigned char* p, size_t n, unsigned* cp)
    {
        if (m_mode == kEuc)
            return EucJpChar(p, n, cp);
        if (m_mode == kJis)
            return m_jis.Char(p, n, cp);
        if (n < 2)
            return SIZE_MAX;  // an odd last byte, at the end
        unsigned u = Unit(p);
        *cp = u;
        if (u < 0xD800 || u > 0xDBFF)
            return 2;
        if (n < 4)
            return m_eof ? 2 : SIZE_MAX;  // its other half may still come
        unsigned v = Unit(p + 2);
        if (v < 0xDC00 || v > 0xDFFF)
            return 2;
        *cp = 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
        return 4;
    }

    unsigned Unit(const unsigned char* p) const
    {
        return m_bBigEndian ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8);
    }

    CRawFile& m_file;
    std::vector<char>& m_raw;  // the held bytes: [m_pos, m_have)
    size_t m_pos = 0;
    size_t m_have = 0;
    size_t m_nClear = 0;       // of them, while looking: ASCII to go on as it is
    char m_pending[4] = {};
    size_t m_nPending = 0;
    size_t m_nMark = 0;        // the UTF-8 byte-order mark's bytes, taken off
    bool m_bSkipBinary;
    int m_nEncoding;
    Mode m_mode = kStart;
    bool m_bUtf8 = false;
    bool m_bBigEndian = false;
    bool m_eof = false;
    CIso2022JpReader m_jis;
};

}  // namespace

#endif
