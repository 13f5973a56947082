// tolvane.ini beside the executable: the settings that came after the layout
// of tolvane.dat was fixed, which older copies of the program still read.
// Lines of "key=value" in code page 932 under a "[tolvane]" heading; keys
// this program does not know are kept, so a newer program's settings survive
// a save by an older one.
#ifndef TOLVANE_SETTINGS_INI_FILE_H
#define TOLVANE_SETTINGS_INI_FILE_H

#include <string>
#include <utility>
#include <vector>

#include "platform/cstring.h"

class CIniFile {
public:
    // A file that is missing or cannot be read gives no keys; a line that is
    // no "key=value" is dropped, and of a key given twice the last one counts.
    void Load(const char* path);
    // Replaces the file whole, so a kill leaves the old file or the new one.
    bool Save(const char* path) const;

    CString Get(const char* key, const char* defaultValue = "") const;
    bool Has(const char* key) const;
    // A line end in VALUE would end the line: it becomes a blank.
    void Set(const char* key, const char* value);
    void Remove(const char* key);

private:
    std::vector<std::pair<std::string, std::string>> m_entries;
};

// Where the second settings file lives: beside the executable.
CString IniPath();

#endif
