#include "search/row_file.h"

#include "engine/found_rows.h"
#include "text/mbcs.h"

namespace {

const char kTsvHeader[] = "ファイル名\t行\t桁\t見出し語\t一致内容";

// Code page 932 text as UTF-8; a code that is no character, as a damaged
// file may hold, becomes "?" as a character the list cannot show does.
void AppendUtf8(std::string* pOut, const char* s, size_t n)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
    char buf[4];
    for (size_t i = 0; i < n;) {
        unsigned code = p[i++];
        if (IsLeadByte932(static_cast<unsigned char>(code)) && i < n)
            code = code << 8 | p[i++];
        unsigned cp;
        if (!Cp932ToUnicode(code, &cp))
            cp = '?';
        pOut->append(buf, PutUtf8(buf, cp));
    }
}

// A lone CR inside a line would end the row for any reader: it is a blank.
void AppendField(std::string* pOut, const CString& text)
{
    CString shown = WidenTabs(text, static_cast<size_t>(text.GetLength()));
    size_t nFrom = pOut->size();
    AppendUtf8(pOut, shown, static_cast<size_t>(shown.GetLength()));
    for (size_t i = nFrom; i < pOut->size(); ++i)
        if ((*pOut)[i] == '\r' || (*pOut)[i] == '\n')
            (*pOut)[i] = ' ';
}

}  // namespace

bool RowFileTypeOf(const char* name, RowFileType* pType)
{
    CString strName(name);
    strName.MakeLower();
    if (strName != "tsv")
        return false;
    *pType = kRowFileTsv;
    return true;
}

std::string RowFileBytes(const CRowStore& rows, RowFileType)
{
    std::string out = "\xEF\xBB\xBF";
    AppendUtf8(&out, kTsvHeader, sizeof kTsvHeader - 1);
    out += "\r\n";
    for (size_t i = 0, n = rows.Count(); i < n; ++i) {
        AppendField(&out, rows.TextOf(i, CRowStore::kFile));
        out += "\t" + std::to_string(rows.Line(i)) + "\t" + std::to_string(rows.Column(i)) + "\t";
        AppendField(&out, rows.TextOf(i, CRowStore::kHeadword));
        out += "\t";
        AppendField(&out, rows.TextOf(i, CRowStore::kText));
        out += "\r\n";
    }
    return out;
}
