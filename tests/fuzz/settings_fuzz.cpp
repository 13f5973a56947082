// The settings file holding arbitrary bytes: the window starts in the state
// its lines define, and what it then saves starts the next window with the
// same settings and history.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "tests/test_support.h"

namespace {

struct State {
    std::string refdir, headword, ext, search;
    int caseOn = 0, caseOff = 0, selectedOnly = 0;
    std::vector<std::string> history;
    bool operator==(const State& o) const
    {
        return refdir == o.refdir && headword == o.headword && ext == o.ext && search == o.search &&
               caseOn == o.caseOn && caseOff == o.caseOff && selectedOnly == o.selectedOnly && history == o.history;
    }
};

std::string Text(const CString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }

State Shown(CSearchDlg& dlg)
{
    State s;
    s.refdir = Text(dlg.GetDlgItem(IDC_REFDIR).GetWindowText());
    s.headword = Text(dlg.GetDlgItem(IDC_HEADWORD).GetWindowText());
    s.ext = Text(dlg.GetDlgItem(IDC_EXT).GetWindowText());
    CComboBox combo(dlg.GetDlgItem(IDC_SEARCH_TEXT));
    s.search = Text(combo.GetWindowText());
    s.caseOn = CButton(dlg.GetDlgItem(IDC_CASE_ON)).GetCheck();
    s.caseOff = CButton(dlg.GetDlgItem(IDC_CASE_OFF)).GetCheck();
    s.selectedOnly = CButton(dlg.GetDlgItem(IDC_SELECTED_ONLY)).GetCheck();
    for (int i = 0, n = combo.GetCount(); i < n; ++i)
        s.history.push_back(Text(combo.GetLBText(i)));
    return s;
}

// Line N (from 1) of the file as text mode reads it: up to LF, without a CR
// right before the LF, shown up to a NUL; "" for a line the file lacks.
std::string Line(const std::string& file, int n)
{
    size_t pos = 0;
    for (int i = 1; i < n; ++i) {
        size_t lf = file.find('\n', pos);
        if (lf == std::string::npos)
            return "";
        pos = lf + 1;
    }
    size_t lf = file.find('\n', pos);
    std::string line = file.substr(pos, lf == std::string::npos ? std::string::npos : lf - pos);
    if (lf != std::string::npos && !line.empty() && line.back() == '\r')
        line.pop_back();
    return line.substr(0, line.find('\0'));
}

// The value of the case line as the runtime's atoi gives it: blanks skipped,
// a sign, decimal digits; a number beyond int is the nearest int.
long long CaseValue(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (s[i] - '0'), 1LL << 40);
    v = neg ? -v : v;
    return std::max<long long>(std::min<long long>(v, INT32_MAX), INT32_MIN);
}

State Expected(const std::string& file)
{
    State s;
    s.refdir = Line(file, 1);
    s.headword = Line(file, 2);
    s.ext = Line(file, 3);
    std::string caseLine = Line(file, 4);
    bool bCase = caseLine.empty() || CaseValue(caseLine) == 1;
    s.caseOn = bCase;
    s.caseOff = !bCase;
    s.selectedOnly = Line(file, 5) == "1";
    for (int n = 6; n <= 16; ++n)
        s.history.push_back(Line(file, n));
    return s;
}

void Report(const char* what, const State& got, const State& want)
{
    auto hex = [](const std::string& t) {
        std::string out;
        char b[4];
        for (unsigned char c : t) {
            std::snprintf(b, sizeof b, "%02X ", c);
            out += b;
        }
        return out;
    };
    std::fprintf(stderr, "%s\n", what);
    std::fprintf(stderr, "  refdir   %s / %s\n", hex(got.refdir).c_str(), hex(want.refdir).c_str());
    std::fprintf(stderr, "  headword %s / %s\n", hex(got.headword).c_str(), hex(want.headword).c_str());
    std::fprintf(stderr, "  ext      %s / %s\n", hex(got.ext).c_str(), hex(want.ext).c_str());
    std::fprintf(stderr, "  search   %s / %s\n", hex(got.search).c_str(), hex(want.search).c_str());
    std::fprintf(stderr, "  checks   %d %d %d / %d %d %d\n", got.caseOn, got.caseOff, got.selectedOnly, want.caseOn,
                 want.caseOff, want.selectedOnly);
    for (size_t i = 0; i < got.history.size() || i < want.history.size(); ++i)
        std::fprintf(stderr, "  history %zu %s / %s\n", i, i < got.history.size() ? hex(got.history[i]).c_str() : "-",
                     i < want.history.size() ? hex(want.history[i]).c_str() : "-");
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool s_bInit = (ProbeClearDrives(), true);
    (void)s_bInit;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    RemoveSettings();
    {
        std::ofstream out(SettingsFile(), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    State first;
    {
        CSearchDlg dlg;
        if (!dlg.Create())
            std::abort();
        first = Shown(dlg);
        State want = Expected(bytes);
        if (!(first == want))
            Report("start state differs from the file's lines (shown / expected)", first, want);
        dlg.SaveSettings();
        dlg.DestroyWindow();
    }
    std::string saved = ReadFile(SettingsFile());
    {
        CSearchDlg dlg;
        if (!dlg.Create())
            std::abort();
        // The settings as they were, and the history the file's layout gives:
        // the search text, then the list's entries but its last.
        State want = first;
        want.history.insert(want.history.begin(), first.search);
        want.history.pop_back();
        State again = Shown(dlg);
        if (!(again == want))
            Report("what was saved starts another state (second start / expected)", again, want);
        dlg.DestroyWindow();
    }
    if (ReadFile(SettingsFile()) != saved)
        Report("starting the window changed the file", first, first);
    return 0;
}
