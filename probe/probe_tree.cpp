// The probe's part in the folder tree: acting on items by their labels, as a
// user would, and printing the tree.
#include "probe/probe_events.h"

namespace {

void DumpItems(CTreeCtrl& tree, HTREEITEM hItem, int nDepth)
{
    for (; hItem; hItem = tree.GetNextSiblingItem(hItem)) {
        Event({"tree", std::to_string(nDepth), Escape(tree.GetItemText(hItem)), tree.IsExpanded(hItem) ? "1" : "0",
               tree.ItemHasChildren(hItem) ? "1" : "0"});
        DumpItems(tree, tree.GetChildItem(hItem), nDepth + 1);
    }
}

}  // namespace

std::string TreeAction(const CTreeCtrl& treeCtrl, const std::vector<std::string>& f)
{
    CTreeCtrl tree(treeCtrl);
    bool bSelect = f[0] == "select";
    HTREEITEM hItem = tree.GetRootItem();
    for (size_t i = 1; i < f.size() && hItem; ++i) {
        if (bSelect && !tree.IsExpanded(hItem))
            tree.ExpandAsUser(hItem, TVE_EXPAND);
        HTREEITEM hChild = tree.GetChildItem(hItem);
        while (hChild && tree.GetItemText(hChild) != f[i].c_str())
            hChild = tree.GetNextSiblingItem(hChild);
        if (!hChild)
            return f[0] + ": no item '" + f[i] + "'";
        hItem = hChild;
    }
    if (!hItem)
        return f[0] + ": the tree is empty";
    if (bSelect)
        tree.SelectItem(hItem);
    else
        tree.ExpandAsUser(hItem, f[0] == "expand" ? TVE_EXPAND : TVE_COLLAPSE);
    return "";
}

void DumpTree(const CTreeCtrl& treeCtrl)
{
    CTreeCtrl tree(treeCtrl);
    DumpItems(tree, tree.GetRootItem(), 0);
    std::string selected;
    for (HTREEITEM h = tree.GetSelectedItem(); h; h = tree.GetParentItem(h))
        selected = std::string(tree.GetItemText(h)) + (selected.empty() ? "" : "\\" + selected);
    Event({"selected", Escape(selected.c_str())});
}
