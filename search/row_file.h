// The rows of a search as a file another program reads: what a run without
// the window writes, and what 結果を保存... saves, from the same rows alike.
#ifndef TOLVANE_SEARCH_ROW_FILE_H
#define TOLVANE_SEARCH_ROW_FILE_H

#include <functional>
#include <string>

#include "dialog/row_store.h"
#include "engine/replace.h"
#include "engine/results_export.h"

// The type NAME names ("tsv", "csv", "tagjump", "jsonl", blind to case);
// false when there is none.
bool RowFileTypeOf(const char* name, ResultsFileType* pType);

// The whole file, the rows in the order the store shows them (see
// CResultsFile for each type). STRDIR is the folder searched, ending in "\",
// for the full paths; RULE the search's, for the marks. PROGRESS, when
// given, is told now and then how many rows are done.
std::string RowFileBytes(const CRowStore& rows, ResultsFileType type, const CString& strDir, const ReplaceRule& rule,
                         const std::function<void(size_t)>& progress = nullptr);

#endif
