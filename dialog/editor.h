// The editor a row is opened in: the presets of well-known editors, the
// automatic choice among those installed, and the dialog that sets it.
#ifndef TOLVANE_DIALOG_EDITOR_H
#define TOLVANE_DIALOG_EDITOR_H

#include "platform/afx.h"

class CIniFile;

// What the user chose: nothing (the first editor found installed), the
// file type's own program, or a command line of their own.
struct EditorChoice {
    enum Mode { kAuto, kAssociation, kCommand };
    Mode nMode = kAuto;
    CString strCommand;  // for kCommand

    void Load(const CIniFile& ini);
    void Store(CIniFile& ini) const;
};

// The editor that opens a row now: a command line with %path%, %line% and
// %column%, or none (empty) for the file type's own program.
struct EditorInForce {
    CString strName;     // what the dialog shows
    CString strCommand;  // empty: open the file as the shell would
};
EditorInForce ResolveEditor(const EditorChoice& choice);

class CEditorDlg : public CDialog {
public:
    CEditorDlg(const EditorChoice& choice, CWnd* pParent);
    BOOL OnInitDialog() override;
    void OnOK() override;

    // What OK left; the dialog's result says whether it was pressed.
    EditorChoice m_choice;

protected:
    void OnSelchangePreset();
    DECLARE_MESSAGE_MAP()
};

#endif
