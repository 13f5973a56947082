// Opening a row's file through the shell: what is asked for, the notepad
// fallback where no program is associated, and the error box otherwise.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

namespace {

struct ShellCall {
    std::string verb, file, parameters;
};
std::vector<ShellCall> g_calls;
std::vector<INT_PTR> g_answers;  // one per call, then success
std::vector<std::string> g_boxes;

INT_PTR AnswerShell(const char* verb, const char* file, const char* parameters)
{
    g_calls.push_back({verb, file, parameters});
    return g_calls.size() <= g_answers.size() ? g_answers[g_calls.size() - 1] : 42;
}

void RecordBox(const char* caption, const char* text, UINT nType)
{
    g_boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(nType));
}

class ResultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/tolvane-results.XXXXXX";
        dir_ = mkdtemp(tmpl);
        ASSERT_EQ(0, system(("mkdir -p " + dir_ + "/sub").c_str()));
        std::ofstream(dir_ + "/sub/a.txt") << "foo\n";
        ProbeClearDrives();
        ProbeMapDrive('C', dir_.c_str());
        RemoveSettings();
        dlg_.Create();
        dlg_.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\");
        dlg_.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("foo");
        CButton(dlg_.GetDlgItem(IDOK)).Click();
        // The field changed after the search does not move the rows' files.
        dlg_.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\sub\\");
        g_calls.clear();
        g_boxes.clear();
        AfxSetShellObserver(AnswerShell);
        AfxSetMessageBoxObserver(RecordBox);
    }
    void TearDown() override
    {
        AfxSetShellObserver(nullptr);
        AfxSetMessageBoxObserver(nullptr);
        RemoveSettings();
        ProbeClearDrives();
        system(("rm -rf " + dir_).c_str());
    }

    std::string dir_;
    CWinApp app_;
    CSearchDlg dlg_;
};

TEST_F(ResultsTest, OpenFallsBackToNotepadOnlyWithoutAssociationAndReportsOtherFailures)
{
    const std::string kFile = "C:\\sub\\a.txt";
    const std::string kBox = "Error!|ファイル「C:\\sub\\a.txt」を開けませんでした。|16";
    struct Case {
        std::vector<INT_PTR> answers;
        std::vector<std::string> files;  // asked for, in order
        bool bBox;
    };
    const Case cases[] = {
        {{42}, {kFile}, false},
        {{33}, {kFile}, false},
        {{SE_ERR_NOASSOC}, {kFile, "notepad.exe"}, false},
        {{2}, {kFile}, true},    // file not found
        {{32}, {kFile}, true},   // the largest failure code
        {{0}, {kFile}, true},    // out of memory
        {{SE_ERR_NOASSOC, 2}, {kFile, "notepad.exe"}, true},
    };
    ASSERT_EQ(1, CListCtrl(dlg_.GetDlgItem(IDC_RESULTS)).GetItemCount());
    for (const Case& c : cases) {
        g_answers = c.answers;
        g_calls.clear();
        g_boxes.clear();
        dlg_.OpenRowFile(0);
        ASSERT_EQ(c.files.size(), g_calls.size()) << c.answers[0];
        for (size_t i = 0; i < c.files.size(); ++i) {
            EXPECT_EQ("open", g_calls[i].verb);
            EXPECT_EQ(c.files[i], g_calls[i].file);
        }
        if (c.files.size() == 2) {
            EXPECT_EQ("\"" + kFile + "\"", g_calls[1].parameters);
        }
        EXPECT_EQ(c.bBox ? std::vector<std::string>{kBox} : std::vector<std::string>{}, g_boxes) << c.answers[0];
    }
}

TEST_F(ResultsTest, FolderOpensExplorerWithTheFileSelected)
{
    g_answers = {};
    dlg_.OpenRowFolder(0);
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("explorer.exe", g_calls[0].file);
    EXPECT_EQ("/select,\"C:\\sub\\a.txt\"", g_calls[0].parameters);
    EXPECT_TRUE(g_boxes.empty());
}

}  // namespace
