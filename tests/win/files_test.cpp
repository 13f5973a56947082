// Files Windows lists, searched through the real file system: reserved device
// names, names CP932 cannot hold, names that look alike in CP932 and paths
// longer than the ANSI API allows. The files are made through the wide API,
// so on the host they carry their UTF-8 names.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/files.h"
#include "platform/probe_support.h"

namespace {

typedef std::pair<std::string, std::string> Row;  // file column, line

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Long(dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(Long(path).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(Long(dir).c_str());
}

// A device that was opened by mistake would make a read wait for ever: the
// whole program stops with a message instead.
class Watchdog {
public:
    explicit Watchdog(const char* what) : m_thread([this, what] {
          for (int i = 0; i < 1200 && !m_done; ++i)
              Sleep(100);
          if (!m_done) {
              std::fprintf(stderr, "%s: still running after 120 s, a device was opened\n", what);
              std::fflush(stderr);
              ExitProcess(3);
          }
      })
    {
    }
    ~Watchdog()
    {
        m_done = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        DWORD n = GetTempPathW(MAX_PATH, temp);
        ASSERT_GT(n, 0u);
        wchar_t unique[64];
        swprintf(unique, 64, L"tolvane-files-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        m_root = std::wstring(temp, n) + unique;
        if (m_root.compare(0, 4, L"\\\\?\\") == 0)
            m_root = m_root.substr(4);
        ASSERT_TRUE(CreateDirectoryW(Long(m_root).c_str(), nullptr));
        ProbeAnswerMessageBoxes();
        ASSERT_TRUE(m_dlg.Create());
    }

    void TearDown() override
    {
        m_dlg.DestroyWindow();
        RemoveTree(m_root);
        CString module = GetModuleFilePath();
        CString settings = module.Left(module.ReverseFind('\\')) + "\\tolvane.dat";
        DeleteFileA(settings);
    }

    // A file below the root; REL uses "\" and makes the folders it names.
    void Put(const std::wstring& rel, const std::string& bytes)
    {
        for (size_t cut = rel.find(L'\\'); cut != std::wstring::npos; cut = rel.find(L'\\', cut + 1))
            CreateDirectoryW(Long(m_root + L"\\" + rel.substr(0, cut)).c_str(), nullptr);
        HANDLE h = CreateFileW(Long(m_root + L"\\" + rel).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << "cannot make the test file";
        DWORD nWritten = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
        CloseHandle(h);
    }

    // The root as the product sees it: its temp path is plain ASCII.
    std::string RootText() const { return std::string(m_root.begin(), m_root.end()); }

    std::vector<Row> Search(const std::string& refdir, const std::string& search, const char* files = "")
    {
        Watchdog watchdog("search");
        m_dlg.GetDlgItem(IDC_REFDIR).SetWindowText(refdir.c_str());
        m_dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText(search.c_str());
        m_dlg.GetDlgItem(IDC_EXT).SetWindowText(files);
        CButton(m_dlg.GetDlgItem(IDC_CASE_ON)).Click();
        CListCtrl list(m_dlg.GetDlgItem(IDC_RESULTS));
        CButton(m_dlg.GetDlgItem(IDOK)).Click();
        std::vector<Row> rows;
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.emplace_back(std::string(list.GetItemText(i, 0)), std::string(list.GetItemText(i, 3)));
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::wstring m_root;
    CWinApp m_app;
    CSearchDlg m_dlg;
};

TEST_F(FilesTest, ReservedDeviceNamesAreOrdinaryFiles)
{
    const wchar_t* names[] = {L"nul.txt", L"NUL",      L"con.log", L"prn",      L"aux.c",  L"Aux.H",
                              L"com1.txt", L"COM9",    L"lpt1",    L"LPT9.log", L"cOm3.tar.gz"};
    std::vector<Row> expected;
    for (const wchar_t* name : names) {
        std::string narrow(name, name + wcslen(name));
        Put(name, "x\nneedle " + narrow + "\n");
        expected.emplace_back("\\" + narrow, "needle " + narrow);
    }
    // Folders of such names are walked, and what they hold is found.
    Put(L"con\\in.txt", "needle in con\n");
    Put(L"aux\\com2\\in.txt", "needle deeper\n");
    expected.emplace_back("\\con\\in.txt", "needle in con");
    expected.emplace_back("\\aux\\com2\\in.txt", "needle deeper");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Search(RootText() + "\\", "needle"));
}

TEST_F(FilesTest, NamesOutsideCodePage932AreSearchedAndShownWithQuestionMarks)
{
    struct Case {
        const wchar_t* name;
        const char* shown;
    };
    const Case cases[] = {
        {L"wave\u301Cdash.txt", "\\wave?dash.txt"},     // CP932's 〜 is U+FF5E
        {L"minus\u2212.txt", "\\minus?.txt"},           // CP932's − is U+FF0D
        {L"cent\u00A2 pound\u00A3 not\u00AC.txt", "\\cent? pound? not?.txt"},
        {L"bars\u2016.txt", "\\bars?.txt"},
        {L"\uD55C\uAD6D\uC5B4.txt", "\\???.txt"},
        {L"emoji\U0001F600.txt", "\\emoji??.txt"},      // one "?" per UTF-16 unit
        {L"\u30c7\u30fc\u30bf.txt", "\\データ.txt"},     // held by CP932: shown as it is
        {L"\uD55C\uAE00\\in.txt", "\\??\\in.txt"},      // a folder of such a name
        {L"\uD55C\uAE00\\\u301C\\deep.txt", "\\??\\?\\deep.txt"},
    };
    std::vector<Row> expected;
    for (const Case& c : cases) {
        Put(c.name, std::string("needle ") + c.shown + "\n");
        expected.emplace_back(c.shown, std::string("needle ") + c.shown);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Search(RootText(), "needle"));
    // A mask's '*' takes the characters shown as '?' as any others.
    EXPECT_EQ(expected, Search(RootText(), "needle", "*.txt"));
    std::vector<Row> korean = {{"\\???.txt", "needle \\???.txt"}};
    EXPECT_EQ(korean, Search(RootText(), "needle", "???.txt;!デ*"));
}

TEST_F(FilesTest, NamesThatLookAlikeInCodePage932AreTwoFilesEachReadOnce)
{
    Put(L"\uD55C.txt", "needle one\n");
    Put(L"\uAD6D.txt", "needle two\n");
    Put(L"\uC5B4\\a.txt", "needle three\n");
    Put(L"\uAE00\\a.txt", "needle four\n");
    std::vector<Row> expected = {
        {"\\?.txt", "needle one"}, {"\\?.txt", "needle two"}, {"\\?\\a.txt", "needle four"}, {"\\?\\a.txt", "needle three"}};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Search(RootText() + "\\", "needle"));
}

// The tree lists a folder by the text of its labels, "\" doubled before the
// wildcard as its rule gives it.
TEST_F(FilesTest, FolderOfSuchANameListsItsChildrenForTheTree)
{
    Put(L"\u301C\u2212\\\uD55C\\x.txt", "");
    Put(L"\u301C\u2212\\plain\\y.txt", "");
    std::vector<std::string> names;
    CFileFind top;
    BOOL bWorking = top.FindFile((RootText() + "\\*.*").c_str());
    while (bWorking) {
        bWorking = top.FindNextFile();
        if (top.IsDirectory() && !top.IsDots())
            names.push_back(std::string(top.GetFileName()));
    }
    ASSERT_EQ(std::vector<std::string>{"??"}, names);
    names.clear();
    CFileFind below;
    bWorking = below.FindFile((RootText() + "\\??\\\\*.*").c_str());
    while (bWorking) {
        bWorking = below.FindNextFile();
        if (below.IsDirectory() && !below.IsDots())
            names.push_back(std::string(below.GetFileName()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"?", "plain"}), names);
}

TEST_F(FilesTest, PathsLongerThanTheAnsiLimitAreWalked)
{
    std::wstring rel;
    std::string shown;
    for (int i = 0; i < 8; ++i) {
        std::wstring part = std::wstring(56, L'd') + static_cast<wchar_t>(L'0' + i);
        rel += part + L"\\";
        shown += "\\" + std::string(part.begin(), part.end());
    }
    Put(rel + L"long.txt", "needle far down\n");
    ASSERT_GT(m_root.size() + rel.size(), 400u);
    std::vector<Row> expected = {{shown + "\\long.txt", "needle far down"}};
    EXPECT_EQ(expected, Search(RootText() + "\\", "needle"));
}

TEST_F(FilesTest, TypedRelativeAndDriveRelativeFoldersStillWork)
{
    Put(L"sub\\a.txt", "needle\n");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(m_root.c_str()));
    std::string drive = RootText().substr(0, 2);
    std::string rest = RootText().substr(2);
    const std::vector<Row> expected = {{"\\a.txt", "needle"}};
    // Trailing blanks and dots go as Windows drops them, before the long-path form.
    const char* texts[] = {"sub", "sub\\", ".\\sub\\", "sub\\..\\sub", "sub/", "sub ", "sub.", "sub . .", "x\\..\\sub"};
    for (const char* text : texts)
        EXPECT_EQ(expected, Search(text, "needle")) << text;
    EXPECT_EQ(expected, Search(drive + "sub", "needle")) << "drive-relative";
    EXPECT_EQ(expected, Search(rest + "\\sub", "needle")) << "root of the current drive";
    EXPECT_EQ(expected, Search(RootText() + "\\\\sub\\\\", "needle")) << "doubled separators";
    EXPECT_EQ(expected, Search(RootText() + "\\sub  ", "needle")) << "pasted with blanks";
    SetCurrentDirectoryW(saved);
}

// Run as a child from a copy of this program in an oddly named folder: the settings
// file there must be read and written.
TEST(CopiedExecutable, ReadsAndWritesItsSettingsFile)
{
    if (GetEnvironmentVariableW(L"TOLVANE_COPY_CHILD", nullptr, 0) == 0)
        GTEST_SKIP() << "only as the child of SettingsFileBesideAnExecutableInAFolderCp932Lacks";
    CWinApp app;
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_STREQ("C:\\prepared\\", dlg.ReadSettingsLine(1));
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\written\\");
    dlg.SaveSettings();
    dlg.DestroyWindow();
}

TEST_F(FilesTest, SettingsFileBesideAnExecutableInAFolderCp932Lacks)
{
    std::wstring dir = m_root;
    // Wine 8 starts no program from a path of more than 260 characters
    // (CreateProcessW gives ERROR_INVALID_NAME), so the copy stays below that,
    // in a folder whose name CP932 lacks.
    dir += L"\\" + std::wstring(40, L'e') + L"\\\u301C\u2212";
    Put(dir.substr(m_root.size() + 1) + L"\\tolvane.dat", "C:\\prepared\\\r\n");
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], static_cast<DWORD>(self.size())));
    std::wstring copy = dir + L"\\tolvane-wintests.exe";
    ASSERT_TRUE(CopyFileW(Long(self).c_str(), Long(copy).c_str(), FALSE));

    std::wstring command = L"\"" + copy + L"\" --gtest_filter=CopiedExecutable.*";
    SetEnvironmentVariableW(L"TOLVANE_COPY_CHILD", L"1");
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    BOOL bStarted = CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &si, &pi);
    SetEnvironmentVariableW(L"TOLVANE_COPY_CHILD", nullptr);
    ASSERT_TRUE(bStarted) << "error " << GetLastError();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 120000));
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code) << "the copy did not read its settings file";

    HANDLE h = CreateFileW(Long(dir + L"\\tolvane.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char buf[64] = {};
    DWORD n = 0;
    ReadFile(h, buf, sizeof buf - 1, &n, nullptr);
    CloseHandle(h);
    const std::string first = "C:\\written\\\r\n";
    EXPECT_EQ(first, std::string(buf, n).substr(0, first.size()));
}

}  // namespace
