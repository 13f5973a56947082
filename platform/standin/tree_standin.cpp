// The folder tree and its image list without a display: items in memory,
// expanded and selected as a user would, the dialog told as the control tells it.
#include <algorithm>
#include <vector>

#include "platform/internal.h"
#include "platform/standin/standin.h"

namespace {

void Notify(HWND h, UINT code, _TREEITEM* item = nullptr)
{
    HWND dlg = h->parent;
    if (!dlg || !dlg->pDialog)
        return;
    NMHDR hdr;
    hdr.hwndFrom = h;
    hdr.idFrom = static_cast<UINT_PTR>(h->id);
    hdr.code = code;
    (void)item;
    LRESULT result = 0;
    dlg->pDialog->DispatchToMessageMap(WM_NOTIFY, static_cast<WPARAM>(h->id), reinterpret_cast<LPARAM>(&hdr),
                                       &result);
}

// Display order of the items whose ancestors are all expanded.
void VisibleItems(const std::vector<_TREEITEM*>& level, std::vector<_TREEITEM*>* out)
{
    for (_TREEITEM* item : level) {
        out->push_back(item);
        if (item->expanded)
            VisibleItems(item->children, out);
    }
}

}  // namespace

CImageList::CImageList() : m_hImageList(nullptr) {}

CImageList::~CImageList() { delete static_cast<int*>(m_hImageList); }

BOOL CImageList::Create(int, int, UINT, int, int)
{
    if (!m_hImageList)
        m_hImageList = new int(0);
    return TRUE;
}

int CImageList::AddBitmapResource(UINT nIDResource, COLORREF)
{
    const void* p;
    size_t n;
    if (!m_hImageList || !AfxGetResourceBytes(2, nIDResource, &p, &n))
        return -1;
    return (*static_cast<int*>(m_hImageList))++;
}

int CImageList::GetImageCount() const { return m_hImageList ? *static_cast<int*>(m_hImageList) : 0; }

HTREEITEM CTreeCtrl::InsertItem(const char* label, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    if (hParent == TVI_ROOT)
        hParent = nullptr;
    auto item = std::make_unique<_TREEITEM>();
    item->label = label;
    item->image = nImage;
    item->selectedImage = nSelectedImage;
    item->parent = hParent;
    auto& level = hParent ? hParent->children : m_hWnd->topItems;
    if (hInsertAfter == TVI_FIRST)
        level.insert(level.begin(), item.get());
    else
        level.push_back(item.get());
    HTREEITEM h = item.get();
    m_hWnd->treeItems.push_back(std::move(item));
    return h;
}

void CTreeCtrl::SetImageList(CImageList* pImageList, int)
{
    m_hWnd->imageList = pImageList ? pImageList->GetHandle() : nullptr;
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    const auto& top = m_hWnd->topItems;
    auto next_in = [](const std::vector<_TREEITEM*>& level, HTREEITEM h) -> HTREEITEM {
        auto it = std::find(level.begin(), level.end(), h);
        return (it == level.end() || it + 1 == level.end()) ? nullptr : *(it + 1);
    };
    switch (nCode) {
    case TVGN_ROOT:
    case TVGN_FIRSTVISIBLE:
        return top.empty() ? nullptr : top.front();
    case TVGN_CARET:
        return m_hWnd->selected;
    case TVGN_PARENT:
        return hItem ? hItem->parent : nullptr;
    case TVGN_CHILD:
        if (!hItem)
            return top.empty() ? nullptr : top.front();
        return hItem->children.empty() ? nullptr : hItem->children.front();
    case TVGN_NEXT:
        return hItem ? next_in(hItem->parent ? hItem->parent->children : top, hItem) : nullptr;
    case TVGN_NEXTVISIBLE: {
        std::vector<_TREEITEM*> visible;
        VisibleItems(top, &visible);
        return next_in(visible, hItem);
    }
    default:
        return nullptr;
    }
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const { return hItem ? hItem->label : CString(); }

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const { return hItem && !hItem->children.empty(); }

BOOL CTreeCtrl::IsExpanded(HTREEITEM hItem) const { return hItem && hItem->expanded; }

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem)
{
    if (m_hWnd->selected == hItem)
        return TRUE;
    m_hWnd->selected = hItem;
    Notify(m_hWnd, TVN_SELCHANGEDA, hItem);
    return TRUE;
}

BOOL CTreeCtrl::ExpandAsUser(HTREEITEM hItem, UINT nCode)
{
    if (!hItem || hItem->children.empty())
        return FALSE;
    bool expand = nCode == TVE_EXPAND;
    if (hItem->expanded == expand)
        return TRUE;
    hItem->expanded = expand;
    Notify(m_hWnd, TVN_ITEMEXPANDEDA, hItem);
    return TRUE;
}
