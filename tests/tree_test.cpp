// The drive and folder tree: drives and the current drive at start-up, the
// lazy filling one level ahead of what can be seen, and the reference folder
// taken from the selected item.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<std::string> Labels;

std::string SettingsFile() { return fs::read_symlink("/proc/self/exe").parent_path().string() + "/tolvane.dat"; }

std::vector<std::string> g_boxTexts;
void RecordBox(const char*, const char* text, UINT) { g_boxTexts.push_back(text); }

const char kRootLabel[] = "ﾏｲｺﾝﾋﾟｭｰﾀ";

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove(SettingsFile());
        char tmpl[] = "/tmp/tolvane-tree-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        m_root = tmpl;
        ProbeClearDrives();
        // Given out of order: the tree lists them by letter.
        for (char d : {'Q', 'C', 'D'}) {
            fs::create_directories(m_root + "/" + d);
            ProbeMapDrive(d, (m_root + "/" + d).c_str());
        }
        g_boxTexts.clear();
        AfxSetMessageBoxObserver(RecordBox);
    }

    void TearDown() override
    {
        m_dlg.reset();
        AfxSetMessageBoxObserver(nullptr);
        fs::remove(SettingsFile());
        ProbeClearDrives();
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    // REL starts with the drive letter: "C/a/b"; names are host (raw CP932) names.
    void Folder(const std::string& rel) { fs::create_directories(m_root + "/" + rel); }
    void File(const std::string& rel, const std::string& bytes = "hit\n")
    {
        fs::create_directories(fs::path(m_root + "/" + rel).parent_path());
        std::ofstream(m_root + "/" + rel, std::ios::binary) << bytes;
    }

    void Start()
    {
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
    }

    CWnd Item(int id) { return m_dlg->GetDlgItem(id); }
    CTreeCtrl Tree() { return CTreeCtrl(Item(IDC_TREE)); }

    // The item reached by LABELS from the root item, or null.
    HTREEITEM Find(const Labels& labels)
    {
        CTreeCtrl tree = Tree();
        HTREEITEM h = tree.GetRootItem();
        for (const std::string& l : labels) {
            h = tree.GetChildItem(h);
            while (h && std::string(tree.GetItemText(h)) != l)
                h = tree.GetNextSiblingItem(h);
            if (!h)
                return nullptr;
        }
        return h;
    }

    // Child labels in the order the tree holds them.
    Labels Children(const Labels& labels)
    {
        CTreeCtrl tree = Tree();
        Labels out;
        HTREEITEM h = Find(labels);
        if (!h) {
            ADD_FAILURE() << "no item " << testing::PrintToString(labels);
            return out;
        }
        for (h = tree.GetChildItem(h); h; h = tree.GetNextSiblingItem(h))
            out.push_back(std::string(tree.GetItemText(h)));
        return out;
    }
    Labels SortedChildren(const Labels& labels)
    {
        Labels out = Children(labels);
        std::sort(out.begin(), out.end());
        return out;
    }

    void Expand(const Labels& labels, bool bExpand = true)
    {
        HTREEITEM h = Find(labels);
        ASSERT_NE(nullptr, h) << testing::PrintToString(labels);
        ASSERT_TRUE(Tree().ExpandAsUser(h, bExpand ? TVE_EXPAND : TVE_COLLAPSE));
    }

    // As a user does: open each parent on the way, then click the item.
    void Select(const Labels& labels)
    {
        CTreeCtrl tree = Tree();
        HTREEITEM h = tree.GetRootItem();
        for (const std::string& l : labels) {
            if (!tree.IsExpanded(h))
                tree.ExpandAsUser(h, TVE_EXPAND);
            h = tree.GetChildItem(h);
            while (h && std::string(tree.GetItemText(h)) != l)
                h = tree.GetNextSiblingItem(h);
            ASSERT_NE(nullptr, h) << "no item " << l;
        }
        tree.SelectItem(h);
    }

    std::string RefDir() { return std::string(Item(IDC_REFDIR).GetWindowText()); }

    std::vector<std::string> SearchFileColumn(const std::string& search)
    {
        Item(IDC_SEARCH_TEXT).SetWindowText(search.c_str());
        CButton(Item(IDOK)).Click();
        CListCtrl list(Item(IDC_RESULTS));
        std::vector<std::string> out;
        for (int i = 0; i < list.GetItemCount(); ++i)
            out.push_back(std::string(list.GetItemText(i, 0)));
        std::sort(out.begin(), out.end());
        return out;
    }

    std::string m_root;
    CWinApp m_app;
    std::unique_ptr<CSearchDlg> m_dlg;
};

TEST_F(TreeTest, DrivesByLetterAndTheLastOneIsCurrent)
{
    File("C/c.txt");
    File("D/d.txt");
    File("Q/q.txt");
    File("Q/sub/s.txt");
    Start();
    CTreeCtrl tree = Tree();
    HTREEITEM hRoot = tree.GetRootItem();
    ASSERT_NE(nullptr, hRoot);
    EXPECT_EQ(kRootLabel, std::string(tree.GetItemText(hRoot)));
    EXPECT_EQ(nullptr, tree.GetNextSiblingItem(hRoot)) << "one top-level item";
    EXPECT_EQ((Labels{"(C:)", "(D:)", "(Q:)"}), Children({}));
    EXPECT_FALSE(tree.IsExpanded(hRoot));
    EXPECT_EQ(nullptr, tree.GetSelectedItem());

    // "\" names the root of the current drive, Q:.
    Item(IDC_REFDIR).SetWindowText("\\");
    EXPECT_EQ((std::vector<std::string>{"\\q.txt", "\\sub\\s.txt"}), SearchFileColumn("hit"));
    Select({});
    EXPECT_EQ("\\", RefDir());
    EXPECT_EQ((std::vector<std::string>{"\\q.txt", "\\sub\\s.txt"}), SearchFileColumn("hit"));
}

TEST_F(TreeTest, FoldersOnlyOneLevelAtStartUp)
{
    Folder("C/a/b/c");
    Folder("C/.hidden");
    Folder("C/\x83\x5c");
    File("C/file.txt");
    File("C/a/file2.txt");
    File("C/.dotfile");
    Start();
    EXPECT_EQ((Labels{".hidden", "a", "\x83\x5c"}), SortedChildren({"(C:)"}));
    EXPECT_EQ(Labels{}, Children({"(C:)", "a"})) << "listed only once it can be seen";
    EXPECT_EQ(Labels{}, Children({"(D:)"}));
}

TEST_F(TreeTest, LazyFilling)
{
    Folder("C/a/b/c");
    Folder("C/e");
    File("C/e/only-a-file.txt");
    File("D/d.txt");
    Start();

    // Expanding the root: the drives come into sight; (C:) has its folders
    // already, so only the drive leaves are listed and a stays unlisted.
    Folder("D/early");
    Expand({});
    EXPECT_EQ(Labels{"early"}, Children({"(D:)"}));
    EXPECT_EQ(Labels{}, Children({"(C:)", "a"}));

    // A drive that still holds no folders is listed again at the next filling.
    Folder("Q/late");
    Folder("D/too-late");  // (D:) has children now: never listed again
    Expand({"(C:)"});
    EXPECT_EQ(Labels{"late"}, Children({"(Q:)"}));
    EXPECT_EQ(Labels{"early"}, Children({"(D:)"}));
    // The folders of (C:) came into sight: each gets its own folders, one level.
    EXPECT_EQ(Labels{"b"}, Children({"(C:)", "a"}));
    EXPECT_EQ(Labels{}, Children({"(C:)", "a", "b"}));
    EXPECT_EQ(Labels{}, Children({"(C:)", "e"}));

    // Collapsing starts the same walk; a folder without children is listed
    // again, and folders already filled are not listed twice.
    Folder("C/e/new");
    Expand({"(C:)"}, false);
    EXPECT_EQ(Labels{}, Children({"(C:)", "e"})) << "e went out of sight";
    Expand({"(C:)"});
    EXPECT_EQ(Labels{"new"}, Children({"(C:)", "e"}));
    Expand({"(C:)", "a"});
    EXPECT_EQ(Labels{"c"}, Children({"(C:)", "a", "b"}));
    Expand({"(C:)", "a"}, false);
    Expand({"(C:)", "a"});
    EXPECT_EQ((Labels{"a", "e"}), SortedChildren({"(C:)"}));
    EXPECT_EQ(Labels{"b"}, Children({"(C:)", "a"}));
    EXPECT_EQ(Labels{"c"}, Children({"(C:)", "a", "b"}));
    EXPECT_EQ(Labels{"late"}, Children({"(Q:)"}));
}

TEST_F(TreeTest, DirectoryTextOfTheSelectedItem)
{
    Folder("C/a/b");
    Folder("C/\x83\x5c/\x95\x5c");  // ソ and 表: both end in the byte 5C
    Folder("C/.hidden");
    Folder("D/データ");
    Start();
    const struct {
        Labels labels;
        std::string refdir;
    } cases[] = {
        {{}, "\\"},
        {{"(C:)"}, "C:\\"},
        {{"(C:)", "a"}, "C:\\a\\"},
        {{"(C:)", "a", "b"}, "C:\\a\\b\\"},
        {{"(C:)", ".hidden"}, "C:\\.hidden\\"},
        {{"(D:)", "データ"}, "D:\\データ\\"},
        {{"(C:)", "\x83\x5c"}, "C:\\\x83\x5c\\"},
        {{"(C:)", "\x83\x5c", "\x95\x5c"}, "C:\\\x83\x5c\\\x95\x5c\\"},
        {{"(Q:)"}, "Q:\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refdir);
        Item(IDC_REFDIR).SetWindowText("typed");
        Select(c.labels);
        EXPECT_EQ(c.refdir, RefDir());
        // Neither selecting the same item again nor opening items touches
        // what the user typed since.
        Item(IDC_REFDIR).SetWindowText("typed");
        Select(c.labels);
        Expand({"(C:)"}, !Tree().IsExpanded(Find({"(C:)"})));
        EXPECT_EQ("typed", RefDir());
    }
}

TEST_F(TreeTest, SearchTheSelectedFolder)
{
    File("C/top.txt");
    File("C/a/x.txt");
    File("C/a/b/y.txt");
    File("C/\x83\x5c/z.txt");
    File("D/データ/w.txt");
    Start();
    const struct {
        Labels labels;
        std::vector<std::string> files;
    } cases[] = {
        {{"(C:)", "a"}, {"\\b\\y.txt", "\\x.txt"}},
        {{"(C:)", "a", "b"}, {"\\y.txt"}},
        {{"(C:)", "\x83\x5c"}, {"\\z.txt"}},
        {{"(D:)", "データ"}, {"\\w.txt"}},
        {{"(C:)"}, {"\\a\\b\\y.txt", "\\a\\x.txt", "\\top.txt", "\\\x83\x5c\\z.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.labels));
        Select(c.labels);
        g_boxTexts.clear();
        EXPECT_EQ(c.files, SearchFileColumn("hit"));
        EXPECT_EQ(1u, g_boxTexts.size());
    }
}

TEST_F(TreeTest, ImageListOfTwoImagesOwnedByTheDialog)
{
    // Several windows in a row: each has its own list, deleted with it.
    for (int i = 0; i < 3; ++i) {
        Start();
        ASSERT_NE(nullptr, m_dlg->m_pTreeImages);
        EXPECT_EQ(2, m_dlg->m_pTreeImages->GetImageCount());
        EXPECT_EQ(m_dlg->m_pTreeImages->GetHandle(), Item(IDC_TREE).m_hWnd->imageList);
        m_dlg.reset();
    }
}

}  // namespace
