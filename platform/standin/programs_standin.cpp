// Editors without a system: the tests say what is registered, and nothing
// is ever started.
#include <string>

#include "platform/command_line.h"
#include "platform/internal.h"
#include "platform/standin/standin.h"

std::map<std::string, CString> g_standinAppPaths;

BOOL AfxStartEditor(CWnd*, const char* command, const char* path, uint64_t nLine, uint64_t nColumn)
{
    std::string line = FillCommand<char>(command, path, nLine, nColumn);
    std::string program, parameters;
    SplitCommand(line, &program, &parameters);
    if (AFX_SHELL_OBSERVER pfn = AfxGetShellObserver())
        return pfn("open", program.c_str(), parameters.c_str()) > 32;
    g_standinShellOpened = program.c_str();
    return !program.empty();
}

CString AfxGetAppPath(const char* exeName)
{
    auto it = g_standinAppPaths.find(exeName);
    return it == g_standinAppPaths.end() ? CString() : it->second;
}

// As a 64-bit Windows names them; they exist where a drive is mapped to a
// host folder that holds them.
void AfxGetProgramFolders(std::vector<CString>* pFolders)
{
    *pFolders = {"C:\\Program Files", "C:\\Program Files (x86)"};
}
