// The probe's output events and the observers that print them or answer for
// the user: message boxes, the clipboard, the shell, popup menus, dialogs.
#ifndef TOLVANE_PROBE_PROBE_EVENTS_H
#define TOLVANE_PROBE_PROBE_EVENTS_H

#include <initializer_list>
#include <string>

#include "platform/afx.h"

// A field's bytes with 5C, 09, 0A and 0D escaped.
std::string Escape(const char* p);
// One output line: the fields joined by TAB.
void Event(std::initializer_list<std::string> fields);

void OnMessageBox(const char* caption, const char* text, UINT nType);
void OnClipboard();
INT_PTR OnShell(const char* verb, const char* file, const char* parameters);

// The item a `context` action chooses, and whether the menu had it.
extern std::string g_strMenuChoice;
extern bool g_bMenuChoiceFound;
UINT OnPopupMenu(const CMenu& menu);

// The command line a `set editor` action types into the editor settings,
// and whether the dialog opened to take it.
extern std::string g_strEditorToType;
extern bool g_bEditorTyped;
void OnModal(CDialog* pDialog);

#endif
