// The settings files beside the executable as a run without the window reads
// them too: tolvane.dat's lines, and the fields both files keep.
#ifndef TOLVANE_SETTINGS_SETTINGS_H
#define TOLVANE_SETTINGS_SETTINGS_H

#include "platform/cstring.h"
#include "search/search_fields.h"
#include "settings/ini_file.h"

// Line NLINE of tolvane.dat (1 is the first), without its line end; "" when
// the file cannot be read or has no such line.
CString ReadSettingsFileLine(int nLine);

// The fields as the files keep them: tolvane.dat's five settings, then
// tolvane.ini's (read into *PINI), with the defaults of what neither holds.
// The search text is no setting: it starts empty.
void ReadSavedFields(SearchFields* pFields, CIniFile* pIni);

#endif
