// The editor a row opens in: its command line filled in and split, the
// automatic choice among installed editors, the settings dialog, and
// tolvane.ini, where the choice is kept.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/command_line.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

namespace {

TEST(EditorCommand, PlaceholdersAreFilledInOnePassAndTheProgramSplitOff)
{
    struct Case {
        const char* command;
        const char* path;
        uint64_t line, column;
        const char* program;
        const char* parameters;
    };
    const Case cases[] = {
        {"\"C:\\ed\\my ed.exe\" -n%line% \"%path%\"", "C:\\d\\a.txt", 3, 5, "C:\\ed\\my ed.exe", "-n3 \"C:\\d\\a.txt\""},
        // What a replacement brings in is not read again.
        {"ed.exe %path% %line%", "C:\\%line%\\%column%.txt", 7, 2, "ed.exe", "C:\\%line%\\%column%.txt 7"},
        {"ed.exe %column%%line%%%path%%", "p", 12, 34, "ed.exe", "3412%p%"},
        {"ed.exe %Line% %foo% 100% %", "p", 1, 1, "ed.exe", "%Line% %foo% 100% %"},
        {"ed.exe -g \"%path%:%line%:%column%\"", "C:\\表\\ソ.txt", 5000000000ull, 1, "ed.exe",
         "-g \"C:\\表\\ソ.txt:5000000000:1\""},
        {" \t ed.exe\t \t-x", "p", 1, 1, "ed.exe", "-x"},
        {"\"C:\\open quote\\ed.exe -x", "p", 1, 1, "C:\\open quote\\ed.exe -x", ""},
        {"\"\" %path%", "p", 1, 1, "", "p"},
        {"", "p", 1, 1, "", ""},
    };
    for (const Case& c : cases) {
        std::string program, parameters;
        SplitCommand(FillCommand<char>(c.command, c.path, c.line, c.column), &program, &parameters);
        EXPECT_EQ(c.program, program) << c.command;
        EXPECT_EQ(c.parameters, parameters) << c.command;
    }
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        ProbeClearDrives();
        g_standinAppPaths.clear();
        drive_ = std::filesystem::temp_directory_path() / ("tolvane-editor-" + std::to_string(getpid()));
        std::filesystem::remove_all(drive_);
        std::filesystem::create_directories(drive_);
        ProbeMapDrive('C', drive_.c_str());
    }
    void TearDown() override
    {
        AfxSetModalObserver(nullptr);
        g_standinAppPaths.clear();
        ProbeClearDrives();
        std::filesystem::remove_all(drive_);
        RemoveSettings();
    }
    // A file on drive C: at the Windows path PATH.
    void Install(std::string path)
    {
        for (char& c : path)
            if (c == '\\')
                c = '/';
        std::filesystem::path host = drive_ / path.substr(3);
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host) << "MZ";
    }

    CWinApp app_;
    std::filesystem::path drive_;
};

TEST_F(EditorTest, AutomaticChoiceIsTheFirstPresetInstalled)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> appPaths;  // program, registered path
        std::vector<std::string> installed;
        const char* name;
        const char* command;
    };
    const Case cases[] = {
        {{}, {}, "関連付けで開く（エディタが見つかりません）", ""},
        {{{"Code.exe", "C:\\vs\\Code.exe"}, {"notepad++.exe", "C:\\npp\\notepad++.exe"}},
         {"C:\\vs\\Code.exe", "C:\\npp\\notepad++.exe"},
         "Notepad++（自動選択）",
         "\"C:\\npp\\notepad++.exe\" -n%line% -c%column% \"%path%\""},
        // An entry an uninstall left behind names no file.
        {{{"sakura.exe", "C:\\gone\\sakura.exe"}},
         {"C:\\Program Files\\Hidemaru\\Hidemaru.exe"},
         "秀丸エディタ（自動選択）",
         "\"C:\\Program Files\\Hidemaru\\Hidemaru.exe\" /j%line%,%column% \"%path%\""},
        {{},
         {"C:\\Program Files (x86)\\Microsoft VS Code\\Code.exe", "C:\\Program Files\\sakura\\sakura.exe"},
         "サクラエディタ（自動選択）",
         "\"C:\\Program Files\\sakura\\sakura.exe\" -Y=%line% -X=%column% \"%path%\""},
        {{},
         {"C:\\Program Files (x86)\\Microsoft VS Code\\Code.exe"},
         "Visual Studio Code（自動選択）",
         "\"C:\\Program Files (x86)\\Microsoft VS Code\\Code.exe\" -g \"%path%:%line%:%column%\""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(drive_);
        std::filesystem::create_directories(drive_);
        g_standinAppPaths.clear();
        for (const auto& entry : c.appPaths)
            g_standinAppPaths[entry.first] = entry.second.c_str();
        for (const std::string& path : c.installed)
            Install(path);
        EditorInForce editor = ResolveEditor(EditorChoice());
        EXPECT_STREQ(c.name, editor.strName);
        EXPECT_STREQ(c.command, editor.strCommand);
        // A choice of the user's own is kept whatever is installed.
        EditorChoice association;
        association.nMode = EditorChoice::kAssociation;
        EXPECT_STREQ("", ResolveEditor(association).strCommand);
        EditorChoice own;
        own.nMode = EditorChoice::kCommand;
        own.strCommand = "my.exe %path%";
        EXPECT_STREQ("my.exe %path%", ResolveEditor(own).strCommand);
    }
}

// The dialog as a user works it: an entry of the list, perhaps a command
// line typed over what the entry wrote, then OK.
int g_nEntry;
std::string g_strTyped;
bool g_bType;
std::string g_strShown, g_strInForce;
void WorkDialog(CDialog* pDialog)
{
    if (g_nEntry >= 0)
        CComboBox(pDialog->GetDlgItem(IDC_EDITOR_PRESET)).PickEntry(g_nEntry);
    g_strShown = pDialog->GetDlgItem(IDC_EDITOR_COMMAND).GetWindowText();
    g_strInForce = pDialog->GetDlgItem(IDC_EDITOR_IN_FORCE).GetWindowText();
    if (g_bType)
        pDialog->GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(g_strTyped.c_str());
    pDialog->OnCommand(IDOK, BN_CLICKED);
}

TEST_F(EditorTest, DialogPresetsAndTheChoiceKeptInTheIniFile)
{
    Install("C:\\Program Files\\Notepad++\\notepad++.exe");
    struct Step {
        int entry;  // -1: the list left as it opens
        bool type;
        const char* typed;
        const char* shown;    // the command line once the entry is chosen
        const char* inForce;  // what the dialog said when it opened
        const char* command;  // the command in force after OK and a restart
    };
    const Step steps[] = {
        {1, false, "", "sakura.exe -Y=%line% -X=%column% \"%path%\"", "使用中: Notepad++（自動選択）",
         "sakura.exe -Y=%line% -X=%column% \"%path%\""},
        {3, false, "", "\"C:\\Program Files\\Notepad++\\notepad++.exe\" -n%line% -c%column% \"%path%\"",
         "使用中: 指定のコマンド", "\"C:\\Program Files\\Notepad++\\notepad++.exe\" -n%line% -c%column% \"%path%\""},
        {5, true, "  notepad.exe /x \"%path%\"  ", "notepad.exe \"%path%\"", "使用中: 指定のコマンド",
         "notepad.exe /x \"%path%\""},
        {6, false, "", "", "使用中: 指定のコマンド", ""},
        {-1, false, "", "", "使用中: 関連付けで開く", ""},
        {0, false, "", "", "使用中: 関連付けで開く",
         "\"C:\\Program Files\\Notepad++\\notepad++.exe\" -n%line% -c%column% \"%path%\""},
        {-1, true, "ed.exe %path%", "", "使用中: Notepad++（自動選択）", "ed.exe %path%"},
        {-1, false, "", "ed.exe %path%", "使用中: 指定のコマンド", "ed.exe %path%"},
    };
    AfxSetModalObserver(WorkDialog);
    for (const Step& s : steps) {
        g_nEntry = s.entry;
        g_bType = s.type;
        g_strTyped = s.typed;
        {
            CSearchDlg dlg;
            dlg.Create();
            dlg.SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
        }
        EXPECT_EQ(s.shown, g_strShown) << s.entry << s.typed;
        EXPECT_EQ(s.inForce, g_strInForce) << s.entry << s.typed;
        CSearchDlg restarted;
        restarted.Create();
        EXPECT_STREQ(s.command, restarted.Editor().strCommand) << s.entry << s.typed;
    }
}

// All of a literal, NUL bytes included.
template <size_t N>
std::string Bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

TEST_F(EditorTest, IniFileKeepsWhatItDoesNotKnowAndReadsDamageAsDefaults)
{
    std::string ini = SettingsFile().substr(0, SettingsFile().size() - 4) + ".ini";
    struct Case {
        std::string content;
        const char* command;  // in force at start
    };
    const Case cases[] = {
        {"[tolvane]\r\nEditorMode=command\r\nEditorCommand=a.exe %path%\r\n", "a.exe %path%"},
        {"EditorMode=command\nEditorCommand=a.exe %path%", "a.exe %path%"},
        {"EditorMode=command\r\nEditorCommand=\r\n", ""},
        {"EditorMode=bogus\r\nEditorCommand=a.exe\r\n", ""},
        {Bytes("EditorMode=command\r\nEditorCommand=a.exe\0b\r\n"), ""},
        {Bytes("\xff\xfe\0garbage\x81"), ""},
        {"EditorMode=command\r\nEditorCommand=old.exe\r\nEditorCommand=new.exe\r\n", "new.exe"},
    };
    for (const Case& c : cases) {
        std::ofstream(ini, std::ios::binary) << c.content;
        CSearchDlg dlg;
        dlg.Create();
        EXPECT_STREQ(c.command, dlg.Editor().strCommand) << c.content;
    }
    // A save keeps a key of a newer program, and the file stays whole.
    std::ofstream(ini, std::ios::binary) << "[tolvane]\r\nFuture=yes\r\nEditorMode=auto\r\n";
    g_nEntry = -1;
    g_bType = true;
    g_strTyped = "b.exe";
    AfxSetModalObserver(WorkDialog);
    CSearchDlg dlg;
    dlg.Create();
    dlg.SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
    EXPECT_EQ("[tolvane]\r\nFuture=yes\r\nEditorMode=command\r\nEditorCommand=b.exe\r\n", ReadFile(ini));
    // The same choice again leaves the file as it is: a new one would come
    // in its place under a new inode.
    struct stat before = {}, after = {};
    ASSERT_EQ(0, ::stat(ini.c_str(), &before));
    dlg.SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
    ASSERT_EQ(0, ::stat(ini.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ("[tolvane]\r\nFuture=yes\r\nEditorMode=command\r\nEditorCommand=b.exe\r\n", ReadFile(ini));
}

}  // namespace
