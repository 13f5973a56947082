// The rows of a search as a file another program reads: a spreadsheet (TSV,
// CSV), an editor's tag jump, a script (JSON Lines). No window: the dialog
// hands the rows over one by one and shows the progress.
#ifndef TOLVANE_ENGINE_RESULTS_EXPORT_H
#define TOLVANE_ENGINE_RESULTS_EXPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/preview.h"
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
    // The line as its Unicode file holds it, with its marks, for the types
    // in UTF-8; null: TEXT and MARKS.
    const PreviewLine* pOwnLine = nullptr;
};

// The bytes of one file of rows, built row by row and written whole: TSV,
// CSV and JSON Lines as UTF-8 (TSV and CSV with a byte-order mark and a
// header row, so that a spreadsheet reads them as such; no TSV field holds a
// tab or a line end), the tag jump lines as code page 932.
class CResultsFile {
public:
    explicit CResultsFile(ResultsFileType type);
    void Add(const ResultsFileRow& row);
    const std::string& Bytes() const { return m_bytes; }

private:
    // Each of UTF-8 text.
    void TsvField(const std::string& s);
    void CsvField(const std::string& s);
    void JsonString(const std::string& s);

    ResultsFileType m_type;
    std::string m_bytes;
};

#endif
