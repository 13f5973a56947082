// What the tests of the search command share: a dialog over a folder mapped
// as drive C:, files put there, the controls driven as a user drives them,
// and the message boxes recorded.
#ifndef TOLVANE_TESTS_SEARCH_FIXTURE_H
#define TOLVANE_TESTS_SEARCH_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"
#include "tests/test_support.h"

using namespace std::string_literals;

namespace {

typedef std::tuple<std::string, std::string, std::string> Row;  // file, headword, text
typedef std::tuple<std::string, std::string, UINT> Box;          // caption, text, style

std::vector<Box> g_boxes;
inline void RecordBox(const char* caption, const char* text, UINT style) { g_boxes.emplace_back(caption, text, style); }

const char kNoMatch[] = "検索文字列は見つかりませんでした。";
const char kResult[] = "検索結果";
const Box kNoMatchBox = {kResult, kNoMatch, MB_OK};
inline Box CountBox(int n) { return {kResult, std::to_string(n) + "個一致しました。", MB_OK}; }

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        char tmpl[] = "/tmp/tolvane-search-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        m_root = tmpl;
        ProbeClearDrives();
        ProbeMapDrive('C', m_root.c_str());
        g_boxes.clear();
        AfxSetMessageBoxObserver(RecordBox);
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
    }

    void TearDown() override
    {
        m_dlg.reset();
        AfxSetMessageBoxObserver(nullptr);
        RemoveSettings();
        ProbeClearDrives();
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    // A file under the C: folder; REL uses "/" and host (raw CP932) names.
    void Put(const std::string& rel, const std::string& bytes)
    {
        std::filesystem::path p = m_root + "/" + rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string Host(const std::string& rel) { return m_root + "/" + rel; }

    CWnd Item(int id) { return m_dlg->GetDlgItem(id); }
    void Set(int id, const std::string& text) { Item(id).SetWindowText(text.c_str()); }
    void Click(int id) { CButton(Item(id)).Click(); }

    std::vector<Row> Search(const std::string& refdir, const std::string& search, const std::string& headword = "",
                            const std::string& ext = "", bool caseOn = true, bool selectedOnly = false)
    {
        Set(IDC_REFDIR, refdir);
        Set(IDC_SEARCH_TEXT, search);
        Set(IDC_HEADWORD, headword);
        Set(IDC_EXT, ext);
        Click(caseOn ? IDC_CASE_ON : IDC_CASE_OFF);
        if ((CButton(Item(IDC_SELECTED_ONLY)).GetCheck() != 0) != selectedOnly)
            Click(IDC_SELECTED_ONLY);
        g_boxes.clear();
        Click(IDOK);
        return Rows();
    }

    std::vector<Row> Rows()
    {
        CListCtrl list(Item(IDC_RESULTS));
        std::vector<Row> rows;
        for (int i = 0; i < list.GetItemCount(); ++i)
            rows.emplace_back(std::string(list.GetItemText(i, 0)), std::string(list.GetItemText(i, 2)),
                              std::string(list.GetItemText(i, 3)));
        return rows;
    }

    std::string m_root;
    CWinApp m_app;
    std::unique_ptr<CSearchDlg> m_dlg;
};

// Listing order belongs to the file system: the file column, sorted.
inline std::vector<std::string> FileColumn(const std::vector<Row>& rows)
{
    std::vector<std::string> out;
    for (const Row& r : rows)
        out.push_back(std::get<0>(r));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

#endif
