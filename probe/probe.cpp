#include "probe/probe.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/start.h"
#include "dialog/search_dlg.h"
#include "platform/probe_support.h"
#include "probe/probe_dump.h"
#include "probe/probe_events.h"

namespace {

typedef std::vector<std::string> Fields;

// Exit code when the main window could not be made (2 is a bad script).
const int kNoWindow = 3;

struct Key {
    const char* name;
    UINT nVirtKey;
    bool bCtrl;
};
const Key kKeys[] = {{"ctrl+c", 'C', true},
                     {"ctrl+a", 'A', true},
                     {"enter", VK_RETURN, false},
                     {"delete", VK_DELETE, false},
                     {"apps", VK_APPS, false}};

const Control kClicks[] = {{"case_on", IDC_CASE_ON},
                           {"case_off", IDC_CASE_OFF},
                           {"selected_only", IDC_SELECTED_ONLY},
                           {"skip_binary", IDC_SKIP_BINARY},
                           {"regex", IDC_REGEX},
                           {"whole_word", IDC_WHOLE_WORD},
                           {"search", IDOK},
                           {"replace", IDC_REPLACE},
                           {"exit", IDCANCEL}};

// The results list's headers a `sort` action clicks.
const Control kSortColumns[] = {{"file", CRowStore::kFile},
                                {"line", CRowStore::kLine},
                                {"headword", CRowStore::kHeadword},
                                {"text", CRowStore::kText}};

Fields Split(const std::string& line)
{
    Fields f(1);
    for (char c : line) {
        if (c == '\t')
            f.emplace_back();
        else
            f.back() += c;
    }
    return f;
}

bool IsNumber(const std::string& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The types of the Save As box, in its order.
const char* const kExportTypes[] = {"tsv", "csv", "tagjump", "jsonl"};

template <size_t N>
int IndexOf(const char* const (&names)[N], const std::string& name)
{
    for (size_t i = 0; i < N; ++i)
        if (name == names[i])
            return static_cast<int>(i);
    return -1;
}

// Checks one action's shape; the complaint, or "" when it is fine.
std::string CheckAction(const Fields& f)
{
    const std::string& a = f[0];
    if (a == "drive")
        return f.size() == 3 && f[1].size() == 1 && ((f[1][0] | 0x20) >= 'a' && (f[1][0] | 0x20) <= 'z')
                   ? ""
                   : "drive needs a letter and a host folder";
    if (a == "set")
        return f.size() == 3 && (Lookup(kFields, f[1]) || f[1] == "editor")
                   ? ""
                   : "set needs refdir|search|headword|ext|editor|exclude|replace|encoding and a text";
    if (a == "click")
        return f.size() == 2 && Lookup(kClicks, f[1])
                   ? ""
                   : "click needs case_on|case_off|selected_only|skip_binary|regex|whole_word|search|replace|exit";
    if (a == "sysmenu")
        return f.size() == 2 ? "" : "sysmenu needs a label";
    if (a == "answer")
        return f.size() == 2 && (f[1] == "ok" || f[1] == "cancel") ? "" : "answer needs ok|cancel";
    std::string bytes;
    if (a == "export")
        return f.size() == 3 && IndexOf(kExportTypes, f[1]) >= 0 && !f[2].empty() ? ""
                                                                                 : "export needs tsv|csv|tagjump|jsonl and a path";
    if (a == "preview")
        return f.size() == 2 && IsNumber(f[1]) ? "" : "preview needs a row index";
    if (a == "write")
        return f.size() == 3 && Unescape(f[2], &bytes)
                   ? ""
                   : "write needs a path and a text (\\ \\t \\n \\r \\xHH)";
    if (a == "pick")
        return f.size() == 2 && IsNumber(f[1]) ? "" : "pick needs an index";
    if (a == "select" || a == "expand" || a == "collapse")
        return "";
    if (a == "queue")
        return f.size() == 2 && f[1] == "esc" ? "" : "queue needs esc";
    if (a == "rows") {
        for (size_t i = 1; i < f.size(); ++i)
            if (!IsNumber(f[i]))
                return "rows needs row indexes";
        return "";
    }
    if (a == "key")
        return f.size() == 3 && f[1] == "results" && Lookup(kKeys, f[2])
                   ? ""
                   : "key needs results and ctrl+c|ctrl+a|enter|delete|apps";
    if (a == "dblclick")
        return f.size() == 2 && IsNumber(f[1]) ? "" : "dblclick needs a row index";
    if (a == "context")
        return f.size() == 3 && IsNumber(f[1]) ? "" : "context needs a row index and a label";
    if (a == "resize")
        return f.size() == 3 && IsNumber(f[1]) && IsNumber(f[2]) ? "" : "resize needs a width and a height";
    if (a == "sort")
        return f.size() == 2 && Lookup(kSortColumns, f[1]) ? "" : "sort needs file|line|headword|text";
    if (a == "args")
        return f.size() == 2 ? "" : "args needs the command line after the program's name";
    if (a == "drop")
        return f.size() == 2 ? "" : "drop needs a path";
    if (a == "dump" || a == "restart")
        return f.size() == 1 ? "" : a + " takes no fields";
    return "unknown action '" + a + "'";
}

class Probe {
public:
    int Run(const std::vector<Fields>& actions)
    {
        // The command line is the first start's, as the program is started
        // with one; a restart starts it again as a person would, without.
        for (const Fields& f : actions)
            if (f[0] == "args")
                m_strArgs = f[1];
        if (!m_strArgs.empty()) {
            int nExitCode = 0;
            if (!StartFromCommandLine(CCommandArgs::OfText(m_strArgs.c_str()), &m_start, &nExitCode)) {
                Event({"exit", std::to_string(nExitCode)});
                return 0;
            }
        }
        if (!Start())
            return kNoWindow;
        for (const Fields& f : actions) {
            if (f[0] == "drive" || f[0] == "args")
                continue;
            if (!m_dlg && f[0] != "restart") {
                std::fprintf(stderr, "tolvane-probe: '%s' after the window was closed\n", f[0].c_str());
                return 2;
            }
            std::string complaint = Do(f);
            if (!complaint.empty()) {
                std::fprintf(stderr, "tolvane-probe: %s\n", complaint.c_str());
                return 2;
            }
            if (!m_dlg && f[0] == "restart")
                return kNoWindow;
            // What is queued must still wait when the next action starts.
            if (f[0] != "queue")
                ProbePumpMessages();
            if (m_dlg && m_dlg->IsEnded())
                m_dlg.reset();
        }
        if (m_dlg)
            Close();
        return 0;
    }

private:
    // Without a window every action would act on nothing and every dump
    // show empty controls, which must not pass for what the program shows.
    // Under Wine this happens when its desktop process cannot reach the display.
    bool Start()
    {
        m_dlg.reset(new CSearchDlg);
        m_dlg->SetStartOptions(m_start);
        m_start = CStartOptions();
        if (!m_dlg->Create() || !m_dlg->GetSafeHwnd()) {
            std::fprintf(stderr, "tolvane-probe: the main window could not be created\n");
            m_dlg.reset();
            return false;
        }
        ProbePumpMessages();
        return true;
    }

    void Close()
    {
        if (!m_dlg->IsEnded())
            CButton(m_dlg->GetDlgItem(IDCANCEL)).Click();
        ProbePumpMessages();
        m_dlg.reset();
    }

    std::string Do(const Fields& f)
    {
        const std::string& a = f[0];
        if (a == "set" && f[1] == "editor") {
            // Through the system menu's entry and the dialog's own OK.
            g_strEditorToType = f[2];
            g_bEditorTyped = false;
            g_bTypeEditor = true;
            m_dlg->SendMessage(WM_SYSCOMMAND, IDM_EDITOR, 0);
            g_bTypeEditor = false;
            if (!g_bEditorTyped)
                return "set editor: the editor settings did not open";
        } else if (a == "set" && f[1] == "encoding") {
            // A drop-down list takes no typed text: the entry is picked.
            CComboBox list(m_dlg->GetDlgItem(IDC_ENCODING));
            int n = 0;
            while (n < list.GetCount() && list.GetLBText(n) != f[2].c_str())
                ++n;
            if (n == list.GetCount())
                return "set encoding: no entry '" + f[2] + "'";
            list.PickEntry(n);
        } else if (a == "set") {
            int nID = Lookup(kFields, f[1])->id;
            m_dlg->GetDlgItem(nID).SetWindowText(f[2].c_str());
            // What the box tells the window of text typed into it.
            if (nID == IDC_SEARCH_TEXT)
                m_dlg->OnCommand(IDC_SEARCH_TEXT, CBN_EDITCHANGE);
        } else if (a == "sysmenu") {
            CMenu menu = m_dlg->GetSystemMenu(FALSE);
            int nPos = FindMenuItem(menu, f[1]);
            if (nPos < 0)
                return "sysmenu: no menu item '" + f[1] + "'";
            m_dlg->SendMessage(WM_SYSCOMMAND, menu.GetMenuItemID(nPos), 0);
        } else if (a == "export") {
            // Through the system menu's entry, as the list's menu gives the same.
            g_nSaveAsType = IndexOf(kExportTypes, f[1]);
            g_strSaveAsPath = f[2];
            g_bSaveAsAsked = false;
            m_dlg->SendMessage(WM_SYSCOMMAND, IDM_SAVE_ROWS, 0);
            g_nSaveAsType = -1;
            if (!g_bSaveAsAsked)
                return "export: the Save As box did not open";
        } else if (a == "preview") {
            CListCtrl list(m_dlg->GetDlgItem(IDC_RESULTS));
            int nRow = std::atoi(f[1].c_str());
            if (nRow >= list.GetItemCount())
                return "preview: no row " + f[1];
            // The pane is told by the list of the new selection and reads the file then.
            list.SetFocus();
            ClickRow(list, nRow, false);
        } else if (a == "answer") {
            ProbeAnswerNextMessageBox(f[1] == "ok" ? IDOK : IDCANCEL);
        } else if (a == "write") {
            std::string bytes;
            Unescape(f[2], &bytes);
            if (!WriteFileReplacing(f[1].c_str(), bytes.data(), bytes.size(), ".probe"))
                return "write: cannot write " + f[1];
        } else if (a == "click") {
            CButton(m_dlg->GetDlgItem(Lookup(kClicks, f[1])->id)).Click();
        } else if (a == "pick") {
            CComboBox combo(m_dlg->GetDlgItem(IDC_SEARCH_TEXT));
            int n = std::atoi(f[1].c_str());
            if (n >= combo.GetCount())
                return "pick: no entry " + f[1];
            combo.PickEntry(n);
        } else if (a == "select" || a == "expand" || a == "collapse") {
            return TreeAction(CTreeCtrl(m_dlg->GetDlgItem(IDC_TREE)), f);
        } else if (a == "queue") {
            ProbeQueueEscape(m_dlg->GetSafeHwnd());
        } else if (a == "rows" || a == "key" || a == "dblclick" || a == "context") {
            return Results(f);
        } else if (a == "sort") {
            // What the header tells the dialog of a click on it.
            NMLISTVIEW click = {};
            click.hdr.hwndFrom = m_dlg->GetDlgItem(IDC_RESULTS).m_hWnd;
            click.hdr.idFrom = IDC_RESULTS;
            click.hdr.code = LVN_COLUMNCLICK;
            click.iItem = -1;
            click.iSubItem = Lookup(kSortColumns, f[1])->id;
            m_dlg->SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&click));
        } else if (a == "drop") {
            if (!ProbeDrop(m_dlg->GetSafeHwnd(), f[1].c_str()))
                return "drop: the window takes no files";
        } else if (a == "resize") {
            m_dlg->SizeAsUser(std::atoi(f[1].c_str()), std::atoi(f[2].c_str()));
        } else if (a == "dump") {
            ProbeDump(*m_dlg);
        } else if (a == "restart") {
            if (m_dlg)
                Close();
            Start();
        }
        return "";
    }

    // A click on a row makes it the selection and the focused row.
    static void ClickRow(CListCtrl& list, int nRow, bool bCtrl)
    {
        if (!bCtrl)
            list.SetItemState(-1, 0, LVIS_SELECTED);
        list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    std::string Results(const Fields& f)
    {
        CListCtrl list(m_dlg->GetDlgItem(IDC_RESULTS));
        const std::string& a = f[0];
        int nRows = list.GetItemCount();
        // A right click may fall on the list's empty part, below its rows.
        size_t nIndexes = a == "rows" ? f.size() : a == "dblclick" ? 2 : 1;
        for (size_t i = 1; i < nIndexes; ++i)
            if (std::atoi(f[i].c_str()) >= nRows)
                return a + ": no row " + f[i];
        list.SetFocus();
        if (a == "rows") {
            list.SetItemState(-1, 0, LVIS_SELECTED);
            for (size_t i = 1; i < f.size(); ++i)
                ClickRow(list, std::atoi(f[i].c_str()), true);
        } else if (a == "key") {
            const Key* pKey = Lookup(kKeys, f[2]);
            if (pKey->nVirtKey == VK_APPS)
                m_dlg->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.m_hWnd), MAKELPARAM(-1, -1));
            else
                ProbePressKey(list.m_hWnd, pKey->nVirtKey, pKey->bCtrl);
        } else if (a == "dblclick") {
            int nRow = std::atoi(f[1].c_str());
            ClickRow(list, nRow, false);
            NMITEMACTIVATE activate = {};
            activate.hdr.hwndFrom = list.m_hWnd;
            activate.hdr.idFrom = IDC_RESULTS;
            activate.hdr.code = NM_DBLCLK;
            activate.iItem = nRow;
            m_dlg->SendMessage(WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&activate));
        } else {
            // The system selects the row under a right click outside the
            // selection before the menu is asked for.
            int nRow = std::atoi(f[1].c_str());
            RECT rect;
            POINT pt = {8, 0};
            if (nRow < nRows) {
                if (!list.GetItemState(nRow, LVIS_SELECTED))
                    ClickRow(list, nRow, false);
                list.GetItemRect(nRow, &rect, LVIR_BOUNDS);
                pt.y = (rect.top + rect.bottom) / 2;
            } else {
                list.GetClientRect(&rect);
                pt.y = rect.bottom - 4;
            }
            list.ClientToScreen(&pt);
            g_strMenuChoice = f[2];
            g_bMenuChoiceFound = false;
            m_dlg->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.m_hWnd), MAKELPARAM(pt.x, pt.y));
            g_strMenuChoice.clear();
            if (!g_bMenuChoiceFound)
                return "context: no menu item '" + f[2] + "'";
        }
        return "";
    }

    std::unique_ptr<CSearchDlg> m_dlg;
    std::string m_strArgs;
    CStartOptions m_start;
};

}  // namespace

int RunProbeScript(const std::string& script)
{
    std::vector<Fields> actions;
    size_t start = 0;
    int nLine = 0;
    while (start < script.size()) {
        size_t end = script.find('\n', start);
        if (end == std::string::npos)
            end = script.size();
        std::string line = script.substr(start, end - start);
        start = end + 1;
        ++nLine;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        Fields f = Split(line);
        std::string complaint = CheckAction(f);
        if (complaint.empty() && f[0] == "drive" && !ProbeMapDrive(f[1][0], f[2].c_str()))
            complaint = "drive lines are for the native build only";
        if (!complaint.empty()) {
            std::fprintf(stderr, "tolvane-probe: line %d: %s\n", nLine, complaint.c_str());
            return 2;
        }
        actions.push_back(f);
    }
    ProbeBinaryStdout();
    ProbeAnswerMessageBoxes();
    AfxSetMessageBoxObserver(OnMessageBox);
    AfxSetClipboardObserver(OnClipboard);
    AfxSetShellObserver(OnShell);
    AfxSetPopupMenuObserver(OnPopupMenu);
    AfxSetModalObserver(OnModal);
    AfxSetSaveAsObserver(OnSaveAs);
    return Probe().Run(actions);
}
