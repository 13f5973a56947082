// The new bytes of one file: every match in its listed lines replaced in
// the file's own encoding, every other byte kept as it was.
#ifndef TOLVANE_ENGINE_SPLICE_H
#define TOLVANE_ENGINE_SPLICE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/replace.h"

// A listed line after its replacements, as a search row would show it.
struct SplicedLine {
    uint64_t nLine;
    uint64_t nColumn;   // of the first replacement, as the search counts columns
    std::string text;   // code page 932, up to a NUL, without the line end
};

// Part of a line's text: where a match starts and how many bytes it holds.
struct TextSpan {
    size_t nStart;
    size_t nLength;
};

// The rule of one replace, made once and used for every file. The same rule
// with no replacement marks the matches of the lines a search listed.
class CSplicer {
public:
    explicit CSplicer(const ReplaceRule& rule);
    ~CSplicer();
    CSplicer(const CSplicer&) = delete;
    CSplicer& operator=(const CSplicer&) = delete;

    // Empty when the rule can be used; else what is wrong, as the box says it.
    const CString& Error() const;
    const ReplaceRule& Rule() const;

    // OUT gets BYTES with the matches of LINES (1-based, ascending) replaced,
    // and PLINES one entry per listed line. False, with OUT unset, when a
    // listed line is missing or holds no match any more: the file has
    // changed since the search.
    bool Splice(const std::string& bytes, const std::vector<uint64_t>& lines, std::string* out,
                std::vector<SplicedLine>* pLines, uint64_t* pnReplaced);

    // Every match of one line, one after another as a replace takes them:
    // TEXT is code page 932 bytes, or UTF-8 with BUTF8. False when the rule
    // cannot be used or the pattern library gave up on the line.
    bool Spans(const char* text, size_t n, bool bUtf8, std::vector<TextSpan>* pSpans);

    struct Impl;

private:
    std::unique_ptr<Impl> m;
};

#endif
