// The settings file beside the executable: what start-up makes of it, what a
// press of the search button writes, the drop-down history over presses and
// restarts, and that a killed search never leaves a half-written file.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_boxTexts;
void RecordBox(const char*, const char* text, UINT) { g_boxTexts.push_back(text); }

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string CrLf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

std::vector<std::string> Blanks(size_t n) { return std::vector<std::string>(n, ""); }

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What the window shows of the settings and the history.
struct State {
    std::string refdir, headword, ext;
    int caseOn, caseOff, selectedOnly;
    std::vector<std::string> history;
    bool operator==(const State& o) const
    {
        return refdir == o.refdir && headword == o.headword && ext == o.ext && caseOn == o.caseOn &&
               caseOff == o.caseOff && selectedOnly == o.selectedOnly && history == o.history;
    }
};
void PrintTo(const State& s, std::ostream* os)
{
    *os << "{refdir '" << s.refdir << "' headword '" << s.headword << "' ext '" << s.ext << "' case " << s.caseOn
        << "/" << s.caseOff << " selected " << s.selectedOnly << " history " << testing::PrintToString(s.history)
        << "}";
}

const State kFresh = {"", "", "", 1, 0, 0, Blanks(11)};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettings();
        char tmpl[] = "/tmp/tolvane-settings-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        m_root = tmpl;
        WriteFile(m_root + "/a.txt", "hit\nhit\n");
        ProbeClearDrives();
        ProbeMapDrive('C', m_root.c_str());
        g_boxTexts.clear();
        AfxSetMessageBoxObserver(RecordBox);
    }

    void TearDown() override
    {
        m_dlg.reset();
        AfxSetMessageBoxObserver(nullptr);
        RemoveSettings();
        ProbeClearDrives();
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    void Start()
    {
        m_dlg.reset();
        m_dlg.reset(new CSearchDlg);
        m_dlg->Create();
    }

    CWnd Item(int id) { return m_dlg->GetDlgItem(id); }
    int Check(int id) { return CButton(Item(id)).GetCheck(); }

    State Shown()
    {
        CComboBox combo(Item(IDC_SEARCH_TEXT));
        State s = {std::string(Item(IDC_REFDIR).GetWindowText()), std::string(Item(IDC_HEADWORD).GetWindowText()),
                   std::string(Item(IDC_EXT).GetWindowText()), Check(IDC_CASE_ON), Check(IDC_CASE_OFF),
                   Check(IDC_SELECTED_ONLY), {}};
        for (int i = 0; i < combo.GetCount(); ++i)
            s.history.push_back(std::string(combo.GetLBText(i)));
        return s;
    }

    void Press(const std::string& refdir, const std::string& search)
    {
        Item(IDC_REFDIR).SetWindowText(refdir.c_str());
        Item(IDC_SEARCH_TEXT).SetWindowText(search.c_str());
        CButton(Item(IDOK)).Click();
    }

    std::string m_root;
    CWinApp m_app;
    std::unique_ptr<CSearchDlg> m_dlg;
};

TEST_F(SettingsTest, CaseAndSelectedOnlyLines)
{
    // Line 4 is a number, an empty line meaning 1; line 5 must read exactly "1".
    const struct {
        std::string line4, line5;
        int caseOn, selectedOnly;
    } cases[] = {
        {"", "1", 1, 1},  {"1", "", 1, 0},   {" 1", "0", 1, 0}, {"1x", " 1", 1, 0},
        {"0", "01", 0, 0}, {"2", "1 ", 0, 0}, {"abc", "1", 0, 1}, {"-1", "x", 0, 0},
        // Beyond int: the nearest int, never what is left of it when cut.
        {"4294967297", "", 0, 0}, {"-4294967295", "", 0, 0}, {"\t+1", "", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("line 4 '" + c.line4 + "', line 5 '" + c.line5 + "'");
        WriteFile(SettingsFile(), CrLf({"C:\\", "", "", c.line4, c.line5}));
        Start();
        EXPECT_EQ(c.caseOn, Check(IDC_CASE_ON));
        EXPECT_EQ(1 - c.caseOn, Check(IDC_CASE_OFF));
        EXPECT_EQ(c.selectedOnly, Check(IDC_SELECTED_ONLY));
    }
}

TEST_F(SettingsTest, StartUpFromFile)
{
    std::vector<std::string> history = {"S", "h0", "h1", "h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9", "h10"};
    std::vector<std::string> full = Concat({"C:\\docs\\", "##", "txt", "0", "1"}, history);
    std::string lf;
    for (const std::string& l : full)
        lf += l + "\n";
    const State kFull = {"C:\\docs\\", "##", "txt", 0, 1, 1, std::vector<std::string>(history.begin(), history.end() - 1)};
    const struct {
        const char* name;
        std::string file;
        State shown;
    } cases[] = {
        {"no file", kMissing, kFresh},
        {"CR LF", CrLf(full), kFull},
        {"LF only", lf, kFull},
        {"lines after 16 are not read", CrLf(Concat(full, {"r1", "r2", "r3", "r4"})), kFull},
        {"three lines", CrLf({"D:\\x\\", "H", "E"}), {"D:\\x\\", "H", "E", 1, 0, 0, Blanks(11)}},
        {"empty lines keep their places", CrLf({"C:\\", "", "", "", "", "", "x"}),
         {"C:\\", "", "", 1, 0, 0, Concat({"", "x"}, Blanks(9))}},
        {"double-byte text", CrLf({"C:\\\x83\x5c\\", "見出し", "txt", "1", "0", "検索"}),
         {"C:\\\x83\x5c\\", "見出し", "txt", 1, 0, 0, Concat({"検索"}, Blanks(10))}},
        {"no final line end", "C:\\\r\nH", {"C:\\", "H", "", 1, 0, 0, Blanks(11)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveSettings();
        if (c.file != kMissing)
            WriteFile(SettingsFile(), c.file);
        Start();
        EXPECT_EQ(c.shown, Shown());
        m_dlg.reset();
        EXPECT_EQ(c.file, ReadFile(SettingsFile())) << "starting and closing write nothing";
    }
}

TEST_F(SettingsTest, ReadSettingsLine)
{
    WriteFile(SettingsFile(), "one\r\ntwo\nthree");
    Start();
    const struct {
        int n;
        std::string line;
    } cases[] = {{INT_MIN, ""}, {-1, ""}, {0, ""}, {1, "one"}, {2, "two"}, {3, "three"}, {4, ""}, {1000, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(c.line, std::string(m_dlg->ReadSettingsLine(c.n))) << "line " << c.n;
    RemoveSettings();
    for (const auto& c : cases)
        EXPECT_EQ("", std::string(m_dlg->ReadSettingsLine(c.n))) << "line " << c.n << " without a file";
}

TEST_F(SettingsTest, WhatAValidatedPressWrites)
{
    const struct {
        std::string refdir, headword, ext;
        bool caseOn, selectedOnly;
        std::string search;
        std::vector<std::string> lines;
    } cases[] = {
        {"C:\\docs\\", "", "txt", true, false, "abc", {"C:\\docs\\", "", "txt", "1", "0", "abc"}},
        // The fields as typed: neither folded for a case-blind search nor given a dot.
        {"C:\\", "HW", "TXT", false, true, "ABC", {"C:\\", "HW", "TXT", "0", "1", "ABC"}},
        {"C:\\", "見出し", "", true, true, "ア", {"C:\\", "見出し", "", "1", "1", "ア"}},
    };
    fs::create_directories(m_root + "/docs");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.search);
        RemoveSettings();
        Start();
        Item(IDC_HEADWORD).SetWindowText(c.headword.c_str());
        Item(IDC_EXT).SetWindowText(c.ext.c_str());
        CButton(Item(c.caseOn ? IDC_CASE_ON : IDC_CASE_OFF)).Click();
        if (c.selectedOnly)
            CButton(Item(IDC_SELECTED_ONLY)).Click();
        Press(c.refdir, c.search);
        EXPECT_EQ(CrLf(Concat(c.lines, Blanks(11))), ReadFile(SettingsFile()));
        EXPECT_FALSE(fs::exists(SettingsFile() + ".new"));
        Start();
        EXPECT_EQ((State{c.refdir, c.headword, c.ext, c.caseOn, !c.caseOn, c.selectedOnly,
                         Concat({c.search}, Blanks(10))}),
                  Shown());
    }
}

TEST_F(SettingsTest, HistoryOverSeveralPresses)
{
    std::vector<std::string> e;
    for (int i = 0; i <= 11; ++i)
        e.push_back("E" + std::to_string(i));
    const std::vector<std::string> settings = {"C:\\", "", "", "1", "0"};
    WriteFile(SettingsFile(), CrLf(Concat(settings, Concat({"T0"}, e))));
    Start();
    // Lines 6 to 16: T0 and E0 to E9.
    std::vector<std::string> list = {"T0", "E0", "E1", "E2", "E3", "E4", "E5", "E6", "E7", "E8", "E9"};
    EXPECT_EQ(list, Shown().history);

    const struct {
        std::string refdir, search;
        std::vector<std::string> after;  // the list after the press
    } presses[] = {
        {"C:\\", "T1", {"T1", "T0", "E0", "E1", "E2", "E3", "E4", "E5", "E6", "E7", "E9"}},
        {"", "T2", {"T2", "T1", "T0", "E0", "E1", "E2", "E3", "E4", "E5", "E6", "E9"}},  // refused
        {"C:\\", "", {"", "T2", "T1", "T0", "E0", "E1", "E2", "E3", "E4", "E5", "E9"}},  // refused
        {"C:\\", "T3", {"T3", "", "T2", "T1", "T0", "E0", "E1", "E2", "E3", "E4", "E9"}},
        {"C:\\", "T3", {"T3", "T3", "", "T2", "T1", "T0", "E0", "E1", "E2", "E3", "E9"}},  // the same text again
    };
    std::string file = ReadFile(SettingsFile());
    for (const auto& p : presses) {
        SCOPED_TRACE(p.search);
        bool bValid = !p.refdir.empty() && !p.search.empty();
        Press(p.refdir, p.search);
        EXPECT_EQ(p.after, Shown().history);
        if (bValid)  // the list as it stood before the press
            file = CrLf(Concat(Concat(settings, {p.search}), list));
        EXPECT_EQ(file, ReadFile(SettingsFile()));
        list = p.after;
    }
    // The file gives the entry above the bottom where the list kept the bottom one.
    Start();
    EXPECT_EQ((std::vector<std::string>{"T3", "T3", "", "T2", "T1", "T0", "E0", "E1", "E2", "E3", "E4"}), Shown().history);
}

TEST_F(SettingsTest, RefusedPressOnANewFileThenRestart)
{
    const struct {
        std::string refdir, search;
    } cases[] = {{"", "X"}, {"C:\\", ""}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE("refdir '" + c.refdir + "' search '" + c.search + "'");
        RemoveSettings();
        Start();
        Press(c.refdir, c.search);
        EXPECT_EQ(Concat({c.search}, Blanks(10)), Shown().history);
        EXPECT_FALSE(fs::exists(SettingsFile())) << "a refused press writes nothing";
        Start();
        EXPECT_EQ(kFresh, Shown());
        EXPECT_FALSE(fs::exists(SettingsFile()));
    }
}

TEST_F(SettingsTest, LongLinesSurviveARestart)
{
    std::string search, refdir = "C:\\";
    while (search.size() < 5000)
        search += "検索abc\x83\x5c";
    // A folder that is there, written the long way round.
    while (refdir.size() < 5000)
        refdir += "\x83\x5c" "folder\\..\\";
    Start();
    Press(refdir, search);
    Start();
    EXPECT_TRUE(refdir == std::string(Item(IDC_REFDIR).GetWindowText())) << "reference folder cut";
    std::vector<std::string> history = Shown().history;
    ASSERT_EQ(11u, history.size());
    EXPECT_TRUE(search == history[0]) << "search text cut to " << history[0].size() << " bytes";
    EXPECT_EQ(Blanks(10), std::vector<std::string>(history.begin() + 1, history.end()));
}

TEST_F(SettingsTest, UnusableFileIsSilent)
{
    // Folders where files are expected make reading or writing fail even for
    // root, for whom no permission bit does.
    const std::string old = CrLf(Concat({"D:\\old\\", "##", "", "0", "1", "old"}, Blanks(11)));
    const struct {
        const char* name;
        const char* folder;  // made beside the executable
        std::string file;    // tolvane.dat before, and after the press (none: a folder)
        State shown;         // at start-up
    } cases[] = {
        {"the new file cannot be made", ".new/keep", old, {"D:\\old\\", "##", "", 0, 1, 1, Concat({"old"}, Blanks(10))}},
        {"the file is a folder", "/keep", kMissing, kFresh},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveSettings();
        fs::remove_all(SettingsFile());
        if (c.file != kMissing)
            WriteFile(SettingsFile(), c.file);
        fs::create_directories(SettingsFile() + c.folder);
        Start();
        EXPECT_EQ(c.shown, Shown());
        g_boxTexts.clear();
        Press("C:\\", "hit");
        EXPECT_EQ(std::vector<std::string>{"2個一致しました。"}, g_boxTexts) << "no other message";
        EXPECT_EQ(2, CListCtrl(Item(IDC_RESULTS)).GetItemCount());
        if (c.file == kMissing) {
            EXPECT_TRUE(fs::is_directory(SettingsFile()));
            EXPECT_FALSE(fs::exists(SettingsFile() + ".new")) << "the new file is cleared away";
        } else {
            EXPECT_EQ(c.file, ReadFile(SettingsFile()));
        }
        EXPECT_EQ("hit", Shown().history[0]);
        EXPECT_TRUE(fs::exists(SettingsFile() + c.folder));
        m_dlg.reset();
        fs::remove_all(SettingsFile());
    }
}

// The probe in a folder of its own, searching a file big enough to take a
// while, is killed at several moments: the settings file must then hold the
// old content or the new one, whole.
TEST_F(SettingsTest, KilledSearchLeavesOldOrNewFile)
{
    const std::string dir = m_root + "/probe";
    fs::create_directories(dir + "/C");
    fs::copy_file(TOLVANE_PROBE_PATH, dir + "/tolvane-probe");
    const std::string dat = dir + "/tolvane.dat";
    // Sparse: fast to make, slow enough to search (no line end, all NUL).
    WriteFile(dir + "/C/big.bin", "");
    ASSERT_EQ(0, truncate((dir + "/C/big.bin").c_str(), 1L << 29));
    WriteFile(dir + "/script", "drive\tC\t" + dir + "/C\nset\trefdir\tC:\\\nset\tsearch\tneedle\nclick\tsearch\n");

    // Long history entries make the file big, so that its writing takes long
    // enough for a kill to land in the middle of it.
    std::vector<std::string> oldLines = {"D:\\old\\", "##", "txt", "0", "1", "previous"};
    for (int i = 0; i < 11; ++i)
        oldLines.push_back("old" + std::to_string(i) + std::string(1 << 20, 'h'));
    const std::string oldFile = CrLf(oldLines);
    // The fields the probe set, the rest as loaded, then the list as loaded:
    // lines 6 to 16 of the old file.
    std::vector<std::string> newLines = {"C:\\", "##", "txt", "0", "1", "needle"};
    newLines.insert(newLines.end(), oldLines.begin() + 5, oldLines.begin() + 16);
    const std::string newFile = CrLf(newLines);

    enum Moment { kAfterMicros, kWhenNewFileAppears, kWhenFileChanges };
    const struct {
        Moment when;
        int micros;
    } moments[] = {{kAfterMicros, 0},        {kAfterMicros, 20000}, {kWhenNewFileAppears, 0},
                   {kWhenFileChanges, 0},    {kAfterMicros, 300000}};
    int nOld = 0, nNew = 0;
    for (const auto& m : moments) {
        SCOPED_TRACE(testing::Message() << "moment " << m.when << " " << m.micros);
        WriteFile(dat, oldFile);
        fs::remove(dat + ".new");
        struct stat before;
        ASSERT_EQ(0, stat(dat.c_str(), &before));
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execl((dir + "/tolvane-probe").c_str(), "tolvane-probe", (dir + "/script").c_str(), (char*)nullptr);
            _exit(127);
        }
        int status = 0;
        bool bExited = false;
        if (m.when == kAfterMicros) {
            usleep(m.micros);
        } else {
            for (;;) {  // watch the folder without sleeping, so the moment is not missed
                struct stat now;
                bool bSeen = m.when == kWhenNewFileAppears
                                 ? stat((dat + ".new").c_str(), &now) == 0
                                 : stat(dat.c_str(), &now) != 0 || now.st_ino != before.st_ino ||
                                       now.st_size != before.st_size || now.st_mtim.tv_nsec != before.st_mtim.tv_nsec;
                if (bSeen || waitpid(pid, &status, WNOHANG) == pid) {
                    bExited = !bSeen;
                    break;
                }
            }
        }
        if (!bExited) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        std::string now = ReadFile(dat);
        EXPECT_TRUE(now == oldFile || now == newFile)
            << "half-written settings file of " << now.size() << " bytes:\n" << now.substr(0, 200);
        nOld += now == oldFile;
        nNew += now == newFile;
    }
    std::cout << "(killed " << nOld << " times before the settings were written, " << nNew << " times after)\n";
}

}  // namespace
