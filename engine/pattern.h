// A search string as a regular expression or a whole word. Lines are matched
// as Unicode text, whatever the file's encoding, so that a class such as
// [ァ-ヶ] means the same characters in code page 932, UTF-8 and UTF-16 files;
// only lines that hold the pattern's required literal are decoded at all.
#ifndef TOLVANE_ENGINE_PATTERN_H
#define TOLVANE_ENGINE_PATTERN_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/pattern_text.h"

// The pattern of one search, made once from what was typed and shared
// read-only by every file's scan.
class SearchPattern {
public:
    // TEXT is the search string as typed, in code page 932, case kept. As a
    // regular expression (BREGEX) its syntax is Ruby's; otherwise it stands
    // for itself. BWHOLEWORD counts a match only where it neither starts nor
    // ends inside a word (WholeWordAt). BFOLD: case is not distinguished, for
    // the letters the plain search folds.
    SearchPattern(const char* text, size_t n, bool bRegex, bool bWholeWord, bool bFold);

    // Empty when the pattern compiles; else the library's message (code page 932).
    std::string Check() const;

    // The pattern as the library gets it: UTF-8, variant forms made one,
    // literals folded when case is not distinguished. Empty when the text
    // holds a code that is no character: such a pattern matches nothing.
    const std::string& Source() const { return m_source; }
    bool WholeWord() const { return m_bWholeWord; }
    bool Fold() const { return m_bFold; }
    // Code page 932 text every matching line holds (folded when case is not
    // distinguished), for a fast look at the file's own bytes; may be empty.
    const std::string& Literal() const { return m_literal; }
    // Whether a line that holds the literal matches, where the literal stands.
    bool OnlyLiteral() const { return m_bOnlyLiteral; }
    // Without a literal: a class every match holds NCLASSRUN times in a row
    // (as the library gets it), or empty.
    const std::string& ClassSource() const { return m_classSource; }
    unsigned ClassRun() const { return m_nClassRun; }

private:
    std::string m_source;
    std::string m_literal;
    bool m_bOnlyLiteral = false;
    std::string m_classSource;
    unsigned m_nClassRun = 0;
    bool m_bWholeWord;
    bool m_bFold;
};

// A line prepared for the pattern: code page 932 or UTF-8 bytes as UTF-8,
// variant forms made one, folded as the pattern is. A byte that starts no
// character becomes U+FFFD, so the text is always well formed.
void PrepareLine(const char* line, size_t n, bool bUtf8, bool bFold, std::string& out);
// The same, with FROM made one longer than OUT: for each byte of OUT, where
// in LINE the character it stands for starts, then N.
void PrepareLineMapped(const char* line, size_t n, bool bUtf8, bool bFold, std::string& out,
                       std::vector<size_t>* pFrom);

// Columns of the first N bytes of prepared text, as a Windows editor counts
// them: one per character, two outside the Basic Multilingual Plane.
size_t PreparedColumns(const char* s, size_t n);

// Whether [start, end) of prepared text stands as a whole word: the
// character before it is not of its first character's kind, nor the one
// after of its last's. The kinds: ASCII letters, digits and '_'; full-width
// letters and digits; hiragana; katakana with ー and the half-width ones;
// kanji with 々. Any other character joins no word.
bool WholeWordAt(const char* s, size_t n, size_t start, size_t end);

// The compiled pattern of one scan at a time: each worker holds its own.
class PatternMatcher {
public:
    enum Result { kNoMatch, kMatch, kGaveUp };

    PatternMatcher();
    ~PatternMatcher();
    PatternMatcher(const PatternMatcher&) = delete;
    PatternMatcher& operator=(const PatternMatcher&) = delete;

    // Compiles PATTERN unless it is the one held already; false if it does
    // not compile (it then matches nothing).
    bool Use(const SearchPattern& pattern);

    // The first match in a prepared line, where it starts in *PSTART. A
    // line on which the library gives up (too much backtracking) does not
    // match.
    Result Find(const char* s, size_t n, size_t* pStart);
    // The first match that starts at FROM or later, the line before FROM
    // still seen (by ^, \b or a look-behind); with PGROUPS, the start and
    // end of each group, the whole match first, -1 for a group not taken.
    Result FindFrom(const char* s, size_t n, size_t from, size_t* pStart, std::vector<long>* pGroups);
    // Groups of the compiled pattern, the whole match not counted; the
    // number of a named group (its name in UTF-8), -1 when there is none.
    int GroupCount() const;
    int GroupNumber(const std::string& utf8Name) const;

    // Whether a line as read (code page 932, or UTF-8 with BUTF8) can match:
    // false only when it lacks the pattern's class run. Each character's
    // answer is asked of the library once and kept.
    bool MayMatch(const char* line, size_t n, bool bUtf8);
    bool HasClass() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// How many backtracking steps one line may cost before the library gives
// up: tens of milliseconds, so that Esc is seen between lines.
const unsigned long kRetryLimit = 10000000;

#endif
