// platform/: the class-library layer only, with its Win32 side (win32/) and
// its stand-in side (standin/) behind the same headers.
//
// Our own small versions of the class-library pieces the dialog code uses:
// window and control wrappers (one line each over a control message), the
// dialog base with its message map, the application object and the directory
// finder. The Win32 side implements them over real windows; the stand-in side
// keeps every control's state in memory, so the same dialog code runs in the
// native unit tests.
#ifndef TOLVANE_PLATFORM_AFX_H
#define TOLVANE_PLATFORM_AFX_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cstring.h"
#include "platform/wintypes.h"

class CWnd;

class CMenu {
public:
    explicit CMenu(HMENU hMenu = nullptr) : m_hMenu(hMenu) {}
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* text = nullptr);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    CString GetMenuString(int nPos) const;
    UINT GetMenuState(int nPos) const;  // by position: MF_GRAYED, MF_SEPARATOR, MF_CHECKED, ...
    // The item with the command NID gets the flags (MF_CHECKED, ...) and the text.
    BOOL ModifyMenu(UINT nID, UINT nFlags, const char* text);
    void CheckMenuItem(UINT nID, UINT nCheck);  // by command: MF_CHECKED or MF_UNCHECKED
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();
    // Shows the menu at a screen point and returns the command chosen, 0 for none.
    UINT TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd);

    HMENU m_hMenu;
};

class CWnd {
public:
    CWnd() : m_hWnd(nullptr) {}
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND GetSafeHwnd() const { return m_hWnd; }
    int GetDlgCtrlID() const;
    void SetWindowText(const char* text);
    void GetWindowText(CString& text) const;
    CString GetWindowText() const
    {
        CString text;
        GetWindowText(text);
        return text;
    }
    // Drawing of a control can be held back while many items are added.
    void SetRedraw(BOOL bRedraw);
    void RedrawNow();
    // Drops what of the window, its frame included, waits to be painted: it
    // shows what it showed until it is drawn again.
    void DropPendingPaint();
    static CWnd GetFocus();
    // A disabled control takes no clicks, keys or focus and is drawn greyed.
    void EnableWindow(BOOL bEnable);
    // The window's own copy of the system menu (no handle when it has none).
    CMenu GetSystemMenu(BOOL bRevert) const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* pRect) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Into the window's queue, handled once the message loop looks at it.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Whether files dropped on the window reach it (WM_DROPFILES).
    void DragAcceptFiles(BOOL bAccept = TRUE);

    // Geometry: the outer rectangle on the screen, a child's rectangle in its
    // parent's client area, moving, and the children in z-order.
    void GetWindowRect(RECT* pRect) const;
    void GetRectInParent(RECT* pRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight);
    CWnd GetWindow(UINT nCmd) const;
    void ClientToScreen(POINT* pPoint) const;
    void ScreenToClient(POINT* pPoint) const;
    void SetFocus();
    // SW_SHOW or SW_HIDE; a hidden control takes no room on the screen.
    void ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    // A new outer size as dragging the frame gives it: the minimum the window
    // asks for holds, and the window hears of its new size.
    void SizeAsUser(int nWidth, int nHeight);

    HWND m_hWnd;
};

// The device context of one WM_PAINT: begins painting on construction and
// ends it on destruction.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon);

private:
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    CWnd* m_pWnd;
    HDC m_hDC;
    void* m_pPaint;
};

class CButton : public CWnd {
public:
    explicit CButton(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    int GetCheck() const;
    void SetCheck(int nCheck);
    // A mouse click with the control's own semantics (push, radio, check box).
    void Click();
};

class CComboBox : public CWnd {
public:
    explicit CComboBox(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    int GetCount() const;
    int InsertString(int nIndex, const char* text);
    int DeleteString(int nIndex);
    CString GetLBText(int nIndex) const;
    // What choosing an entry of the drop-down list does for a user.
    void PickEntry(int nIndex);
};

class CListCtrl : public CWnd {
public:
    CListCtrl() = default;
    explicit CListCtrl(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    int InsertColumn(int nCol, const char* heading, int nFormat, int nWidth);
    int GetColumnCount() const;
    BOOL GetColumn(int nCol, CString& heading, int& nFormat, int& nWidth) const;
    DWORD SetExtendedStyle(DWORD dwExStyle);
    DWORD GetExtendedStyle() const;
    // The list holds no texts of its own (owner data): it knows how many
    // rows there are and asks its parent for the texts it needs
    // (LVN_GETDISPINFO), also for GetItemText.
    int GetItemCount() const;
    void SetItemCount(int nItems);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL DeleteAllItems();
    // The header's sort arrow on a column: 1 up, -1 down, 0 none.
    void SetSortArrow(int nCol, int nDirection);
    int GetSortArrow(int nCol) const;
    // Selection and focus: LVNI_SELECTED / LVNI_FOCUSED after nItem (-1: from the top).
    int GetNextItem(int nItem, int nFlags) const;
    UINT GetItemState(int nItem, UINT nMask) const;
    // nItem -1 changes every row.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    // The row at a point of the list's client area, -1 for none.
    int HitTest(POINT pt) const;
    BOOL GetItemRect(int nItem, RECT* pRect, UINT nCode) const;
};

class CProgressCtrl : public CWnd {
public:
    explicit CProgressCtrl(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    void SetRange(short nLower, short nUpper);
    int SetPos(int nPos);
    int StepIt();
    int GetPos() const;
};

class CImageList {
public:
    CImageList();
    ~CImageList();
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Loads a bitmap resource, adds it with the mask colour and frees the bitmap.
    int AddBitmapResource(UINT nIDResource, COLORREF crMask);
    int GetImageCount() const;
    void* GetHandle() const { return m_hImageList; }

private:
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    void* m_hImageList;
};

class CTreeCtrl : public CWnd {
public:
    explicit CTreeCtrl(const CWnd& wnd) : CWnd(wnd.m_hWnd) {}
    HTREEITEM InsertItem(const char* label, int nImage, int nSelectedImage, HTREEITEM hParent,
                         HTREEITEM hInsertAfter);
    void SetImageList(CImageList* pImageList, int nImageListType);
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    CString GetItemText(HTREEITEM hItem) const;
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    BOOL IsExpanded(HTREEITEM hItem) const;
    // Selection sends the tree's own selection-change notification.
    BOOL SelectItem(HTREEITEM hItem);
    // Expanding or collapsing as a user does with the mouse: the dialog hears of it.
    BOOL ExpandAsUser(HTREEITEM hItem, UINT nCode);
};

class CDialog;

// A message-map handler gets the dialog, the message parameters and the
// place for its result.
typedef void (*AFX_PMSG)(CDialog* pThis, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code for WM_COMMAND and WM_NOTIFY, else 0
    UINT nID;    // control id for WM_COMMAND and WM_NOTIFY, else 0
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                \
    {                                                                              \
        typedef theClass ThisClass;                                                \
        typedef baseClass TheBaseClass;                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                            \
    { 0, 0, 0, nullptr }                                                             \
    }                                                                                \
    ;                                                                                \
    static const AFX_MSGMAP messageMap = {TheBaseClass::GetThisMessageMap(), _messageEntries}; \
    return &messageMap;                                                              \
    }

#define ON_WM_SYSCOMMAND()                                                       \
    {WM_SYSCOMMAND, 0, 0, [](CDialog* p, WPARAM w, LPARAM l, LRESULT*) {         \
         static_cast<ThisClass*>(p)->OnSysCommand((UINT)w, l);                   \
     }},
#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, [](CDialog* p, WPARAM, LPARAM, LRESULT*) { static_cast<ThisClass*>(p)->OnPaint(); }},
#define ON_WM_QUERYDRAGICON()                                                    \
    {WM_QUERYDRAGICON, 0, 0, [](CDialog* p, WPARAM, LPARAM, LRESULT* r) {        \
         *r = (LRESULT) static_cast<ThisClass*>(p)->OnQueryDragIcon();           \
     }},
#define ON_NOTIFY(code, id, memberFxn)                                           \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), [](CDialog* p, WPARAM, LPARAM l, LRESULT* r) { \
         static_cast<ThisClass*>(p)->memberFxn((NMHDR*)l, r);                    \
     }},
#define ON_WM_SIZE()                                                             \
    {WM_SIZE, 0, 0, [](CDialog* p, WPARAM w, LPARAM l, LRESULT*) {                \
         static_cast<ThisClass*>(p)->OnSize((UINT)w, LOWORD(l), HIWORD(l));       \
     }},
#define ON_WM_GETMINMAXINFO()                                                    \
    {WM_GETMINMAXINFO, 0, 0, [](CDialog* p, WPARAM, LPARAM l, LRESULT*) {         \
         static_cast<ThisClass*>(p)->OnGetMinMaxInfo((MINMAXINFO*)l);            \
     }},
#define ON_WM_CONTEXTMENU()                                                      \
    {WM_CONTEXTMENU, 0, 0, [](CDialog* p, WPARAM w, LPARAM l, LRESULT*) {         \
         static_cast<ThisClass*>(p)->OnContextMenu((HWND)w, GET_X_LPARAM(l), GET_Y_LPARAM(l)); \
     }},
#define ON_WM_DROPFILES()                                                        \
    {WM_DROPFILES, 0, 0, [](CDialog* p, WPARAM w, LPARAM, LRESULT*) {             \
         static_cast<ThisClass*>(p)->OnDropFiles((HDROP)w);                      \
     }},
#define ON_CBN_SELCHANGE(id, memberFxn)                                          \
    {WM_COMMAND, CBN_SELCHANGE, (UINT)(id), [](CDialog* p, WPARAM, LPARAM, LRESULT*) { \
         static_cast<ThisClass*>(p)->memberFxn();                                \
     }},
#define ON_CBN_EDITCHANGE(id, memberFxn)                                         \
    {WM_COMMAND, CBN_EDITCHANGE, (UINT)(id), [](CDialog* p, WPARAM, LPARAM, LRESULT*) { \
         static_cast<ThisClass*>(p)->memberFxn();                                \
     }},
#define ON_BN_CLICKED(id, memberFxn)                                             \
    {WM_COMMAND, BN_CLICKED, (UINT)(id), [](CDialog* p, WPARAM, LPARAM, LRESULT*) { \
         static_cast<ThisClass*>(p)->memberFxn();                                \
     }},

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual ~CDialog();

    INT_PTR DoModal();
    // Modeless creation, for the probe and the tests: the window is built from
    // its template and initialised exactly as DoModal does, then left open.
    BOOL Create();
    void DestroyWindow();
    void EndDialog(int nResult);
    // True once EndDialog has run on a window made by Create.
    bool IsEnded() const { return m_bEnded; }
    bool IsModal() const { return m_bModal; }

    CWnd GetDlgItem(int nID) const;
    int MessageBox(const char* text, const char* caption, UINT nType);
    void SetIcon(HICON hIcon, BOOL bBigIcon);
    CString GetCaption() const { return GetWindowText(); }
    UINT GetTemplateID() const { return m_nIDTemplate; }

    // Routes one message through the message map; FALSE when no entry took
    // it or the handler asked for the default processing.
    BOOL DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Sends a command as the dialog manager does for a button click.
    void OnCommand(UINT nID, UINT nCode);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // For a long operation inside one of the dialog's handlers: lets waiting
    // paint messages through and looks at the input queue without taking
    // input from it, so the window stays drawn and answers the system while
    // clicks and keys wait for the operation to end. Messages other windows
    // send are delivered meanwhile, as any look at the queue delivers them.
    enum BusyRequest { kBusyGoOn, kBusyStop, kBusyClose };
    // kBusyStop: an Esc key press was waiting and is taken from the queue;
    // kBusyClose: a request to close the window was, and is taken.
    BusyRequest PumpWhileBusy();

protected:
    virtual void DoDataExchange() {}
    // The default window processing of the message being handled.
    LRESULT Default();
    void OnSysCommand(UINT nID, LPARAM lParam) { Default(); }
    void OnPaint() { Default(); }

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    bool m_bDefaultRequested;
    bool m_bEnded;
    bool m_bModal;
    int m_nResult;
};

class CWinApp {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    virtual BOOL InitInstance();
    // The process's exit code, asked once InitInstance has returned FALSE.
    virtual int ExitInstance();
    HICON LoadIcon(UINT nIDResource) const;
    BOOL Enable3dControls();

    CDialog* m_pMainWnd;
};

CWinApp* AfxGetApp();

// Message boxes are reported to an observer before they are shown; the probe
// prints them and, in the Windows build, a hook answers them.
typedef void (*AFX_MSGBOX_OBSERVER)(const char* caption, const char* text, UINT nType);
void AfxSetMessageBoxObserver(AFX_MSGBOX_OBSERVER pfn);
// A message box that no window owns, for before the main window is made.
int AfxMessageBox(const char* text, const char* caption, UINT nType);

// What was dropped on a window (WM_DROPFILES): how many files and folders,
// and each one's path as the product shows paths (absolute; a name code page
// 932 lacks still leads to the file). AfxDragFinish ends the drop.
UINT AfxDroppedCount(HDROP hDrop);
CString AfxDroppedPath(HDROP hDrop, UINT nFile);
void AfxDragFinish(HDROP hDrop);

// Told of every modal dialog once it is up, before its loop runs; the
// stand-in has no loop and ends the dialog with IDCANCEL after the call.
typedef void (*AFX_MODAL_OBSERVER)(CDialog* pDialog);
void AfxSetModalObserver(AFX_MODAL_OBSERVER pfn);
AFX_MODAL_OBSERVER AfxGetModalObserver();

// Text for the clipboard, CP932: put as CF_TEXT and, converted exactly, as
// CF_UNICODETEXT. An observer hears of every text put there.
BOOL AfxSetClipboardText(CWnd* pOwner, const CString& text);
typedef void (*AFX_CLIPBOARD_OBSERVER)();
void AfxSetClipboardObserver(AFX_CLIPBOARD_OBSERVER pfn);

// Hands a file to the shell (ShellExecute); the answer is the shell's, above
// 32 on success. While an observer is set it is asked instead and nothing starts.
INT_PTR AfxShellExecute(CWnd* pOwner, const char* verb, const char* file, const char* parameters);
typedef INT_PTR (*AFX_SHELL_OBSERVER)(const char* verb, const char* file, const char* parameters);
void AfxSetShellObserver(AFX_SHELL_OBSERVER pfn);

// Starts an editor for a file at a line and column, from a command line with
// the placeholders %path%, %line% and %column% (command_line.h). PATH is
// given as the product shows it and reaches the editor as the file system
// names the file. No shell comes in between, so nothing in a name means
// anything to one. While the shell observer is set it is asked instead, with
// the verb "open", the program and the rest of the filled command line, and
// nothing starts. FALSE when the program could not be started.
BOOL AfxStartEditor(CWnd* pOwner, const char* command, const char* path, uint64_t nLine, uint64_t nColumn);

// The program that the App Paths key registers for EXENAME (the user's key
// before the machine's), or empty.
CString AfxGetAppPath(const char* exeName);

// The folders programs are installed in: Program Files, its 32-bit twin, and
// the user's own Programs folder, those that exist.
void AfxGetProgramFolders(std::vector<CString>* pFolders);

// While an observer is set, a popup menu is not shown: the observer gets it
// and answers with the command chosen (0 for none).
typedef UINT (*AFX_POPUPMENU_OBSERVER)(const CMenu& menu);
void AfxSetPopupMenuObserver(AFX_POPUPMENU_OBSERVER pfn);

// The system's Save As box. TYPES are the file types offered, each a label
// and its pattern ("TSV (*.tsv)", "*.tsv"); *PNTYPE is the type chosen
// (0-based), given and returned, and *PPATH the file's name; the pattern's
// extension is added to a name typed without one. FALSE on Cancel. While an
// observer is set it answers instead and no box is shown.
struct AfxFileType {
    const char* label;
    const char* pattern;
};
BOOL AfxGetSaveFileName(CWnd* pOwner, const std::vector<AfxFileType>& types, int* pnType, CString* pPath);
typedef BOOL (*AFX_SAVEAS_OBSERVER)(const std::vector<AfxFileType>& types, int* pnType, CString* pPath);
void AfxSetSaveAsObserver(AFX_SAVEAS_OBSERVER pfn);
AFX_SAVEAS_OBSERVER AfxGetSaveAsObserver();

// String resource, as the .rc file holds it (CP932).
CString AfxLoadString(UINT nID);

#endif
