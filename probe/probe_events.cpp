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

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// Byte by byte, as Escape writes: the 5C trail byte of a double-byte
// character is escaped too.
bool Unescape(const std::string& text, std::string* pBytes)
{
    pBytes->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *pBytes += text[i];
            continue;
        }
        char c = ++i < text.size() ? text[i] : '\0';
        if (c == '\\' || c == 't' || c == 'n' || c == 'r') {
            *pBytes += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : '\\';
            continue;
        }
        int hi = c == 'x' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        int lo = hi >= 0 ? HexDigit(text[i + 2]) : -1;
        if (lo < 0)
            return false;
        *pBytes += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
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
// brackets, "(&O)", may also be left out whole, before a "..." too.
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
    if (amp == std::string::npos || amp == 0 || item[amp - 1] != '(' || amp + 2 >= item.size() || item[amp + 2] != ')')
        return false;
    return label == item.substr(0, amp - 1) + item.substr(amp + 3);
}

std::string g_strMenuChoice;
bool g_bMenuChoiceFound = false;

int FindMenuItem(const CMenu& menu, const std::string& label)
{
    for (int i = 0, n = menu.GetMenuItemCount(); i < n; ++i)
        if (!(menu.GetMenuState(i) & MF_SEPARATOR) && MenuLabelIs(menu.GetMenuString(i), label))
            return i;
    return -1;
}

UINT OnPopupMenu(const CMenu& menu)
{
    int i = g_strMenuChoice.empty() ? -1 : FindMenuItem(menu, g_strMenuChoice);
    if (i < 0)
        return 0;
    g_bMenuChoiceFound = true;
    // A greyed item closes the menu with nothing done.
    return menu.GetMenuState(i) & MF_GRAYED ? 0 : menu.GetMenuItemID(i);
}

std::string g_strEditorToType;
bool g_bTypeEditor = false;
bool g_bEditorTyped = false;

// The editor settings are given their text and OK; any other dialog is
// closed as Esc would close it.
void OnModal(CDialog* pDialog)
{
    if (pDialog->GetTemplateID() == IDD_EDITOR && g_bTypeEditor) {
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
