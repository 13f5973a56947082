// What the probe prints of what the program does: message boxes, the
// clipboard, what it asks the shell to start; and how it answers the menus
// and dialogs the program opens.
#include "probe/probe_events.h"

#include <cstdio>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"

static void Out(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); }

std::string Escape(const char* p)
{
    std::string out;
    for (; *p; ++p) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += *p;
        }
    }
    return out;
}

void Event(std::initializer_list<std::string> fields)
{
    std::string line;
    for (const std::string& f : fields) {
        if (!line.empty())
            line += '\t';
        line += f;
    }
    Out(line + "\n");
    std::fflush(stdout);
}

void OnMessageBox(const char* caption, const char* text, UINT nType)
{
    char style[16];
    std::snprintf(style, sizeof style, "0x%x", nType);
    Event({"msgbox", Escape(caption), Escape(text), style});
}

// What the program put on the clipboard, read back as another program would.
void OnClipboard()
{
    std::string text, unicode;
    bool bUnicode = ProbeReadClipboard(&text, &unicode);
    Event({"clipboard", Escape(text.c_str())});
    if (bUnicode)
        Event({"clipboard-unicode", Escape(unicode.c_str())});
}

// Nothing is started: the request is printed and reported as done.
INT_PTR OnShell(const char* verb, const char* file, const char* parameters)
{
    Event({"shell", Escape(verb ? verb : ""), Escape(file), Escape(parameters)});
    return 42;
}

// Whether a script's LABEL names this menu item: its text without the "&"
// and without the accelerator text after a tab; a Japanese mnemonic in
// brackets, "(&O)", may also be left out whole.
static bool MenuLabelIs(const CString& text, const std::string& label)
{
    std::string item(text, static_cast<size_t>(text.GetLength()));
    item = item.substr(0, item.find('\t'));
    size_t amp = item.find('&');
    std::string bare = item;
    if (amp != std::string::npos)
        bare.erase(amp, 1);
    if (label == bare)
        return true;
    return amp != std::string::npos && amp > 0 && item[amp - 1] == '(' && amp + 2 < item.size() + 1 &&
           item.size() == amp + 3 && item[amp + 2] == ')' && label == item.substr(0, amp - 1);
}

std::string g_strMenuChoice;
bool g_bMenuChoiceFound = false;

UINT OnPopupMenu(const CMenu& menu)
{
    for (int i = 0, n = menu.GetMenuItemCount(); i < n; ++i) {
        if (menu.GetMenuState(i) & MF_SEPARATOR)
            continue;
        if (g_strMenuChoice.empty() || !MenuLabelIs(menu.GetMenuString(i), g_strMenuChoice))
            continue;
        g_bMenuChoiceFound = true;
        // A greyed item closes the menu with nothing done.
        return menu.GetMenuState(i) & MF_GRAYED ? 0 : menu.GetMenuItemID(i);
    }
    return 0;
}

std::string g_strEditorToType;
bool g_bEditorTyped = false;

// The editor settings are given their text and OK; any other dialog is
// closed as Esc would close it.
void OnModal(CDialog* pDialog)
{
    if (pDialog->GetTemplateID() == IDD_EDITOR) {
        // No text is no editor chosen: the list's automatic choice.
        if (g_strEditorToType.empty())
            CComboBox(pDialog->GetDlgItem(IDC_EDITOR_PRESET)).PickEntry(0);
        pDialog->GetDlgItem(IDC_EDITOR_COMMAND).SetWindowText(g_strEditorToType.c_str());
        g_bEditorTyped = true;
        pDialog->OnCommand(IDOK, BN_CLICKED);
    } else {
        pDialog->OnCommand(IDCANCEL, BN_CLICKED);
    }
}
