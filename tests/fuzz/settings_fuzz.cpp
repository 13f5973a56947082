// The settings file holding arbitrary bytes: the window starts in the state its lines define, and what it then saves
// starts the next window with the same settings and history.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "tests/fuzz/reference.h"
#include "tests/test_support.h"

namespace {

struct State {
    std::string refdir, headword, ext, search;
    int caseOn = 0, caseOff = 0, selectedOnly = 0;
    std::vector<std::string> history;
    auto Tied() const { return std::tie(refdir, headword, ext, search, caseOn, caseOff, selectedOnly, history); }
    bool operator==(const State& o) const { return Tied() == o.Tied(); }
};

std::string Text(const CString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }

State Shown(CSearchDlg& dlg)
{
    auto text = [&](int id) { return Text(dlg.GetDlgItem(id).GetWindowText()); };
    auto check = [&](int id) { return static_cast<int>(CButton(dlg.GetDlgItem(id)).GetCheck()); };
    CComboBox combo(dlg.GetDlgItem(IDC_SEARCH_TEXT));
    State s{text(IDC_REFDIR), text(IDC_HEADWORD), text(IDC_EXT), Text(combo.GetWindowText()),
            check(IDC_CASE_ON), check(IDC_CASE_OFF), check(IDC_SELECTED_ONLY), {}};
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
        if ((pos = file.find('\n', pos)) == std::string::npos)
            return "";
        ++pos;
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
    return std::max<long long>(std::min<long long>(std::strtoll(s.c_str(), nullptr, 10), INT32_MAX), INT32_MIN);
}

State Expected(const std::string& file)
{
    std::string caseLine = Line(file, 4);
    int bCase = caseLine.empty() || CaseValue(caseLine) == 1;
    State s{Line(file, 1), Line(file, 2), Line(file, 3), "", bCase, !bCase, Line(file, 5) == "1", {}};
    for (int n = 6; n <= 16; ++n)
        s.history.push_back(Line(file, n));
    return s;
}

[[noreturn]] void Report(const char* what, const State& got, const State& want)
{
    std::fprintf(stderr, "%s\n", what);
    for (const State* s : {&got, &want}) {
        std::fprintf(stderr, "%s: checks %d %d %d\n", s == &got ? "got" : "expected", s->caseOn, s->caseOff,
                     s->selectedOnly);
        for (const std::string* t : {&s->refdir, &s->headword, &s->ext, &s->search})
            std::fprintf(stderr, "  %s\n", ref::Hex(*t).c_str());
        for (const std::string& t : s->history)
            std::fprintf(stderr, "  history %s\n", ref::Hex(t).c_str());
    }
    std::abort();
}

// One start of the window: what it shows, and with BSAVE the settings saved.
State Start(bool bSave)
{
    CSearchDlg dlg;
    if (!dlg.Create())
        std::abort();
    State s = Shown(dlg);
    if (bSave)
        dlg.SaveSettings();
    dlg.DestroyWindow();
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    [[maybe_unused]] static bool s_bInit = (ProbeClearDrives(), true);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    RemoveSettings();
    std::ofstream(SettingsFile(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    State first = Start(true), want = Expected(bytes);
    if (!(first == want))
        Report("start state differs from the file's lines", first, want);
    std::string saved = ReadFile(SettingsFile());
    // The settings as they were, and the history the file's layout gives:
    // the search text, then the list's entries but its last.
    want = first;
    want.history.insert(want.history.begin(), first.search);
    want.history.pop_back();
    State again = Start(false);
    if (!(again == want))
        Report("what was saved starts another state", again, want);
    if (ReadFile(SettingsFile()) != saved)
        Report("starting the window changed the file", first, first);
    return 0;
}
