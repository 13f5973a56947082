#include "probe/probe_dump.h"

#include "platform/probe_support.h"
#include "probe/probe_events.h"

// In the order a dump prints them; the editor's command line, which no field
// of the window holds, comes after ext.
const Control kFields[6] = {{"refdir", IDC_REFDIR},
                            {"search", IDC_SEARCH_TEXT},
                            {"headword", IDC_HEADWORD},
                            {"ext", IDC_EXT},
                            {"exclude", IDC_EXCLUDE},
                            {"replace", IDC_REPLACE_TEXT}};
const Control kChecks[6] = {{"case_on", IDC_CASE_ON},
                            {"case_off", IDC_CASE_OFF},
                            {"selected_only", IDC_SELECTED_ONLY},
                            {"regex", IDC_REGEX},
                            {"whole_word", IDC_WHOLE_WORD},
                            {"skip_binary", IDC_SKIP_BINARY}};
namespace {

// The controls a dump gives the place of.
const Control kRects[] = {
    {"results", IDC_RESULTS}, {"tree", IDC_TREE}, {"progress", IDC_PROGRESS}, {"search", IDOK}, {"exit", IDCANCEL}};

void DumpTree(CTreeCtrl& tree, HTREEITEM hItem, int nDepth)
{
    for (; hItem; hItem = tree.GetNextSiblingItem(hItem)) {
        Event({"tree", std::to_string(nDepth), Escape(tree.GetItemText(hItem)),
               tree.IsExpanded(hItem) ? "1" : "0", tree.ItemHasChildren(hItem) ? "1" : "0"});
        DumpTree(tree, tree.GetChildItem(hItem), nDepth + 1);
    }
}

}  // namespace

void ProbeDump(CSearchDlg& dlg)
{
    for (const Control& c : kFields) {
        Event({"field", c.name, Escape(dlg.GetDlgItem(c.id).GetWindowText())});
        if (c.id == IDC_EXT)
            Event({"field", "editor", Escape(dlg.Editor().strCommand)});
    }
    for (const Control& c : kChecks)
        Event({"check", c.name, std::to_string(CButton(dlg.GetDlgItem(c.id)).GetCheck())});
    CComboBox combo(dlg.GetDlgItem(IDC_SEARCH_TEXT));
    for (int i = 0, n = combo.GetCount(); i < n; ++i)
        Event({"history", std::to_string(i), Escape(combo.GetLBText(i))});
    CListCtrl list(dlg.GetDlgItem(IDC_RESULTS));
    for (int i = 0, n = list.GetItemCount(); i < n; ++i) {
        uint64_t nLine = 0, nColumn = 0;
        dlg.GetRowPlace(i, &nLine, &nColumn);
        Event({"row", Escape(list.GetItemText(i, CRowStore::kFile)),
               Escape(list.GetItemText(i, CRowStore::kHeadword)), Escape(list.GetItemText(i, CRowStore::kText)),
               std::to_string(nLine), std::to_string(nColumn)});
    }
    std::vector<TextSpan> marks;
    for (int i = 0, n = list.GetItemCount(); i < n; ++i) {
        dlg.GetRowMarks(i, &marks);
        for (const TextSpan& m : marks)
            Event({"mark", std::to_string(i), std::to_string(m.nStart), std::to_string(m.nLength)});
    }
    std::string selrows = "selrows";
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
        selrows += "\t" + std::to_string(i);
    Event({selrows});
    for (const Control& c : kRects) {
        RECT r;
        dlg.GetDlgItem(c.id).GetRectInParent(&r);
        Event({"rect", c.name, std::to_string(r.left), std::to_string(r.top), std::to_string(r.right - r.left),
               std::to_string(r.bottom - r.top)});
    }
    Event({"progress", std::to_string(CProgressCtrl(dlg.GetDlgItem(IDC_PROGRESS)).GetPos())});
    CTreeCtrl tree(dlg.GetDlgItem(IDC_TREE));
    DumpTree(tree, tree.GetRootItem(), 0);
    std::string selected;
    for (HTREEITEM h = tree.GetSelectedItem(); h; h = tree.GetParentItem(h))
        selected = std::string(tree.GetItemText(h)) + (selected.empty() ? "" : "\\" + selected);
    Event({"selected", Escape(selected.c_str())});
}

