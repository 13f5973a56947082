// CString's searches, folding and comparison on arbitrary bytes, against the
// plain rules of reference.h.
//   input: needle length, start index, a byte, the needle, then the text
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cstring.h"
#include "tests/fuzz/reference.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& a, const std::string& b, long got, long want)
{
    std::fprintf(stderr, "%s: got %ld, expected %ld\n", what, got, want);
    for (const std::string* s : {&a, &b}) {
        for (unsigned char c : *s)
            std::fprintf(stderr, "%02X ", c);
        std::fprintf(stderr, "\n");
    }
    std::abort();
}

// The characters of a C string as codes: a lead byte and the byte after it
// (unless that ends the string) are one code, (lead << 8) | trail.
std::vector<unsigned> Codes(const std::string& s)
{
    std::vector<unsigned> codes;
    for (size_t i = 0; i < s.size() && s[i];) {
        unsigned c = static_cast<unsigned char>(s[i]);
        if (ref::IsLead(static_cast<unsigned char>(c)) && i + 1 < s.size() && s[i + 1]) {
            codes.push_back(c << 8 | static_cast<unsigned char>(s[i + 1]));
            i += 2;
        } else {
            codes.push_back(c);
            ++i;
        }
    }
    return codes;
}

int Sign(long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    size_t nNeedle = std::min<size_t>(data[0] % 16, size - 3);
    int nStart = static_cast<int>(data[1]) - 8;
    char ch = static_cast<char>(data[2]);
    std::string needle(reinterpret_cast<const char*>(data + 3), nNeedle);
    std::string hay(reinterpret_cast<const char*>(data + 3 + nNeedle), size - 3 - nNeedle);
    // Find takes its text as a C string, so it ends at a NUL.
    needle = needle.c_str();
    CString str(hay.data(), static_cast<int>(hay.size()));

    // Find of a text: the first position from the start index on where the
    // text stands as whole characters.
    long want = ref::Find(hay, needle, static_cast<size_t>(std::max(nStart, 0)));
    long got = str.Find(needle.c_str(), nStart);
    if (got != want)
        Fail("Find", hay, needle, got, want);
    std::vector<char> at = ref::Boundaries(hay);
    if (got >= 0 && !needle.empty() && !at[got])
        Fail("Find hit off a character boundary", hay, needle, got, want);

    // Find and ReverseFind of one byte: the first and the last position
    // where it is a character of its own.
    std::string one(1, ch);
    want = ref::Find(hay, one);
    got = str.Find(ch);
    if (got != want)
        Fail("Find(char)", hay, one, got, want);
    want = -1;
    for (size_t c = 0; c < hay.size(); ++c)
        if (ref::HoldsAt(hay, at, one, c))
            want = static_cast<long>(c);
    got = str.ReverseFind(ch);
    if (got != want)
        Fail("ReverseFind", hay, one, got, want);

    // MakeLower: the reference's folding; the length and the character
    // boundaries stay, and folding again changes nothing.
    CString lower = str;
    lower.MakeLower();
    std::string folded(lower.GetString(), static_cast<size_t>(lower.GetLength()));
    std::string wantFolded = ref::Lower(hay);
    if (folded != wantFolded)
        Fail("MakeLower", hay, folded, lower.GetLength(), static_cast<long>(wantFolded.size()));
    if (ref::Boundaries(folded) != at)
        Fail("MakeLower moved a character boundary", hay, folded, 0, 0);
    CString twice = lower;
    twice.MakeLower();
    if (twice != lower)
        Fail("MakeLower twice", folded, std::string(twice.GetString(), twice.GetLength()), 0, 0);

    // Compare: character codes in order, a shorter text first.
    std::vector<unsigned> a = Codes(hay), b = Codes(needle);
    int wantOrder = a < b ? -1 : a == b ? 0 : 1;
    int gotOrder = Sign(str.Compare(needle.c_str()));
    if (gotOrder != wantOrder)
        Fail("Compare", hay, needle, gotOrder, wantOrder);
    return 0;
}
