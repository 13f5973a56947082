// The rows of a search as a file another program reads: a spreadsheet (TSV,
// CSV), an editor's tag jump, a script (JSON Lines). No window: the dialog
// hands the rows over one by one and shows the progress.
#ifndef TOLVANE_ENGINE_RESULTS_EXPORT_H
#define TOLVANE_ENGINE_RESULTS_EXPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/splice.h"
#include "platform/cstring.h"

enum ResultsFileType { kResultsTsv = 0, kResultsCsv = 1, kResultsTagJump = 2, kResultsJsonLines = 3 };

// One row as the list shows it. TEXT and HEADWORD are code page 932, tabs
// widened; MARKS are in bytes of TEXT.
struct ResultsFileRow {
    CString strPath;  // the file column's text for CSV, as the TSV has it; else the full path
    uint64_t nLine;
    uint64_t nColumn;
    const char* headword;
    size_t nHeadword;
    const char* text;
    size_t nText;
    std::vector<TextSpan> marks;
};

// The bytes of one file of rows, built row by row and written whole: CSV and
// JSON Lines as UTF-8 (CSV with a byte-order mark, so that a spreadsheet
// reads it as such), the tag jump lines as code page 932. The TSV is
// search/row_file.h's, which a run without the window writes too.
class CResultsFile {
public:
    explicit CResultsFile(ResultsFileType type);
    void Add(const ResultsFileRow& row);
    const std::string& Bytes() const { return m_bytes; }

private:
    void Utf8(const char* s, size_t n);
    void CsvField(const char* s, size_t n);
    void JsonString(const char* s, size_t n);

    ResultsFileType m_type;
    std::string m_bytes;
    std::string m_utf8;
};

#endif
