#include "engine/file_mask.h"

#include <cstring>

#include "text/mbcs.h"

namespace {

// Bytes of the character at B of a text of N bytes; only a lead byte at the
// very end stands alone.
size_t CharLength(const char* s, size_t b, size_t n)
{
    return (IsLeadByte932(static_cast<unsigned char>(s[b])) && b + 1 < n) ? 2 : 1;
}

std::string Folded(const char* s, size_t n)
{
    std::string out(s, n);
    if (!out.empty())
        MbcsMakeLower(&out[0], out.size());
    return out;
}

// Both texts already folded. Only the last '*' is ever returned to: whatever
// an earlier '*' swallowed, a later one can swallow instead, so retrying the
// earlier ones finds nothing new, and a mask like *a*a*a*b costs at most
// name length times mask length steps instead of growing with each '*'.
bool FoldedMatches(const char* mask, size_t nMask, const char* name, size_t nName)
{
    const size_t kNone = static_cast<size_t>(-1);
    size_t m = 0, n = 0;
    size_t starMask = kNone, starName = 0;
    while (n < nName) {
        if (m < nMask && mask[m] == '*') {
            starMask = ++m;
            starName = n;
            continue;
        }
        if (m < nMask) {
            size_t nMaskChar = CharLength(mask, m, nMask);
            size_t nNameChar = CharLength(name, n, nName);
            if ((nMaskChar == 1 && mask[m] == '?')
                || (nMaskChar == nNameChar && std::memcmp(mask + m, name + n, nNameChar) == 0)) {
                m += nMaskChar;
                n += nNameChar;
                continue;
            }
        }
        if (starMask == kNone)
            return false;
        // The last '*' takes one more whole character of the name.
        starName += CharLength(name, starName, nName);
        n = starName;
        m = starMask;
    }
    while (m < nMask && mask[m] == '*')
        ++m;
    return m == nMask;
}

bool AnyMatches(const std::vector<std::string>& masks, const std::string& name)
{
    for (const std::string& mask : masks) {
        if (FoldedMatches(mask.data(), mask.size(), name.data(), name.size()))
            return true;
    }
    return false;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// "*.*" is every name to a Windows user, a name without a dot too; blanks
// after an excluding '!' are no part of its mask.
std::string AsWindowsReads(std::string mask)
{
    bool bExclude = !mask.empty() && mask[0] == '!';
    size_t start = bExclude ? 1 : 0;
    while (start < mask.size() && IsBlank(mask[start]))
        ++start;
    std::string rest = mask.substr(start);
    if (rest == "*.*")
        rest = "*";
    return bExclude ? "!" + rest : rest;
}

// The ';'-separated pieces of TEXT, folded, blanks around each cut off,
// empty ones left out. The text is walked by characters so that a lead byte
// keeps whatever byte follows it, as the match reads it.
std::vector<std::string> SplitMasks(const char* text)
{
    std::vector<std::string> pieces;
    if (!text)
        return pieces;
    size_t n = std::strlen(text);
    size_t start = 0;
    for (size_t b = 0; b <= n;) {
        if (b < n && text[b] != ';') {
            b += CharLength(text, b, n);
            continue;
        }
        size_t first = start;
        while (first < b && IsBlank(text[first]))
            ++first;
        // The end is found walking forward: a blank byte just before ';' may
        // still be the trail of a lead byte, and then it is no blank.
        size_t last = first;
        for (size_t c = first; c < b; c += CharLength(text, c, n)) {
            if (!IsBlank(text[c]))
                last = c + CharLength(text, c, n);
        }
        if (last > first)
            pieces.push_back(AsWindowsReads(Folded(text + first, last - first)));
        start = ++b;
    }
    return pieces;
}

// Whether TEXT asks for masks rather than the old contains rule.
bool HoldsMaskSyntax(const char* text)
{
    size_t n = std::strlen(text);
    for (size_t b = 0; b < n; b += CharLength(text, b, n)) {
        char c = text[b];
        if (c == '*' || c == '?' || c == ';' || c == '!')
            return true;
    }
    return false;
}

}  // namespace

bool MaskMatches(const char* mask, size_t nMask, const char* name, size_t nName)
{
    // Folding both keeps every byte length, so character boundaries stay
    // where they were and '*' and '?' keep their places.
    std::string foldedMask = Folded(mask, nMask);
    std::string foldedName = Folded(name, nName);
    return FoldedMatches(foldedMask.data(), foldedMask.size(), foldedName.data(), foldedName.size());
}

CNameMasks::CNameMasks(const char* text) : m_masks(SplitMasks(text))
{
}

bool CNameMasks::IsEmpty() const
{
    return m_masks.empty();
}

bool CNameMasks::Matches(const char* name) const
{
    if (m_masks.empty())
        return false;
    return AnyMatches(m_masks, Folded(name ? name : "", name ? std::strlen(name) : 0));
}

CFileFilter::CFileFilter(const char* text)
{
    if (!text)
        text = "";
    if (!HoldsMaskSyntax(text)) {
        // Byte for byte the extension rule the field always had, case kept.
        m_strPlain = text;
        if (!m_strPlain.IsEmpty() && m_strPlain.Find(".") == -1)
            m_strPlain = "." + m_strPlain;
        return;
    }
    m_bPlain = false;
    for (std::string& piece : SplitMasks(text)) {
        if (piece[0] != '!')
            m_include.push_back(std::move(piece));
        else if (piece.size() > 1)
            m_exclude.push_back(piece.substr(1));
    }
}

bool CFileFilter::Accepts(const char* name) const
{
    if (!name)
        name = "";
    if (m_bPlain)
        return m_strPlain.IsEmpty() || CString(name).Find(m_strPlain) != -1;
    std::string folded = Folded(name, std::strlen(name));
    if (!m_include.empty() && !AnyMatches(m_include, folded))
        return false;
    return !AnyMatches(m_exclude, folded);
}
