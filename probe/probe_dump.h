// The probe's dump: what the window shows, line by line, and the controls
// that the actions and the dump both name.
#ifndef TOLVANE_PROBE_PROBE_DUMP_H
#define TOLVANE_PROBE_PROBE_DUMP_H

#include <cstddef>
#include <string>

#include "dialog/search_dlg.h"

struct Control {
    const char* name;
    int id;
};
// In the order a dump prints them; the editor's command line, which no field
// of the window holds, comes after ext.
extern const Control kFields[7];
extern const Control kChecks[6];

template <typename T, size_t N>
const T* Lookup(const T (&table)[N], const std::string& name)
{
    for (const T& c : table)
        if (name == c.name)
            return &c;
    return nullptr;
}

void ProbeDump(CSearchDlg& dlg);

#endif
