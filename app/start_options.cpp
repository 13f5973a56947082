#include "app/start_options.h"

#include <algorithm>
#include <iterator>

namespace {

const char kUsage[] =
    "使い方: tolvane.exe [フォルダ] [/s 検索文字] [/h 見出し語] [/m ファイル名] [/x 除外フォルダ]\n"
    "    [/c] [/i] [/r] [/w] [/go] [/out ファイル] [/format 形式]\n"
    "\n"
    "/c 区別する　/i 区別しない　/r 正規表現　/w 単語単位\n"
    "/go すぐに検索します。\n"
    "/out ウィンドウを開かずに検索し、結果をファイルに書きます（- は標準出力）。\n"
    "/format 結果の形式（tsv, csv, tagjump, jsonl）。\n"
    "オプションは - でも始められ、大文字と小文字を区別しません。";

enum Option { kCaseOn, kCaseOff, kRegex, kWholeWord, kGo, kSearch, kHeadword, kMasks, kExclude, kOut, kFormat };
const struct {
    const char* name;
    Option nOption;
    bool bValue;  // takes the next argument
} kOptions[] = {{"c", kCaseOn, false},   {"i", kCaseOff, false},  {"r", kRegex, false},
                {"w", kWholeWord, false}, {"go", kGo, false},      {"s", kSearch, true},
                {"h", kHeadword, true},   {"m", kMasks, true},     {"x", kExclude, true},
                {"out", kOut, true},      {"format", kFormat, true}};

CString Complaint(const char* format, const CString& arg)
{
    CString strText;
    strText.Format(format, static_cast<const char*>(arg));
    return strText + "\n\n" + kUsage;
}

void Given(CStartOptions::Text* pText, const CString& str)
{
    pText->bGiven = true;
    pText->str = str;
}

}  // namespace

void CStartOptions::ApplyTo(SearchFields* pFields) const
{
    const struct {
        const Text& given;
        CString& field;
    } texts[] = {{folder, pFields->strRefDir},
                 {search, pFields->strSearch},
                 {headword, pFields->strHeadword},
                 {masks, pFields->strMasks},
                 {exclude, pFields->strExclude}};
    for (const auto& t : texts)
        if (t.given.bGiven)
            t.field = t.given.str;
    if (nCase >= 0)
        pFields->bCase = nCase == 1;
    pFields->bRegex |= bRegex;
    pFields->bWholeWord |= bWholeWord;
}

CStartOptions ParseStartOptions(const CCommandArgs& args)
{
    CStartOptions options;
    for (int i = 0; i < args.GetCount() && options.strError.IsEmpty(); ++i) {
        CString strArg = args.GetText(i);
        if (strArg.IsEmpty() || (strArg[0] != '/' && strArg[0] != '-')) {
            if (options.folder.bGiven)
                options.strError = Complaint("%s: フォルダは 1 つしか指定できません。", strArg);
            else
                Given(&options.folder, args.GetPath(i));
            continue;
        }
        // Option names are ASCII: lower-casing them touches nothing else.
        CString strName = strArg.Mid(1);
        strName.MakeLower();
        const auto* pOption = std::find_if(std::begin(kOptions), std::end(kOptions),
                                           [&strName](const auto& o) { return strName == o.name; });
        if (pOption == std::end(kOptions)) {
            options.strError = Complaint("%s は使えないオプションです。", strArg);
            continue;
        }
        if (pOption->nOption == kOut)
            options.bOut = true;
        CString strValue;
        if (pOption->bValue) {
            if (i + 1 >= args.GetCount()) {
                options.strError = Complaint("%s の後に値がありません。", strArg);
                continue;
            }
            strValue = args.GetText(++i);
        }
        switch (pOption->nOption) {
        case kCaseOn:
        case kCaseOff:
            options.nCase = pOption->nOption == kCaseOn ? 1 : 0;
            break;
        case kRegex:
            options.bRegex = true;
            break;
        case kWholeWord:
            options.bWholeWord = true;
            break;
        case kGo:
            options.bGo = true;
            break;
        case kSearch:
            Given(&options.search, strValue);
            break;
        case kHeadword:
            Given(&options.headword, strValue);
            break;
        case kMasks:
            Given(&options.masks, strValue);
            break;
        case kExclude:
            Given(&options.exclude, strValue);
            break;
        case kOut:
            options.strOut = strValue == "-" ? strValue : args.GetPath(i);
            break;
        case kFormat:
            if (!RowFileTypeOf(strValue, &options.nFormat))
                options.strError = Complaint("/format %s の形式はありません。", strValue);
            break;
        }
    }
    return options;
}
