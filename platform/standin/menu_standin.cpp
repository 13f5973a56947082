// Menus of the stand-in: the system menu and popup menus as lists of items,
// which the tests and the probe read back.
#include "platform/internal.h"
#include "platform/standin/standin.h"

CMenu CWnd::GetSystemMenu(BOOL) const
{
    if (!m_hWnd || m_hWnd->parent)
        return CMenu();
    if (!m_hWnd->systemMenu) {
        m_hWnd->systemMenu.reset(new HMENU__);
        m_hWnd->systemMenu->items.push_back({MF_STRING, SC_MINIMIZE, "Minimize"});
        m_hWnd->systemMenu->items.push_back({MF_STRING, SC_CLOSE, "Close"});
    }
    return CMenu(m_hWnd->systemMenu.get());
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* text)
{
    if (!m_hMenu)
        return FALSE;
    m_hMenu->items.push_back({nFlags, nIDNewItem, CString(text)});
    return TRUE;
}

int CMenu::GetMenuItemCount() const { return m_hMenu ? static_cast<int>(m_hMenu->items.size()) : -1; }

UINT CMenu::GetMenuItemID(int nPos) const
{
    return static_cast<UINT>(m_hMenu->items.at(static_cast<size_t>(nPos)).id);
}

void CMenu::CheckMenuItem(UINT nID, UINT nCheck)
{
    for (HMENU__::Item& item : m_hMenu->items)
        if (item.id == nID)
            item.flags = (item.flags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
}

CString CMenu::GetMenuString(int nPos) const { return m_hMenu->items.at(static_cast<size_t>(nPos)).text; }

UINT CMenu::GetMenuState(int nPos) const { return m_hMenu->items.at(static_cast<size_t>(nPos)).flags; }

BOOL CMenu::ModifyMenu(UINT nID, UINT nFlags, const char* text)
{
    if (!m_hMenu)
        return FALSE;
    for (HMENU__::Item& item : m_hMenu->items) {
        if (item.id == nID) {
            item.flags = nFlags;
            item.text = text;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CMenu::CreatePopupMenu()
{
    m_hMenu = new HMENU__;
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    delete m_hMenu;
    m_hMenu = nullptr;
    return TRUE;
}

// Without a display nobody chooses: the menu closes with nothing chosen.
UINT CMenu::TrackPopupMenu(UINT, int, int, CWnd*)
{
    AFX_POPUPMENU_OBSERVER pfn = AfxGetPopupMenuObserver();
    return pfn ? pfn(*this) : 0;
}
