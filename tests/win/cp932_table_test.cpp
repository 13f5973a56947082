// The tables between Unicode and code page 932 (generated from Python's
// cp932 codec, used by both builds) must give what Windows gives:
// WideCharToMultiByte without best-fit look-alikes for every character of the
// plane, MultiByteToWideChar for every code. The one exception on purpose:
// the JIS forms of seven characters show as the code of their Microsoft form.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text/mbcs.h"

namespace {

// Windows' code for one character, or -1 when code page 932 lacks it.
int WindowsCode(wchar_t ch)
{
    char out[4];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &ch, 1, out, sizeof out, "?", &usedDefault);
    if (n <= 0 || usedDefault)
        return -1;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(out);
    return n == 1 ? u[0] : (u[0] << 8) | u[1];
}

const struct {
    unsigned ch;
    int code;
} kJisForms[] = {{0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00AC, 0x81CA}, {0x2014, 0x815C},
                 {0x2016, 0x8161}, {0x2212, 0x817C}, {0x301C, 0x8160}};

int OurCode(unsigned ch)
{
    unsigned short code;
    return UnicodeTo932(ch, &code) ? code : -1;
}

void Report(const std::vector<std::string>& differences)
{
    EXPECT_TRUE(differences.empty()) << differences.size() << " differences";
    for (size_t i = 0; i < differences.size() && i < 20; ++i)
        ADD_FAILURE() << differences[i];
}

TEST(Cp932Table, EveryCharacterEncodesAsWindows)
{
    std::vector<std::string> differences;
    for (unsigned ch = 1; ch <= 0xFFFF; ++ch) {
        if (ch >= 0xD800 && ch <= 0xDFFF)
            continue;  // halves of pairs, never converted alone
        int windows = WindowsCode(static_cast<wchar_t>(ch)), ours = OurCode(ch);
        for (const auto& j : kJisForms)
            windows = j.ch == ch ? j.code : windows;
        if (windows != ours) {
            char line[64];
            snprintf(line, sizeof line, "U+%04X: Windows %X, ours %X", ch, windows, ours);
            differences.push_back(line);
        }
    }
    Report(differences);
}

// Every code decodes as Windows decodes it (search strings are converted
// so), and its character encodes back to the code Windows gives it.
TEST(Cp932Table, EveryCodeDecodesAsWindows)
{
    std::vector<std::string> differences;
    int decoded = 0;
    for (unsigned code = 1; code <= 0xFCFC; ++code) {
        bool doubleByte = code > 0xFF;
        if (doubleByte && !IsLeadByte932(static_cast<unsigned char>(code >> 8)))
            continue;
        if (!doubleByte && IsLeadByte932(static_cast<unsigned char>(code)))
            continue;  // a lead byte alone is no character
        char bytes[2] = {static_cast<char>(doubleByte ? code >> 8 : code), static_cast<char>(code & 0xff)};
        wchar_t ch[2];
        int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, doubleByte ? 2 : 1, ch, 2);
        int windows = n == 1 ? ch[0] : -1;
        unsigned cp;
        int ours = Cp932ToUnicode(code, &cp) ? static_cast<int>(cp) : -1;
        if (windows >= 0)
            ++decoded;
        if (windows != ours || (ours >= 0 && OurCode(ours) != WindowsCode(static_cast<wchar_t>(ours)))) {
            char line[80];
            snprintf(line, sizeof line, "%04X: Windows U+%04X, ours U+%04X", code, windows, ours);
            differences.push_back(line);
        }
    }
    EXPECT_GT(decoded, 7000);
    Report(differences);
}

}  // namespace
