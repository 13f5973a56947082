// What a search is asked with, wherever it is asked from: the window's fields
// and check boxes, the settings files that keep them between runs, and the
// command line that fills them for one run.
#ifndef TOLVANE_SEARCH_SEARCH_FIELDS_H
#define TOLVANE_SEARCH_SEARCH_FIELDS_H

#include <memory>

#include "engine/encoding.h"
#include "engine/pattern.h"
#include "engine/replace.h"
#include "engine/search_engine.h"
#include "platform/cstring.h"

struct SearchFields {
    CString strRefDir, strSearch, strHeadword, strMasks, strExclude;
    bool bCase = true;  // 区別する
    bool bSelectedOnly = false;
    bool bSkipBinary = true;
    bool bRegex = false;
    bool bWholeWord = false;
    int nEncoding = kAutoDetect;  // 文字コード: an Encoding, or kAutoDetect
};

// The 文字コード list's entries: 自動判定 for kAutoDetect, then each Encoding
// in its order. The settings keep the entry's text, so the ini says what the
// list showed; a text that is no entry is 自動判定.
const int kEncodingEntries = 7;
CString EncodingLabel(int nEncoding);
int EncodingOfLabel(const CString& strLabel);

// A search ready to start: the request, and what its scan points to, which
// must outlive the search.
struct PreparedSearch {
    PreparedSearch() = default;
    PreparedSearch(const PreparedSearch&) = delete;
    PreparedSearch& operator=(const PreparedSearch&) = delete;

    SearchRequest request;
    // The texts as the scan matches them: lower-cased when case is not told apart.
    CString strNeedle, strMarker;
    std::unique_ptr<SearchPattern> pPattern;  // none for the plain search
    // The search's matching, as the marks of its rows and a replace of them find it.
    ReplaceRule rule;
};

// Fills *PSEARCH from FIELDS; returns "" or, when the fields make no search,
// the refusal as a box or a message shows it: no search text, no folder, a
// folder that is not there, a pattern that does not compile.
CString PrepareSearch(const SearchFields& fields, PreparedSearch* pSearch);

#endif
