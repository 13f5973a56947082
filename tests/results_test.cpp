// A row's file or folder opened through the shell, notepad where no program is associated.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

namespace {

std::vector<std::string> g_calls, g_boxes;  // "verb|file|parameters", "caption|text|type"
std::vector<INT_PTR> g_answers;             // one per call, then success

TEST(ResultsTest, OpenFileOrFolderAsksTheShellAndReportsFailures)
{
    char tmpl[] = "/tmp/tolvane-results.XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::filesystem::create_directory(dir + "/sub");
    std::ofstream(dir + "/sub/a.txt") << "foo\n";
    ProbeClearDrives();
    ProbeMapDrive('C', dir.c_str());
    RemoveSettings();
    CWinApp app;
    CSearchDlg dlg;
    dlg.Create();
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\");
    dlg.GetDlgItem(IDC_SEARCH_TEXT).SetWindowText("foo");
    CButton(dlg.GetDlgItem(IDOK)).Click();
    // The field changed after the search does not move the rows' files.
    dlg.GetDlgItem(IDC_REFDIR).SetWindowText("C:\\sub\\");
    AfxSetShellObserver([](const char* verb, const char* file, const char* parameters) -> INT_PTR {
        g_calls.push_back(std::string(verb) + "|" + file + "|" + (parameters ? parameters : ""));
        return g_calls.size() <= g_answers.size() ? g_answers[g_calls.size() - 1] : 42;
    });
    AfxSetMessageBoxObserver([](const char* caption, const char* text, UINT nType) {
        g_boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(nType));
    });

    const std::string file = "open|C:\\sub\\a.txt|", notepad = "open|notepad.exe|\"C:\\sub\\a.txt\"";
    const std::string folder = "open|explorer.exe|/select,\"C:\\sub\\a.txt\"";
    const std::string fileBox = "Error!|ファイル「C:\\sub\\a.txt」を開けませんでした。|16";
    const std::string folderBox = "Error!|ファイル「C:\\sub\\a.txt」のフォルダを開けませんでした。|16";
    // The shell's answers, one per call: 32 and below are failures.
    const struct { bool bFolder; std::vector<INT_PTR> answers; std::vector<std::string> calls, boxes; } cases[] = {
        {false, {42}, {file}, {}}, {false, {33}, {file}, {}}, {false, {SE_ERR_NOASSOC}, {file, notepad}, {}},
        {false, {2}, {file}, {fileBox}}, {false, {32}, {file}, {fileBox}}, {false, {0}, {file}, {fileBox}},
        {false, {SE_ERR_NOASSOC, 2}, {file, notepad}, {fileBox}}, {true, {33}, {folder}, {}},
        {true, {32}, {folder}, {folderBox}}, {true, {SE_ERR_NOASSOC}, {folder}, {folderBox}},
    };
    for (const auto& c : cases) {
        g_answers = c.answers;
        g_calls.clear();
        g_boxes.clear();
        c.bFolder ? dlg.OpenRowFolder(0) : dlg.OpenRowFile(0);
        EXPECT_EQ(c.calls, g_calls) << c.answers[0];
        EXPECT_EQ(c.boxes, g_boxes) << c.answers[0];
    }
    AfxSetShellObserver(nullptr);
    AfxSetMessageBoxObserver(nullptr);
    RemoveSettings();
    ProbeClearDrives();
    std::filesystem::remove_all(dir);
}

}  // namespace
