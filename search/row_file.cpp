#include "search/row_file.h"

#include <cstring>
#include <memory>

#include "engine/scanner.h"
#include "engine/splice.h"

namespace {

const size_t kRowsPerLook = 4096;

}  // namespace

bool RowFileTypeOf(const char* name, ResultsFileType* pType)
{
    static const char* const kNames[] = {"tsv", "csv", "tagjump", "jsonl"};  // in the order of ResultsFileType
    CString strName(name);
    strName.MakeLower();
    for (int i = 0; i < 4; ++i) {
        if (strName == kNames[i]) {
            *pType = static_cast<ResultsFileType>(i);
            return true;
        }
    }
    return false;
}

std::string RowFileBytes(const CRowStore& rows, ResultsFileType type, const CString& strDir, const ReplaceRule& rule,
                         const std::function<void(size_t)>& progress)
{
    CResultsFile file(type);
    std::unique_ptr<CSplicer> pMarker;
    if (!rule.strSearch.IsEmpty())
        pMarker.reset(new CSplicer(rule));
    // A '?' in a row may be a character code page 932 lacks: the types in
    // UTF-8 take such a line from its file, as it holds it.
    CRowLines own(pMarker.get());
    PreviewLine ownLine;
    ResultsFileRow row;
    for (size_t i = 0, n = rows.Count(); i < n; ++i) {
        // The file column starts with the "\" after the folder, which already ends in one.
        row.strPath = rows.TextOf(i, CRowStore::kFile);
        if (type == kResultsTagJump || type == kResultsJsonLines)
            row.strPath = strDir + row.strPath.Mid(1);
        row.nLine = rows.Line(i);
        row.nColumn = rows.Column(i);
        row.headword = rows.Text(i, CRowStore::kHeadword, &row.nHeadword);
        row.text = rows.Text(i, CRowStore::kText, &row.nText);
        row.marks.clear();
        row.pOwnLine = nullptr;
        if (type != kResultsTagJump && std::memchr(row.text, '?', row.nText) && row.nText < kMaxLinePiece &&
            own.OwnLine(strDir + rows.TextOf(i, CRowStore::kFile).Mid(1), rows.Stamp(i), row.nLine, &ownLine))
            row.pOwnLine = &ownLine;
        else if (type == kResultsJsonLines && pMarker && !pMarker->Spans(row.text, row.nText, false, &row.marks))
            row.marks.clear();
        file.Add(row);
        if (progress && i % kRowsPerLook == 0)
            progress(i);
    }
    return file.Bytes();
}
