// The drive and folder tree: the drives and the current drive at start-up,
// the lazy filling, and the reference folder taken from the selected item.
#include "tests/dialog_fixture.h"

namespace {

class TreeTest : public DialogFixture {
protected:
    CTreeCtrl Tree() { return CTreeCtrl(Item(IDC_TREE)); }
    // The item reached by LABELS from the root item, opening each on the way as a user does.
    HTREEITEM Find(const Lines& labels)
    {
        HTREEITEM h = Tree().GetRootItem();
        for (const std::string& l : labels) {
            if (!Tree().IsExpanded(h))
                Tree().ExpandAsUser(h, TVE_EXPAND);
            for (h = Tree().GetChildItem(h); h && std::string(Tree().GetItemText(h)) != l;)
                h = Tree().GetNextSiblingItem(h);
        }
        return h;
    }
    void Expand(const Lines& labels, UINT nCode = TVE_EXPAND) { ASSERT_TRUE(Tree().ExpandAsUser(Find(labels), nCode)); }
    // The items from H on with their children in brackets, sorted below the
    // drives: there the order is the file system's.
    std::string Dump(HTREEITEM h, int depth = 0)
    {
        Lines items;
        for (; h; h = Tree().GetNextSiblingItem(h)) {
            HTREEITEM hChild = Tree().GetChildItem(h);
            items.push_back(std::string(Tree().GetItemText(h)) + (hChild ? "[" + Dump(hChild, depth + 1) + "]" : ""));
        }
        if (depth > 1)
            std::sort(items.begin(), items.end());
        std::string out;
        for (const std::string& item : items)
            out += (out.empty() ? "" : " ") + item;
        return out;
    }
};

// Each opening or closing lists the folders of every item in sight that has
// none listed yet; dot folders are folders, files are not. ソ and 表 end in 5C.
TEST_F(TreeTest, DrivesLazyFillingAndTheSelectedFolder)
{
    for (const char* f : {"C/a/b/c", "C/e", "C/.hidden", "C/\x83\x5c/\x95\x5c"})
        Folder(f);
    for (const char* f : {"C/c.txt", "C/a/a.txt", "C/.dotfile", "C/e/e.txt", "Z/z.txt"})
        Put(f);
    Start();
    ASSERT_NE(nullptr, m_dlg->m_pTreeImages);
    EXPECT_EQ(2, m_dlg->m_pTreeImages->GetImageCount());
    EXPECT_EQ(m_dlg->m_pTreeImages->GetHandle(), Item(IDC_TREE).m_hWnd->imageList);
    HTREEITEM hRoot = Tree().GetRootItem();
    EXPECT_FALSE(Tree().IsExpanded(hRoot));
    EXPECT_EQ(nullptr, Tree().GetSelectedItem());
    const std::string c = "ﾏｲｺﾝﾋﾟｭｰﾀ[(C:)[.hidden a", s = " \x83\x5c";
    EXPECT_EQ(c + " e" + s + "] (D:) (Z:)]", Dump(hRoot));
    Folder("D/データ");
    Expand({});  // (C:)'s folders are listed already
    EXPECT_EQ(c + " e" + s + "] (D:)[データ] (Z:)]", Dump(hRoot));
    Folder("Z/late");
    Folder("D/too-late");
    Expand({"(C:)"});
    EXPECT_EQ(c + "[b] e" + s + "[\x95\x5c]] (D:)[データ] (Z:)[late]]", Dump(hRoot));
    Folder("C/e/new");
    Expand({"(C:)"}, TVE_COLLAPSE);
    EXPECT_EQ(c + "[b] e" + s + "[\x95\x5c]] (D:)[データ] (Z:)[late]]", Dump(hRoot)) << "e is out of sight";
    Expand({"(C:)"});
    EXPECT_EQ(c + "[b] e[new]" + s + "[\x95\x5c]] (D:)[データ] (Z:)[late]]", Dump(hRoot));
    Expand({"(C:)", "a"});
    Expand({"(C:)", "a"}, TVE_COLLAPSE);
    Expand({"(C:)", "a"});
    EXPECT_EQ(c + "[b[c]] e[new]" + s + "[\x95\x5c]] (D:)[データ] (Z:)[late]]", Dump(hRoot));
    const std::pair<Lines, std::string> selections[] = {
        {{}, "\\"}, {{"(C:)"}, "C:\\"}, {{"(C:)", "a"}, "C:\\a\\"}, {{"(D:)", "データ"}, "D:\\データ\\"},
        {{"(C:)", "\x83\x5c", "\x95\x5c"}, "C:\\\x83\x5c\\\x95\x5c\\"}};
    for (const auto& sel : selections) {
        Set(IDC_REFDIR, "typed");
        Tree().SelectItem(Find(sel.first));
        EXPECT_EQ(sel.second, Text(IDC_REFDIR));
    }
    // "\" names the root of the current drive: the last one the tree tried.
    Press("\\", "hit");
    EXPECT_EQ(Lines{"1個一致しました。"}, g_boxTexts);
    EXPECT_STREQ("\\z.txt", CListCtrl(Item(IDC_RESULTS)).GetItemText(0, 0));
}

}  // namespace
