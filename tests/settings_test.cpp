// tolvane.dat: what start-up makes of it, what a press writes, and the history
// over presses and restarts. Kills in the middle of a save are tests/kill's.
#include <regex>

#include "settings/settings.h"
#include "tests/dialog_fixture.h"

namespace {

typedef std::pair<std::string, std::string> Case;
// The lines of a file, a comma after each but the last.
std::string Dat(const std::string& s, const char* end = "\r\n") { return std::regex_replace(s, std::regex(","), end); }

class SettingsTest : public DialogFixture {
protected:
    // The history without its trailing blank entries, and its length.
    std::string History()
    {
        CComboBox combo(Item(IDC_SEARCH_TEXT));
        std::string list;
        for (int i = 0; i < combo.GetCount(); ++i)
            list += (i ? "," : "") + std::string(combo.GetLBText(i));
        return list.erase(list.find_last_not_of(',') + 1) + "|" + std::to_string(combo.GetCount());
    }
    std::string Shown()
    {
        return Text(IDC_REFDIR) + "|" + Text(IDC_HEADWORD) + "|" + Text(IDC_EXT) + "|" + Checks() + "|" + History();
    }
    void Write(const std::string& bytes) { std::ofstream(SettingsFile(), std::ios::binary) << bytes; }
};
const char kFresh[] = "|||100||11";

// Line 4 is a number as the runtime's atoi reads it (an empty line: 1; beyond
// int: the nearest int); line 5 must read exactly "1".
TEST_F(SettingsTest, StartUpFromFile)
{
    const std::string full = "C:\\docs\\,##,txt,0,1,S,h0,h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,r1,";  // read up to line 16
    const std::string kFull = "C:\\docs\\|##|txt|011|S,h0,h1,h2,h3,h4,h5,h6,h7,h8,h9|11";
    const Case cases[] = {
        {kMissing, kFresh}, {Dat(full), kFull}, {Dat(full, "\n"), kFull}, {Dat("D:\\x\\,H,E,"), "D:\\x\\|H|E|100||11"},
        {Dat("C:\\,,,,,,x,"), "C:\\|||100|,x|11"}, {Dat("C:\\,H"), "C:\\|H||100||11"},  // no end to the last line
        {Dat("C:\\\x83\x5c\\,見出し,txt,1,0,検索,"), "C:\\\x83\x5c\\|見出し|txt|100|検索|11"},
        {Dat(",,,,1,"), "|||101||11"},     {Dat(",,,1,,"), kFresh},           {Dat(",,, 1,0,"), kFresh},
        {Dat(",,,1x, 1,"), kFresh},        {Dat(",,,0,01,"), "|||010||11"},   {Dat(",,,2,1 ,"), "|||010||11"},
        {Dat(",,,abc,1,"), "|||011||11"},  {Dat(",,,-1,x,"), "|||010||11"},   {Dat(",,,4294967297,"), "|||010||11"},
        {Dat(",,,-4294967295,"), "|||010||11"}, {Dat(",,,\t+1,"), kFresh},
    };
    for (const Case& c : cases) {
        RemoveSettings();
        if (c.first != kMissing)
            Write(c.first);
        Start();
        EXPECT_EQ(c.second, Shown()) << c.first;
        m_dlg.reset();
        EXPECT_EQ(c.first, ReadFile(SettingsFile())) << "starting and closing write nothing";
    }
}

// The fields as typed (neither folded for a case-blind search nor given a
// dot), and lines longer than one read of the file, survive a restart.
TEST_F(SettingsTest, WhatAPressWrites)
{
    std::string longSearch, longDir = "C:\\";  // a folder that is there, written the long way round
    for (int i = 0; i < 600; ++i) {
        longSearch += "検索abc\x83\x5c";
        longDir += "\x83\x5c" "folder\\..\\";
    }
    Folder("C/docs");
    const Lines cases[] = {  // reference folder, headword, extension, checks, search text
        {"C:\\docs\\", "", "txt", "100", "abc"}, {"C:\\", "HW", "TXT", "011", "ABC"},
        {"C:\\", "見出し", "", "101", "ア"}, {longDir, "", "", "100", longSearch}};
    for (const Lines& c : cases) {
        RemoveSettings();
        Start();
        Set(IDC_HEADWORD, c[1]);
        Set(IDC_EXT, c[2]);
        Click(c[3][0] == '1' ? IDC_CASE_ON : IDC_CASE_OFF);
        if (c[3][2] == '1')
            Click(IDC_SELECTED_ONLY);
        EXPECT_EQ(c[3], Checks()) << "the case buttons are a radio pair";
        Press(c[0], c[4]);
        std::string fields = c[0] + "," + c[1] + "," + c[2] + "," + c[3][0] + "," + c[3][2] + "," + c[4];
        EXPECT_EQ(Dat(fields + std::string(12, ',')), ReadFile(SettingsFile()));
        EXPECT_FALSE(std::filesystem::exists(SettingsFile() + ".new"));
        Start();
        EXPECT_EQ(c[0] + "|" + c[1] + "|" + c[2] + "|" + c[3] + "|" + c[4] + "|11", Shown());
    }
}

// A press writes the list as it stood before it; the list then loses the
// entry at index 9 and gains the search text on top, refused or not.
TEST_F(SettingsTest, HistoryOverSeveralPresses)
{
    const std::string settings = "C:\\,,,1,0,";
    std::string list = "T0,E0,E1,E2,E3,E4,E5,E6,E7,E8,E9";
    Write(Dat(settings + list + ",E10,E11,"));
    Start();
    EXPECT_EQ(list + "|11", History());
    const Lines presses[] = {  // reference folder, search text, the list after
        {"C:\\", "T1", "T1,T0,E0,E1,E2,E3,E4,E5,E6,E7,E9"},
        {"", "T2", "T2,T1,T0,E0,E1,E2,E3,E4,E5,E6,E9"},  // refused
        {"C:\\", "", ",T2,T1,T0,E0,E1,E2,E3,E4,E5,E9"},  // refused
        {"C:\\", "T3", "T3,,T2,T1,T0,E0,E1,E2,E3,E4,E9", "regex"},  // tolvane.ini: one byte other
        {"C:\\", "T3", "T3,T3,,T2,T1,T0,E0,E1,E2,E3,E9"},  // the same text again
    };
    std::string file = ReadFile(SettingsFile());
    for (const Lines& p : presses) {
        if (p.size() > 3)
            Click(IDC_REGEX);
        Press(p[0], p[1]);
        EXPECT_EQ(p[2] + "|11", History()) << p[1];
        if (!p[0].empty() && !p[1].empty())
            file = Dat(settings + p[1] + "," + list + ",");
        EXPECT_EQ(file, ReadFile(SettingsFile())) << p[1] << ": a refused press writes nothing";
        list = p[2];
    }
    Start();  // the file gives the entry above the bottom where the list kept the bottom one
    EXPECT_EQ("T3,T3,,T2,T1,T0,E0,E1,E2,E3,E4|11", History());
    EXPECT_EQ("1", Check(IDC_REGEX));
}

// Folders where files are expected make reading or writing fail even for
// root; the search goes on without a word, and a new file of our own goes.
TEST_F(SettingsTest, UnusableFileIsSilent)
{
    Put("C/a.txt", "hit\nhit\n");
    const std::string old = Dat("D:\\old\\,##,,0,1,old" + std::string(12, ','));
    for (const std::string folder : {".new/keep", "/keep"}) {
        bool bOld = folder[0] == '.';  // else tolvane.dat itself is a folder
        RemoveSettings();
        if (bOld)
            Write(old);
        std::filesystem::create_directories(SettingsFile() + folder);
        Start();
        EXPECT_EQ(bOld ? "D:\\old\\|##||011|old|11" : kFresh, Shown());
        Press("C:\\", "hit");
        EXPECT_EQ(Lines{"2個一致しました。"}, g_boxTexts);
        g_boxTexts.clear();
        EXPECT_EQ(bOld ? old : "", ReadFile(SettingsFile()));
        EXPECT_TRUE(std::filesystem::exists(SettingsFile() + folder));
        EXPECT_EQ(bOld, std::filesystem::exists(SettingsFile() + ".new"));
        EXPECT_EQ(bOld ? "hit,old|11" : "hit|11", History());
    }
}

// 文字コード is kept in tolvane.ini as the entry's text; any other text is
// 自動判定. The window and a run without it ask the scan for the same encoding.
TEST_F(SettingsTest, EncodingKeptAsItsEntry)
{
    const struct {
        std::string value, entry;
        int nEncoding;
    } cases[] = {{"自動判定", "自動判定", kAutoDetect}, {"Shift_JIS", "Shift_JIS", kCp932}, {"UTF-8", "UTF-8", kUtf8},
                 {"UTF-16LE", "UTF-16LE", kUtf16Le},   {"UTF-16BE", "UTF-16BE", kUtf16Be},   {"EUC-JP", "EUC-JP", kEucJp},
                 {"JIS", "JIS", kIso2022Jp},          {"euc-jp", "自動判定", kAutoDetect},  {"", "自動判定", kAutoDetect}};
    Put("C/a.txt");
    for (const auto& c : cases) {
        std::ofstream(SettingsIni(), std::ios::binary) << "[tolvane]\r\nEncoding=" << c.value << "\r\n";
        Start();
        EXPECT_EQ(c.entry, Text(IDC_ENCODING)) << c.value;
        SearchFields fields;
        CIniFile ini;
        ReadSavedFields(&fields, &ini);
        fields.strRefDir = "C:\\";
        fields.strSearch = "hit";
        PreparedSearch search;
        EXPECT_EQ("", std::string(PrepareSearch(fields, &search)));
        EXPECT_EQ(c.nEncoding, search.request.scan.nEncoding) << c.value;
        EXPECT_EQ(c.nEncoding, m_dlg->FieldsOfWindow().nEncoding) << c.value;
    }
    CComboBox(Item(IDC_ENCODING)).PickEntry(4);
    Press("C:\\", "hit");
    EXPECT_NE(std::string::npos, ReadFile(SettingsIni()).find("\r\nEncoding=UTF-16BE\r\n"));
}

}  // namespace
