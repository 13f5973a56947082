// The command line as Windows splits it, with names code page 932 lacks and a
// folder relative to the current one, and Explorer's entries in Wine's registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/start.h"
#include "dialog/search_dlg.h"
#include "platform/files.h"
#include "platform/win32/win32_internal.h"
#include "tests/start_table.h"
#include "tests/win/win_support.h"

namespace {

// Every key below KEY and every value, its type and its bytes.
std::string Snapshot(HKEY hParent, const std::wstring& key)
{
    HKEY h;
    if (RegOpenKeyExW(hParent, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "";
    std::string out = Cp932(key) + "\n";
    wchar_t name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nName = 512, nData = sizeof data, nType = 0;
        if (RegEnumValueW(h, i, name, &nName, nullptr, &nType, data, &nData) != ERROR_SUCCESS)
            break;
        out += Cp932(std::wstring(name, nName)) + " " + std::to_string(nType) + " " +
               std::string(reinterpret_cast<char*>(data), nData) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nName = 512;
        if (RegEnumKeyExW(h, i, name, &nName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out += Snapshot(h, std::wstring(name, nName));
    }
    RegCloseKey(h);
    return out;
}

std::wstring DefaultValue(const wchar_t* key)
{
    wchar_t value[1024] = {};
    DWORD nBytes = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &nBytes);
    return value;
}

TEST(Start, CommandLinesAsWindowsSplitsThem)
{
    TempFolder temp(L"tolvane-start-");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(temp.m_path.c_str());
    for (const auto& c : kCommandLines) {
        std::string expected = c.given;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, temp.Text());
        EXPECT_EQ(expected, Given(ParseStartOptions(CCommandArgs::OfText(c.line)))) << c.line;
    }
    SetCurrentDirectoryW(saved);

    // A folder and a file named with 〜 U+301C, which code page 932 lacks: shown with "?", searched and
    // written as they are named; and nothing saved.
    temp.Put(L"\x301C dir\\a.txt", "needle\n");
    std::wstring dir = temp.m_path + L"\\\x301C dir";
    CStartOptions options;
    int nExitCode = -1;
    EXPECT_FALSE(StartFromCommandLine(
        Win32ArgsOfLine(L"tolvane.exe \"" + dir + L"\\\" /s needle /out \"" + dir + L"\\hits.tsv\""), &options,
        &nExitCode));
    EXPECT_EQ(temp.Text() + "\\? dir", std::string(options.folder.str));
    EXPECT_EQ(kExitRows, nExitCode);
    EXPECT_NE(std::string::npos, ReadBytes(dir + L"\\hits.tsv").find("\\a.txt\t1\t1\t\tneedle\r\n"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(BesideThisProgram(L"tolvane.dat").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(BesideThisProgram(L"tolvane.ini").c_str()));
}

// Added from the system menu (its item then ticked), the entries name this program as the file system does; a
// click on one starts it with the folder, a drive's root included; taken away, the registry is as it was, byte for
// byte.
TEST(Start, ExplorerEntriesInTheRegistry)
{
    std::string before = Snapshot(HKEY_CURRENT_USER, L"Software\\Classes");
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    HMENU hMenu = GetSystemMenu(dlg.m_hWnd, FALSE);
    dlg.SendMessage(WM_SYSCOMMAND, IDM_EXPLORER);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(hMenu, IDM_EXPLORER, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(L"トルヴァン検索で検索", DefaultValue(L"Software\\Classes\\Directory\\Background\\shell\\tolvane"));
    std::wstring command = DefaultValue(L"Software\\Classes\\Directory\\shell\\tolvane\\command");
    EXPECT_EQ(L"\"" + Win32RealPath(GetModuleFilePath()) + L"\" \"%V\"", command);
    for (const wchar_t* folder : {L"C:\\", L"C:\\my dir"}) {
        std::wstring click = command.substr(0, command.find(L"%V")) + folder + L"\"";
        EXPECT_EQ("folder=" + Cp932(folder) + "|", Given(ParseStartOptions(Win32ArgsOfLine(click))));
    }
    dlg.SendMessage(WM_SYSCOMMAND, IDM_EXPLORER);
    EXPECT_EQ(0u, GetMenuState(hMenu, IDM_EXPLORER, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(before, Snapshot(HKEY_CURRENT_USER, L"Software\\Classes"));
    dlg.DestroyWindow();
    DeleteFileW(BesideThisProgram(L"tolvane.ini").c_str());
}

}  // namespace
