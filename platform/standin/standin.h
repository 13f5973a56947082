// The in-memory windows of the native build. Each control keeps the state the
// dialog code relies on; the tests may look inside through these types.
#ifndef TOLVANE_PLATFORM_STANDIN_H
#define TOLVANE_PLATFORM_STANDIN_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx.h"
#include "platform/panes.h"

// The host path a Windows path of the native build stands for; false when
// it names a drive that does not exist.
bool HostPath(const char* path, std::string* out);

// The folder a relative path starts from (Windows form, no "\" at its end);
// empty for the current drive's root.
extern CString g_standinCurrentFolder;
// A path given to the program made absolute as Windows makes it: from the
// current folder, "." and ".." resolved, no "\" at the end but after a root.
CString StandinAbsolutePath(const char* text);

// What was dropped on a window: the paths, absolute.
struct HDROP__ {
    std::vector<CString> paths;
};
// Messages posted to windows, oldest first; ProbePumpMessages handles them.
struct StandinPosted {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
extern std::vector<StandinPosted> g_standinPosted;

// The registry below HKEY_CURRENT_USER: each key by its path, with its
// values by name ("" is the default value). Software and Software\Classes
// are there from the start. While read-only, every change fails.
extern std::map<std::string, std::map<std::string, std::string>> g_standinRegistry;
extern bool g_standinRegistryReadOnly;

struct _TREEITEM {
    CString label;
    int image = 0;
    int selectedImage = 0;
    _TREEITEM* parent = nullptr;
    std::vector<_TREEITEM*> children;
    bool expanded = false;
};

struct HWND__ {
    CDialog* pDialog = nullptr;  // set on the dialog window itself
    HWND__* parent = nullptr;
    std::vector<std::unique_ptr<HWND__>> children;
    int id = 0;
    CString className;  // upper case, as the template gives it
    DWORD style = 0;
    CString text;
    int check = 0;
    // combo box list
    std::vector<CString> items;
    // list view
    struct Column {
        CString heading;
        int format;
        int width;
    };
    std::vector<Column> columns;
    // Owner data: the number of rows, whose texts the parent gives.
    // LVIS_SELECTED, LVIS_FOCUSED per row, up to the last row given one: an
    // owner-data list of half a million rows keeps nothing per row.
    std::vector<UINT> rowStates;
    size_t nListRows = 0;
    std::vector<int> sortArrows;  // per column: 1 up, -1 down, 0 none
    DWORD listExStyle = 0;
    // The column drawn with marks and where they come from.
    int markColumn = -1;
    CListMarkSource* markSource = nullptr;
    // preview pane: what it was given to show
    std::vector<AfxPaneLine> paneLines;
    CString paneNote;
    bool redraw = true;
    bool acceptsFiles = false;
    int repaints = 0;
    // progress bar
    int rangeLow = 0, rangeHigh = 100, pos = 0, step = 10;
    // tree view
    std::vector<std::unique_ptr<_TREEITEM>> treeItems;
    std::vector<_TREEITEM*> topItems;
    _TREEITEM* selected = nullptr;
    void* imageList = nullptr;
    // icons set with SetIcon
    HICON bigIcon = nullptr, smallIcon = nullptr;
    // the window's system menu and how it is drawn when minimised
    std::unique_ptr<HMENU__> systemMenu;
    bool iconic = false;
    long clientWidth = 640, clientHeight = 480;
    // a child's place in its parent's client area, in pixels
    long x = 0, y = 0, cx = 0, cy = 0;
    int iconX = 0, iconY = 0;
    HICON drawnIcon = nullptr;
    int iconErasures = 0;

    // The dialog this window is, or the one it is a control of.
    HWND__* OwningDialog() { return pDialog ? this : parent; }
};

struct HMENU__ {
    struct Item {
        UINT flags;
        UINT_PTR id;
        CString text;
    };
    std::vector<Item> items;
};

// The last address handed to the shell.
extern CString g_standinShellOpened;

// The App Paths entries of the stand-in's registry, by program name.
extern std::map<std::string, CString> g_standinAppPaths;

// What was last put on the clipboard.
extern CString g_standinClipboard;

// Whether the Ctrl key is held down.
extern bool g_standinCtrlDown;

// The button the next message box is closed with (0: its default, OK).
extern int g_standinNextAnswer;

// The stand-in's fixed metrics: pixels per dialog unit (as a 6 x 12 pixel
// font gives them), the frame around a dialog's client area, where that
// client area lies on the screen, and a list's header and row heights.
const int kStandinDluX = 6, kStandinDluY = 12;  // pixels per 4 horizontal / 8 vertical units
const long kStandinFrameX = 16, kStandinFrameY = 38;
const long kStandinClientLeft = 8, kStandinClientTop = 30;
const long kStandinHeaderHeight = 20, kStandinRowHeight = 16;

// The window that has the keyboard focus.
extern HWND g_standinFocus;

// The input queue: the windows Esc key presses are aimed at, oldest first.
extern std::vector<HWND> g_standinQueuedEscapes;
// Stands for the messages other windows send, which a look at the queue
// delivers: called at every look a dialog takes while it is busy.
extern void (*g_pfnStandinWhileBusy)(CDialog* pDialog);
// When not 0, the clock GetTickCount64 reads is simulated: every reading is
// this many milliseconds after the one before, as if that much work had
// passed between any two readings.
extern ULONGLONG g_standinTickStepMs;

#endif
