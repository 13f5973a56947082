#include "search/search_fields.h"

#include "search/folder_text.h"

namespace {

const char* const kEncodingLabels[kEncodingEntries] = {"自動判定", "Shift_JIS", "UTF-8",  "UTF-16LE",
                                                       "UTF-16BE", "EUC-JP",    "JIS"};

}  // namespace

CString EncodingLabel(int nEncoding)
{
    int nEntry = nEncoding - kAutoDetect;
    return kEncodingLabels[nEntry >= 0 && nEntry < kEncodingEntries ? nEntry : 0];
}

int EncodingOfLabel(const CString& strLabel)
{
    for (int nEntry = 0; nEntry < kEncodingEntries; ++nEntry)
        if (strLabel == kEncodingLabels[nEntry])
            return nEntry + kAutoDetect;
    return kAutoDetect;
}

CString PrepareSearch(const SearchFields& fields, PreparedSearch* pSearch)
{
    if (fields.strSearch.IsEmpty())
        return "検索文字列を指示してください";
    if (fields.strRefDir.IsEmpty())
        return "参照ディレクトリを指示してください";
    // A pasted path often ends in a blank; a folder that is not there would
    // otherwise read as one searched in which nothing was found.
    CString strDir = WithSeparator(NormalisedFolderText(fields.strRefDir));
    if (!IsExistingDirectory(strDir))
        return "参照ディレクトリが見つかりません。";

    const CString& strSearch = fields.strSearch;
    pSearch->pPattern.reset();
    if (fields.bRegex || fields.bWholeWord) {
        pSearch->pPattern.reset(new SearchPattern(strSearch, static_cast<size_t>(strSearch.GetLength()),
                                                  fields.bRegex, fields.bWholeWord, !fields.bCase));
        std::string strError = pSearch->pPattern->Check();
        if (!strError.empty())
            return "正規表現が正しくありません。\n" + CString(strError.c_str());
    }

    pSearch->strNeedle = strSearch;
    pSearch->strMarker = fields.strHeadword;
    if (!fields.bCase) {
        pSearch->strNeedle.MakeLower();
        pSearch->strMarker.MakeLower();
    }
    SearchRequest& request = pSearch->request;
    request.strDir = strDir;
    request.scan.needle = pSearch->strNeedle;
    request.scan.nNeedle = static_cast<size_t>(pSearch->strNeedle.GetLength());
    request.scan.marker = pSearch->strMarker;
    request.scan.nMarker = static_cast<size_t>(pSearch->strMarker.GetLength());
    request.scan.bFold = !fields.bCase;
    request.scan.bSkipBinary = fields.bSkipBinary;
    request.scan.pPattern = pSearch->pPattern.get();
    request.scan.nEncoding = fields.nEncoding;
    request.fileFilter = CFileFilter(fields.strMasks);
    request.excludedFolders = CNameMasks(fields.strExclude);
    request.bSelectedOnly = fields.bSelectedOnly;
    pSearch->rule = ReplaceRule();
    pSearch->rule.strSearch = strSearch;
    pSearch->rule.bFold = !fields.bCase;
    pSearch->rule.bRegex = fields.bRegex;
    pSearch->rule.bWholeWord = fields.bWholeWord;
    pSearch->rule.nEncoding = fields.nEncoding;
    return CString();
}
