// The probe's output events and the observers that print them or answer for
// the user: message boxes, the clipboard, the shell, popup menus, dialogs.
#ifndef TOLVANE_PROBE_PROBE_EVENTS_H
#define TOLVANE_PROBE_PROBE_EVENTS_H

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/afx.h"

// A field's bytes with 5C, 09, 0A and 0D escaped.
std::string Escape(const char* p);
// The bytes of a script's text escaped as output fields are, or with \xHH
// for any byte; false on an escape that is neither.
bool Unescape(const std::string& text, std::string* pBytes);
// One output line: the fields joined by TAB.
void Event(std::initializer_list<std::string> fields);

void OnMessageBox(const char* caption, const char* text, UINT nType);
void OnClipboard();
INT_PTR OnShell(const char* verb, const char* file, const char* parameters);

// The position of the item whose label, without its "&" and accelerator
// text, is LABEL; -1 when the menu has none.
int FindMenuItem(const CMenu& menu, const std::string& label);

// The item a `context` action chooses, and whether the menu had it.
extern std::string g_strMenuChoice;
extern bool g_bMenuChoiceFound;
UINT OnPopupMenu(const CMenu& menu);

// The command line a `set editor` action types into the editor settings,
// while it does, and whether the dialog opened to take it; opened otherwise,
// the dialog is closed as Esc closes it.
extern std::string g_strEditorToType;
extern bool g_bTypeEditor;
extern bool g_bEditorTyped;
void OnModal(CDialog* pDialog);

// The type (0-based, as the box lists them) and name an `export` action
// gives the Save As box, while it does, and whether the box was asked for.
extern int g_nSaveAsType;
extern std::string g_strSaveAsPath;
extern bool g_bSaveAsAsked;
BOOL OnSaveAs(const std::vector<AfxFileType>& types, int* pnType, CString* pPath);
// The tree's actions (select, expand, collapse and their labels from the
// root item): the complaint, or "" when they could be done. Its lines of a
// dump: every item in display order, then the selected one's label path.
std::string TreeAction(const CTreeCtrl& tree, const std::vector<std::string>& f);
void DumpTree(const CTreeCtrl& tree);

#endif
