// Explorer's menu entry 「トルヴァン検索で検索」 on folders and on a folder's
// background, for this user only (HKEY_CURRENT_USER\Software\Classes), which
// starts the program with the folder filled in: "PROGRAM" "%V".
#ifndef TOLVANE_APP_EXPLORER_MENU_H
#define TOLVANE_APP_EXPLORER_MENU_H

#include "platform/cstring.h"
#include "settings/ini_file.h"

enum ExplorerMenuState {
    kExplorerMenuAbsent,
    kExplorerMenuHere,       // the entries start PROGRAM
    kExplorerMenuElsewhere,  // they start another copy, or one that was moved
};

ExplorerMenuState GetExplorerMenuState(const char* program);
// Adds the entries. The keys above them that had to be made are recorded in
// INI, so that taking the entries away takes exactly what was added. On a
// failure nothing is left.
bool AddExplorerMenu(const char* program, CIniFile* pIni);
bool RemoveExplorerMenu(CIniFile* pIni);
// The entries made to start PROGRAM; false when they cannot be changed.
bool PointExplorerMenuAt(const char* program);

#endif
