// What the tests of the window share: a dialog over drives C:, D: and Z: (folders in a
// temp folder), started again as a restart does, the texts of its message boxes recorded.
#ifndef TOLVANE_TESTS_DIALOG_FIXTURE_H
#define TOLVANE_TESTS_DIALOG_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

namespace {

typedef std::vector<std::string> Lines;
Lines g_boxTexts;

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        ProbeClearDrives();
        m_root = std::filesystem::temp_directory_path() / ("tolvane-dialog-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_root);
        for (char d : {'Z', 'C', 'D'}) {  // out of order: the tree lists them by letter
            Folder(std::string(1, d));
            ProbeMapDrive(d, (m_root + "/" + d).c_str());
        }
        AfxSetMessageBoxObserver([](const char*, const char* text, UINT) { g_boxTexts.push_back(text); });
    }
    void TearDown() override
    {
        m_dlg.reset();
        AfxSetMessageBoxObserver(nullptr);
        AfxSetModalObserver(nullptr);
        g_boxTexts.clear();
        g_standinAppPaths.clear();
        RemoveSettings();
        ProbeClearDrives();
        std::filesystem::remove_all(m_root);
    }
    // REL starts with the drive letter ("C/a/b.txt"); names are host (raw CP932) names.
    void Folder(const std::string& rel) { std::filesystem::create_directories(m_root + "/" + rel); }
    void Put(const std::string& rel, const std::string& bytes = "hit\n")
    {
        Folder(std::filesystem::path(rel).parent_path());
        std::ofstream(m_root + "/" + rel, std::ios::binary) << bytes;
    }
    void Start()
    {
        m_dlg.reset();
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
    }
    CWnd Item(int id) { return m_dlg->GetDlgItem(id); }
    std::string Text(int id) { return std::string(Item(id).GetWindowText()); }
    void Set(int id, const std::string& text) { Item(id).SetWindowText(text.c_str()); }
    void Click(int id) { CButton(Item(id)).Click(); }
    std::string Check(int id) { return std::to_string(CButton(Item(id)).GetCheck()); }
    std::string Checks() { return Check(IDC_CASE_ON) + Check(IDC_CASE_OFF) + Check(IDC_SELECTED_ONLY); }
    void Press(const std::string& refdir, const std::string& search)
    {
        Set(IDC_REFDIR, refdir);
        Set(IDC_SEARCH_TEXT, search);
        Click(IDOK);
    }

    std::string m_root;
    CWinApp m_app;
    std::unique_ptr<CSearchDlg> m_dlg;
};

}  // namespace

#endif
