// Shared by the Win32 side of the platform layer only.
#ifndef TOLVANE_PLATFORM_WIN32_INTERNAL_H
#define TOLVANE_PLATFORM_WIN32_INTERNAL_H

// True while CDialog::MessageBox waits inside ::MessageBoxA: the probe's hook
// answers only the boxes the program itself opens.
bool Win32InsideMessageBox();

// Registers the common-control window classes the templates use. The program
// start does it, and so does dialog creation, since the probe and the tests
// build dialogs without going through WinMain.
void Win32InitCommonControls();

#endif
