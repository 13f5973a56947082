// What the tests of the search command share: a dialog over a folder mapped
// as drive C:, files put there, the controls driven as a user drives them,
// and the message boxes recorded.
#ifndef TOLVANE_TESTS_SEARCH_FIXTURE_H
#define TOLVANE_TESTS_SEARCH_FIXTURE_H

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
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


typedef std::tuple<std::string, std::string, std::string> Row;

struct Box {
    std::string caption, text;
    UINT style;
    bool operator==(const Box& o) const { return caption == o.caption && text == o.text && style == o.style; }
};
inline void PrintTo(const Box& b, std::ostream* os) { *os << "{" << b.caption << " | " << b.text << " | " << b.style << "}"; }

std::vector<Box> g_boxes;
inline void RecordBox(const char* caption, const char* text, UINT style) { g_boxes.push_back({caption, text, style}); }

const char kNoMatch[] = "検索文字列は見つかりませんでした。";
const char kResult[] = "検索結果";
const Box kNoMatchBox = {kResult, kNoMatch, MB_OK};
const Box kNoSearchBox = {"Error!", "検索文字列を指示してください", 0x10};
const Box kNoFolderBox = {"Error!", "参照ディレクトリを指示してください", 0x10};
const Box kMissingFolderBox = {"Error!", "参照ディレクトリが見つかりません。", 0x10};
inline Box CountBox(int n)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d個一致しました。", n);
    return {kResult, text, MB_OK};
}

// Final progress bar position after a search that read LINES lines in all:
// range 0..80 starting at 1, step 10; what passes 80 is carried over to the
// bottom (71 + 10 gives 1), as measured on the common control. These are the
// only numbers to change if the control is found to behave otherwise.
const struct {
    std::vector<std::string> files;
    int pos;
} kProgressCases[] = {
    {{}, 1},
    {{""}, 1},                          // an empty file steps nothing
    {{"x\n"}, 11},
    {{"a\nb"}, 21},                     // the last line needs no line end
    {{"1\n2\n3\n4\n5\n6\n7\n"}, 71},
    {{"1\n2\n3\n4\n5\n6\n7\n8\n"}, 1},  // the eighth step passes 80
    {{"1\n2\n3\n4\n", "5\r\n6\r\n7\r\n8\r\n9\r\n"}, 11},  // lines of all files count
    {{std::string(15, '\n')}, 71},
    {{std::string(16, '\n')}, 1},
    {{std::string(200003, '\n')}, 31},  // more lines than one read block holds
};

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
        for (auto& e : std::filesystem::recursive_directory_iterator(m_root, ec))
            if (e.is_directory(ec) && !e.is_symlink(ec))
                chmod(e.path().c_str(), 0755);
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

// Listing order belongs to the file system: rows are compared by file, in
// their order within each file.
inline std::vector<Row> ByFile(std::vector<Row> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return std::get<0>(a) < std::get<0>(b); });
    return rows;
}

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
