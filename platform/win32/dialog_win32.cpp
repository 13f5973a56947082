// Dialogs over real windows: built from their templates with the wide API,
// so the template's UTF-16 texts reach the screen as they are, and the
// controls' wide notifications turned into the ANSI forms the dialog code
// handles, with the texts converted with code page 932.
#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

namespace {

int g_nInsideMessageBox = 0;
// Posted by a modal dialog to itself so the modal observer runs inside its loop.
const UINT kModalUp = WM_APP + 0x2a;

// The tree's notifications that carry an NMTREEVIEW, wide and ANSI.
const struct {
    UINT nWide, nAnsi;
} kTreeCodes[] = {
    {TVN_SELCHANGINGW, TVN_SELCHANGINGA}, {TVN_SELCHANGEDW, TVN_SELCHANGEDA},
    {TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDINGA}, {TVN_ITEMEXPANDEDW, TVN_ITEMEXPANDEDA},
    {TVN_DELETEITEMW, TVN_DELETEITEMA}, {TVN_BEGINDRAGW, TVN_BEGINDRAGA}, {TVN_BEGINRDRAGW, TVN_BEGINRDRAGA},
};

// The list asks for a text with a wide buffer: the dialog fills a CP932
// buffer as large in bytes as twice the wide one in characters, and the
// answer is converted into the list's buffer, cut between characters.
BOOL DispatchGetDispInfo(CDialog* pDlg, WPARAM wParam, NMLVDISPINFOW* pWide, LRESULT* pResult)
{
    NMLVDISPINFOA ansi = {};
    ansi.hdr = pWide->hdr;
    ansi.hdr.code = LVN_GETDISPINFOA;
    std::memcpy(&ansi.item, &pWide->item, sizeof ansi.item);
    LVITEMW& wide = pWide->item;
    bool bText = (wide.mask & LVIF_TEXT) && wide.pszText && wide.cchTextMax > 0;
    std::vector<char> buffer(bText ? static_cast<size_t>(wide.cchTextMax) * 2 : 1, '\0');
    ansi.item.pszText = bText ? buffer.data() : nullptr;
    ansi.item.cchTextMax = bText ? static_cast<int>(buffer.size()) : 0;
    BOOL bHandled = pDlg->DispatchToMessageMap(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&ansi), pResult);
    wchar_t* pText = wide.pszText;
    int cchText = wide.cchTextMax;
    std::memcpy(&wide, &ansi.item, sizeof wide);
    wide.pszText = pText;
    wide.cchTextMax = cchText;
    if (bText && ansi.item.pszText) {
        std::wstring text = Win32Widen(ansi.item.pszText);
        size_t n = text.size() < static_cast<size_t>(cchText) ? text.size() : static_cast<size_t>(cchText) - 1;
        std::memcpy(pText, text.data(), n * sizeof(wchar_t));
        pText[n] = L'\0';
    }
    return bHandled;
}

BOOL DispatchNotify(CDialog* pDlg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pHdr = reinterpret_cast<NMHDR*>(lParam);
    if (pHdr->code == LVN_GETDISPINFOW)
        return DispatchGetDispInfo(pDlg, wParam, reinterpret_cast<NMLVDISPINFOW*>(lParam), pResult);
    for (const auto& codes : kTreeCodes) {
        if (pHdr->code != codes.nWide)
            continue;
        // None of these carries a text the dialog reads: the items go as
        // handles, states and parameters.
        const NMTREEVIEWW* pWide = reinterpret_cast<const NMTREEVIEWW*>(lParam);
        NMTREEVIEWA ansi = {};
        ansi.hdr = pWide->hdr;
        ansi.hdr.code = codes.nAnsi;
        ansi.action = pWide->action;
        ansi.ptDrag = pWide->ptDrag;
        std::memcpy(&ansi.itemOld, &pWide->itemOld, sizeof ansi.itemOld);
        std::memcpy(&ansi.itemNew, &pWide->itemNew, sizeof ansi.itemNew);
        ansi.itemOld.pszText = ansi.itemNew.pszText = nullptr;
        ansi.itemOld.mask &= ~TVIF_TEXT;
        ansi.itemNew.mask &= ~TVIF_TEXT;
        return pDlg->DispatchToMessageMap(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&ansi), pResult);
    }
    return pDlg->DispatchToMessageMap(WM_NOTIFY, wParam, lParam, pResult);
}

INT_PTR CALLBACK DlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pDlg));
        pDlg->m_hWnd = hWnd;
        Win32EnsureJapaneseFont(hWnd);
        Win32FitDialog(hWnd);
        Win32TakeOverDpiChanges(hWnd);
        if (AfxGetModalObserver() && pDlg->IsModal())
            ::PostMessageW(hWnd, kModalUp, 0, 0);
        return pDlg->OnInitDialog();
    }
    // Messages sent before WM_INITDIALOG (WM_SETFONT) find no object yet.
    CDialog* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!pDlg)
        return FALSE;
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        pDlg->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        BOOL bHandled = DispatchNotify(pDlg, wParam, lParam, &result);
        ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
        return bHandled;
    }
    case WM_QUERYDRAGICON:
        // One of the messages whose dialog-procedure return value is the result itself.
        if (!pDlg->DispatchToMessageMap(message, wParam, lParam, &result))
            return FALSE;
        return static_cast<INT_PTR>(result);
    case WM_SIZE:
        // While the platform rescales, the sizes are not the user's; the
        // dialog hears of them in the pixels of the scale it laid out at.
        if (Win32IsRescaling())
            return FALSE;
        return pDlg->DispatchToMessageMap(message, wParam,
                                          MAKELPARAM(Win32WindowToLayout(hWnd, LOWORD(lParam)),
                                                     Win32WindowToLayout(hWnd, HIWORD(lParam))),
                                          &result);
    case WM_GETMINMAXINFO: {
        if (Win32IsRescaling())
            return FALSE;
        MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
        POINT before = pInfo->ptMinTrackSize;
        BOOL bHandled = pDlg->DispatchToMessageMap(message, wParam, lParam, &result);
        if (pInfo->ptMinTrackSize.x != before.x || pInfo->ptMinTrackSize.y != before.y) {
            pInfo->ptMinTrackSize.x = Win32LayoutToWindow(hWnd, pInfo->ptMinTrackSize.x);
            pInfo->ptMinTrackSize.y = Win32LayoutToWindow(hWnd, pInfo->ptMinTrackSize.y);
        }
        return bHandled;
    }
    case WM_DPICHANGED:
        Win32RescaleDialog(hWnd, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case kModalUp:
        if (AFX_MODAL_OBSERVER pfn = AfxGetModalObserver())
            pfn(pDlg);
        return TRUE;
    case WM_NCDESTROY:
        Win32ForgetDpi(hWnd);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        pDlg->m_hWnd = nullptr;
        return FALSE;
    default:
        // FALSE lets the dialog manager do its default processing, which is
        // what a handler calling Default() asks for.
        return pDlg->DispatchToMessageMap(message, wParam, lParam, &result);
    }
}

// The window a modal dialog without a parent is owned by, as the class
// library picks it: the main window, so that it takes no input meanwhile.
HWND OwnerFor(const CDialog* pDlg, CWnd* pParentWnd)
{
    if (pParentWnd)
        return pParentWnd->m_hWnd;
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd && pApp->m_pMainWnd != pDlg)
        return pApp->m_pMainWnd->m_hWnd;
    return nullptr;
}

}  // namespace

bool Win32InsideMessageBox() { return g_nInsideMessageBox > 0; }

INT_PTR CDialog::DoModal()
{
    Win32InitCommonControls();
    m_bModal = true;
    m_bEnded = false;
    INT_PTR nResult = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                                        OwnerFor(this, m_pParentWnd), DlgProc, (LPARAM)this);
    m_bModal = false;
    return nResult;
}

BOOL CDialog::Create()
{
    Win32InitCommonControls();
    m_bModal = false;
    m_bEnded = false;
    HWND hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                                     m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, DlgProc, (LPARAM)this);
    if (!hWnd)
        return FALSE;
    if (!::IsWindowVisible(hWnd))
        ::ShowWindow(hWnd, SW_SHOW);
    return TRUE;
}

void CDialog::DestroyWindow()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    if (m_bModal) {
        ::EndDialog(m_hWnd, nResult);
        return;
    }
    // A modeless window has no modal loop to leave: closing it is the end.
    m_bEnded = true;
    DestroyWindow();
}

CWnd CDialog::GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }

int CDialog::MessageBox(const char* text, const char* caption, UINT nType)
{
    if (AFX_MSGBOX_OBSERVER pfn = AfxGetMessageBoxObserver())
        pfn(caption, text, nType);
    ++g_nInsideMessageBox;
    std::wstring wideText = Win32Widen(text ? text : ""), wideCaption = Win32Widen(caption ? caption : "");
    int nResult = ::MessageBoxW(m_hWnd, wideText.c_str(), caption ? wideCaption.c_str() : nullptr, nType);
    --g_nInsideMessageBox;
    return nResult;
}

int AfxMessageBox(const char* text, const char* caption, UINT nType)
{
    if (AFX_MSGBOX_OBSERVER pfn = AfxGetMessageBoxObserver())
        pfn(caption, text, nType);
    ++g_nInsideMessageBox;
    std::wstring wideText = Win32Widen(text), wideCaption = Win32Widen(caption);
    int nResult = ::MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), nType);
    --g_nInsideMessageBox;
    return nResult;
}

void CDialog::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    ::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
}
