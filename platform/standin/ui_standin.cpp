// Controls kept in memory, with the semantics the dialog code relies on: the
// dialog is built from the same compiled template as on Windows.
#include <algorithm>
#include <cstring>
#include <cctype>

#include "platform/internal.h"
#include "platform/restemplate.h"
#include "platform/standin/standin.h"

HWND g_standinFocus = nullptr;
CString g_standinShellOpened;
CString g_standinClipboard;
bool g_standinCtrlDown = false;
int g_standinNextAnswer = 0;

namespace {

const DWORD kWsTabStop = 0x00010000;
const DWORD kWsGroup = 0x00020000;
const DWORD kWsVisible = 0x10000000;
const DWORD kWsDisabled = 0x08000000;
const DWORD kBsTypeMask = 0x0F;
const DWORD kBsAutoCheckBox = 3;
const DWORD kBsAutoRadioButton = 9;
const DWORD kBsGroupBox = 7;

bool IsClass(HWND h, const char* name)
{
    if (!h)
        return false;
    std::string a(h->className), b(name);
    auto up = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    return up(a) == up(b);
}

}  // namespace

int CWnd::GetDlgCtrlID() const { return m_hWnd ? m_hWnd->id : 0; }

void CWnd::SetWindowText(const char* text)
{
    if (m_hWnd)
        m_hWnd->text = text;
}

void CWnd::GetWindowText(CString& text) const { text = m_hWnd ? m_hWnd->text : CString(); }

void CWnd::SetRedraw(BOOL bRedraw)
{
    if (m_hWnd)
        m_hWnd->redraw = bRedraw != FALSE;
}

void CWnd::RedrawNow()
{
    if (m_hWnd)
        ++m_hWnd->repaints;
}

void CWnd::DropPendingPaint() {}

CWnd CWnd::GetFocus() { return CWnd(g_standinFocus); }

void CWnd::EnableWindow(BOOL bEnable)
{
    if (!m_hWnd)
        return;
    m_hWnd->style = bEnable ? m_hWnd->style & ~kWsDisabled : m_hWnd->style | kWsDisabled;
    // The system moves the focus off a control that is disabled; where to is the dialog's to say.
    if (!bEnable && g_standinFocus == m_hWnd)
        g_standinFocus = nullptr;
}

BOOL CWnd::IsIconic() const { return m_hWnd && m_hWnd->iconic; }

void CWnd::GetClientRect(RECT* pRect) const
{
    pRect->left = pRect->top = 0;
    pRect->right = m_hWnd ? m_hWnd->clientWidth : 0;
    pRect->bottom = m_hWnd ? m_hWnd->clientHeight : 0;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hWnd && message == WM_ICONERASEBKGND)
        ++m_hWnd->iconErasures;
    // A dialog handles what its message map takes.
    LRESULT result = 0;
    if (m_hWnd && m_hWnd->pDialog)
        m_hWnd->pDialog->DispatchToMessageMap(message, wParam, lParam, &result);
    return result;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd), m_hDC(reinterpret_cast<HDC>(pWnd->m_hWnd)), m_pPaint(nullptr) {}

CPaintDC::~CPaintDC() {}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon)
{
    HWND h = m_pWnd->m_hWnd;
    h->iconX = x;
    h->iconY = y;
    h->drawnIcon = hIcon;
    return hIcon != nullptr;
}

int GetSystemMetrics(int nIndex) { return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0; }

HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, int)
{
    g_standinShellOpened = file;
    return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(42));
}

int CButton::GetCheck() const { return m_hWnd ? m_hWnd->check : 0; }

void CButton::SetCheck(int nCheck)
{
    if (m_hWnd)
        m_hWnd->check = nCheck;
}

void CButton::Click()
{
    HWND h = m_hWnd;
    if (!h || !h->parent || (h->style & kWsDisabled))
        return;
    DWORD type = h->style & kBsTypeMask;
    if (type == kBsAutoCheckBox) {
        h->check = h->check ? 0 : 1;
    } else if (type == kBsAutoRadioButton) {
        // Checking one auto radio button unchecks the others of its group:
        // the controls from the last WS_GROUP control up to the next one.
        auto& siblings = h->parent->children;
        size_t me = 0;
        while (siblings[me].get() != h)
            ++me;
        size_t first = me;
        while (first > 0 && !(siblings[first]->style & kWsGroup))
            --first;
        for (size_t i = first; i < siblings.size(); ++i) {
            if (i > first && (siblings[i]->style & kWsGroup))
                break;
            HWND s = siblings[i].get();
            if (IsClass(s, "BUTTON") && (s->style & kBsTypeMask) == kBsAutoRadioButton)
                s->check = s == h ? 1 : 0;
        }
    }
    if (type == kBsGroupBox)
        return;
    // A button takes the focus from the mouse, as it does on Windows.
    g_standinFocus = h;
    h->parent->pDialog->OnCommand(static_cast<UINT>(h->id), BN_CLICKED);
}

int CComboBox::GetCount() const { return m_hWnd ? static_cast<int>(m_hWnd->items.size()) : 0; }

int CComboBox::InsertString(int nIndex, const char* text)
{
    auto& items = m_hWnd->items;
    if (nIndex < 0)
        nIndex = static_cast<int>(items.size());
    if (nIndex > static_cast<int>(items.size()))
        return -1;  // CB_ERR
    items.insert(items.begin() + nIndex, CString(text));
    return nIndex;
}

int CComboBox::DeleteString(int nIndex)
{
    auto& items = m_hWnd->items;
    if (nIndex < 0 || nIndex >= static_cast<int>(items.size()))
        return -1;
    items.erase(items.begin() + nIndex);
    return static_cast<int>(items.size());
}

CString CComboBox::GetLBText(int nIndex) const
{
    const auto& items = m_hWnd->items;
    if (nIndex < 0 || nIndex >= static_cast<int>(items.size()))
        return CString();
    return items[static_cast<size_t>(nIndex)];
}

void CComboBox::PickEntry(int nIndex)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return;
    m_hWnd->text = GetLBText(nIndex);
    if (m_hWnd->parent && m_hWnd->parent->pDialog)
        m_hWnd->parent->pDialog->OnCommand(static_cast<UINT>(m_hWnd->id), CBN_SELCHANGE);
}

void CProgressCtrl::SetRange(short nLower, short nUpper)
{
    m_hWnd->rangeLow = nLower;
    m_hWnd->rangeHigh = nUpper;
    m_hWnd->pos = std::max<int>(nLower, std::min<int>(nUpper, m_hWnd->pos));
}

int CProgressCtrl::SetPos(int nPos)
{
    int old = m_hWnd->pos;
    m_hWnd->pos = std::max(m_hWnd->rangeLow, std::min(m_hWnd->rangeHigh, nPos));
    return old;
}

// The common control starts over from the bottom of its range once a step
// takes the position past the top.
int CProgressCtrl::StepIt()
{
    int old = m_hWnd->pos;
    m_hWnd->pos += m_hWnd->step;
    if (m_hWnd->pos > m_hWnd->rangeHigh)
        m_hWnd->pos = m_hWnd->rangeLow + (m_hWnd->pos - m_hWnd->rangeHigh);
    return old;
}

int CProgressCtrl::GetPos() const { return m_hWnd->pos; }

INT_PTR CDialog::DoModal()
{
    // There is no message loop without a display: the window is built and
    // initialised, the observer may act on it, and it is closed.
    m_bModal = true;
    if (!Create())
        return -1;
    if (AFX_MODAL_OBSERVER pfn = AfxGetModalObserver())
        pfn(this);
    if (!m_bEnded)
        EndDialog(IDCANCEL);
    return m_nResult;
}

BOOL CDialog::Create()
{
    DialogTemplate t;
    if (!LoadDialogTemplate(m_nIDTemplate, &t))
        return FALSE;
    HWND dlg = new HWND__;
    dlg->pDialog = this;
    dlg->className = "#32770";
    dlg->style = t.style;
    dlg->text = t.caption;
    dlg->clientWidth = t.cx * kStandinDluX / 4;
    dlg->clientHeight = t.cy * kStandinDluY / 8;
    for (const DialogItemTemplate& item : t.items) {
        auto child = std::make_unique<HWND__>();
        child->parent = dlg;
        child->id = item.id;
        child->className = item.className;
        child->style = item.style;
        child->text = item.text;
        child->x = item.x * kStandinDluX / 4;
        child->y = item.y * kStandinDluY / 8;
        child->cx = item.cx * kStandinDluX / 4;
        child->cy = item.cy * kStandinDluY / 8;
        if (IsClass(child.get(), "EDIT") || IsClass(child.get(), "COMBOBOX"))
            child->text = "";
        dlg->children.push_back(std::move(child));
    }
    m_hWnd = dlg;
    m_bEnded = false;
    g_standinFocus = nullptr;
    if (OnInitDialog()) {
        // The dialog manager gives the focus to the first control that can take it.
        for (auto& c : dlg->children) {
            if ((c->style & kWsTabStop) && (c->style & kWsVisible) && !(c->style & kWsDisabled)) {
                g_standinFocus = c.get();
                break;
            }
        }
    }
    return TRUE;
}

void CDialog::DestroyWindow()
{
    if (g_standinFocus && g_standinFocus->parent == m_hWnd)
        g_standinFocus = nullptr;
    auto& queue = g_standinQueuedEscapes;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [this](HWND h) { return h && h->OwningDialog() == m_hWnd; }),
                queue.end());
    auto& posted = g_standinPosted;
    posted.erase(std::remove_if(posted.begin(), posted.end(),
                                [this](const StandinPosted& p) { return p.hWnd->OwningDialog() == m_hWnd; }),
                 posted.end());
    delete m_hWnd;
    m_hWnd = nullptr;
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    DestroyWindow();
}

CWnd CDialog::GetDlgItem(int nID) const
{
    if (!m_hWnd)
        return CWnd();
    for (auto& c : m_hWnd->children)
        if (c->id == nID)
            return CWnd(c.get());
    return CWnd();
}

int CDialog::MessageBox(const char* text, const char* caption, UINT nType)
{
    if (AFX_MSGBOX_OBSERVER pfn = AfxGetMessageBoxObserver())
        pfn(caption ? caption : "", text ? text : "", nType);
    int nAnswer = g_standinNextAnswer ? g_standinNextAnswer : IDOK;
    g_standinNextAnswer = 0;
    return nAnswer;
}

void CDialog::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    if (!m_hWnd)
        return;
    (bBigIcon ? m_hWnd->bigIcon : m_hWnd->smallIcon) = hIcon;
}

short GetKeyState(int nVirtKey) { return nVirtKey == VK_CONTROL && g_standinCtrlDown ? -128 : 0; }

// Geometry: children are placed in their parent's client area, and a dialog's
// client area lies at a fixed place on the screen.

void CWnd::GetWindowRect(RECT* pRect) const
{
    POINT origin = {0, 0};
    ClientToScreen(&origin);
    if (!m_hWnd->parent) {
        pRect->left = origin.x - kStandinClientLeft;
        pRect->top = origin.y - kStandinClientTop;
        pRect->right = pRect->left + m_hWnd->clientWidth + kStandinFrameX;
        pRect->bottom = pRect->top + m_hWnd->clientHeight + kStandinFrameY;
    } else {
        *pRect = {origin.x, origin.y, origin.x + m_hWnd->cx, origin.y + m_hWnd->cy};
    }
}

void CWnd::GetRectInParent(RECT* pRect) const
{
    *pRect = {m_hWnd->x, m_hWnd->y, m_hWnd->x + m_hWnd->cx, m_hWnd->y + m_hWnd->cy};
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight)
{
    m_hWnd->x = x;
    m_hWnd->y = y;
    m_hWnd->cx = nWidth;
    m_hWnd->cy = nHeight;
}

CWnd CWnd::GetWindow(UINT nCmd) const
{
    if (!m_hWnd)
        return CWnd();
    if (nCmd == GW_CHILD)
        return CWnd(m_hWnd->children.empty() ? nullptr : m_hWnd->children.front().get());
    if (nCmd != GW_HWNDNEXT || !m_hWnd->parent)
        return CWnd();
    auto& siblings = m_hWnd->parent->children;
    for (size_t i = 0; i + 1 < siblings.size(); ++i)
        if (siblings[i].get() == m_hWnd)
            return CWnd(siblings[i + 1].get());
    return CWnd();
}

void CWnd::ClientToScreen(POINT* pPoint) const
{
    for (HWND h = m_hWnd; h; h = h->parent) {
        pPoint->x += h->parent ? h->x : kStandinClientLeft;
        pPoint->y += h->parent ? h->y : kStandinClientTop;
    }
}

void CWnd::ScreenToClient(POINT* pPoint) const
{
    POINT origin = {0, 0};
    ClientToScreen(&origin);
    pPoint->x -= origin.x;
    pPoint->y -= origin.y;
}

void CWnd::SetFocus() { g_standinFocus = m_hWnd; }

void CWnd::SizeAsUser(int nWidth, int nHeight)
{
    CDialog* pDialog = m_hWnd->pDialog;
    MINMAXINFO info = {};
    LRESULT result = 0;
    if (pDialog)
        pDialog->DispatchToMessageMap(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), &result);
    nWidth = std::max<int>(nWidth, static_cast<int>(info.ptMinTrackSize.x));
    nHeight = std::max<int>(nHeight, static_cast<int>(info.ptMinTrackSize.y));
    m_hWnd->clientWidth = std::max<long>(0, nWidth - kStandinFrameX);
    m_hWnd->clientHeight = std::max<long>(0, nHeight - kStandinFrameY);
    if (pDialog)
        pDialog->DispatchToMessageMap(WM_SIZE, SIZE_RESTORED,
                                      MAKELPARAM(m_hWnd->clientWidth, m_hWnd->clientHeight), &result);
}

// Clipboard and shell

BOOL AfxSetClipboardText(CWnd*, const CString& text)
{
    g_standinClipboard = text;
    if (AFX_CLIPBOARD_OBSERVER pfn = AfxGetClipboardObserver())
        pfn();
    return TRUE;
}

INT_PTR AfxShellExecute(CWnd*, const char* verb, const char* file, const char* parameters)
{
    if (AFX_SHELL_OBSERVER pfn = AfxGetShellObserver())
        return pfn(verb, file, parameters ? parameters : "");
    g_standinShellOpened = file;
    return 42;
}
