// Dialog templates as the resource compiler lays them out. The stand-in builds
// its controls from them, and the resource tests read them back field by field.
#ifndef TOLVANE_PLATFORM_RESTEMPLATE_H
#define TOLVANE_PLATFORM_RESTEMPLATE_H

#include <cstddef>
#include <vector>

#include "platform/cstring.h"
#include "platform/wintypes.h"

struct DialogItemTemplate {
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    int id;               // -1 for labels
    CString className;    // "BUTTON", "EDIT", "STATIC", "COMBOBOX", "SysTreeView32", ...
    CString text;         // CP932; empty when the text is a resource ordinal
    int textOrdinal;      // resource id given instead of a text (icons), else -1
};

struct DialogTemplate {
    bool extended;  // DIALOGEX
    DWORD helpId;
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    CString menu;
    CString windowClass;
    CString caption;
    WORD pointSize;
    WORD weight;
    unsigned char italic;
    unsigned char charset;
    CString faceName;
    std::vector<DialogItemTemplate> items;
};

bool ParseDialogTemplate(const void* pData, size_t nSize, DialogTemplate* pOut);
// The template of dialog NID in the running program's resources.
bool LoadDialogTemplate(unsigned nID, DialogTemplate* pOut);

#endif
