#include "app/explorer_menu.h"

#include <string>
#include <vector>

#include "platform/registry.h"

namespace {

// The folders' verbs, and the keys above them that a registry may lack: the
// user's own Classes key often has nothing for folders, and under Wine there
// is none at first.
const char* const kShellKeys[] = {"Software\\Classes\\Directory\\shell",
                                  "Software\\Classes\\Directory\\Background\\shell"};
const char* const kKeysAbove[] = {"Software\\Classes", "Software\\Classes\\Directory",
                                  "Software\\Classes\\Directory\\shell",
                                  "Software\\Classes\\Directory\\Background",
                                  "Software\\Classes\\Directory\\Background\\shell"};
const char kVerb[] = "\\tolvane";
const char kCommand[] = "\\command";
const char kLabel[] = "トルヴァン検索で検索";
// Explorer puts the folder for %V; the quotes keep a name with blanks one
// argument, and the program keeps a root's backslash before the last quote.
const char kParameters[] = "\"%V\"";
const char kMadeKey[] = "ExplorerMenuMadeKeys";

std::string Entry(const char* shellKey) { return std::string(shellKey) + kVerb; }
std::string Command(const char* shellKey) { return Entry(shellKey) + kCommand; }

std::vector<std::string> MadeKeys(const CIniFile& ini)
{
    std::vector<std::string> keys;
    std::string list(ini.Get(kMadeKey));
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            keys.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return keys;
}

// The entries themselves, then the keys recorded as made for them, deepest
// first, each only while it holds nothing of anyone else's.
bool RemoveKeys(const std::vector<std::string>& made)
{
    bool bDone = true;
    for (const char* shellKey : kShellKeys) {
        for (const std::string& key : {Command(shellKey), Entry(shellKey)})
            if (AfxRegKeyExists(key.c_str()) && !AfxRegDeleteKey(key.c_str()))
                bDone = false;
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        if (AfxRegKeyIsEmpty(it->c_str()))
            AfxRegDeleteKey(it->c_str());
    return bDone;
}

}  // namespace

ExplorerMenuState GetExplorerMenuState(const char* program)
{
    bool bAny = false, bHere = true;
    for (const char* shellKey : kShellKeys) {
        bAny |= AfxRegKeyExists(Entry(shellKey).c_str());
        bHere &= AfxRegIsCommand(Command(shellKey).c_str(), program, kParameters);
    }
    return !bAny ? kExplorerMenuAbsent : bHere ? kExplorerMenuHere : kExplorerMenuElsewhere;
}

bool AddExplorerMenu(const char* program, CIniFile* pIni)
{
    std::vector<std::string> made;
    bool bDone = true;
    for (const char* key : kKeysAbove) {
        bool bMade = false;
        bDone = bDone && AfxRegCreateKey(key, &bMade);
        if (bMade)
            made.push_back(key);
    }
    for (const char* shellKey : kShellKeys) {
        bool bMade = false;
        bDone = bDone && AfxRegCreateKey(Entry(shellKey).c_str(), &bMade) &&
                AfxRegSetDefault(Entry(shellKey).c_str(), kLabel) &&
                AfxRegCreateKey(Command(shellKey).c_str(), &bMade) &&
                AfxRegSetCommand(Command(shellKey).c_str(), program, kParameters);
    }
    if (!bDone) {
        RemoveKeys(made);
        return false;
    }
    std::string list;
    for (const std::string& key : made)
        list += (list.empty() ? "" : ";") + key;
    pIni->Set(kMadeKey, list.c_str());
    return true;
}

bool RemoveExplorerMenu(CIniFile* pIni)
{
    if (!RemoveKeys(MadeKeys(*pIni)))
        return false;
    pIni->Remove(kMadeKey);
    return true;
}

bool PointExplorerMenuAt(const char* program)
{
    bool bDone = true;
    for (const char* shellKey : kShellKeys)
        bDone = bDone && AfxRegSetCommand(Command(shellKey).c_str(), program, kParameters);
    return bDone;
}
