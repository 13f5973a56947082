// The vector searches against plain loops, the interesting bytes at every offset from the vector width.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/bytesearch.h"
#include "text/mbcs.h"

TEST(ByteSearch, CandidatesAndBytesAgreeWithAPlainLoop)
{
    std::mt19937 rng(7);
    const std::string alphabet = "ab\x83\x41\n\x5c\x95";
    auto pick = [&] { return static_cast<unsigned char>(alphabet[rng() % alphabet.size()]); };
    for (int round = 0; round < 3000; ++round) {
        std::string hay(rng() % 200, 'x');
        for (char& c : hay)
            c = rng() % 4 ? c : pick();
        size_t m = 1 + rng() % 6, midPos = rng() % m;  // 0: no middle byte
        char mid = pick();
        ByteSet first = {{0}, 0}, last = {{0}, 0};
        for (int k = 1 + rng() % 4; k > 0; --k)
            first.Add(pick()), last.Add(pick());
        const std::string needle = (hay + "ab").substr(rng() % (hay.size() + 1), m);
        for (size_t from = 0; from <= hay.size(); from += 1 + rng() % 40) {
            SCOPED_TRACE("round " + std::to_string(round) + ", from " + std::to_string(from));
            const std::string part = hay.substr(from);
            const char* p = part.data();
            const size_t n = part.size();
            std::vector<const char*> all;
            for (size_t i = 0; i + m <= n; ++i)
                if (first.Has(p[i]) && last.Has(p[i + m - 1]) && (midPos == 0 || p[i + midPos] == mid))
                    all.push_back(p + i);
            const char* found = all.empty() ? nullptr : all[0];
            EXPECT_EQ(found, FindCandidate(p, n, m, first, last, midPos, mid));
            EXPECT_EQ(all.empty() ? nullptr : all.back(), FindLastCandidate(p, n, m, first, last, midPos, mid));
            size_t nEnds = 7;
            EXPECT_EQ(found, FindCandidateCounting(p, n, m, first, last, midPos, mid, &nEnds));
            EXPECT_EQ(7 + std::count(p, found ? found : p + (n + 1 > m ? n + 1 - m : 0), '\n'), long(nEnds));
            EXPECT_EQ(part.find(needle) == part.npos ? nullptr : p + part.find(needle),
                      FindBytes(p, n, needle.data(), needle.size()));
        }
    }
}

// Counts add up byte-wise counts every so many vectors (overflowing where every byte is a line end);
// CountDoubles932 reads 64 bytes a word, and a character may cross words: runs of lead-range bytes.
TEST(ByteSearch, ByteCountsAndStopsAtEveryLengthAndStart)
{
    std::string mixed, all(20000, '\n'), text;
    const char kinds[] = "\x81\x93\x9f\xe0\xfc\x80\xa0\xa1\xdf\xfd\x40\x0a\x00";
    for (unsigned i = 0, r = 1; i < 20000; ++i, r = r * 1103515245u + 12345u) {
        mixed += (i * 7919) % 5 == 0 ? '\n' : 'a';
        text += kinds[(r >> 16) % 8 < 5 ? (r >> 20) % 5 : (r >> 20) % 13];
    }
    mixed.replace(16000, 2, "K2");
    const ByteSet k = {{'K'}, 1}, two = {{'2'}, 1};
    const size_t lengths[] = {0, 1, 31, 32, 33, 127, 128, 129, 161, 255, 8063, 8064, 8065, 8127, 8128, 8129,
                              16225, 19900};
    for (const std::string* hay : {&mixed, &all, &text}) {
        for (size_t start = 0; start < 40; ++start) {
            for (size_t n : lengths) {
                SCOPED_TRACE("start " + std::to_string(start) + ", length " + std::to_string(n));
                const char* p = hay->data() + start;
                const std::string s(p, n);
                auto at = [&](size_t i) { return i == s.npos ? nullptr : p + i; };
                EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), long(CountByte(p, n, '\n')));
                EXPECT_EQ(at(s.rfind('a')), FindLastByte(p, n, 'a'));
                EXPECT_EQ(at(s.find_first_of(std::string("\n\0", 2))), FindLineStop(p, n));
                size_t high = std::find_if(s.begin(), s.end(), [](char c) { return c & 0x80; }) - s.begin();
                EXPECT_EQ(at(high == n ? s.npos : high), FindHighByte(p, n));
                size_t nEnds = 0, k2 = s.find("K2");
                EXPECT_EQ(at(k2), FindCandidateCounting(p, n, 2, k, two, 0, 0, &nEnds));
                EXPECT_EQ(std::count(p, p + (k2 != s.npos ? k2 : n ? n - 1 : 0), '\n'), long(nEnds));
                size_t b = 0, doubles = 0;
                for (; b < n; ++b)
                    doubles += IsLeadByte932(p[b]) ? (++b, 1) : 0;
                bool bOver = false;
                EXPECT_EQ(doubles, CountDoubles932(p, n, &bOver));
                EXPECT_EQ(b > n, bOver);
            }
        }
    }
}
