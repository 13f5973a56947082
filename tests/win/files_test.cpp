// The real file system: names and paths the ANSI API cannot take, folder texts
// as typed, a row opened in an editor, settings beside a program.
#include <windows.h>

#include <gtest/gtest.h>

#include <process.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "tests/win/win_support.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> Rows;  // file column and line, sorted

const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\sakura.exe";
const char kMissingEditor[] = "\"C:\\no such\\editor.exe\" \"%path%\"";
std::string g_box;  // caption, text and type of the last message box
void RecordBox(const char* caption, const char* text, UINT type)
{
    g_box = std::string(caption) + "|" + text + "|" + std::to_string(type);
}

void TypeMissingEditor(CDialog* pDialog)
{
    pDialog->GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(kMissingEditor);
    pDialog->OnCommand(IDOK, BN_CLICKED);
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFileW(BesideThisProgram(L"tolvane.ini").c_str());
        ProbeAnswerMessageBoxes();
        ASSERT_TRUE(m_dlg.Create());
    }
    void TearDown() override
    {
        m_dlg.DestroyWindow();
        AfxSetMessageBoxObserver(nullptr);
        RegDeleteKeyW(HKEY_CURRENT_USER, kAppPathsKey);
        for (const wchar_t* name : {L"tolvane.dat", L"tolvane.ini"})
            DeleteFileW(BesideThisProgram(name).c_str());
    }
    Rows Search(const std::string& refdir, const char* mask = "")
    {
        m_dlg.GetDlgItem(IDC_REFDIR).SetWindowText(refdir.c_str());
        m_dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("needle");
        m_dlg.GetDlgItem(IDC_EXT).SetWindowText(mask);
        CButton(m_dlg.GetDlgItem(IDC_CASE_ON)).Click();
        CButton(m_dlg.GetDlgItem(IDOK)).Click();
        CListCtrl list(m_dlg.GetDlgItem(IDC_RESULTS));
        Rows rows;
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.emplace_back(std::string(list.GetItemText(i, 0)), std::string(list.GetItemText(i, 3)));
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    TempFolder m_root{L"tolvane-files-"};
    CWinApp m_app;
    CSearchDlg m_dlg;
};

// Device names are files here; a character CP932 lacks shows as "?" (one per
// UTF-16 half), never a look-alike; names that show alike are two files.
TEST_F(FilesTest, NamesTheAnsiApiCannotTake)
{
    const std::wstring d = std::wstring(57, L'd') + L"\\", deep = d + d + d + d + d + d + d + d;  // past MAX_PATH
    std::vector<std::pair<std::wstring, std::string>> files = {
        {L"wave\u301Cdash.txt", "\\wave?dash.txt"},  // CP932's 〜 is U+FF5E
        {L"minus\u2212.txt", "\\minus?.txt"},        // CP932's − is U+FF0D
        {L"cent\u00A2 pound\u00A3 not\u00AC.txt", "\\cent? pound? not?.txt"},
        {L"bars\u2016.txt", "\\bars?.txt"}, {L"\uD55C\uAD6D\uC5B4.txt", "\\???.txt"},
        {L"emoji\U0001F600.txt", "\\emoji??.txt"}, {L"\u30c7\u30fc\u30bf.txt", "\\データ.txt"},
        {L"\uD55C\uAE00\\in.txt", "\\??\\in.txt"}, {L"\uD55C\uAE00\\\u301C\\deep.txt", "\\??\\?\\deep.txt"},
        {L"\uD55C.txt", "\\?.txt"}, {L"\uAD6D.txt", "\\?.txt"}, {L"\uC5B4\\a.txt", "\\?\\a.txt"},
        {L"\uAE00\\a.txt", "\\?\\a.txt"}, {deep + L"long.txt", "\\" + Cp932(deep) + "long.txt"}};
    for (std::string name : {"nul.txt", "NUL", "con.log", "prn", "aux.c", "Aux.H", "com1.txt", "COM9", "lpt1",
                             "LPT9.log", "cOm3.tar.gz", "con\\in.txt", "aux\\com2\\in.txt"})
        files.emplace_back(std::wstring(name.begin(), name.end()), "\\" + name);
    Rows expected;
    for (const auto& f : files) {
        expected.emplace_back(f.second, "needle " + std::to_string(expected.size()));
        m_root.Put(f.first, "x\n" + expected.back().second + "\n");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Search(m_root.Text() + "\\"));
    // A mask's '?' takes a character shown as '?' as any other.
    EXPECT_EQ((Rows{{"\\???.txt", "needle 4"}, {"\\nul.txt", "needle 14"}}), Search(m_root.Text(), "???.txt;!デ*"));
}

// Relative to the current folder, drive and drive root; trailing blanks and dots dropped.
TEST_F(FilesTest, FolderTextsAsTyped)
{
    m_root.Put(L"sub\\a.txt", "needle\n");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(m_root.m_path.c_str()));
    const std::string root = m_root.Text();
    for (const std::string& text : std::vector<std::string>{"sub", "sub\\", ".\\sub\\", "sub\\..\\sub", "sub/", "sub ",
             "sub.", "sub . .", "x\\..\\sub", root.substr(0, 2) + "sub", root.substr(2) + "\\sub",
             root + "\\\\sub\\\\", root + "\\sub  "})
        EXPECT_EQ((Rows{{"\\a.txt", "needle"}}), Search(text)) << text;
    SetCurrentDirectoryW(saved);
}

// In the editor App Paths registers, with a name a shell would misread; or an error box.
TEST_F(FilesTest, RowsOpenInTheRegisteredEditor)
{
    const std::wstring dir = m_root.m_path + L"\\e d\\", exe = dir + L"fake.exe", record = dir + L"editor-command.txt";
    m_root.Put(L"a b&%line%\u301C.txt", "x\r\n\tA needle\r\n");
    m_root.Put(L"e d\\fake.exe", "");
    ASSERT_TRUE(CopyFileW(BesideThisProgram(L"fake-editor.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, kAppPathsKey, nullptr, REG_SZ, exe.c_str(),
                                 static_cast<DWORD>((exe.size() + 1) * sizeof(wchar_t))));
    ASSERT_EQ(1u, Search(m_root.Text()).size());
    EXPECT_EQ("\"" + Cp932(exe) + "\" -Y=%line% -X=%column% \"%path%\"", std::string(m_dlg.Editor().strCommand));
    NMITEMACTIVATE activate = {};
    activate.hdr = {m_dlg.GetDlgItem(IDC_RESULTS).m_hWnd, IDC_RESULTS, static_cast<UINT>(NM_DBLCLK)};
    m_dlg.SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&activate));
    for (int i = 0; i < 100 && GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    const std::string started = ReadBytes(record);
    EXPECT_EQ(L"\"" + exe + L"\" -Y=2 -X=4 \"" + m_root.m_path + L"\\a b&%line%\u301C.txt\"",
              std::wstring(reinterpret_cast<const wchar_t*>(started.data()), started.size() / sizeof(wchar_t)));
    AfxSetModalObserver(TypeMissingEditor);
    m_dlg.SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
    AfxSetModalObserver(nullptr);
    AfxSetMessageBoxObserver(RecordBox);
    m_dlg.SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ("Error!|エディタを起動できませんでした。\n" + std::string(kMissingEditor) + "|16", g_box);
}

// Only the matched bytes change, through a temporary file renamed over the old one: a name CP932 lacks and a
// path past MAX_PATH, a hidden file keeping its attribute; a read-only file and one another
// program holds are left whole; undo puts back what was replaced.
TEST_F(FilesTest, AReplaceKeepsNamesAndAttributesAndLeavesHeldFilesWhole)
{
    const std::wstring deep = std::wstring(100, L'd') + L"\\" + std::wstring(100, L'e') + L"\\\uD55C.txt";
    const std::wstring names[] = {deep, L"Hidden.TXT", L"ro.txt", L"held.txt"};
    for (const std::wstring& name : names)
        m_root.Put(name, "x needle\r\n");
    auto path = [&](const std::wstring& name) { return L"\\\\?\\" + m_root.m_path + L"\\" + name; };
    SetFileAttributesW(path(L"Hidden.TXT").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(path(L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileW(path(L"held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_EQ(4u, Search(m_root.Text()).size());
    m_dlg.GetDlgItem(IDC_REPLACE_TEXT).SetWindowText("pin");
    AfxSetMessageBoxObserver(RecordBox);
    CButton(m_dlg.GetDlgItem(IDC_REPLACE)).Click();
    EXPECT_EQ("置換結果|2 個のファイルで 2 箇所を置換しました。\n読み取り専用のファイル 1 個は置換しませんでした。\n"
              "書き込めなかったファイル 1 個は置換しませんでした。|64", g_box);
    CloseHandle(held);
    for (const std::wstring& name : names)
        EXPECT_EQ(name == deep || name == L"Hidden.TXT" ? "x pin\r\n" : "x needle\r\n", ReadBytes(path(name)));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, GetFileAttributesW(path(L"Hidden.TXT").c_str()) &
                                         (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, GetFileAttributesW(path(L"ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(path(L"ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    m_dlg.SendMessage(WM_SYSCOMMAND, IDM_UNDO, 0);
    EXPECT_EQ("元に戻す|2 個のファイルを元に戻しました。|64", g_box);
    EXPECT_EQ("x needle\r\n", ReadBytes(path(deep)));
    EXPECT_EQ("x needle\r\n", ReadBytes(path(L"Hidden.TXT")));
}

TEST(CopiedProgram, ReadsAndWritesTheSettingsFileBesideIt)
{
    if (GetEnvironmentVariableW(L"TOLVANE_COPY_CHILD", nullptr, 0) == 0)
        GTEST_SKIP() << "only as the child of FilesTest.SettingsFileBesideAProgramInAFolderCp932CannotName";
    CWinApp app;
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_STREQ("C:\\prepared\\", dlg.ReadSettingsLine(1));
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\written\\");
    dlg.SaveSettings();
    dlg.DestroyWindow();
}

// Below 260 characters: Wine 8 starts no program from a longer path.
TEST_F(FilesTest, SettingsFileBesideAProgramInAFolderCp932CannotName)
{
    const std::wstring dir = m_root.m_path + L"\\" + std::wstring(40, L'e') + L"\\\u301C\u2212\\";
    m_root.Put(dir.substr(m_root.m_path.size() + 1) + L"tolvane.dat", "C:\\prepared\\\r\n");
    const std::wstring copy = dir + L"tolvane-wintests.exe";
    ASSERT_TRUE(CopyFileW(BesideThisProgram(L"tolvane-wintests.exe").c_str(), copy.c_str(), FALSE));
    _wputenv(L"TOLVANE_COPY_CHILD=1");
    EXPECT_EQ(0, _wspawnl(_P_WAIT, copy.c_str(), copy.c_str(), L"--gtest_filter=CopiedProgram.*", nullptr))
        << "the copy did not read the settings file beside it";
    _wputenv(L"TOLVANE_COPY_CHILD=");
    EXPECT_EQ(0u, ReadBytes(dir + L"tolvane.dat").find("C:\\written\\\r\n"));
}

}  // namespace
