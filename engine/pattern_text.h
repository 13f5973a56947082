// What a typed pattern says before the library reads it: a plain text made
// into a pattern, and what every match must hold, for a fast look at a
// file's own bytes before any line is decoded.
#ifndef TOLVANE_ENGINE_PATTERN_TEXT_H
#define TOLVANE_ENGINE_PATTERN_TEXT_H

#include <cstddef>
#include <string>

// Whether code page 932 text holds a character whose JIS and Microsoft forms
// are told apart in Unicode files (〜 U+301C and U+FF5E, and six more).
bool HoldsVariantForm(const char* text, size_t n);

// The text in a regular expression's syntax: every character stands for itself.
std::string EscapeRegex(const char* text, size_t n);

// What every match of a pattern (code page 932, Ruby syntax) holds, as far
// as a simple reading of its top level tells; all empty when it tells
// nothing (alternatives at the top, options, escapes of their own length).
struct PatternNeeds {
    // The longest run of plain characters no quantifier makes optional.
    std::string literal;
    // Whether that run is the whole pattern: a match is then the text itself.
    bool bOnlyLiteral = false;
    // Without a literal: the first class (\d \w \s \h or [...]) that every
    // match holds at least NCLASSRUN times in a row, as written.
    std::string classAtom;
    unsigned nClassRun = 0;
};
PatternNeeds ReadPatternNeeds(const char* text, size_t n);

#endif
