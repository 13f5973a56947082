#include "dialog/search_dlg.h"

#include "search/row_file.h"

namespace {

// In the order of ResultsFileType.
const AfxFileType kTypes[] = {{"TSV (*.tsv)", "*.tsv"},
                              {"CSV (*.csv)", "*.csv"},
                              {"タグジャンプ形式 (*.txt)", "*.txt"},
                              {"JSON Lines (*.jsonl)", "*.jsonl"}};

// The progress bar's range while the rows are written, the search's.
const int kBarTop = 80;

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
    CProgressCtrl progress(GetDlgItem(IDC_PROGRESS));
    int nPos = progress.GetPos();
    progress.SetRange(0, kBarTop);
    size_t nRows = m_rows.Count();
    std::string bytes = RowFileBytes(m_rows, static_cast<ResultsFileType>(nType), m_strSearchedDir,
                                     m_bReplacedRows ? ReplaceRule() : m_rule,
                                     [&](size_t nDone) { progress.SetPos(static_cast<int>(nDone * kBarTop / nRows)); });
    progress.SetPos(kBarTop);
    bool bWritten = WriteFileReplacing(strPath, bytes.data(), bytes.size());
    progress.SetPos(nPos);
    if (!bWritten)
        MessageBox("ファイルに書き込めませんでした。\n" + strPath, "結果を保存", MB_OK | MB_ICONHAND);
    return bWritten;
}
