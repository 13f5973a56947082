// The vector searches against plain loops, on data where the interesting
// bytes sit at every offset relative to the vector width and the block ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "text/bytesearch.h"
#include "text/mbcs.h"

namespace {

// The first candidate, or with BLAST the last.
const char* Reference(const std::string& hay, size_t m, const ByteSet& first, const ByteSet& last, size_t midPos,
                      char mid, bool bLast = false)
{
    const char* found = nullptr;
    for (size_t i = 0; i + m <= hay.size(); ++i)
        if (first.Has(static_cast<unsigned char>(hay[i])) && last.Has(static_cast<unsigned char>(hay[i + m - 1])) &&
            (midPos == 0 || hay[i + midPos] == mid)) {
            found = hay.data() + i;
            if (!bLast)
                break;
        }
    return found;
}

TEST(ByteSearch, CandidatesAgreeWithAPlainLoop)
{
    std::mt19937 rng(7);
    const std::string alphabet = "ab\x83\x41\n\x5c\x95";
    for (int round = 0; round < 3000; ++round) {
        std::string hay(rng() % 200, ' ');
        for (char& c : hay)
            c = rng() % 4 ? 'x' : alphabet[rng() % alphabet.size()];
        size_t m = 1 + rng() % 6;
        ByteSet first = {{0}, 0}, last = {{0}, 0};
        for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) {
            first.Add(static_cast<unsigned char>(alphabet[rng() % alphabet.size()]));
            last.Add(static_cast<unsigned char>(alphabet[rng() % alphabet.size()]));
        }
        size_t midPos = rng() % m;  // 0: no middle byte
        char mid = alphabet[rng() % alphabet.size()];
        for (size_t from = 0; from <= hay.size(); from += 1 + rng() % 40) {
            std::string part = hay.substr(from);
            const char* found = Reference(part, m, first, last, midPos, mid);
            EXPECT_EQ(found, FindCandidate(part.data(), part.size(), m, first, last, midPos, mid)) << "round " << round;
            size_t nEnds = 7;
            EXPECT_EQ(found, FindCandidateCounting(part.data(), part.size(), m, first, last, midPos, mid, &nEnds));
            size_t tested = found ? found - part.data() : part.size() + 1 > m ? part.size() + 1 - m : 0;
            EXPECT_EQ(7 + static_cast<size_t>(std::count(part.data(), part.data() + tested, '\n')), nEnds)
                << "round " << round;
            EXPECT_EQ(Reference(part, m, first, last, midPos, mid, true),
                      FindLastCandidate(part.data(), part.size(), m, first, last, midPos, mid))
                << "round " << round << ", from the end";
        }
    }
}

// The counting search adds up its counts of a byte every 127 rounds of two
// vectors: long runs without a candidate, up to every byte a line end.
TEST(ByteSearch, CountingCandidatesOverLongRuns)
{
    const ByteSet first = {{'K'}, 1}, last = {{'2'}, 1};
    for (size_t n : {size_t(8127), size_t(8128), size_t(8129), size_t(16256), size_t(40000)}) {
        for (int every : {1, 3, 64}) {
            std::string hay(n, 'x');
            for (size_t i = 0; i < n; i += static_cast<size_t>(every))
                hay[i] = '\n';
            for (size_t at : {n, n - 7, n / 2}) {
                std::string s = hay;
                if (at + 2 <= s.size())
                    s.replace(at, 2, "K2");
                const char* found = at + 2 <= s.size() ? s.data() + at : nullptr;
                size_t nEnds = 0;
                EXPECT_EQ(found, FindCandidateCounting(s.data(), s.size(), 2, first, last, 0, 0, &nEnds));
                const char* end = found ? found : s.data() + s.size() - 1;
                EXPECT_EQ(static_cast<size_t>(std::count(static_cast<const char*>(s.data()), end, '\n')), nEnds)
                    << "length " << n << ", a line end every " << every << ", candidate at " << at;
            }
        }
    }
}

TEST(ByteSearch, FindBytesCountByteAndFindLastByte)
{
    struct Case {
        std::string hay, needle;
        long found;
    };
    std::string longHay(100000, 'a');
    longHay += "needle";
    const Case cases[] = {
        {"", "a", -1}, {"a", "a", 0}, {"abc", "c", 2}, {"abcabd", "abd", 3}, {"aaaa", "aaaaa", -1},
        {std::string(70, 'x') + "yz", "yz", 70}, {longHay, "needle", 100000}, {longHay, "needles", -1},
    };
    for (const Case& c : cases) {
        const char* p = FindBytes(c.hay.data(), c.hay.size(), c.needle.data(), c.needle.size());
        EXPECT_EQ(c.found, p ? p - c.hay.data() : -1) << c.needle;
    }
    std::string lines;
    for (int i = 0; i < 5000; ++i)
        lines += std::string(static_cast<size_t>(i % 37), 'q') + "\n";
    EXPECT_EQ(5000u, CountByte(lines.data(), lines.size(), '\n'));
    EXPECT_EQ(0u, CountByte(lines.data(), 0, '\n'));
    EXPECT_EQ(lines.data() + lines.size() - 1, FindLastByte(lines.data(), lines.size(), '\n'));
    EXPECT_EQ(nullptr, FindLastByte(lines.data(), 0, '\n'));
}

// CountByte takes bytes in rounds of four vectors, then single vectors, then
// the last few in one compare of the vector that ends with them: every
// length and start must count what a plain count does, also where every
// byte is the one counted and a byte-wise count would overflow. FindLastByte
// goes back a vector at a time, then byte by byte, and FindLineStop forward
// the same way where the processor has AVX2. CountDoubles932 reads 64 bytes a word, a vector at a time,
// then byte by byte, and a character may cross from one word into the
// next: all must give what a plain loop does, also in runs of lead-range
// bytes (second bytes in that range too).
TEST(ByteSearch, CountByteAtEveryLengthAndStart)
{
    std::string mixed, text;
    mixed.reserve(20000);
    for (int i = 0; i < 20000; ++i)
        mixed += (i * 7919) % 5 == 0 ? '\n' : 'a';
    std::string all(20000, '\n');
    const char kinds[] = "\x81\x93\x9f\xe0\xfc\x80\xa0\xa1\xdf\xfd\x40\x0a\x00";
    for (unsigned i = 0, r = 1; i < 20000; ++i) {
        r = r * 1103515245u + 12345u;
        // Long runs of lead-range bytes, as double-byte text is.
        text += kinds[(r >> 16) % 8 < 5 ? (r >> 20) % 5 : (r >> 20) % 13];
    }
    for (const std::string* hay : {&mixed, &all, &text}) {
        for (size_t start = 0; start < 40; ++start) {
            for (size_t n : {size_t(0), size_t(1), size_t(31), size_t(32), size_t(33), size_t(127), size_t(128),
                             size_t(129), size_t(161), size_t(255), size_t(8063), size_t(8064), size_t(8065),
                             size_t(16128 + 97), size_t(19900)}) {
                const char* p = hay->data() + start;
                EXPECT_EQ(static_cast<size_t>(std::count(p, p + n, '\n')), CountByte(p, n, '\n'))
                    << "start " << start << ", length " << n << (hay == &all ? ", all line ends" : "");
                std::string reversed(p, p + n);
                std::reverse(reversed.begin(), reversed.end());
                size_t fromEnd = reversed.find('a');
                EXPECT_EQ(fromEnd == std::string::npos ? nullptr : p + n - 1 - fromEnd, FindLastByte(p, n, 'a'))
                    << "start " << start << ", length " << n;
                const char* stop = std::find_if(p, p + n, [](char c) { return c == '\n' || c == '\0'; });
                EXPECT_EQ(stop == p + n ? nullptr : stop, FindLineStop(p, n)) << "start " << start << ", length " << n;
                size_t b = 0, doubles = 0;
                for (; b < n; ++b)
                    doubles += IsLeadByte932(static_cast<unsigned char>(p[b])) ? (++b, 1) : 0;
                bool bOver = false;
                EXPECT_EQ(doubles, CountDoubles932(p, n, &bOver)) << "start " << start << ", length " << n;
                EXPECT_EQ(b > n, bOver) << "start " << start << ", length " << n;
            }
        }
    }
}

}  // namespace
