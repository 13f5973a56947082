#include "search/folder_text.h"

#include <cstring>
#include <string>
#include <vector>

#include "text/mbcs.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The names of TEXT from byte START on, split at separators that are
// characters of their own; whether a separator ends the text.
std::vector<std::string> Names(const std::string& text, size_t start, bool* pEndsInSeparator)
{
    std::vector<std::string> names(1);
    *pEndsInSeparator = false;
    for (size_t i = start; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte932(c) && i + 1 < text.size()) {
            names.back() += text[i];
            names.back() += text[++i];
        } else if (IsSeparator(text[i])) {
            names.emplace_back();
        } else {
            names.back() += text[i];
        }
    }
    *pEndsInSeparator = names.size() > 1 && names.back().empty();
    return names;
}

// Whether the last character of NAME is a single byte out of SET; a byte
// after a lead byte is that character's second, whatever its value.
bool LastIsOneOf(const std::string& name, const char* set)
{
    size_t i = 0, last = std::string::npos;
    while (i < name.size()) {
        last = i;
        i += IsLeadByte932(static_cast<unsigned char>(name[i])) && i + 1 < name.size() ? 2 : 1;
    }
    return last != std::string::npos && last + 1 == name.size() && name[last] != '\0' && std::strchr(set, name[last]) != nullptr;
}

// Where the part that ".." never climbs above ends: "C:\", "C:", "\",
// "\\server\share\", or nothing for a relative text.
size_t RootLength(const std::string& text)
{
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        size_t n = 2, parts = 0;
        while (n < text.size() && parts < 2) {
            unsigned char c = static_cast<unsigned char>(text[n]);
            if (IsLeadByte932(c) && n + 1 < text.size())
                n += 2;
            else if (IsSeparator(text[n++]))
                ++parts;
        }
        return n;
    }
    if (text.size() >= 2 && text[1] == ':' && !IsLeadByte932(static_cast<unsigned char>(text[0])))
        return text.size() >= 3 && IsSeparator(text[2]) ? 3 : 2;
    return !text.empty() && IsSeparator(text[0]) ? 1 : 0;
}

}  // namespace

CString NormalisedFolderText(const CString& text)
{
    std::string s(text.GetString(), static_cast<size_t>(text.GetLength()));
    size_t rootLength = RootLength(s);
    std::string root = s.substr(0, rootLength);
    for (char& c : root)
        if (c == '/')
            c = '\\';
    bool bEndsInSeparator = false;
    std::vector<std::string> names = Names(s, rootLength, &bEndsInSeparator);
    if (!bEndsInSeparator && names.back() != "." && names.back() != "..") {
        // Blanks and dots are no part of a last name, as Windows names go.
        std::string& last = names.back();
        while (LastIsOneOf(last, " ."))
            last.pop_back();
    }
    std::vector<std::string> kept;
    for (std::string name : names) {
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            if (!kept.empty() && kept.back() != "..")
                kept.pop_back();
            else if (rootLength == 0)
                kept.push_back(name);
            continue;
        }
        // "a." is the name "a"; "a.." keeps its dots.
        if (LastIsOneOf(name, ".") && !LastIsOneOf(name.substr(0, name.size() - 1), "."))
            name.pop_back();
        kept.push_back(name);
    }
    std::string out = root;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0 || (!out.empty() && !IsSeparator(out.back()) && out.back() != ':'))
            out += '\\';
        out += kept[i];
    }
    if (out.empty())
        out = ".";
    return CString(out.c_str());
}
