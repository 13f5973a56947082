// The parts of the dialog base and the application object that are the same
// on both sides: message-map routing and the library's default handlers.
#include "platform/internal.h"

namespace {
CWinApp* g_pApp = nullptr;
AFX_MSGBOX_OBSERVER g_pfnMsgBoxObserver = nullptr;
AFX_MODAL_OBSERVER g_pfnModalObserver = nullptr;
AFX_CLIPBOARD_OBSERVER g_pfnClipboardObserver = nullptr;
AFX_SHELL_OBSERVER g_pfnShellObserver = nullptr;
AFX_POPUPMENU_OBSERVER g_pfnPopupMenuObserver = nullptr;
AFX_SAVEAS_OBSERVER g_pfnSaveAsObserver = nullptr;
}  // namespace

CWinApp::CWinApp(const char*) : m_pMainWnd(nullptr) { g_pApp = this; }

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

// The three-dimensional look is the system's own today; kept for the start-up order.
BOOL CWinApp::Enable3dControls() { return TRUE; }

CWinApp* AfxGetApp() { return g_pApp; }

void AfxSetMessageBoxObserver(AFX_MSGBOX_OBSERVER pfn) { g_pfnMsgBoxObserver = pfn; }

AFX_MSGBOX_OBSERVER AfxGetMessageBoxObserver() { return g_pfnMsgBoxObserver; }

void AfxSetModalObserver(AFX_MODAL_OBSERVER pfn) { g_pfnModalObserver = pfn; }

AFX_MODAL_OBSERVER AfxGetModalObserver() { return g_pfnModalObserver; }

void AfxSetClipboardObserver(AFX_CLIPBOARD_OBSERVER pfn) { g_pfnClipboardObserver = pfn; }

AFX_CLIPBOARD_OBSERVER AfxGetClipboardObserver() { return g_pfnClipboardObserver; }

void AfxSetShellObserver(AFX_SHELL_OBSERVER pfn) { g_pfnShellObserver = pfn; }

AFX_SHELL_OBSERVER AfxGetShellObserver() { return g_pfnShellObserver; }

void AfxSetPopupMenuObserver(AFX_POPUPMENU_OBSERVER pfn) { g_pfnPopupMenuObserver = pfn; }

AFX_POPUPMENU_OBSERVER AfxGetPopupMenuObserver() { return g_pfnPopupMenuObserver; }

void AfxSetSaveAsObserver(AFX_SAVEAS_OBSERVER pfn) { g_pfnSaveAsObserver = pfn; }

AFX_SAVEAS_OBSERVER AfxGetSaveAsObserver() { return g_pfnSaveAsObserver; }

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bDefaultRequested(false),
      m_bEnded(false), m_bModal(false), m_nResult(0)
{
}

CDialog::~CDialog()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::Default()
{
    m_bDefaultRequested = true;
    return 0;
}

const AFX_MSGMAP* CDialog::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CDialog::DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    UINT nCode = 0;
    UINT nID = 0;
    if (message == WM_COMMAND) {
        nCode = HIWORD(wParam);
        nID = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        nCode = pHdr->code;
        nID = static_cast<UINT>(pHdr->idFrom);
    }
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap; pMap = pMap->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->pfn; ++pEntry) {
            if (pEntry->nMessage != message || pEntry->nCode != nCode || pEntry->nID != nID)
                continue;
            LRESULT result = 0;
            m_bDefaultRequested = false;
            pEntry->pfn(this, wParam, lParam, &result);
            if (pResult)
                *pResult = result;
            return !m_bDefaultRequested;
        }
    }
    return FALSE;
}

void CDialog::OnCommand(UINT nID, UINT nCode)
{
    if (nCode == BN_CLICKED && nID == IDOK) {
        OnOK();
        return;
    }
    if (nCode == BN_CLICKED && nID == IDCANCEL) {
        OnCancel();
        return;
    }
    DispatchToMessageMap(WM_COMMAND, (WPARAM)((nCode << 16) | (nID & 0xffff)), 0, nullptr);
}
