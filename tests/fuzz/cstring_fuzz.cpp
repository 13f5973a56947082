// CString's searches, folding and comparison on arbitrary bytes, against the plain rules of reference.h.
//   input: needle length, start index, a byte, the needle, then the text
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/cstring.h"
#include "tests/fuzz/reference.h"

namespace {

// The characters of a C string as codes: a lead byte and the byte after it
// (unless that ends the string) are one code, (lead << 8) | trail.
std::vector<unsigned> Codes(const std::string& s)
{
    std::vector<unsigned> codes;
    for (size_t i = 0; i < s.size() && s[i]; ++i) {
        unsigned c = static_cast<unsigned char>(s[i]);
        bool bPair = ref::IsLead(static_cast<unsigned char>(c)) && i + 1 < s.size() && s[i + 1];
        codes.push_back(bPair ? c << 8 | static_cast<unsigned char>(s[++i]) : c);
    }
    return codes;
}

void Expect(const char* what, long got, long want, const std::string& a, const std::string& b)
{
    if (got == want)
        return;
    std::fprintf(stderr, "%s: got %ld, expected %ld\n%s\n%s\n", what, got, want, ref::Hex(a, a.size()).c_str(),
                 ref::Hex(b, b.size()).c_str());
    std::abort();
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

    // Find of a text: the first position from the start index on where the text stands as whole characters.
    Expect("Find", str.Find(needle.c_str(), nStart), ref::Find(hay, needle, static_cast<size_t>(std::max(nStart, 0))),
           hay, needle);

    // Find and ReverseFind of one byte: the first and the last position where it is a character of its own.
    std::string one(1, ch);
    Expect("Find(char)", str.Find(ch), ref::Find(hay, one), hay, one);
    std::vector<char> at = ref::Boundaries(hay);
    long last = -1;
    for (size_t c = 0; c < hay.size(); ++c)
        if (ref::HoldsAt(hay, at, one, c))
            last = static_cast<long>(c);
    Expect("ReverseFind", str.ReverseFind(ch), last, hay, one);

    // MakeLower: the reference's folding; the length and the character
    // boundaries stay, and folding again changes nothing.
    CString lower = str;
    lower.MakeLower();
    std::string folded(lower.GetString(), static_cast<size_t>(lower.GetLength()));
    Expect("MakeLower", folded == ref::Lower(hay), true, hay, folded);
    Expect("MakeLower moved a character boundary", ref::Boundaries(folded) == at, true, hay, folded);
    CString twice = lower;
    twice.MakeLower();
    Expect("MakeLower twice", twice == lower, true, folded, std::string(twice.GetString(), twice.GetLength()));

    // Compare: character codes in order, a shorter text first.
    std::vector<unsigned> a = Codes(hay), b = Codes(needle);
    Expect("Compare", Sign(str.Compare(needle.c_str())), a < b ? -1 : a == b ? 0 : 1, hay, needle);
    return 0;
}
