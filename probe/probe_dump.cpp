#include "probe/probe_dump.h"

#include <algorithm>
#include <cstdio>

#include "text/mbcs.h"

#include "platform/probe_support.h"
#include "probe/probe_events.h"

// In the order a dump prints them; the editor's command line, which no field
// of the window holds, comes after ext.
const Control kFields[7] = {{"refdir", IDC_REFDIR},
                            {"search", IDC_SEARCH_TEXT},
                            {"headword", IDC_HEADWORD},
                            {"ext", IDC_EXT},
                            {"exclude", IDC_EXCLUDE},
                            {"replace", IDC_REPLACE_TEXT},
                            {"encoding", IDC_ENCODING}};
const Control kChecks[6] = {{"case_on", IDC_CASE_ON},
                            {"case_off", IDC_CASE_OFF},
                            {"selected_only", IDC_SELECTED_ONLY},
                            {"regex", IDC_REGEX},
                            {"whole_word", IDC_WHOLE_WORD},
                            {"skip_binary", IDC_SKIP_BINARY}};
namespace {

// The controls a dump gives the place of.
const Control kRects[] = {
    {"results", IDC_RESULTS}, {"tree", IDC_TREE}, {"progress", IDC_PROGRESS}, {"search", IDOK}, {"exit", IDCANCEL}};

// Bytes of the first N bytes of TEXT once escaped as a field is printed.
size_t PrintedLength(const char* text, size_t n)
{
    size_t nPrinted = n;
    for (size_t i = 0; i < n && text[i]; ++i)
        if (text[i] == '\\' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')
            ++nPrinted;
    return nPrinted;
}

// A preview line (UTF-8) as printed: code page 932, escaped, a character it
// lacks as \u{HEX}; *PAT gives for each byte of TEXT, and its end, where it
// is printed.
std::string PrintedPreview(const std::string& text, std::vector<size_t>* pAt)
{
    std::string out;
    pAt->assign(text.size() + 1, 0);
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        unsigned c = t[i];
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        len = std::min(len, text.size() - i);
        unsigned cp = len == 1 ? c : c & (0x3F >> (len - 1));
        for (size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (t[i + k] & 0x3F);
        char cp932[4] = {};
        size_t n = Utf8To932(text.data() + i, len, cp932);
        for (size_t k = 0; k < len; ++k)
            (*pAt)[i + k] = out.size();
        if (n == 1 && cp932[0] == '?' && cp != '?') {
            char hex[16];
            std::snprintf(hex, sizeof hex, "\\u{%X}", cp);
            out += hex;
        } else {
            out += Escape(std::string(cp932, n).c_str());
        }
        i += len;
    }
    (*pAt)[text.size()] = out.size();
    return out;
}

}  // namespace

void ProbeDump(CSearchDlg& dlg)
{
    for (const Control& c : kFields) {
        Event({"field", c.name, Escape(dlg.GetDlgItem(c.id).GetWindowText())});
        if (c.id == IDC_EXT)
            Event({"field", "editor", Escape(dlg.Editor().strCommand)});
    }
    for (const Control& c : kChecks)
        Event({"check", c.name, std::to_string(CButton(dlg.GetDlgItem(c.id)).GetCheck())});
    CComboBox combo(dlg.GetDlgItem(IDC_SEARCH_TEXT));
    for (int i = 0, n = combo.GetCount(); i < n; ++i)
        Event({"history", std::to_string(i), Escape(combo.GetLBText(i))});
    CListCtrl list(dlg.GetDlgItem(IDC_RESULTS));
    for (int i = 0, n = list.GetItemCount(); i < n; ++i) {
        uint64_t nLine = 0, nColumn = 0;
        dlg.GetRowPlace(i, &nLine, &nColumn);
        Event({"row", Escape(list.GetItemText(i, CRowStore::kFile)),
               Escape(list.GetItemText(i, CRowStore::kHeadword)), Escape(list.GetItemText(i, CRowStore::kText)),
               std::to_string(nLine), std::to_string(nColumn)});
    }
    // The marks and the preview as the list and the pane have them, which is what they draw.
    std::vector<AfxTextSpan> marks;
    for (int i = 0, n = list.GetItemCount(); i < n; ++i) {
        AfxGetListMarks(list, i, &marks);
        CString strText = dlg.RowText(i, CRowStore::kText);
        for (const AfxTextSpan& m : marks) {
            size_t nStart = PrintedLength(strText, m.nStart);
            Event({"mark", std::to_string(i), std::to_string(nStart),
                   std::to_string(PrintedLength(strText, m.nStart + m.nLength) - nStart)});
        }
    }
    CPreviewCtrl pane(dlg.GetDlgItem(IDC_PREVIEW));
    const std::vector<AfxPaneLine>& lines = pane.GetLines();
    std::vector<std::vector<size_t>> printedAt(lines.size());
    for (size_t i = 0; i < printedAt.size(); ++i)
        Event({"preview", std::to_string(lines[i].nNumber), lines[i].bOwn ? "1" : "0",
               PrintedPreview(lines[i].text, &printedAt[i])});
    for (size_t i = 0; i < printedAt.size(); ++i) {
        for (const AfxTextSpan& m : lines[i].marks) {
            size_t nStart = printedAt[i][m.nStart];
            Event({"pmark", std::to_string(lines[i].nNumber), std::to_string(nStart),
                   std::to_string(printedAt[i][m.nStart + m.nLength] - nStart)});
        }
    }
    if (!pane.GetNote().IsEmpty())
        Event({"pnote", Escape(pane.GetNote())});
    std::string selrows = "selrows";
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED))
        selrows += "\t" + std::to_string(i);
    Event({selrows});
    for (const Control& c : kRects) {
        RECT r;
        dlg.GetDlgItem(c.id).GetRectInParent(&r);
        Event({"rect", c.name, std::to_string(r.left), std::to_string(r.top), std::to_string(r.right - r.left),
               std::to_string(r.bottom - r.top)});
    }
    Event({"progress", std::to_string(CProgressCtrl(dlg.GetDlgItem(IDC_PROGRESS)).GetPos())});
    DumpTree(CTreeCtrl(dlg.GetDlgItem(IDC_TREE)));
}

