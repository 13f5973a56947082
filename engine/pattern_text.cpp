#include "engine/pattern_text.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "text/mbcs.h"

namespace {

// The characters above whose two forms a plain byte look cannot tell apart
// in Unicode files, as their code page 932 codes.
bool IsVariantCode(unsigned code)
{
    switch (code) {
    case 0x8160: case 0x817C: case 0x8161: case 0x8191: case 0x8192: case 0x81CA: case 0x815C:
        return true;
    default:
        return false;
    }
}

// Regular-expression syntax characters, which stand for themselves only
// after a backslash.
bool IsSyntaxByte(unsigned char c)
{
    return std::strchr("\\^$.|?*+()[]{}", c) != nullptr && c != 0;
}

// Past the bracketed part of a pattern that starts at I with OPEN ('[' or
// '('), escapes and classes inside it skipped whole; N when it never closes.
size_t SkipBracketed(const unsigned char* t, size_t i, size_t n)
{
    int depthClass = 0, depthGroup = 0;
    for (; i < n; i += CharLength932(t, i, n)) {
        unsigned char c = t[i];
        if (c == '\\') {
            i += i + 1 < n ? CharLength932(t, i + 1, n) : 0;
            continue;
        }
        if (depthClass > 0) {
            if (c == '[')
                ++depthClass;
            else if (c == ']' && --depthClass == 0 && depthGroup == 0)
                return i + 1;
            continue;
        }
        if (c == '[') {
            ++depthClass;
            // A ']' first in a class (after any '^') stands for itself.
            if (i + 1 < n && t[i + 1] == '^')
                ++i;
            if (i + 1 < n && t[i + 1] == ']')
                ++i;
        } else if (c == '(') {
            ++depthGroup;
        } else if (c == ')' && --depthGroup == 0) {
            return i + 1;
        }
    }
    return n;
}

// A quantifier at I: its least count (*PMIN) and where it ends; false when
// there is none. A '{' that makes no count stands for itself, as in Ruby.
bool ReadQuantifier(const unsigned char* t, size_t i, size_t n, unsigned* pMin, size_t* pEnd)
{
    if (i >= n)
        return false;
    size_t end = i + 1;
    if (t[i] == '?' || t[i] == '*') {
        *pMin = 0;
    } else if (t[i] == '+') {
        *pMin = 1;
    } else if (t[i] == '{') {
        unsigned nMin = 0;
        size_t k = i + 1;
        for (; k < n && std::isdigit(t[k]) && nMin < 100000; ++k)
            nMin = nMin * 10 + (t[k] - '0');
        bool bDigits = k > i + 1;
        if (k < n && t[k] == ',')
            for (++k; k < n && std::isdigit(t[k]); ++k) {
            }
        if (k >= n || t[k] != '}' || (!bDigits && t[k - 1] == '{'))
            return false;
        *pMin = nMin;
        end = k + 1;
    } else {
        return false;
    }
    // Lazy and possessive forms change how, not what, is matched.
    if (end < n && (t[end] == '?' || t[end] == '+'))
        ++end;
    *pEnd = end;
    return true;
}

}  // namespace

bool HoldsVariantForm(const char* text, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < n; i += CharLength932(t, i, n)) {
        if (CharLength932(t, i, n) == 2 && IsVariantCode((t[i] << 8) | t[i + 1]))
            return true;
    }
    return false;
}

std::string EscapeRegex(const char* text, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    std::string out;
    for (size_t i = 0; i < n;) {
        size_t len = CharLength932(t, i, n);
        if (len == 1 && IsSyntaxByte(t[i]))
            out += '\\';
        out.append(text + i, len);
        i += len;
    }
    return out;
}

PatternNeeds ReadPatternNeeds(const char* text, size_t n)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    PatternNeeds needs;
    std::string run;
    std::vector<size_t> starts;  // where each character of RUN starts
    bool bBroken = false;        // something besides one run of plain characters
    auto endRun = [&]() {
        if (run.size() > needs.literal.size())
            needs.literal = run;
        run.clear();
        starts.clear();
    };
    auto nothing = [] { return PatternNeeds(); };
    for (size_t i = 0; i < n;) {
        unsigned char c = t[i];
        size_t len = CharLength932(t, i, n);
        size_t atomEnd = 0;  // past a class atom found here
        if (c == '\\') {
            if (i + 1 >= n)
                return nothing();
            unsigned char e = t[i + 1];
            // An escaped syntax character stands for itself; letters and
            // digits open escapes of their own length (\x41, \p{Han},
            // \k<name>), which this simple reading does not follow.
            if (e < 0x80 && !std::isalnum(e)) {
                starts.push_back(run.size());
                run += static_cast<char>(e);
                i += 2;
                continue;
            }
            if (std::strchr("dDwWsSbBhHAzZGRXK", e) == nullptr)
                return nothing();
            if (std::strchr("dwsh", e) != nullptr)
                atomEnd = i + 2;
        } else if (c == '(' && i + 2 < n && t[i + 1] == '?' && t[i + 2] != 0 && std::strchr("imx-", t[i + 2])) {
            return nothing();  // options that change what the rest means
        } else if (c == '[') {
            atomEnd = SkipBracketed(t, i, n);
        } else if (c == '|' || c == ')') {
            return nothing();  // alternatives at the top: nothing is in every match
        }
        unsigned nMin = 1;
        size_t quantifierEnd;
        bool bQuantifier;
        if (atomEnd > 0 || c == '\\' || c == '(' || c == '.' || c == '^' || c == '$') {
            bBroken = true;
            endRun();
            size_t end = atomEnd > 0 ? atomEnd : c == '\\' ? i + 2 : c == '(' ? SkipBracketed(t, i, n) : i + 1;
            bQuantifier = ReadQuantifier(t, end, n, &nMin, &quantifierEnd);
            if (atomEnd > 0 && needs.classAtom.empty() && nMin > 0) {
                needs.classAtom.assign(text + i, atomEnd - i);
                needs.nClassRun = nMin;
            }
            i = bQuantifier ? quantifierEnd : end;
            continue;
        }
        if (ReadQuantifier(t, i, n, &nMin, &quantifierEnd)) {
            // On the character before: optional at a least count of 0.
            bBroken = true;
            if (nMin == 0 && !starts.empty()) {
                run.resize(starts.back());
                starts.pop_back();
            }
            endRun();
            i = quantifierEnd;
            continue;
        }
        if (len == 2 && IsVariantCode((c << 8) | t[i + 1])) {
            // Its other form in a Unicode file would fail a byte look.
            bBroken = true;
            endRun();
            i += 2;
            continue;
        }
        starts.push_back(run.size());
        run.append(text + i, len);
        i += len;
    }
    endRun();
    needs.bOnlyLiteral = !bBroken && !needs.literal.empty();
    if (!needs.literal.empty()) {
        needs.classAtom.clear();
        needs.nClassRun = 0;
    }
    return needs;
}
