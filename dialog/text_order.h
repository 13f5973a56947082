// The orders of the results list's texts: names as Explorer orders them,
// and texts blind to case for the letters the search folds. Texts are code
// page 932 bytes walked by characters, so a trail byte (the 5C of ソ, the 41
// of ア) is never folded or read as a digit of its own.
#ifndef TOLVANE_DIALOG_TEXT_ORDER_H
#define TOLVANE_DIALOG_TEXT_ORDER_H

#include <cstddef>
#include <cstdint>
#include <vector>

// Names as Explorer orders them: runs of ASCII digits compare by their value
// (f2 before f10; with equal values, fewer leading zeros first), everything
// else character by character (CP932 characters, a double-byte one as one),
// blind to case for the letters the search folds (MbcsMakeLower's letters:
// ASCII, full-width Latin, Greek, Cyrillic, Roman numerals). <0, 0, >0.
// Leading zeros only decide between names that are otherwise equal, so
// "f02a" comes before "f2b" as "f2a" does.
int CompareLogical(const char* a, size_t na, const char* b, size_t nb);
// Texts blind to case for the same letters, else by CP932 bytes. <0, 0, >0.
// The same order as comparing both texts' bytes after MbcsMakeLower.
int CompareFolded(const char* a, size_t na, const char* b, size_t nb);

// Indexes 0..N-1 in the order of CompareFolded of their texts, ties by
// index; a text is read about once, eight folded bytes at a time, whatever
// the comparisons. TEXTAT gives index's text (not copied) from CONTEXT.
typedef const char* (*TextAt)(const void* context, uint32_t index, size_t* pnLength);
std::vector<uint32_t> SortFolded(size_t n, bool bAscending, TextAt textAt, const void* context);

#endif
