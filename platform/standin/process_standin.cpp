// The process, the shell and the registry of the native build: command lines
// split as Windows splits them, the host's standard streams, posted messages,
// dropped files and a registry in memory.
#include <cstdio>
#include <cstring>

#include "platform/command_line.h"
#include "platform/internal.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/standin/standin.h"
#include "text/mbcs.h"

std::vector<StandinPosted> g_standinPosted;
std::map<std::string, std::map<std::string, std::string>> g_standinRegistry = {{"Software", {}},
                                                                            {"Software\\Classes", {}}};
bool g_standinRegistryReadOnly = false;

namespace {

size_t CharLength(const std::string& s, size_t i)
{
    return IsLeadByte932(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// The arguments after the program's name, by CommandLineToArgvW's rules:
// blanks and tabs outside quotes part them; 2n backslashes before a quote
// are n and the quote opens or closes, 2n+1 are n and a quote of the text;
// other backslashes are themselves.
std::vector<std::string> SplitArguments(const std::string& line)
{
    std::vector<std::string> args;
    std::string arg;
    bool bQuoted = false, bInArg = false;
    size_t nBackslashes = 0;
    for (size_t i = 0; i < line.size();) {
        char c = line[i];
        size_t n = CharLength(line, i);
        if (c == '\\' && n == 1) {
            ++nBackslashes;
        } else if (c == '"') {
            arg.append(nBackslashes / 2, '\\');
            if (nBackslashes % 2 == 1)
                arg += '"';
            else
                bQuoted = !bQuoted;
            nBackslashes = 0;
        } else {
            arg.append(nBackslashes, '\\');
            nBackslashes = 0;
            if (!bQuoted && (c == ' ' || c == '\t')) {
                if (bInArg)
                    args.push_back(arg);
                arg.clear();
                bInArg = false;
                ++i;
                continue;
            }
            arg.append(line, i, n);
        }
        bInArg = true;
        i += n;
    }
    arg.append(nBackslashes, '\\');
    if (bInArg)
        args.push_back(arg);
    return args;
}

std::map<std::string, std::string>* Key(const char* key)
{
    auto it = g_standinRegistry.find(key);
    return it == g_standinRegistry.end() ? nullptr : &it->second;
}

bool HasSubkeys(const std::string& key)
{
    auto it = g_standinRegistry.lower_bound(key + "\\");
    return it != g_standinRegistry.end() && it->first.compare(0, key.size() + 1, key + "\\") == 0;
}

std::string Command(const char* program, const char* parameters)
{
    return "\"" + std::string(program) + "\" " + parameters;
}

}  // namespace

// The native build is no program of its own: only the probe and the tests
// give it a command line.
CCommandArgs CCommandArgs::OfProcess() { return CCommandArgs(std::vector<std::string>()); }

CCommandArgs CCommandArgs::OfText(const char* text)
{
    return CCommandArgs(SplitArguments(KeepClosingBackslashes(std::string(text), CharLength)));
}

CString CCommandArgs::GetText(int i) const { return CString(m_args.at(static_cast<size_t>(i)).c_str()); }

CString CCommandArgs::GetPath(int i) const { return StandinAbsolutePath(m_args.at(static_cast<size_t>(i)).c_str()); }

bool AfxWriteStdOut(const char* data, size_t nBytes)
{
    bool bDone = std::fwrite(data, 1, nBytes, stdout) == nBytes;
    return std::fflush(stdout) == 0 && bDone;
}

void AfxWriteStdErr(const char* text) { std::fputs(text, stderr); }

int AfxMessageBox(const char* text, const char* caption, UINT nType)
{
    if (AFX_MSGBOX_OBSERVER pfn = AfxGetMessageBoxObserver())
        pfn(caption, text, nType);
    return IDOK;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return FALSE;
    g_standinPosted.push_back({m_hWnd, message, wParam, lParam});
    return TRUE;
}

void CWnd::DragAcceptFiles(BOOL bAccept)
{
    if (m_hWnd)
        m_hWnd->acceptsFiles = bAccept != FALSE;
}

UINT AfxDroppedCount(HDROP hDrop) { return static_cast<UINT>(hDrop->paths.size()); }

CString AfxDroppedPath(HDROP hDrop, UINT nFile) { return hDrop->paths.at(nFile); }

void AfxDragFinish(HDROP hDrop) { delete hDrop; }

bool AfxRegKeyExists(const char* key) { return Key(key) != nullptr; }

bool AfxRegCreateKey(const char* key, bool* pbMade)
{
    std::string name(key);
    size_t cut = name.rfind('\\');
    if (g_standinRegistryReadOnly || (cut != std::string::npos && !Key(name.substr(0, cut).c_str())))
        return false;
    *pbMade = g_standinRegistry.emplace(name, std::map<std::string, std::string>()).second;
    return true;
}

bool AfxRegDeleteKey(const char* key)
{
    if (g_standinRegistryReadOnly || !Key(key) || HasSubkeys(key))
        return false;
    g_standinRegistry.erase(key);
    return true;
}

bool AfxRegKeyIsEmpty(const char* key) { return Key(key) && Key(key)->empty() && !HasSubkeys(key); }

bool AfxRegSetDefault(const char* key, const char* text)
{
    if (g_standinRegistryReadOnly || !Key(key))
        return false;
    (*Key(key))[""] = text;
    return true;
}

bool AfxRegSetCommand(const char* key, const char* program, const char* parameters)
{
    return AfxRegSetDefault(key, Command(program, parameters).c_str());
}

bool AfxRegIsCommand(const char* key, const char* program, const char* parameters)
{
    return Key(key) && Key(key)->count("") && Key(key)->at("") == Command(program, parameters);
}
