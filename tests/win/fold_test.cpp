// Our case folding must agree with the runtime's _mbslwr in code page 932 for
// every character, so a search "ignoring case" finds what it always found.
#include <mbctype.h>
#include <mbstring.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "text/mbcs.h"

namespace {

std::string Hex(const unsigned char* p, size_t n)
{
    std::string out;
    char part[4];
    for (size_t i = 0; i < n; ++i) {
        snprintf(part, sizeof(part), i ? " %02X" : "%02X", p[i]);
        out += part;
    }
    return out;
}

// Folds one character both ways; a description of the difference, or "".
std::string Compare(const unsigned char* code, size_t n)
{
    unsigned char runtime[3] = {};
    for (size_t i = 0; i < n; ++i)
        runtime[i] = code[i];
    _mbslwr(runtime);
    CString ours(reinterpret_cast<const char*>(code), static_cast<int>(n));
    ours.MakeLower();
    const unsigned char* pOurs = reinterpret_cast<const unsigned char*>(ours.GetString());
    if (static_cast<size_t>(ours.GetLength()) == n && memcmp(pOurs, runtime, n) == 0)
        return std::string();
    return Hex(code, n) + ": _mbslwr " + Hex(runtime, n) + ", MakeLower " + Hex(pOurs, ours.GetLength());
}

void Report(const std::vector<std::string>& differences)
{
    EXPECT_TRUE(differences.empty()) << differences.size() << " differences";
    for (size_t i = 0; i < differences.size() && i < 20; ++i)
        ADD_FAILURE() << differences[i];
}

class FoldTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(_setmbcp(932), 0); }
};

TEST_F(FoldTest, DoubleByteCodesFoldAsTheRuntime)
{
    std::vector<std::string> differences;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte932(static_cast<unsigned char>(lead)))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const unsigned char code[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            std::string difference = Compare(code, 2);
            if (!difference.empty())
                differences.push_back(difference);
        }
    }
    Report(differences);
}

TEST_F(FoldTest, SingleBytesFoldAsTheRuntime)
{
    std::vector<std::string> differences;
    for (unsigned c = 0x01; c <= 0xFF; ++c) {
        if (IsLeadByte932(static_cast<unsigned char>(c)))
            continue;
        const unsigned char code[1] = {static_cast<unsigned char>(c)};
        std::string difference = Compare(code, 1);
        if (!difference.empty())
            differences.push_back(difference);
    }
    Report(differences);
}

}  // namespace
