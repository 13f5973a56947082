// The reference folder as the user means it: a typed or pasted path made
// plain before the walk uses it as a prefix.
#ifndef TOLVANE_SEARCH_FOLDER_TEXT_H
#define TOLVANE_SEARCH_FOLDER_TEXT_H

#include "platform/cstring.h"

// As Windows reads a path it is given: "." dropped, ".." taking the name
// before it back (never the drive, the share or the root), a name ending in a
// single "." without it, and the blanks and dots at the end of the last name
// dropped unless a separator follows it. "/" counts as "\". Without the
// system's part (the current folder of a relative text), so that every build
// makes the same text of it. No separator at the end, but after a root.
CString NormalisedFolderText(const CString& text);


#endif
