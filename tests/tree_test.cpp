// The drive and folder tree: the drives and the current drive at start-up,
// the lazy filling, and the reference folder taken from the selected item.
#include "tests/dialog_fixture.h"

namespace {

class TreeTest : public DialogFixture {
protected:
    CTreeCtrl Tree() { return CTreeCtrl(Item(IDC_TREE)); }
    // The item reached by LABELS from the root item, each on the way opened
    // first with bOpen, as a user does.
    HTREEITEM Find(const Lines& labels, bool bOpen = false)
    {
        HTREEITEM h = Tree().GetRootItem();
        for (const std::string& l : labels) {
            if (bOpen && !Tree().IsExpanded(h))
                Tree().ExpandAsUser(h, TVE_EXPAND);
            for (h = Tree().GetChildItem(h); h && std::string(Tree().GetItemText(h)) != l;)
                h = Tree().GetNextSiblingItem(h);
        }
        return h;
    }
    void Expand(const Lines& labels, bool bExpand = true)
    {
        ASSERT_TRUE(Tree().ExpandAsUser(Find(labels), bExpand ? TVE_EXPAND : TVE_COLLAPSE));
    }
    // The items from H on with their children in brackets, below the drives
    // in sorted order: there the order is the file system's.
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
// none listed yet; dot folders are folders, files are not.
TEST_F(TreeTest, DrivesAndLazyFilling)
{
    for (const char* f : {"C/a/b/c", "C/e", "C/.hidden", "C/\x83\x5c"})
        Folder(f);
    for (const char* f : {"C/c.txt", "C/a/a.txt", "C/.dotfile", "C/e/e.txt", "Q/q.txt"})
        Put(f);
    Start();
    ASSERT_NE(nullptr, m_dlg->m_pTreeImages);
    EXPECT_EQ(2, m_dlg->m_pTreeImages->GetImageCount());
    EXPECT_EQ(m_dlg->m_pTreeImages->GetHandle(), Item(IDC_TREE).m_hWnd->imageList);
    EXPECT_FALSE(Tree().IsExpanded(Tree().GetRootItem()));
    EXPECT_EQ(nullptr, Tree().GetSelectedItem());
    const std::string root = "ﾏｲｺﾝﾋﾟｭｰﾀ[(C:)[.hidden a";
    EXPECT_EQ(root + " e \x83\x5c] (D:) (Q:)]", Dump(Tree().GetRootItem()));
    Folder("D/early");
    Expand({});  // (C:) has its folders already: only the drives are listed
    EXPECT_EQ(root + " e \x83\x5c] (D:)[early] (Q:)]", Dump(Tree().GetRootItem()));
    Folder("Q/late");
    Folder("D/too-late");
    Expand({"(C:)"});
    EXPECT_EQ(root + "[b] e \x83\x5c] (D:)[early] (Q:)[late]]", Dump(Tree().GetRootItem()));
    Folder("C/e/new");
    Expand({"(C:)"}, false);
    EXPECT_EQ(root + "[b] e \x83\x5c] (D:)[early] (Q:)[late]]", Dump(Tree().GetRootItem())) << "e is out of sight";
    Expand({"(C:)"});
    EXPECT_EQ(root + "[b] e[new] \x83\x5c] (D:)[early] (Q:)[late]]", Dump(Tree().GetRootItem()));
    Expand({"(C:)", "a"});
    Expand({"(C:)", "a"}, false);
    Expand({"(C:)", "a"});
    EXPECT_EQ(root + "[b[c]] e[new] \x83\x5c] (D:)[early] (Q:)[late]]", Dump(Tree().GetRootItem()));
    // "\" names the root of the current drive: the last one the tree tried.
    Press("\\", "hit");
    EXPECT_EQ(Lines{"1個一致しました。"}, g_boxTexts);
    EXPECT_STREQ("\\q.txt", CListCtrl(Item(IDC_RESULTS)).GetItemText(0, 0));
}

TEST_F(TreeTest, DirectoryTextOfTheSelectedItem)
{
    Folder("C/a");
    Folder("C/\x83\x5c/\x95\x5c");  // ソ and 表: both end in the byte 5C
    Folder("D/データ");
    Start();
    const struct {
        Lines labels;
        std::string refdir;
    } cases[] = {{{}, "\\"}, {{"(C:)"}, "C:\\"}, {{"(C:)", "a"}, "C:\\a\\"}, {{"(D:)", "データ"}, "D:\\データ\\"},
                 {{"(C:)", "\x83\x5c", "\x95\x5c"}, "C:\\\x83\x5c\\\x95\x5c\\"}};
    for (const auto& c : cases) {
        Set(IDC_REFDIR, "typed");
        Tree().SelectItem(Find(c.labels, true));
        EXPECT_EQ(c.refdir, Text(IDC_REFDIR));
        // Neither selecting the same item again nor opening items touches
        // what the user typed since.
        Set(IDC_REFDIR, "typed");
        Tree().SelectItem(Find(c.labels, true));
        Expand({"(C:)"}, !Tree().IsExpanded(Find({"(C:)"})));
        EXPECT_EQ("typed", Text(IDC_REFDIR)) << c.refdir;
    }
}

}  // namespace
