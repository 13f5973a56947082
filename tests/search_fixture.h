// What the tests of the search command share: the window's fixture with the files on drive C:, a search pressed as a
// user presses it, its rows, and the message boxes recorded with their captions and styles.
#ifndef TOLVANE_TESTS_SEARCH_FIXTURE_H
#define TOLVANE_TESTS_SEARCH_FIXTURE_H

#include <string>
#include <tuple>

#include "tests/dialog_fixture.h"

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

// REL below uses "/" and host (raw CP932) names.
class SearchTest : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        g_boxes.clear();
        AfxSetMessageBoxObserver(RecordBox);
        Start();
    }
    void Put(const std::string& rel, const std::string& bytes) { DialogFixture::Put("C/" + rel, bytes); }
    std::string Host(const std::string& rel) { return m_root + "/C/" + rel; }

    std::vector<Row> Search(const std::string& refdir, const std::string& search, const std::string& headword = "",
                            const std::string& ext = "", bool caseOn = true, bool selectedOnly = false)
    {
        Set(IDC_HEADWORD, headword);
        Set(IDC_EXT, ext);
        Click(caseOn ? IDC_CASE_ON : IDC_CASE_OFF);
        if ((CButton(Item(IDC_SELECTED_ONLY)).GetCheck() != 0) != selectedOnly)
            Click(IDC_SELECTED_ONLY);
        g_boxes.clear();
        Press(refdir, search);
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
