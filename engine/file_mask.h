// File-name masks, as the file field and the excluded folders take them.
// Names and masks are code page 932 bytes and are walked by characters, so a
// trail byte (the 5C of 表, the 41 of ア) is never read as '\\', '*', '?' or a
// letter of its own. Nothing here touches the file system.
#ifndef TOLVANE_SEARCH_FILE_MASK_H
#define TOLVANE_SEARCH_FILE_MASK_H

#include <cstddef>
#include <string>
#include <vector>

#include "platform/cstring.h"

// One mask: '*' is any run of characters (also none), '?' is exactly one
// character (a double-byte CP932 character is one), anything else itself.
// The mask matches the whole name, blind to case as Windows names are
// (ASCII and the fold table's letters). Both texts are CP932 bytes.
bool MaskMatches(const char* mask, size_t nMask, const char* name, size_t nName);

// A list of masks separated by ';', blanks (and tabs) around each ignored,
// empty ones dropped. Used for the excluded folders, where '!' has no meaning
// of its own (it is an ordinary character).
class CNameMasks {
public:
    CNameMasks() = default;
    explicit CNameMasks(const char* text);
    bool IsEmpty() const;
    bool Matches(const char* name) const;  // true when any mask matches NAME

private:
    std::vector<std::string> m_masks;  // already folded
};

// The file field (today: the extension filter). A text without '*', '?', ';'
// or '!' keeps the old rule exactly: the name must contain it (CString::Find,
// multi-byte aware), with a '.' put in front when it holds none; an empty text
// accepts every name. Any other text is a ';'-separated list of masks (blanks
// around each ignored, empties dropped); a mask starting with '!' excludes
// (the rest is the mask; a mask that is only "!" is empty and dropped). A name
// is accepted when it matches at least one mask without '!' (or there is no
// such mask) and matches no mask with '!'.
class CFileFilter {
public:
    CFileFilter() = default;
    explicit CFileFilter(const char* text);
    bool Accepts(const char* name) const;

private:
    bool m_bPlain = true;
    CString m_strPlain;                  // the old rule's text, '.' added
    std::vector<std::string> m_include;  // already folded
    std::vector<std::string> m_exclude;  // already folded, without the '!'
};

#endif
