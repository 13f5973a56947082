// The preview pane and the bar above it as windows of their own classes: the
// pane draws its lines with the wide API, so a Unicode file's characters that
// code page 932 lacks show as themselves; the bar turns a drag into a notice
// to its parent, which lays the list and the pane out again.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/panes.h"
#include "platform/win32/win32_internal.h"

namespace {

const wchar_t kPaneClass[] = L"TolvanePreview";
const wchar_t kBarClass[] = L"TolvaneSplitBar";
// IDC_SIZENS and IDC_ARROW, which the SDK spells for the ANSI API only.
const LPCWSTR kSizeNsCursor = MAKEINTRESOURCEW(32645);
const LPCWSTR kArrowCursor = MAKEINTRESOURCEW(32512);

struct PaneData {
    HFONT hFont = nullptr;
    std::vector<AfxPaneLine> lines;
    CString strNote;
};

PaneData* DataOf(HWND hWnd) { return reinterpret_cast<PaneData*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)); }

// The first line shown: the row's own line stays in view, in the middle when
// the pane is too low for them all.
size_t FirstShown(const std::vector<AfxPaneLine>& lines, size_t nFit)
{
    if (lines.size() <= nFit)
        return 0;
    size_t nOwn = 0;
    while (nOwn < lines.size() && !lines[nOwn].bOwn)
        ++nOwn;
    if (nOwn == lines.size())
        return 0;
    size_t nFirst = nOwn > nFit / 2 ? nOwn - nFit / 2 : 0;
    return std::min(nFirst, lines.size() - nFit);
}

void PaintPane(HWND hWnd, HDC hDC)
{
    PaneData* pData = DataOf(hWnd);
    RECT client;
    ::GetClientRect(hWnd, &client);
    ::FillRect(hDC, &client, ::GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ hOld = ::SelectObject(hDC, pData->hFont ? pData->hFont : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(hDC, &tm);
    int nLineHeight = std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
    int nPad = Win32ScaleToWindow(hWnd, 4), nTop = Win32ScaleToWindow(hWnd, 2);
    ::SetBkMode(hDC, TRANSPARENT);
    if (pData->lines.empty()) {
        std::wstring note = Win32Widen(pData->strNote);
        RECT r = {client.left + nPad, client.top + nTop, client.right - nPad, client.bottom};
        ::SetTextColor(hDC, ::GetSysColor(COLOR_WINDOWTEXT));
        ::DrawTextW(hDC, note.c_str(), static_cast<int>(note.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        ::SelectObject(hDC, hOld);
        return;
    }
    uint64_t nLast = 0;
    for (const AfxPaneLine& line : pData->lines)
        nLast = std::max(nLast, line.nNumber);
    std::wstring widest = std::to_wstring(nLast);
    SIZE extent = {};
    ::GetTextExtentPoint32W(hDC, widest.c_str(), static_cast<int>(widest.size()), &extent);
    // A stripe in the highlight colour beside the own line's number, and a band under the whole line.
    int nStripe = Win32ScaleToWindow(hWnd, 3), nNumberLeft = nPad + nStripe + nPad;
    int nTextLeft = nNumberLeft + extent.cx + 3 * nPad;
    size_t nFit = static_cast<size_t>(std::max(1, static_cast<int>((client.bottom - nTop) / nLineHeight)));
    int y = client.top + nTop;
    for (size_t i = FirstShown(pData->lines, nFit); i < pData->lines.size() && y < client.bottom; ++i) {
        const AfxPaneLine& line = pData->lines[i];
        RECT band = {client.left, y, client.right, y + nLineHeight};
        if (line.bOwn) {
            ::FillRect(hDC, &band, ::GetSysColorBrush(COLOR_3DFACE));
            RECT stripe = {client.left + nPad, y, client.left + nPad + nStripe, y + nLineHeight};
            ::FillRect(hDC, &stripe, ::GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        std::wstring number = std::to_wstring(line.nNumber);
        RECT numberRect = {client.left + nNumberLeft, y, client.left + nNumberLeft + extent.cx, y + nLineHeight};
        ::SetTextColor(hDC, ::GetSysColor(line.bOwn ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        ::DrawTextW(hDC, number.c_str(), static_cast<int>(number.size()), &numberRect,
                    DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        std::wstring text;
        std::vector<Win32WideSpan> marks;
        Win32WidenMarked(line.text, line.marks, true, &text, &marks);
        RECT clip = {client.left + nTextLeft, y, client.right, y + nLineHeight};
        Win32DrawMarkedText(hDC, text, marks, clip, clip.left, y, ::GetSysColor(COLOR_WINDOWTEXT),
                            ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        y += nLineHeight;
    }
    ::SelectObject(hDC, hOld);
}

LRESULT CALLBACK PaneProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new PaneData));
        break;
    case WM_NCDESTROY:
        delete DataOf(hWnd);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        break;
    case WM_SETFONT:
        DataOf(hWnd)->hFont = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            ::InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(DataOf(hWnd)->hFont);
    case WM_ERASEBKGND:
        // The paint fills every pixel itself.
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        PaintPane(hWnd, hDC);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

// Where in the bar the press was, while the mouse is captured.
const wchar_t kGrabProperty[] = L"tolvane.grab";

LRESULT CALLBACK BarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, kSizeNsCursor));
        return TRUE;
    case WM_LBUTTONDOWN:
        ::SetPropW(hWnd, kGrabProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(GET_Y_LPARAM(lParam) + 1)));
        ::SetCapture(hWnd);
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        intptr_t nGrab = reinterpret_cast<intptr_t>(::GetPropW(hWnd, kGrabProperty));
        if (nGrab == 0 || ::GetCapture() != hWnd)
            return 0;
        HWND hParent = ::GetParent(hWnd);
        POINT pt = {0, GET_Y_LPARAM(lParam) - static_cast<int>(nGrab - 1)};
        ::MapWindowPoints(hWnd, hParent, &pt, 1);
        NMBARMOVE move = {{hWnd, static_cast<UINT_PTR>(::GetDlgCtrlID(hWnd)), AFXN_BARMOVED},
                          Win32WindowToLayout(hParent, pt.y), message == WM_LBUTTONUP};
        if (message == WM_LBUTTONUP) {
            ::RemovePropW(hWnd, kGrabProperty);
            ::ReleaseCapture();
        }
        ::SendMessageW(hParent, WM_NOTIFY, move.hdr.idFrom, reinterpret_cast<LPARAM>(&move));
        return 0;
    }
    case WM_CAPTURECHANGED:
        ::RemovePropW(hWnd, kGrabProperty);
        return 0;
    case WM_NCDESTROY:
        ::RemovePropW(hWnd, kGrabProperty);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace

void Win32RegisterPaneClasses()
{
    WNDCLASSEXW pane = {sizeof pane};
    pane.style = CS_HREDRAW | CS_VREDRAW;
    pane.lpfnWndProc = PaneProc;
    pane.hInstance = ::GetModuleHandleW(nullptr);
    pane.hCursor = ::LoadCursorW(nullptr, kArrowCursor);
    pane.lpszClassName = kPaneClass;
    ::RegisterClassExW(&pane);
    WNDCLASSEXW bar = pane;
    bar.lpfnWndProc = BarProc;
    bar.hCursor = ::LoadCursorW(nullptr, kSizeNsCursor);
    bar.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    bar.lpszClassName = kBarClass;
    ::RegisterClassExW(&bar);
}

void CPreviewCtrl::SetLines(const std::vector<AfxPaneLine>& lines, const char* note)
{
    if (PaneData* pData = DataOf(m_hWnd)) {
        pData->lines = lines;
        pData->strNote = lines.empty() && note ? note : "";
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

const std::vector<AfxPaneLine>& CPreviewCtrl::GetLines() const
{
    static const std::vector<AfxPaneLine> s_none;
    PaneData* pData = DataOf(m_hWnd);
    return pData ? pData->lines : s_none;
}

CString CPreviewCtrl::GetNote() const
{
    PaneData* pData = DataOf(m_hWnd);
    return pData ? pData->strNote : CString();
}

void CSplitBar::DragAsUser(int nDy)
{
    ::SendMessageW(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::SendMessageW(m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1, 1 + nDy));
    // The bar has followed the mouse: it is let go where it was pressed in the bar.
    ::SendMessageW(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

int AfxLayoutFrom96(const CWnd& dialog, int nPixels)
{
    return ::MulDiv(nPixels, static_cast<int>(Win32LayoutDpi(dialog.m_hWnd)), USER_DEFAULT_SCREEN_DPI);
}

int AfxLayoutTo96(const CWnd& dialog, int nPixels)
{
    return ::MulDiv(nPixels, USER_DEFAULT_SCREEN_DPI, static_cast<int>(Win32LayoutDpi(dialog.m_hWnd)));
}
