// System menu, painting of the minimised window and plain window messages.
#include "platform/afx.h"

CMenu CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu(::GetSystemMenu(m_hWnd, bRevert)); }

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* text)
{
    return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, text);
}

int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }

UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }

CString CMenu::GetMenuString(int nPos) const
{
    char buf[512];
    int n = ::GetMenuStringA(m_hMenu, static_cast<UINT>(nPos), buf, sizeof buf, MF_BYPOSITION);
    return CString(buf, n > 0 ? n : 0);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd), m_hDC(nullptr), m_pPaint(new PAINTSTRUCT)
{
    m_hDC = ::BeginPaint(pWnd->m_hWnd, static_cast<PAINTSTRUCT*>(m_pPaint));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_pWnd->m_hWnd, static_cast<PAINTSTRUCT*>(m_pPaint));
    delete static_cast<PAINTSTRUCT*>(m_pPaint);
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
