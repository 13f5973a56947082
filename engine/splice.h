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

// The rule of one replace, made once and used for every file.
class CSplicer {
public:
    explicit CSplicer(const ReplaceRule& rule);
    ~CSplicer();
    CSplicer(const CSplicer&) = delete;
    CSplicer& operator=(const CSplicer&) = delete;

    // Empty when the rule can be used; else what is wrong, as the box says it.
    const CString& Error() const;

    // OUT gets BYTES with the matches of LINES (1-based, ascending) replaced,
    // and PLINES one entry per listed line. False, with OUT unset, when a
    // listed line is missing or holds no match any more: the file has
    // changed since the search.
    bool Splice(const std::string& bytes, const std::vector<uint64_t>& lines, std::string* out,
                std::vector<SplicedLine>* pLines, uint64_t* pnReplaced);

    struct Impl;

private:
    std::unique_ptr<Impl> m;
};

#endif
