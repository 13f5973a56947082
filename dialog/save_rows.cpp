#include "dialog/search_dlg.h"

#include "engine/results_export.h"
#include "search/row_file.h"

namespace {

// In the order of ResultsFileType.
const AfxFileType kTypes[] = {{"TSV (*.tsv)", "*.tsv"},
                              {"CSV (*.csv)", "*.csv"},
                              {"タグジャンプ形式 (*.txt)", "*.txt"},
                              {"JSON Lines (*.jsonl)", "*.jsonl"}};

// Rows between two looks at the progress bar, whose range is the search's.
const int kBarTop = 80;
const size_t kRowsPerLook = 4096;

}  // namespace

void CSearchDlg::SaveRowsAs()
{
    if (m_rows.Count() == 0 || m_bSearching || m_bReplacing)
        return;
    std::vector<AfxFileType> types(std::begin(kTypes), std::end(kTypes));
    int nType = 0;
    CString strPath;
    if (AfxGetSaveFileName(this, types, &nType, &strPath) && nType >= kResultsTsv && nType <= kResultsJsonLines)
        SaveRows(nType, strPath);
}

// The file is built in memory and written as the settings are, so that it is
// whole or not there at all; half a file would pass for all the rows.
bool CSearchDlg::SaveRows(int nType, const CString& strPath)
{
    // The TSV is the one a run without the window writes, so the two never differ.
    if (nType == kResultsTsv) {
        std::string bytes = RowFileBytes(m_rows, kRowFileTsv);
        if (WriteFileReplacing(strPath, bytes.data(), bytes.size()))
            return true;
        MessageBox("ファイルに書き込めませんでした。\n" + strPath, "結果を保存", MB_OK | MB_ICONHAND);
        return false;
    }
    CResultsFile file(static_cast<ResultsFileType>(nType));
    CProgressCtrl progress(GetDlgItem(IDC_PROGRESS));
    int nPos = progress.GetPos();
    progress.SetRange(0, kBarTop);
    ResultsFileRow row;
    size_t nRows = m_rows.Count();
    for (size_t i = 0; i < nRows; ++i) {
        int nRow = static_cast<int>(i);
        row.strPath = nType == kResultsCsv ? m_rows.TextOf(i, CRowStore::kFile) : RowFilePath(nRow);
        row.nLine = m_rows.Line(i);
        row.nColumn = m_rows.Column(i);
        row.headword = m_rows.Text(i, CRowStore::kHeadword, &row.nHeadword);
        row.text = m_rows.Text(i, CRowStore::kText, &row.nText);
        if (nType == kResultsJsonLines)
            GetRowMarks(nRow, &row.marks);
        file.Add(row);
        if (i % kRowsPerLook == 0)
            progress.SetPos(static_cast<int>(i * kBarTop / nRows));
    }
    progress.SetPos(kBarTop);
    const std::string& bytes = file.Bytes();
    bool bWritten = WriteFileReplacing(strPath, bytes.data(), bytes.size());
    progress.SetPos(nPos);
    if (!bWritten)
        MessageBox("ファイルに書き込めませんでした。\n" + strPath, "結果を保存", MB_OK | MB_ICONHAND);
    return bWritten;
}
