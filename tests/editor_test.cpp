// The editor a row opens in: its command line filled in and split, the automatic
// choice among installed editors, the settings dialog, and tolvane.ini, which keeps it.
#include <sys/stat.h>

#include <regex>

#include "platform/command_line.h"
#include "tests/dialog_fixture.h"

namespace {

using namespace std::string_literals;

TEST(EditorCommand, PlaceholdersAreFilledInOnePassAndTheProgramSplitOff)
{
    const struct {
        const char *command, *path;
        uint64_t line, column;
        const char* split;  // the program, "|", the parameters
    } cases[] = {
        {"\"C:\\ed\\my ed.exe\" -n%line% \"%path%\"", "C:\\d\\a.txt", 3, 5, "C:\\ed\\my ed.exe|-n3 \"C:\\d\\a.txt\""},
        {"ed %path% %line%", "C:\\%line%\\%column%.txt", 7, 2, "ed|C:\\%line%\\%column%.txt 7"},  // not read again
        {"ed %column%%line%%%path%%", "p", 12, 34, "ed|3412%p%"},
        {"ed %Line% %foo% 100% %", "p", 1, 1, "ed|%Line% %foo% 100% %"},
        {"e -g \"%path%:%line%:%column%\"", "C:\\表\\ソ.txt", 5000000000ull, 1, "e|-g \"C:\\表\\ソ.txt:5000000000:1\""},
        {" \t ed.exe\t \t-x", "p", 1, 1, "ed.exe|-x"},
        {"\"C:\\open quote\\ed.exe -x", "p", 1, 1, "C:\\open quote\\ed.exe -x|"},
        {"\"\" %path%", "p", 1, 1, "|p"},
        {"", "p", 1, 1, "|"},
    };
    for (const auto& c : cases) {
        std::string program, parameters;
        SplitCommand(FillCommand<char>(c.command, c.path, c.line, c.column), &program, &parameters);
        EXPECT_EQ(c.split, program + "|" + parameters) << c.command;
    }
}

const std::string kPf = "C:\\Program Files\\", kCode = "C:\\Program Files (x86)\\Microsoft VS Code\\Code.exe";
const std::string kNpp = "\"C:\\Program Files\\Notepad++\\notepad++.exe\" -n%line% -c%column% \"%path%\"";

class EditorTest : public DialogFixture {
protected:
    // Programs at the Windows paths PATHS on drive C:, and no others.
    void Install(const Lines& paths)
    {
        std::filesystem::remove_all(m_root + "/C");
        for (std::string path : paths)
            Put("C/" + std::regex_replace(path.substr(3), std::regex("\\\\"), "/"), "MZ");
    }
};

// An App Paths entry first, where it names a file, then the programs folders.
TEST_F(EditorTest, AutomaticChoiceIsTheFirstPresetInstalled)
{
    const struct {
        std::map<std::string, CString> appPaths;
        Lines installed;
        std::string inForce;  // the name, "|", the command
    } cases[] = {
        {{{"notepad.exe", "C:\\w\\n.exe"}}, {"C:\\w\\n.exe"}, "関連付けで開く（エディタが見つかりません）|"},
        {{{"Code.exe", "C:\\vs\\Code.exe"}, {"notepad++.exe", "C:\\npp\\notepad++.exe"}},
         {"C:\\vs\\Code.exe", "C:\\npp\\notepad++.exe"},
         "Notepad++（自動選択）|\"C:\\npp\\notepad++.exe\" -n%line% -c%column% \"%path%\""},
        {{{"sakura.exe", "C:\\gone\\sakura.exe"}}, {kPf + "Hidemaru\\Hidemaru.exe"},
         "秀丸エディタ（自動選択）|\"" + kPf + "Hidemaru\\Hidemaru.exe\" /j%line%,%column% \"%path%\""},
        {{}, {kCode, kPf + "sakura\\sakura.exe"},
         "サクラエディタ（自動選択）|\"" + kPf + "sakura\\sakura.exe\" -Y=%line% -X=%column% \"%path%\""},
        {{}, {kCode}, "Visual Studio Code（自動選択）|\"" + kCode + "\" -g \"%path%:%line%:%column%\""},
    };
    for (const auto& c : cases) {
        g_standinAppPaths = c.appPaths;
        Install(c.installed);
        EditorInForce editor = ResolveEditor(EditorChoice());
        EXPECT_EQ(c.inForce, std::string(editor.strName) + "|" + std::string(editor.strCommand));
    }
}

// The dialog as a user works it: an entry (-1: as it opens), perhaps a command typed over
// what it wrote, then OK. Seen: the command once the entry is chosen, and what was in force.
int g_nEntry;
const char* g_pszTyped;
std::string g_strSeen;
void WorkEditorDialog(CSearchDlg& dlg, int nEntry, const char* pszTyped)
{
    g_nEntry = nEntry;
    g_pszTyped = pszTyped;
    AfxSetModalObserver([](CDialog* pDialog) {
        if (g_nEntry >= 0)
            CComboBox(pDialog->GetDlgItem(IDC_EDITOR_PRESET)).PickEntry(g_nEntry);
        g_strSeen = std::string(pDialog->GetDlgItem(IDC_EDITOR_COMMAND).GetWindowText()) + "|" +
                    std::string(pDialog->GetDlgItem(IDC_EDITOR_IN_FORCE).GetWindowText());
        if (g_pszTyped)
            pDialog->GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(g_pszTyped);
        pDialog->OnCommand(IDOK, BN_CLICKED);
    });
    dlg.SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
}

// What OK leaves is in force after a restart, whatever is installed; a save keeps a newer
// program's keys, and the same choice again leaves the file as it is (a new one: a new inode).
TEST_F(EditorTest, DialogPresetsAndTheChoiceKeptInTheIniFile)
{
    const std::string kSakura = "sakura.exe -Y=%line% -X=%column% \"%path%\"";
    Install({kPf + "Notepad++\\notepad++.exe"});
    std::ofstream(SettingsIni(), std::ios::binary) << "[tolvane]\r\nFuture=yes\r\nEditorMode=auto\r\n";
    const struct {
        int entry;
        const char* typed;
        std::string seen, command;
    } steps[] = {
        {1, nullptr, kSakura + "|使用中: Notepad++（自動選択）", kSakura},
        {3, nullptr, kNpp + "|使用中: 指定のコマンド", kNpp},
        {5, "\t n.exe /x \"%path%\" \t", "notepad.exe \"%path%\"|使用中: 指定のコマンド", "n.exe /x \"%path%\""},
        {6, nullptr, "|使用中: 指定のコマンド", ""},
        {-1, nullptr, "|使用中: 関連付けで開く", ""},
        {0, nullptr, "|使用中: 関連付けで開く", kNpp},
        {-1, "x.exe\r\nFuture=no", "|使用中: Notepad++（自動選択）", "x.exe  Future=no"},  // one line in the file
        {-1, "ed.exe %path%", "x.exe  Future=no|使用中: 指定のコマンド", "ed.exe %path%"},
        {-1, nullptr, "ed.exe %path%|使用中: 指定のコマンド", "ed.exe %path%"},
    };
    for (const auto& s : steps) {
        Start();
        WorkEditorDialog(*m_dlg, s.entry, s.typed);
        EXPECT_EQ(s.seen, g_strSeen);
        Start();
        EXPECT_EQ(s.command, std::string(m_dlg->Editor().strCommand)) << s.seen;
    }
    const std::string saved = "[tolvane]\r\nFuture=yes\r\nEditorMode=command\r\nEditorCommand=ed.exe %path%\r\n";
    EXPECT_EQ(saved, ReadFile(SettingsIni()));
    struct stat before = {}, after = {};
    ASSERT_EQ(0, ::stat(SettingsIni().c_str(), &before));
    WorkEditorDialog(*m_dlg, -1, nullptr);
    ASSERT_EQ(0, ::stat(SettingsIni().c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(saved, ReadFile(SettingsIni()));
}

// A damaged line or file counts as no choice: the automatic one.
TEST_F(EditorTest, IniFileReadsDamageAsDefaults)
{
    Install({kPf + "Notepad++\\notepad++.exe"});
    const std::pair<std::string, std::string> cases[] = {  // the file, the command in force at start
        {"[tolvane]\r\nEditorMode=command\r\nEditorCommand=a.exe %path%\r\n", "a.exe %path%"},
        {"EditorMode=command\nEditorCommand=a.exe %path%", "a.exe %path%"},
        {"EditorMode=command\r\nEditorCommand=\r\n", kNpp},
        {"EditorMode=bogus\r\nEditorCommand=a.exe\r\n", kNpp},
        {"EditorMode=command\r\nEditorCommand=a.exe\0b\r\n"s, kNpp},
        {"\xff\xfe\0garbage\x81"s, kNpp},
        {"EditorMode=command\r\n EditorCommand\t=a.exe\r\n", "a.exe"},
        {"EditorMode=command\r\nEditorCommand=old.exe\r\nEditorCommand=new.exe\r\n", "new.exe"},
    };
    for (const auto& c : cases) {
        std::ofstream(SettingsIni(), std::ios::binary) << c.first;
        Start();
        EXPECT_EQ(c.second, std::string(m_dlg->Editor().strCommand)) << c.first;
    }
}

}  // namespace
