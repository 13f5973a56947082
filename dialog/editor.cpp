#include "dialog/editor.h"

#include <vector>

#include "platform/files.h"
#include "resource.h"
#include "settings/ini_file.h"

namespace {

// Each editor's own options for the line and the column: sakura -Y= and -X=,
// Hidemaru /jLINE,COLUMN, Notepad++ -n and -c, Visual Studio Code
// -g PATH:LINE:COLUMN. Notepad takes no line.
struct Preset {
    const char* name;
    const char* exe;     // its App Paths key and its file in the install folder
    const char* folder;  // its install folder below a programs folder
    const char* args;
    bool bAuto;          // one the automatic choice looks for
};
const Preset kPresets[] = {
    {"サクラエディタ", "sakura.exe", "sakura", "-Y=%line% -X=%column% \"%path%\"", true},
    {"秀丸エディタ", "Hidemaru.exe", "Hidemaru", "/j%line%,%column% \"%path%\"", true},
    {"Notepad++", "notepad++.exe", "Notepad++", "-n%line% -c%column% \"%path%\"", true},
    {"Visual Studio Code", "Code.exe", "Microsoft VS Code", "-g \"%path%:%line%:%column%\"", true},
    {"メモ帳", "notepad.exe", nullptr, "\"%path%\"", false},
};
const char kAutoEntry[] = "自動選択";
const char kAssociationEntry[] = "関連付けで開く";

const char kModeKey[] = "EditorMode";
const char kCommandKey[] = "EditorCommand";

bool FileExists(const CString& path)
{
    CRawFile file;
    return file.Open(path);
}

// Where the editor is installed: its App Paths entry (one left behind by an
// uninstall names no file), else its standard install folder; empty when
// neither holds it.
CString FindInstalled(const Preset& preset)
{
    CString path = AfxGetAppPath(preset.exe);
    if (!path.IsEmpty() && FileExists(path))
        return path;
    if (!preset.folder)
        return CString();
    std::vector<CString> folders;
    AfxGetProgramFolders(&folders);
    for (const CString& folder : folders) {
        CString candidate = folder + "\\" + preset.folder + "\\" + preset.exe;
        if (FileExists(candidate))
            return candidate;
    }
    return CString();
}

// The preset's command line with the program where it is installed, or by
// its bare name, which the system looks for along the search path.
CString PresetCommand(const Preset& preset)
{
    CString path = FindInstalled(preset);
    if (path.IsEmpty())
        return CString(preset.exe) + " " + preset.args;
    return "\"" + path + "\" " + preset.args;
}

// A blank (20) is never the second byte of a double-byte character.
CString WithoutOuterBlanks(const CString& text)
{
    const char* p = text;
    int b = 0, e = text.GetLength();
    while (b < e && (p[b] == ' ' || p[b] == '\t'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\t'))
        --e;
    return CString(p + b, e - b);
}

}  // namespace

void EditorChoice::Load(const CIniFile& ini)
{
    CString strMode = ini.Get(kModeKey);
    strCommand = ini.Get(kCommandKey);
    nMode = kAuto;
    if (strMode == "association")
        nMode = kAssociation;
    else if (strMode == "command" && !strCommand.IsEmpty())
        nMode = kCommand;
}

void EditorChoice::Store(CIniFile& ini) const
{
    ini.Set(kModeKey, nMode == kCommand ? "command" : nMode == kAssociation ? "association" : "auto");
    ini.Set(kCommandKey, nMode == kCommand ? strCommand : CString());
}

EditorInForce ResolveEditor(const EditorChoice& choice)
{
    EditorInForce editor;
    if (choice.nMode == EditorChoice::kCommand) {
        editor.strName = "指定のコマンド";
        editor.strCommand = choice.strCommand;
        return editor;
    }
    if (choice.nMode == EditorChoice::kAuto) {
        for (const Preset& preset : kPresets) {
            CString path = preset.bAuto ? FindInstalled(preset) : CString();
            if (path.IsEmpty())
                continue;
            editor.strName = CString(preset.name) + "（自動選択）";
            editor.strCommand = "\"" + path + "\" " + preset.args;
            return editor;
        }
        editor.strName = "関連付けで開く（エディタが見つかりません）";
        return editor;
    }
    editor.strName = kAssociationEntry;
    return editor;
}

CEditorDlg::CEditorDlg(const EditorChoice& choice, CWnd* pParent) : CDialog(IDD_EDITOR, pParent), m_choice(choice)
{
}

// clang-format off
BEGIN_MESSAGE_MAP(CEditorDlg, CDialog)
    ON_CBN_SELCHANGE(IDC_EDITOR_PRESET, OnSelchangePreset)
END_MESSAGE_MAP()
// clang-format on

BOOL CEditorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CComboBox presets(GetDlgItem(IDC_EDITOR_PRESET));
    presets.InsertString(-1, kAutoEntry);
    for (const Preset& preset : kPresets)
        presets.InsertString(-1, preset.name);
    presets.InsertString(-1, kAssociationEntry);
    int nCount = presets.GetCount();
    if (m_choice.nMode == EditorChoice::kAuto)
        presets.PickEntry(0);
    else if (m_choice.nMode == EditorChoice::kAssociation)
        presets.PickEntry(nCount - 1);
    // A command line of the user's own leaves the list without a choice.
    GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(m_choice.nMode == EditorChoice::kCommand ? m_choice.strCommand
                                                                                         : CString());
    GetDlgItem(IDC_EDITOR_IN_FORCE).SetWindowText("使用中: " + ResolveEditor(m_choice).strName);
    return TRUE;
}

// A preset writes its command line into the field, where it may be changed
// before OK; the automatic choice and the file type's program have none.
void CEditorDlg::OnSelchangePreset()
{
    CString strEntry = GetDlgItem(IDC_EDITOR_PRESET).GetWindowText();
    CString strCommand;
    for (const Preset& preset : kPresets)
        if (strEntry == preset.name)
            strCommand = PresetCommand(preset);
    GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(strCommand);
}

void CEditorDlg::OnOK()
{
    CString strCommand = WithoutOuterBlanks(GetDlgItem(IDC_EDITOR_COMMAND).GetWindowText());
    if (!strCommand.IsEmpty()) {
        m_choice.nMode = EditorChoice::kCommand;
        m_choice.strCommand = strCommand;
    } else {
        bool bAssociation = GetDlgItem(IDC_EDITOR_PRESET).GetWindowText() == kAssociationEntry;
        m_choice.nMode = bAssociation ? EditorChoice::kAssociation : EditorChoice::kAuto;
        m_choice.strCommand.Empty();
    }
    CDialog::OnOK();
}
