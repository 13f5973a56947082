#include "engine/results_export.h"

#include <cstdio>
#include <cstring>

#include "engine/found_rows.h"
#include "text/mbcs.h"

namespace {

const char kBom[] = "\xEF\xBB\xBF";
const char kCsvHeader[] = "ファイル名,行,桁,見出し語,一致内容";
const char kTsvHeader[] = "ファイル名\t行\t桁\t見出し語\t一致内容";

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

// Characters of UTF-8 text before byte AT, as a reader counts them.
size_t CodePointsBefore(const std::string& s, size_t at)
{
    size_t n = 0;
    for (size_t i = 0; i < at && i < s.size(); ++i)
        n += (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
    return n;
}

}  // namespace

CResultsFile::CResultsFile(ResultsFileType type) : m_type(type)
{
    if (type == kResultsCsv || type == kResultsTsv) {
        m_bytes = kBom;
        AppendCp932AsUtf8(type == kResultsCsv ? kCsvHeader : kTsvHeader,
                          (type == kResultsCsv ? sizeof kCsvHeader : sizeof kTsvHeader) - 1, &m_bytes);
        m_bytes += "\r\n";
    }
}

// A lone CR inside a line would end the row for any reader: it is a blank.
void CResultsFile::TsvField(const std::string& s)
{
    for (char c : s)
        m_bytes += c == '\r' || c == '\n' ? ' ' : c;
}

// Quoted only when it must be, as RFC 4180 has it: a quote is doubled.
void CResultsFile::CsvField(const std::string& s)
{
    if (s.find_first_of("\",\r\n") == std::string::npos) {
        m_bytes += s;
        return;
    }
    m_bytes += '"';
    for (char c : s)
        m_bytes += c == '"' ? std::string("\"\"") : std::string(1, c);
    m_bytes += '"';
}

// Bytes below 0x20 are written as \u escapes.
void CResultsFile::JsonString(const std::string& s)
{
    m_bytes += '"';
    for (char c : s) {
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
    if (m_type == kResultsTagJump) {
        m_bytes += row.strPath;
        m_bytes += "(" + Number(row.nLine) + "," + Number(row.nColumn) + "): ";
        m_bytes.append(row.text, row.nText);
        m_bytes += "\r\n";
        return;
    }
    // A headword is stored as read; its tabs are widened as the text's are,
    // so a TSV field never holds one.
    CString strHeadword = WidenTabs(row.headword, row.nHeadword);
    std::string path, headword, text;
    AppendCp932AsUtf8(row.strPath, static_cast<size_t>(row.strPath.GetLength()), &path);
    AppendCp932AsUtf8(strHeadword, static_cast<size_t>(strHeadword.GetLength()), &headword);
    if (row.pOwnLine)
        text = row.pOwnLine->text;
    else
        AppendCp932AsUtf8(row.text, row.nText, &text);
    switch (m_type) {
    case kResultsTsv:
    case kResultsCsv: {
        const std::string sep = m_type == kResultsTsv ? "\t" : ",";
        auto field = [&](const std::string& s) { m_type == kResultsTsv ? TsvField(s) : CsvField(s); };
        field(path);
        m_bytes += sep + Number(row.nLine) + sep + Number(row.nColumn) + sep;
        field(headword);
        m_bytes += sep;
        field(text);
        m_bytes += "\r\n";
        break;
    }
    default:
        m_bytes += "{\"path\":";
        JsonString(path);
        m_bytes += ",\"line\":" + Number(row.nLine) + ",\"column\":" + Number(row.nColumn) + ",\"headword\":";
        JsonString(headword);
        m_bytes += ",\"text\":";
        JsonString(text);
        m_bytes += ",\"matches\":[";
        const std::vector<TextSpan>& marks = row.pOwnLine ? row.pOwnLine->marks : row.marks;
        for (size_t i = 0; i < marks.size(); ++i) {
            size_t nStart = row.pOwnLine ? CodePointsBefore(text, marks[i].nStart)
                                         : CharsBefore(row.text, row.nText, marks[i].nStart);
            size_t nEnd = row.pOwnLine ? CodePointsBefore(text, marks[i].nStart + marks[i].nLength)
                                       : CharsBefore(row.text, row.nText, marks[i].nStart + marks[i].nLength);
            m_bytes += (i ? ",[" : "[") + Number(nStart) + "," + Number(nEnd - nStart) + "]";
        }
        m_bytes += "]}\n";
        break;
    }
}
