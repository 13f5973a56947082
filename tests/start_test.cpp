// The command line, and the Explorer entries the system menu adds and takes
// away, in the native build (its registry in memory).
#include "app/explorer_menu.h"
#include "tests/dialog_fixture.h"
#include "tests/start_table.h"

namespace {

TEST(StartTest, CommandLinesGiveTheirFields)
{
    g_standinCurrentFolder = "C:\\work";
    for (const auto& c : kCommandLines) {
        std::string expected = c.given;
        for (size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, "C:\\work");
        EXPECT_EQ(expected, Given(ParseStartOptions(CCommandArgs::OfText(c.line)))) << c.line;
    }
    g_standinCurrentFolder = "";
}

class ExplorerMenuTest : public DialogFixture {
protected:
    void TearDown() override
    {
        g_standinRegistry = m_before;
        g_standinRegistryReadOnly = false;
        DialogFixture::TearDown();
    }
    // Choosing the system menu's entry: its check and text afterwards.
    std::string Choose()
    {
        m_dlg->DispatchToMessageMap(WM_SYSCOMMAND, IDM_EXPLORER, 0, nullptr);
        return Item();
    }
    std::string Item()
    {
        for (const auto& item : m_dlg->GetSystemMenu(FALSE).m_hMenu->items)
            if (item.id == IDM_EXPLORER)
                return (item.flags & MF_CHECKED ? "ticked " : "") + std::string(item.text);
        return "none";
    }
    std::string Value(const std::string& key) { return g_standinRegistry.at(kClasses + key).at(""); }
    std::string Command(const char* program) { return "\"" + std::string(program) + "\" \"%V\""; }

    const std::string kClasses = "Software\\Classes\\";
    const decltype(g_standinRegistry) m_before = g_standinRegistry;
};

TEST_F(ExplorerMenuTest, AddedAndTakenAwayExactly)
{
    // Someone else's verb for folders: its keys were there before and stay.
    g_standinRegistry[kClasses + "Directory"];
    g_standinRegistry[kClasses + "Directory\\shell"];
    g_standinRegistry[kClasses + "Directory\\shell\\other"][""] = "x";
    auto before = g_standinRegistry;
    Start();
    CString strSelf = GetModuleFilePath();
    EXPECT_EQ("エクスプローラのメニューに追加(&X)", Item());
    EXPECT_EQ("ticked エクスプローラのメニューに追加(&X)", Choose());
    for (const std::string& shell : {"Directory\\shell\\tolvane", "Directory\\Background\\shell\\tolvane"}) {
        EXPECT_EQ("トルヴァン検索で検索", Value(shell));
        EXPECT_EQ(Command(strSelf), Value(shell + "\\command"));
    }
    EXPECT_EQ(before.size() + 6, g_standinRegistry.size());
    EXPECT_EQ("エクスプローラのメニューに追加(&X)", Choose());
    EXPECT_EQ(before, g_standinRegistry);
    EXPECT_EQ(std::string::npos, ReadFile(SettingsIni()).find("ExplorerMenu"));

    // Entries left by a copy elsewhere (or before a move) start this one from the next start on; when they can
    // no longer be changed the item says so, and choosing it fails with a box.
    CIniFile ini;
    ASSERT_TRUE(AddExplorerMenu("C:\\old\\tolvane.exe", &ini));
    Start();
    EXPECT_EQ("ticked エクスプローラのメニューに追加(&X)", Item());
    EXPECT_EQ(Command(strSelf), Value("Directory\\Background\\shell\\tolvane\\command"));
    PointExplorerMenuAt("C:\\old\\tolvane.exe");
    g_standinRegistryReadOnly = true;
    Start();
    EXPECT_EQ("ticked エクスプローラのメニューに追加(&X)\t別の場所のトルヴァン検索", Item());
    EXPECT_EQ(Item(), Choose());
    EXPECT_EQ(Lines{"エクスプローラのメニューを変更できませんでした。"}, g_boxTexts);
    EXPECT_EQ(Command("C:\\old\\tolvane.exe"), Value("Directory\\shell\\tolvane\\command"));
    g_standinRegistryReadOnly = false;
    RemoveExplorerMenu(&ini);
    EXPECT_EQ(before, g_standinRegistry);
}

}  // namespace
