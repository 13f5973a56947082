// The process on Windows: its executable's path, its command line read as
// UTF-16 (so paths with characters code page 932 lacks arrive whole), and
// the standard output and error of a run without the window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/win32/win32_internal.h"

namespace {

std::wstring WideOf(const std::string& bytes)
{
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty())
        bytes.copy(reinterpret_cast<char*>(&wide[0]), wide.size() * sizeof(wchar_t));
    return wide;
}

}  // namespace

// Windows takes the program's name up to the next quote when the line starts
// with one, and up to the first blank otherwise, with no rule for
// backslashes in it.
CCommandArgs Win32ArgsOfLine(const std::wstring& line)
{
    size_t end = 0;
    if (!line.empty() && line[0] == L'"') {
        end = line.find(L'"', 1);
        end = end == std::wstring::npos ? line.size() : end + 1;
    }
    while (end < line.size() && line[end] != L' ' && line[end] != L'\t')
        ++end;
    std::wstring rest =
        KeepClosingBackslashes(line.substr(end), [](const std::wstring&, size_t) { return static_cast<size_t>(1); });
    // A program's name of our own in front: the call reads the first word by
    // the program-name rule, and an empty rest gives no argument.
    std::wstring split = L"tolvane.exe " + rest;
    int nArgs = 0;
    wchar_t** argv = ::CommandLineToArgvW(split.c_str(), &nArgs);
    std::vector<std::string> args;
    for (int i = 1; argv && i < nArgs; ++i)
        args.emplace_back(reinterpret_cast<const char*>(argv[i]), std::wcslen(argv[i]) * sizeof(wchar_t));
    ::LocalFree(argv);
    return CCommandArgs(args);
}

namespace {

// A handle for one of the standard streams: the one the process was given
// (a file or a pipe when redirected), or else the console of the program
// that started it, which a GUI program is not given on its own.
HANDLE StandardHandle(DWORD nWhich)
{
    HANDLE h = ::GetStdHandle(nWhich);
    if (h && h != INVALID_HANDLE_VALUE)
        return h;
    static bool bAttached = ::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    if (!bAttached)
        return INVALID_HANDLE_VALUE;
    h = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                      nullptr);
    if (h != INVALID_HANDLE_VALUE)
        ::SetStdHandle(nWhich, h);
    return h;
}

// A console shows UTF-16 text whatever its code page; a file or a pipe
// takes the bytes as they are.
bool WriteStandard(DWORD nWhich, const char* data, size_t nBytes, UINT nCodePage)
{
    // What the C library holds back (the probe's own lines) goes first.
    std::fflush(nullptr);
    HANDLE h = StandardHandle(nWhich);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD nMode = 0;
    if (::GetFileType(h) == FILE_TYPE_CHAR && ::GetConsoleMode(h, &nMode)) {
        int nWide = ::MultiByteToWideChar(nCodePage, 0, data, static_cast<int>(nBytes), nullptr, 0);
        std::wstring wide(static_cast<size_t>(nWide), L'\0');
        ::MultiByteToWideChar(nCodePage, 0, data, static_cast<int>(nBytes), &wide[0], nWide);
        DWORD nWritten = 0;
        return nWide == 0 || ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(nWide), &nWritten, nullptr);
    }
    return Win32WriteAll(h, data, nBytes);
}

}  // namespace

CCommandArgs CCommandArgs::OfProcess() { return Win32ArgsOfLine(::GetCommandLineW()); }

CCommandArgs CCommandArgs::OfText(const char* text) { return Win32ArgsOfLine(L"tolvane.exe " + Win32Widen(text)); }

CString CCommandArgs::GetText(int i) const { return Win32Narrow(WideOf(m_args.at(static_cast<size_t>(i)))); }

CString CCommandArgs::GetPath(int i) const { return Win32ShownPath(WideOf(m_args.at(static_cast<size_t>(i)))); }

bool AfxWriteStdOut(const char* data, size_t nBytes) { return WriteStandard(STD_OUTPUT_HANDLE, data, nBytes, CP_UTF8); }

void AfxWriteStdErr(const char* text) { WriteStandard(STD_ERROR_HANDLE, text, std::strlen(text), 932); }

CString GetModuleFilePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return CString();
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768)
            return CString();
        buffer.resize(buffer.size() * 2);
    }
    if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.compare(0, 4, L"\\\\?\\") == 0)
        buffer = buffer.substr(4);
    // The settings files are looked for beside the executable by the shown
    // path: its folder must lead back to the real one, which this does.
    return Win32ShownPath(buffer);
}
