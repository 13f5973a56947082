// The rows of a search as a file another program reads: what a run without
// the window writes, and the types the results may be saved as.
#ifndef TOLVANE_SEARCH_ROW_FILE_H
#define TOLVANE_SEARCH_ROW_FILE_H

#include <string>

#include "dialog/row_store.h"

enum RowFileType { kRowFileTsv };

// The type NAME names ("tsv", blind to case); false when there is none.
bool RowFileTypeOf(const char* name, RowFileType* pType);

// The whole file, the rows in the order the store shows them. TSV: UTF-8
// with a byte-order mark, a header row, then a row's file, line, column,
// headword and text as the list shows them (tabs widened, so that no field
// holds one), each row ended by CR LF.
std::string RowFileBytes(const CRowStore& rows, RowFileType type);

#endif
