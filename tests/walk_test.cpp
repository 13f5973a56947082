// The walk below the reference folder: subfolders depth first in listing
// order, links that loop, deep trees, and the folders the search does not enter.
#include <sys/stat.h>
#include <unistd.h>

#include "tests/search_fixture.h"

namespace {

class WalkTest : public SearchTest {};

TEST_F(WalkTest, SubfolderWalk)
{
    // Enough files in s that some are listed after its folder t, a folder
    // with no file of its own, and a folder name the file field would refuse.
    std::vector<std::string> expected = {"\\a.txt", "\\old.data\\e.txt", "\\only\\sub\\f.txt", "\\s\\t\\c.txt", ""};
    for (int i = 1; i <= 30; ++i)  // and thirty levels deep
        expected.back() += "\\d" + std::to_string(i) + (i == 30 ? "\\x.txt" : "");
    for (int i = 0; i < 20; ++i)
        expected.push_back("\\s\\b" + std::to_string(i) + ".txt");
    for (std::string rel : expected) {
        std::replace(rel.begin(), rel.end(), '\\', '/');
        Put(rel.substr(1), "hit\n");
    }
    Put("only/skip.md", "hit\n");
    Put("A.TXT", "hit\n");  // the file field goes by its own case, whatever the case option
    std::filesystem::create_directories(Host("empty"));
    Put("locked/g.txt", "hit\n");
    chmod(Host("locked").c_str(), 0);
    if (access(Host("locked/g.txt").c_str(), R_OK) == 0)  // root reads anyway
        expected.push_back("\\locked\\g.txt");
    std::sort(expected.begin(), expected.end());

    std::vector<Row> rows = Search("C:\\", "hit", "", "txt", false);
    chmod(Host("locked").c_str(), 0755);
    EXPECT_EQ(expected, FileColumn(rows));
    EXPECT_EQ(std::vector{CountBox(static_cast<int>(expected.size()))}, g_boxes);
    // Depth first: the rows of s, its folder t included, stand together.
    auto inS = [](const Row& r) { return std::get<0>(r).rfind("\\s\\", 0) == 0; };
    auto first = std::find_if(rows.begin(), rows.end(), inS);
    EXPECT_EQ(21, std::count_if(first, first + std::min<long>(21, rows.end() - first), inS));

    EXPECT_EQ(std::vector<std::string>{"\\a.txt"}, FileColumn(Search("C:\\", "hit", "", "txt", true, true)));
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
    // A fifo opened for reading would wait for a writer for ever, and the zero device never ends.
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
    Put("o/o.txt", "hit\n");
    ASSERT_EQ(0, symlink("../..", Host("r/s/p").c_str()));  // the drive root
    const std::vector<std::string> fromR = {"\\a.txt", "\\s\\b.txt", "\\s\\p\\o\\o.txt"};
    EXPECT_EQ(fromR, FileColumn(Search("C:\\r", "hit")));
    // From the root: a second way into r by a link is followed, and p leads back to the root on both ways.
    ASSERT_EQ(0, symlink("r", Host("q").c_str()));
    EXPECT_EQ((std::vector<std::string>{"\\o\\o.txt", "\\q\\a.txt", "\\q\\s\\b.txt", "\\r\\a.txt", "\\r\\s\\b.txt"}),
              FileColumn(Search("C:\\", "hit")));
}

// The masks themselves are the file-mask tests'; here: at any depth, a link
// by its own name, and never the reference folder itself.
TEST_F(WalkTest, ExcludedFoldersAreNotEnteredAtAnyDepth)
{
    for (const char* rel : {"a.txt", ".git/o/x.txt", "s/.git/y.txt", "s/d/node_modules/z.txt", "vendor/v.txt"})
        Put(rel, "hit\n");
    ASSERT_EQ(0, symlink("vendor", Host("lnk").c_str()));
    ASSERT_EQ(0, symlink("../vendor", Host("s/.hg").c_str()));
    const std::string all[] = {"\\.git\\o\\x.txt", "\\a.txt", "\\lnk\\v.txt", "\\s\\.git\\y.txt", "\\s\\.hg\\v.txt",
                               "\\s\\d\\node_modules\\z.txt", "\\vendor\\v.txt"};
    const struct { const char* exclude; std::vector<std::string> files; } cases[] = {
        {nullptr, {all[1], all[2], all[6]}},  // the default
        {"", {std::begin(all), std::end(all)}},
        {" VENDOR ; .GIT ", {all[1], all[2], all[4], all[5]}},
    };
    for (const auto& c : cases) {
        if (c.exclude)
            Set(IDC_EXCLUDE, c.exclude);
        EXPECT_EQ(c.files, FileColumn(Search("C:\\", "hit"))) << (c.exclude ? c.exclude : "(the default)");
    }
    Set(IDC_EXCLUDE, ".git");
    EXPECT_EQ(std::vector<std::string>{"\\o\\x.txt"}, FileColumn(Search("C:\\.git", "hit")));
}

}  // namespace
