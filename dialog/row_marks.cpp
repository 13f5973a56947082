#include "dialog/search_dlg.h"

// The stored text is the line as the list shows it, tabs widened and, for a
// Unicode file, in code page 932: matched as such, the spans fall on the
// bytes the list draws, so widened tabs and '?' for a character code page
// 932 lacks cannot put a mark beside its match.
void CSearchDlg::GetRowMarks(int nRow, std::vector<TextSpan>* pMarks)
{
    pMarks->clear();
    if (m_bReplacedRows || nRow < 0 || static_cast<size_t>(nRow) >= m_rows.Count() || m_rule.strSearch.IsEmpty())
        return;
    if (!m_pMarker)
        m_pMarker.reset(new CSplicer(m_rule));
    size_t n = 0;
    const char* text = m_rows.Text(static_cast<size_t>(nRow), CRowStore::kText, &n);
    if (!m_pMarker->Spans(text, n, false, pMarks))
        pMarks->clear();
}

void CSearchDlg::GetCellMarks(int nItem, std::vector<AfxTextSpan>* pMarks)
{
    std::vector<TextSpan> marks;
    GetRowMarks(nItem, &marks);
    pMarks->clear();
    for (const TextSpan& mark : marks)
        pMarks->push_back({mark.nStart, mark.nLength});
}
