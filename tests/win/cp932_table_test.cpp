// The code page 932 tables both builds use against Windows' own conversions
// and _mbslwr, so a search "ignoring case" finds what it always found.
#include <windows.h>
#include <mbctype.h>
#include <mbstring.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/cstring.h"
#include "text/mbcs.h"

namespace {

int OurCode(unsigned ch)
{
    unsigned short code;
    return UnicodeTo932(ch, &code) ? code : -1;
}

// -1 when code page 932 lacks the character; JIS forms show as their Microsoft form on purpose.
int WindowsCode(unsigned ch)
{
    const unsigned kJisForms[][2] = {{0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00AC, 0x81CA}, {0x2014, 0x815C},
                                     {0x2016, 0x8161}, {0x2212, 0x817C}, {0x301C, 0x8160}};
    for (const auto& j : kJisForms)
        if (j[0] == ch)
            return static_cast<int>(j[1]);
    wchar_t wide = static_cast<wchar_t>(ch);
    unsigned char out[4];
    BOOL bDefault = FALSE;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, reinterpret_cast<char*>(out), 4, "?", &bDefault);
    return n <= 0 || bDefault ? -1 : n == 1 ? out[0] : (out[0] << 8) | out[1];
}

// Each number as a character (but halves of pairs) and as a code: a single byte
// that is no lead byte, or a lead byte (FD-FF to be refused) with any byte after.
TEST(Cp932Table, EveryCharacterAndCodeAsWindows)
{
    ASSERT_EQ(_setmbcp(932), 0);
    for (unsigned v = 1; v <= 0xFFFF; ++v) {
        EXPECT_TRUE((v >= 0xD800 && v <= 0xDFFF) || WindowsCode(v) == OurCode(v))
            << std::hex << "U+" << v << ": Windows " << WindowsCode(v) << ", ours " << OurCode(v);
        unsigned lead = v >> 8, trail = v & 0xFF;
        if (lead ? !IsLeadByte932(lead) : IsLeadByte932(trail))
            continue;
        int n = lead ? 2 : 1;
        char bytes[3] = {static_cast<char>(lead ? lead : trail), static_cast<char>(lead ? trail : 0), 0};
        wchar_t ch[2];
        unsigned cp = 0;
        int windows = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, n, ch, 2) == 1 ? ch[0] : -1;
        EXPECT_EQ(windows, Cp932ToUnicode(v, &cp) ? static_cast<int>(cp) : -1) << std::hex << v;
        EXPECT_TRUE(windows < 0 || OurCode(ch[0]) == WindowsCode(ch[0])) << std::hex << v << " back";
        if (lead && (trail < 0x40 || trail == 0x7F || trail > 0xFC))
            continue;  // no character for _mbslwr
        CString folded(bytes, n);
        folded.MakeLower();
        _mbslwr(reinterpret_cast<unsigned char*>(bytes));
        EXPECT_EQ(std::string(bytes, n), std::string(folded.GetString(), folded.GetLength())) << std::hex << v;
    }
}

}  // namespace
