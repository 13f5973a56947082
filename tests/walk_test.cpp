// The walk below the reference folder: subfolders in listing order, links
// that loop, deep trees, and the folders the search does not enter.
#include "tests/search_fixture.h"

namespace {

class WalkTest : public SearchTest {};

TEST_F(WalkTest, SubfolderWalk)
{
    Put("a.txt", "hit\n");
    Put("s/t/c.txt", "hit\n");
    // Enough files in s that some are listed after its folder t.
    for (int i = 0; i < 20; ++i)
        Put("s/b" + std::to_string(i) + ".txt", "hit\n");
    Put("u/d.txt", "hit\n");
    Put("old.data/e.txt", "hit\n");
    Put("only/sub/deeper/f.txt", "hit\n");  // folders with no files of their own
    Put("only/sub/skip.md", "hit\n");
    std::filesystem::create_directories(Host("empty"));
    std::filesystem::create_directories(Host("locked"));
    Put("locked/g.txt", "hit\n");
    chmod(Host("locked").c_str(), 0);
    bool bLocked = access(Host("locked/g.txt").c_str(), R_OK) != 0;  // root reads anyway

    std::vector<std::string> expected = {"\\a.txt", "\\old.data\\e.txt", "\\only\\sub\\deeper\\f.txt", "\\s\\t\\c.txt",
                                         "\\u\\d.txt"};
    for (int i = 0; i < 20; ++i)
        expected.push_back("\\s\\b" + std::to_string(i) + ".txt");
    if (!bLocked)
        expected.push_back("\\locked\\g.txt");
    std::sort(expected.begin(), expected.end());

    std::vector<Row> rows = Search("C:\\", "hit", "", "txt");
    EXPECT_EQ(expected, FileColumn(rows));
    EXPECT_EQ(std::vector<Box>{CountBox(static_cast<int>(expected.size()))}, g_boxes);
    // Depth first: the rows of s (its folder t included) stand together.
    auto inS = [](const Row& r) { return std::get<0>(r).rfind("\\s\\", 0) == 0; };
    auto first = std::find_if(rows.begin(), rows.end(), inS);
    EXPECT_EQ(21, std::count_if(first, first + std::min<long>(21, rows.end() - first), inS));
    if (bLocked)
        std::cout << "(the unreadable folder was not readable: it added no rows)\n";
    else
        std::cout << "(running as root: the unreadable folder could be read)\n";

    rows = Search("C:\\", "hit", "", "txt", true, true);
    EXPECT_EQ(std::vector<std::string>{"\\a.txt"}, FileColumn(rows));
    for (const Row& r : rows)
        EXPECT_EQ(1, std::count(std::get<0>(r).begin(), std::get<0>(r).end(), '\\')) << std::get<0>(r);
}

TEST_F(WalkTest, SubfolderListedBeforeItsParentsFiles)
{
    // Whichever order the listing gives, a file of s met after its folder t
    // is named \s\..., never \s\t\...
    for (int i = 0; i < 30; ++i) {
        Put("s/t" + std::to_string(i) + "/c.txt", "hit\n");
        Put("s/b" + std::to_string(i) + ".txt", "hit\n");
    }
    std::vector<Row> rows = Search("C:\\", "hit");
    ASSERT_EQ(60u, rows.size());
    bool bFolderFirst = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& c = std::get<0>(rows[i]);
        bool bFile = c.rfind("\\s\\b", 0) == 0;
        EXPECT_TRUE(bFile || (c.rfind("\\s\\t", 0) == 0 && c.size() >= 10 && c.substr(c.size() - 6) == "\\c.txt")) << c;
        if (bFile && i > 0)
            bFolderFirst = bFolderFirst || std::get<0>(rows[i - 1]).find("\\c.txt") != std::string::npos;
    }
    EXPECT_TRUE(bFolderFirst) << "no file of s came after a folder of s; the case was not exercised";
}

TEST_F(WalkTest, LinksThatLoopAreWalkedOnce)
{
    Put("a.txt", "hit\n");
    Put("s/b.txt", "hit\n");
    Put("s/t/c.txt", "hit\n");
    ASSERT_EQ(0, symlink("..", Host("s/up").c_str()));         // back to the reference folder
    ASSERT_EQ(0, symlink("../..", Host("s/t/back").c_str()));  // and again, two levels up
    ASSERT_EQ(0, symlink("s", Host("l").c_str()));             // no loop: followed
    ASSERT_EQ(0, symlink("missing", Host("dangling.txt").c_str()));
    ASSERT_EQ(0, mkfifo(Host("fifo.txt").c_str(), 0644));
    ASSERT_EQ(0, mkfifo(Host("s/t/fifo.txt").c_str(), 0644));
    ASSERT_EQ(0, symlink("/dev/zero", Host("zero.txt").c_str()));
    // A fifo opened for reading would wait for a writer for ever, and the
    // zero device never ends.
    alarm(120);
    std::vector<Row> rows = Search("C:\\", "hit");
    alarm(0);
    EXPECT_EQ((std::vector<std::string>{"\\a.txt", "\\l\\b.txt", "\\l\\t\\c.txt", "\\s\\b.txt", "\\s\\t\\c.txt"}),
              FileColumn(rows));
}

// The link leads above the reference folder, and the walk comes back into it
// through an ordinary subfolder, not through a link.
TEST_F(WalkTest, LinkAboveTheReferenceFolderComesBackThroughAPlainFolder)
{
    Put("r/a.txt", "hit\n");
    Put("r/s/b.txt", "hit\n");
    Put("other/o.txt", "hit\n");
    ASSERT_EQ(0, symlink("../..", Host("r/s/p").c_str()));  // the drive root
    EXPECT_EQ((std::vector<std::string>{"\\a.txt", "\\s\\b.txt", "\\s\\p\\other\\o.txt"}),
              FileColumn(Search("C:\\r\\", "hit")));
    // From the root: a second way into r by a link is followed, and p leads
    // back to the root on both ways.
    ASSERT_EQ(0, symlink("r", Host("q").c_str()));
    EXPECT_EQ((std::vector<std::string>{"\\other\\o.txt", "\\q\\a.txt", "\\q\\s\\b.txt", "\\r\\a.txt",
                                        "\\r\\s\\b.txt"}),
              FileColumn(Search("C:\\", "hit")));
}

TEST_F(WalkTest, ThirtyLevelsDeep)
{
    std::string rel, col0;
    for (int i = 1; i <= 30; ++i) {
        rel += "d" + std::to_string(i) + "/";
        col0 += "\\d" + std::to_string(i);
    }
    Put(rel + "x.txt", "## h\nhit\n");
    EXPECT_EQ((std::vector<Row>{{col0 + "\\x.txt", "## h", "hit"}}), Search("C:\\", "hit", "##"));
}

TEST_F(WalkTest, ExcludedFoldersAreNotEnteredAtAnyDepth)
{
    for (const char* rel : {"a.txt", ".git/objects/x.txt", "sub/.git/y.txt", "sub/deep/node_modules/p/z.txt",
                            "node_modules_x/w.txt", "build/b.txt", "build-out/c.txt", "rebuild/d.txt", "vendor/v.txt"})
        Put(rel, "hit\n");
    ASSERT_EQ(0, symlink("vendor", Host("lnk").c_str()));   // a link is known by its own name
    ASSERT_EQ(0, symlink("../rebuild", Host("sub/.hg").c_str()));
    const std::vector<std::string> all = {"\\.git\\objects\\x.txt", "\\a.txt", "\\build-out\\c.txt",
                                          "\\build\\b.txt", "\\lnk\\v.txt", "\\node_modules_x\\w.txt",
                                          "\\rebuild\\d.txt", "\\sub\\.git\\y.txt", "\\sub\\.hg\\d.txt",
                                          "\\sub\\deep\\node_modules\\p\\z.txt", "\\vendor\\v.txt"};
    auto without = [&all](std::vector<std::string> gone) {
        std::vector<std::string> kept;
        for (const std::string& f : all)
            if (std::find(gone.begin(), gone.end(), f) == gone.end())
                kept.push_back(f);
        return kept;
    };
    const struct {
        const char* exclude;
        std::vector<std::string> files;
    } cases[] = {
        {nullptr, without({"\\.git\\objects\\x.txt", "\\sub\\.git\\y.txt", "\\sub\\.hg\\d.txt",
                           "\\sub\\deep\\node_modules\\p\\z.txt"})},
        {"", all},
        {"build*", without({"\\build-out\\c.txt", "\\build\\b.txt"})},
        {" VENDOR ; .GIT ", without({"\\.git\\objects\\x.txt", "\\sub\\.git\\y.txt", "\\vendor\\v.txt"})},
        {"s?b;!a.txt", without({"\\sub\\.git\\y.txt", "\\sub\\.hg\\d.txt",
                                "\\sub\\deep\\node_modules\\p\\z.txt"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exclude ? c.exclude : "(the default)");
        if (c.exclude)
            Set(IDC_EXCLUDE, c.exclude);
        EXPECT_EQ(c.files, FileColumn(Search("C:\\", "hit")));
    }
    // The reference folder itself is searched whatever its name.
    Set(IDC_EXCLUDE, ".git");
    EXPECT_EQ(std::vector<std::string>{"\\objects\\x.txt"}, FileColumn(Search("C:\\.git", "hit")));
}

}  // namespace
