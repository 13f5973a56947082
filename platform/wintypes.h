// The Win32 names the product code uses. The Windows build takes them from the
// SDK headers; the native build (in-memory controls, POSIX files) defines the
// same names with the same values so the product code compiles unchanged.
#ifndef TOLVANE_PLATFORM_WINTYPES_H
#define TOLVANE_PLATFORM_WINTYPES_H

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
#else
#include <cstdint>

typedef int BOOL;
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint64_t ULONGLONG;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t WPARAM;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef DWORD COLORREF;
typedef const char* LPCSTR;
typedef struct HWND__* HWND;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
typedef struct _TREEITEM* HTREEITEM;
typedef struct HMENU__* HMENU;
typedef struct HDC__* HDC;
typedef struct HINSTANCE__* HINSTANCE;
typedef struct HDROP__* HDROP;

struct RECT {
    long left, top, right, bottom;
};
struct POINT {
    long x, y;
};
struct MINMAXINFO {
    POINT ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

#define IDOK 1
#define IDCANCEL 2

#define WM_SIZE 0x0005
#define WM_PAINT 0x000F
#define WM_GETMINMAXINFO 0x0024
#define WM_CONTEXTMENU 0x007B
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define GW_HWNDNEXT 2
#define GW_CHILD 5
#define WM_QUERYDRAGICON 0x0037
#define WM_NOTIFY 0x004E
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_DROPFILES 0x0233
#define WM_ICONERASEBKGND 0x0027
#define BN_CLICKED 0
#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5

#define MF_STRING 0x00000000u
#define MF_SEPARATOR 0x00000800u
#define MF_GRAYED 0x00000001u
#define MF_CHECKED 0x00000008u
#define MF_UNCHECKED 0x00000000u
#define MF_BYPOSITION 0x00000400u
#define TPM_LEFTALIGN 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u
#define SE_ERR_NOASSOC 31
#define VK_RETURN 0x0D
#define VK_CONTROL 0x11
#define VK_DELETE 0x2E
#define VK_APPS 0x5D
#define SC_CLOSE 0xF060
#define SC_MINIMIZE 0xF020
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ICONHAND 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONINFORMATION 0x00000040u

#define SM_CXICON 11
#define SM_CYICON 12

#define BST_UNCHECKED 0
#define BST_CHECKED 1

#define LVCFMT_LEFT 0
#define LVCFMT_RIGHT 1
#define LVS_EX_FULLROWSELECT 0x00000020
#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002
#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVIR_BOUNDS 0
#define NM_DBLCLK (0U - 3U)
#define LVN_KEYDOWN (0U - 100U - 55U)
#define LVN_GETDISPINFOA (0U - 100U - 50U)
#define LVN_COLUMNCLICK (0U - 100U - 8U)
#define LVN_ITEMCHANGED (0U - 100U - 1U)
#define LVIF_TEXT 0x0001
#define LVIF_STATE 0x0008
#define LVS_OWNERDATA 0x1000

struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState, uOldState, uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};
struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state, stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct NMLVDISPINFOA {
    NMHDR hdr;
    LVITEMA item;
};
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState, uOldState, uChanged;
    POINT ptAction;
    LPARAM lParam;
};
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};

#define TVN_SELCHANGEDA (0U - 400U - 2U)
#define TVN_ITEMEXPANDEDA (0U - 400U - 6U)
#define TVI_ROOT ((HTREEITEM)(intptr_t)-0x10000)
#define TVI_FIRST ((HTREEITEM)(intptr_t)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(intptr_t)-0x0FFFE)
#define TVGN_ROOT 0x0000
#define TVGN_NEXT 0x0001
#define TVGN_PARENT 0x0003
#define TVGN_CHILD 0x0004
#define TVGN_FIRSTVISIBLE 0x0005
#define TVGN_NEXTVISIBLE 0x0006
#define TVGN_CARET 0x0009
#define TVE_COLLAPSE 0x0001
#define TVE_EXPAND 0x0002
#define TVSIL_NORMAL 0
#define ILC_MASK 0x0001

int GetSystemMetrics(int nIndex);
short GetKeyState(int nVirtKey);
ULONGLONG GetTickCount64();
struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
void GetLocalTime(SYSTEMTIME* pTime);
HINSTANCE ShellExecuteA(HWND hWnd, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int nShowCmd);

#define RGB(r, g, b) ((COLORREF)(((uint8_t)(r) | ((uint16_t)((uint8_t)(g)) << 8)) | (((DWORD)(uint8_t)(b)) << 16)))
#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)(((WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#endif

#endif
