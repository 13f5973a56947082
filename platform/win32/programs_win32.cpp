// Editors: where they are installed, and starting one at a line of a file,
// through the wide API so that a file name keeps every character it has.
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

BOOL AfxStartEditor(CWnd* pOwner, const char* command, const char* path, uint64_t nLine, uint64_t nColumn)
{
    std::wstring line = FillCommand<wchar_t>(Win32Widen(command), Win32RealPath(path), nLine, nColumn);
    std::wstring program, parameters;
    SplitCommand(line, &program, &parameters);
    if (AFX_SHELL_OBSERVER pfn = AfxGetShellObserver())
        return pfn("open", Win32Narrow(program), Win32Narrow(parameters)) > 32;
    if (program.empty())
        return FALSE;
    // Quoted again, so a program path with blanks is taken whole; the
    // system looks for a bare name along its own search path.
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!parameters.empty())
        commandLine += L" " + parameters;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return FALSE;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return TRUE;
}

namespace {

// The default value of a key, with what it names of the environment filled
// in and the quotes an installer may have put round it taken off.
std::wstring DefaultValue(HKEY hRoot, const std::wstring& subKey, REGSAM view)
{
    HKEY hKey;
    if (::RegOpenKeyExW(hRoot, subKey.c_str(), 0, KEY_QUERY_VALUE | view, &hKey) != ERROR_SUCCESS)
        return std::wstring();
    DWORD type = 0, size = 0;
    std::wstring value;
    if (::RegQueryValueExW(hKey, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size < 65536) {
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
        if (::RegQueryValueExW(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS)
            value = data.data();
    }
    ::RegCloseKey(hKey);
    if (type == REG_EXPAND_SZ && !value.empty()) {
        DWORD n = ::ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        std::vector<wchar_t> expanded(n + 1, L'\0');
        if (n > 0 && ::ExpandEnvironmentStringsW(value.c_str(), expanded.data(), n) > 0)
            value = expanded.data();
    }
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::wstring Environment(const wchar_t* name)
{
    DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return std::wstring();
    std::vector<wchar_t> value(n, L'\0');
    ::GetEnvironmentVariableW(name, value.data(), n);
    return value.data();
}

}  // namespace

CString AfxGetAppPath(const char* exeName)
{
    std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + Win32Widen(exeName);
    // The machine's key in both views: a 32-bit editor registers in the
    // 32-bit one, whichever build of this program asks.
    std::wstring value = DefaultValue(HKEY_CURRENT_USER, key, 0);
    if (value.empty())
        value = DefaultValue(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY);
    if (value.empty())
        value = DefaultValue(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY);
    return Win32Narrow(value);
}

// From the environment, which names them for 32-bit and 64-bit processes
// alike (ProgramW6432 is the 64-bit folder also for a 32-bit process).
void AfxGetProgramFolders(std::vector<CString>* pFolders)
{
    pFolders->clear();
    std::wstring local = Environment(L"LOCALAPPDATA");
    const std::wstring folders[] = {Environment(L"ProgramW6432"), Environment(L"ProgramFiles"),
                                    Environment(L"ProgramFiles(x86)"), local.empty() ? local : local + L"\\Programs"};
    for (const std::wstring& folder : folders) {
        if (folder.empty())
            continue;
        CString narrow = Win32Narrow(folder);
        bool bSeen = false;
        for (const CString& known : *pFolders)
            bSeen = bSeen || known == narrow;
        if (!bSeen)
            pFolders->push_back(narrow);
    }
}
