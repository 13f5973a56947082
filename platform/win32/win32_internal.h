// Shared by the Win32 side of the platform layer only.
#ifndef TOLVANE_PLATFORM_WIN32_INTERNAL_H
#define TOLVANE_PLATFORM_WIN32_INTERNAL_H

#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/panes.h"
#include "platform/process.h"
#include "platform/wintypes.h"

// True while CDialog::MessageBox waits inside ::MessageBoxA: the probe's hook
// answers only the boxes the program itself opens.
bool Win32InsideMessageBox();

// Registers the common-control window classes the templates use. The program
// start does it, and so does dialog creation, since the probe and the tests
// build dialogs without going through WinMain.
void Win32InitCommonControls();

// The path as the file system names it, without the "\\?\" prefix: a
// CP932 path of the product, made absolute, with names shown with "?" mapped
// back to their real characters.
std::wstring Win32RealPath(const char* path);
// The same, as the file system is given it: with the "\\?\" prefix.
std::wstring Win32SystemPath(const char* path);

// The CP932 path the product shows for a path the system gave (the command
// line's, a dropped file's), made absolute from the current folder; where a
// name has characters CP932 lacks, the shown path leads back to the real one.
CString Win32ShownPath(const std::wstring& path);

// The arguments of a whole command line, the program's name first, as the
// process's own are read.
CCommandArgs Win32ArgsOfLine(const std::wstring& line);

// CP932 text of UTF-16 text; a character CP932 lacks becomes "?".
CString Win32Narrow(const std::wstring& text);
// UTF-16 text of CP932 text.
std::wstring Win32Widen(const char* text);

// All N bytes to the file or pipe H, in pieces a single WriteFile takes;
// false at the first that fails or writes nothing.
bool Win32WriteAll(HANDLE h, const char* data, size_t nBytes);

// Pixels at 96 dpi scaled to the window's dots per inch, and back: the
// platform takes and gives sizes at 96 dpi, so the dialog code is the same
// at every display scale.
UINT Win32DpiOf(HWND hWnd);
int Win32ScaleToWindow(HWND hWnd, int nPixels);
int Win32ScaleFromWindow(HWND hWnd, int nPixels);

// Where the dialog's font has no Japanese (the template's face is missing,
// as on Windows without Japanese fonts of that name), gives the dialog and
// its controls an installed font that has it, at the same size.
void Win32EnsureJapaneseFont(HWND hDialog);

// A control of a dialog and its rectangle in the dialog's client area, for
// the platform's own layout passes (fitting texts, a change of scale).
struct Win32ChildPlace {
    HWND hWnd;
    RECT rect;
};
std::vector<Win32ChildPlace> Win32ChildPlaces(HWND hDialog);

// Widens every label, check box and button of a dialog just made that is
// narrower than its text in the dialog's font, moving what lies to its
// right along, and the dialog with them.
void Win32FitDialog(HWND hDialog);

// Remembers the scale the dialog was made at and keeps the system from
// rescaling it on its own, since Win32RescaleDialog does.
void Win32TakeOverDpiChanges(HWND hDialog);
// WM_DPICHANGED: the controls' places and sizes and the font scaled from the
// dialog's former scale to NDPI, and the window moved to the rectangle the
// system suggests. The dialog's own size handlers do not run meanwhile.
void Win32RescaleDialog(HWND hDialog, UINT nDpi, const RECT* pSuggested);
bool Win32IsRescaling();
// The scale the dialog is drawn at now, as the platform knows it (0 for a
// window that is no dialog of ours).
UINT Win32RecordedDpi(HWND hDialog);
// Pixels of the scale the dialog code laid the dialog out at to pixels of
// the scale it has now, and back; the same until the scale changes.
int Win32LayoutToWindow(HWND hDialog, int nPixels);
int Win32WindowToLayout(HWND hDialog, int nPixels);
// A font the platform made for the dialog, deleted with the next one or the window.
void Win32KeepFont(HWND hDialog, HFONT hFont);
// An image list the platform made, made again with its images at NDPI.
void Win32RescaleImageList(HIMAGELIST hList, UINT nDpi);
// The scale the dialog code laid the dialog out at.
UINT Win32LayoutDpi(HWND hDialog);

// The window classes of the preview pane and the bar above it, which the
// main dialog's template names.
void Win32RegisterPaneClasses();
// Text with marks in bytes (code page 932, or UTF-8) as UTF-16 with the
// marks in its units, each mark converted on its own so none lands beside
// its characters.
struct Win32WideSpan {
    size_t nStart;
    size_t nLength;
};
void Win32WidenMarked(const std::string& bytes, const std::vector<AfxTextSpan>& marks, bool bUtf8, std::wstring* pText,
                      std::vector<Win32WideSpan>* pMarks);
// One line of text from X, Y in the DC's font, in FORE, cut at CLIP; each
// mark on MARKBACK in MARKFORE.
void Win32DrawMarkedText(HDC hDC, const std::wstring& text, const std::vector<Win32WideSpan>& marks, const RECT& clip,
                         int x, int y, COLORREF fore, COLORREF markBack, COLORREF markFore);

// The window is going: what Win32TakeOverDpiChanges and a rescale kept goes too.
void Win32ForgetDpi(HWND hDialog);

#endif
