// Command lines and what they give, for both builds: the stand-in splits them
// by Windows' rules, the Windows build with CommandLineToArgvW itself.
#ifndef TOLVANE_TESTS_START_TABLE_H
#define TOLVANE_TESTS_START_TABLE_H

#include <string>

#include "app/start_options.h"

// The fields a command line fills, its case, ticks, /go and /out; or the
// first line of its complaint.
inline std::string Given(const CStartOptions& o)
{
    if (!o.strError.IsEmpty())
        return std::string(o.strError).substr(0, std::string(o.strError).find('\n'));
    std::string s;
    const std::pair<const char*, const CStartOptions::Text*> texts[] = {
        {"folder", &o.folder}, {"s", &o.search}, {"h", &o.headword}, {"m", &o.masks}, {"x", &o.exclude}};
    for (const auto& t : texts)
        if (t.second->bGiven)
            s += std::string(t.first) + "=" + t.second->str.GetString() + "|";
    if (o.nCase >= 0)
        s += "case=" + std::to_string(o.nCase) + "|";
    s += std::string(o.bRegex ? "r|" : "") + (o.bWholeWord ? "w|" : "") + (o.bGo ? "go|" : "");
    s += o.nFormat != kResultsTsv ? "format=" + std::to_string(o.nFormat) + "|" : "";
    return o.bOut ? s + "out=" + o.strOut.GetString() + "|" : s;
}

// "@" in what is given stands for the current folder.
const struct {
    const char* line;
    const char* given;
} kCommandLines[] = {
    {"", ""},
    // A folder's quotes closed after a backslash, as Explorer's "%V" gives a root.
    {"\"C:\\my dir\\\" /s foo", "folder=C:\\my dir|s=foo|"},
    {"\"C:\\\"", "folder=C:\\|"},
    {"\"C:\\a b\\\\\" /S \"x y\"", "folder=C:\\a b|s=x y|"},
    // Trail bytes 5C (表, ソ); options in either case and with "-".
    {"C:\\表\\ソ -H ## /m *.c;*.h -X .git /c /R /w /GO", "folder=C:\\表\\ソ|h=##|m=*.c;*.h|x=.git|case=1|r|w|go|"},
    {"/s \"say \\\"hi\\\" now\" /i /C /I", "s=say \"hi\" now|case=0|"},
    {"sub\\dir /out out.tsv", "folder=@\\sub\\dir|out=@\\out.tsv|"},
    {"/format TSV /out -", "out=-|"},
    {"/s \"\" /x \"\"", "s=|x=|"},
    {"/q /s foo", "/q は使えないオプションです。"},
    {"C:\\ /s", "/s の後に値がありません。"},
    {"C:\\ \"D:\\\"", "D:\\: フォルダは 1 つしか指定できません。"},
    {"/format JsonL /format TagJump", "format=2|"},
    {"/format html", "/format html の形式はありません。"},
};

#endif
