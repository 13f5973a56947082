// Rows opened in an editor on real Windows: the editor App Paths registers
// is found on its own, a command line set by hand wins over it, a file name
// means nothing to a shell and keeps the characters CP932 lacks, and an
// editor that is not there gives an error box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"

namespace {

const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\sakura.exe";

std::wstring ExeDir()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.rfind(L'\\') + 1);
}

std::string Narrow(const std::wstring& s)
{
    int n = WideCharToMultiByte(932, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, s.c_str(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

struct Box {
    std::string caption, text;
    UINT type;
};
std::vector<Box> g_boxes;
void RecordBox(const char* caption, const char* text, UINT type) { g_boxes.push_back({caption, text, type}); }

// The editor settings as a user fills them in: the command line, then OK.
std::string g_command;
void TypeCommand(CDialog* pDialog)
{
    pDialog->GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(g_command.c_str());
    pDialog->OnCommand(IDOK, BN_CLICKED);
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"tolvane-editor-" + std::to_wstring(GetCurrentProcessId());
        editorDir_ = root_ + L"\\ed itor\\";
        dataDir_ = root_ + L"\\data\\";
        CreateDirectoryW(root_.c_str(), nullptr);
        CreateDirectoryW(editorDir_.c_str(), nullptr);
        CreateDirectoryW(dataDir_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((ExeDir() + L"fake-editor.exe").c_str(), (editorDir_ + L"fake.exe").c_str(), FALSE));
        // Blanks, '&' and '%' mean something to a shell; 〜 U+301C has no CP932 form.
        file_ = dataDir_ + L"a b&%line%\u301C.txt";
        HANDLE h = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        const char text[] = "x\r\n\tA foo\r\n";
        DWORD written;
        WriteFile(h, text, sizeof text - 1, &written, nullptr);
        CloseHandle(h);
        DeleteFileW((ExeDir() + L"tolvane.ini").c_str());
        HKEY hKey;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kAppPathsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &hKey, nullptr));
        std::wstring value = editorDir_ + L"fake.exe";
        RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hKey);
        ProbeAnswerMessageBoxes();
        AfxSetMessageBoxObserver(RecordBox);
        g_boxes.clear();
        ASSERT_TRUE(dlg_.Create());
        dlg_.GetDlgItem(IDC_REFDIR).SetWindowText(Narrow(dataDir_).c_str());
        dlg_.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("foo");
        CButton(dlg_.GetDlgItem(IDOK)).Click();
    }

    void TearDown() override
    {
        dlg_.DestroyWindow();
        AfxSetMessageBoxObserver(nullptr);
        AfxSetModalObserver(nullptr);
        RegDeleteKeyW(HKEY_CURRENT_USER, kAppPathsKey);
        DeleteFileW((ExeDir() + L"tolvane.ini").c_str());
        for (const std::wstring& f : {file_, editorDir_ + L"fake.exe", editorDir_ + L"editor-command.txt"})
            DeleteFileW(f.c_str());
        for (const std::wstring& d : {editorDir_, dataDir_, root_})
            RemoveDirectoryW(d.c_str());
    }

    void SetEditor(const std::string& command)
    {
        g_command = command;
        AfxSetModalObserver(TypeCommand);
        dlg_.SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
        AfxSetModalObserver(nullptr);
    }

    void DoubleClick(int nRow)
    {
        DeleteFileW((editorDir_ + L"editor-command.txt").c_str());
        NMITEMACTIVATE activate = {};
        activate.hdr.hwndFrom = dlg_.GetDlgItem(IDC_RESULTS).m_hWnd;
        activate.hdr.idFrom = IDC_RESULTS;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = nRow;
        dlg_.SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&activate));
    }

    // Double-clicks the row and gives the command line the editor was
    // started with, or "" when none was within ten seconds.
    std::wstring OpenRow(int nRow)
    {
        DoubleClick(nRow);
        std::wstring record = editorDir_ + L"editor-command.txt";
        for (int i = 0; i < 100; ++i) {
            HANDLE h = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                wchar_t buf[2048];
                DWORD read = 0;
                ReadFile(h, buf, sizeof buf, &read, nullptr);
                CloseHandle(h);
                return std::wstring(buf, read / sizeof(wchar_t));
            }
            Sleep(100);
        }
        return std::wstring();
    }

    CSearchDlg dlg_;
    std::wstring root_, editorDir_, dataDir_, file_;
};

TEST_F(EditorTest, RegisteredEditorOpensTheRowAtItsLineAndColumn)
{
    ASSERT_EQ(1, CListCtrl(dlg_.GetDlgItem(IDC_RESULTS)).GetItemCount());
    std::wstring program = editorDir_ + L"fake.exe";
    EXPECT_EQ("\"" + Narrow(program) + "\" -Y=%line% -X=%column% \"%path%\"",
              std::string(dlg_.Editor().strCommand));
    EXPECT_EQ(L"\"" + program + L"\" -Y=2 -X=4 \"" + file_ + L"\"", OpenRow(0));
}

TEST_F(EditorTest, CommandLineSetByHandWinsOverTheRegisteredEditor)
{
    std::string program = Narrow(editorDir_ + L"fake.exe");
    SetEditor("\"" + program + "\" --at %line%:%column%:%column% %path%");
    EXPECT_EQ(L"\"" + editorDir_ + L"fake.exe\" --at 2:4:4 " + file_, OpenRow(0));
    EXPECT_EQ(1u, g_boxes.size()) << "only the search's result box";
}

TEST_F(EditorTest, MissingEditorGivesAnErrorBoxNamingTheCommand)
{
    const std::string command = "\"C:\\no such folder\\editor.exe\" \"%path%\"";
    SetEditor(command);
    g_boxes.clear();
    DoubleClick(0);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ("Error!", g_boxes[0].caption);
    EXPECT_NE(std::string::npos, g_boxes[0].text.find(command)) << g_boxes[0].text;
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND), g_boxes[0].type);
}

}  // namespace
