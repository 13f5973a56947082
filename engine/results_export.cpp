#include "engine/results_export.h"

#include <cstdio>
#include <cstring>

#include "engine/found_rows.h"
#include "text/mbcs.h"

namespace {

const char kBom[] = "\xEF\xBB\xBF";
const char kCsvHeader[] = "ファイル名,行,桁,見出し語,一致内容";

std::string Number(uint64_t n) { return std::to_string(static_cast<unsigned long long>(n)); }

// Characters of code page 932 text before byte AT; every one of them is a
// single code point, so a reader counts them alike in UTF-8.
size_t CharsBefore(const char* s, size_t n, size_t at)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(s);
    size_t nChars = 0;
    for (size_t i = 0; i < at && i < n; i += CharLength932(t, i, n))
        ++nChars;
    return nChars;
}

}  // namespace

CResultsFile::CResultsFile(ResultsFileType type) : m_type(type)
{
    // The header and the columns of the TSV a run without the window writes.
    if (type == kResultsCsv) {
        m_bytes = kBom;
        Utf8(kCsvHeader, sizeof kCsvHeader - 1);
        m_bytes += "\r\n";
    }
}

// A code that is no character (a lone lead byte at a cut) becomes '?', as
// the list would show it, so the file stays well-formed UTF-8.
void CResultsFile::Utf8(const char* s, size_t n)
{
    if (Cp932ToUtf8(s, n, &m_utf8)) {
        m_bytes += m_utf8;
        return;
    }
    const unsigned char* t = reinterpret_cast<const unsigned char*>(s);
    for (size_t i = 0; i < n;) {
        size_t len = CharLength932(t, i, n);
        if (Cp932ToUtf8(s + i, len, &m_utf8))
            m_bytes += m_utf8;
        else
            m_bytes += '?';
        i += len;
    }
}

// Quoted only when it must be, as RFC 4180 has it: a quote is doubled.
void CResultsFile::CsvField(const char* s, size_t n)
{
    bool bQuote = false;
    for (size_t i = 0; i < n && !bQuote; ++i)
        bQuote = s[i] == '"' || s[i] == ',' || s[i] == '\r' || s[i] == '\n';
    if (!bQuote) {
        Utf8(s, n);
        return;
    }
    m_bytes += '"';
    size_t from = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] != '"')
            continue;
        Utf8(s + from, i + 1 - from);
        m_bytes += '"';
        from = i + 1;
    }
    Utf8(s + from, n - from);
    m_bytes += '"';
}

// Bytes below 0x20 are written as \u escapes; 0x5C is only ever a backslash
// here because the text is UTF-8 by then.
void CResultsFile::JsonString(const char* s, size_t n)
{
    size_t mark = m_bytes.size();
    Utf8(s, n);
    std::string utf8 = m_bytes.substr(mark);
    m_bytes.resize(mark);
    m_bytes += '"';
    for (char c : utf8) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_bytes += '\\';
            m_bytes += c;
        } else if (u < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", u);
            m_bytes += esc;
        } else {
            m_bytes += c;
        }
    }
    m_bytes += '"';
}

void CResultsFile::Add(const ResultsFileRow& row)
{
    // A headword is stored as read; its tabs are widened as the text's are,
    // so a TSV field never holds one.
    CString strHeadword = WidenTabs(row.headword, row.nHeadword);
    const char* headword = strHeadword;
    size_t nHeadword = static_cast<size_t>(strHeadword.GetLength());
    const char* path = row.strPath;
    size_t nPath = static_cast<size_t>(row.strPath.GetLength());
    switch (m_type) {
    case kResultsTsv:  // search/row_file.h writes it, for saving and for runs without the window alike
        break;
    case kResultsCsv:
        CsvField(path, nPath);
        m_bytes += "," + Number(row.nLine) + "," + Number(row.nColumn) + ",";
        CsvField(headword, nHeadword);
        m_bytes += ',';
        CsvField(row.text, row.nText);
        m_bytes += "\r\n";
        break;
    case kResultsTagJump:
        m_bytes.append(path, nPath);
        m_bytes += "(" + Number(row.nLine) + "," + Number(row.nColumn) + "): ";
        m_bytes.append(row.text, row.nText);
        m_bytes += "\r\n";
        break;
    case kResultsJsonLines:
        m_bytes += "{\"path\":";
        JsonString(path, nPath);
        m_bytes += ",\"line\":" + Number(row.nLine) + ",\"column\":" + Number(row.nColumn) + ",\"headword\":";
        JsonString(headword, nHeadword);
        m_bytes += ",\"text\":";
        JsonString(row.text, row.nText);
        m_bytes += ",\"matches\":[";
        for (size_t i = 0; i < row.marks.size(); ++i) {
            size_t nStart = CharsBefore(row.text, row.nText, row.marks[i].nStart);
            size_t nEnd = CharsBefore(row.text, row.nText, row.marks[i].nStart + row.marks[i].nLength);
            m_bytes += (i ? ",[" : "[") + Number(nStart) + "," + Number(nEnd - nStart) + "]";
        }
        m_bytes += "]}\n";
        break;
    }
}
