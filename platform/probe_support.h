// What the probe and the tests need from the platform beyond what the product
// uses: a message loop to run between actions, output in binary mode, and in
// the stand-in the drive table.
#ifndef TOLVANE_PLATFORM_PROBE_SUPPORT_H
#define TOLVANE_PLATFORM_PROBE_SUPPORT_H

#include <string>

#include "platform/wintypes.h"

// Message boxes are closed with their default button as soon as they open.
void ProbeAnswerMessageBoxes();
// The next box that opens is closed with BUTTON (IDOK, IDCANCEL) instead.
void ProbeAnswerNextMessageBox(int nButton);
// Handles whatever messages are waiting (nothing in the stand-in).
void ProbePumpMessages();
// One Esc key press aimed at the focused control of DIALOG (at DIALOG when
// none of its controls has the focus) waits in the input queue.
void ProbeQueueEscape(HWND hDialog);
// A file or folder (PATH as the product takes a path) dropped on the window,
// as Explorer drops one; false when the window takes no files.
bool ProbeDrop(HWND hDialog, const char* path);
// stdout takes LF line ends and raw CP932 bytes.
void ProbeBinaryStdout();
// Native build: drive letter LETTER is the host folder; false where there is
// no such thing (the Windows build has real drives only).
bool ProbeMapDrive(char letter, const char* hostFolder);
void ProbeClearDrives();
// A key pressed while HWND has the focus, with Ctrl held or not; what the
// window and the dialog manager make of it happens before the call returns.
void ProbePressKey(HWND hWnd, UINT nVirtKey, bool bCtrl);
// The clipboard's text (CF_TEXT) and, where the system keeps it, its
// CF_UNICODETEXT converted to code page 932; false for the second when there is none.
bool ProbeReadClipboard(std::string* pText, std::string* pUnicode);

#endif
