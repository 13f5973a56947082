// The settings file tolvane.dat beside the executable: five setting lines,
// then the search text and the drop-down history. It is written whole, in one
// step, so a search that is killed never leaves a half-written file. The
// settings that came later live in tolvane.ini beside it, written the same way.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "dialog/search_dlg.h"
#include "settings/settings.h"

namespace {

const int kHistoryFirstLine = 6;
const int kHistoryEntries = 11;

const char kExcludeKey[] = "ExcludeFolders";
const char kSkipBinaryKey[] = "SkipBinary";
const char kRegexKey[] = "Regex";
const char kWholeWordKey[] = "WholeWord";
const char kReplaceKey[] = "ReplaceWith";
const char kEncodingKey[] = "Encoding";
// Folders of version control and packages: copies of the user's files and
// compressed objects, which only repeat rows or spoil them.
const char kDefaultExclude[] = ".git;.svn;.hg;.vs;node_modules";

void AppendLine(std::string& file, const CString& line)
{
    file.append(line.GetString(), static_cast<size_t>(line.GetLength()));
    file += "\r\n";
}

// atoi as the Windows runtime does it: a number beyond int gives the nearest
// int. The C library leaves that undefined, and one at hand wraps it, which
// would make "4294967297" a 1.
int AtoiClamped(const char* s)
{
    long long v = std::strtoll(s, nullptr, 10);
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

CString SettingsPath()
{
    CString strModule = GetModuleFilePath();
    return strModule.Left(strModule.ReverseFind('\\')) + "\\tolvane.dat";
}

}  // namespace

CString CSearchDlg::ReadSettingsLine(int nLine) { return ReadSettingsFileLine(nLine); }

CString ReadSettingsFileLine(int nLine)
{
    if (nLine <= 0)
        return CString();
    CRawFile file;
    if (!file.Open(SettingsPath()))
        return CString();
    // Line by line in text mode: CR LF and LF both end a line, and a line may
    // be of any length.
    std::string line;
    int nCurrent = 1;
    char buf[4096];
    long n;
    while ((n = file.Read(buf, sizeof buf)) > 0) {
        for (long i = 0; i < n; ++i) {
            if (buf[i] != '\n') {
                if (nCurrent == nLine)
                    line += buf[i];
                continue;
            }
            if (nCurrent == nLine) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return CString(line.c_str());
            }
            ++nCurrent;
        }
    }
    return nCurrent == nLine ? CString(line.c_str()) : CString();
}

// Writes the whole file: the five settings as the fields hold them, then the
// search text and the drop-down list as they stand before this press.
void CSearchDlg::SaveSettings()
{
    CString strCase, strSelectedOnly;
    strCase.Format("%d", CButton(GetDlgItem(IDC_CASE_ON)).GetCheck());
    strSelectedOnly.Format("%d", CButton(GetDlgItem(IDC_SELECTED_ONLY)).GetCheck());
    CComboBox history(GetDlgItem(IDC_SEARCH_TEXT));

    std::string file;
    AppendLine(file, GetDlgItem(IDC_REFDIR).GetWindowText());
    AppendLine(file, GetDlgItem(IDC_HEADWORD).GetWindowText());
    AppendLine(file, GetDlgItem(IDC_EXT).GetWindowText());
    AppendLine(file, strCase);
    AppendLine(file, strSelectedOnly);
    AppendLine(file, history.GetWindowText());
    for (int i = 0, n = history.GetCount(); i < n; ++i)
        AppendLine(file, history.GetLBText(i));
    WriteFileReplacing(SettingsPath(), file.data(), file.size());

    m_ini.Set(kExcludeKey, GetDlgItem(IDC_EXCLUDE).GetWindowText());
    m_ini.Set(kSkipBinaryKey, CButton(GetDlgItem(IDC_SKIP_BINARY)).GetCheck() ? "1" : "0");
    m_ini.Set(kRegexKey, CButton(GetDlgItem(IDC_REGEX)).GetCheck() ? "1" : "0");
    m_ini.Set(kWholeWordKey, CButton(GetDlgItem(IDC_WHOLE_WORD)).GetCheck() ? "1" : "0");
    m_ini.Set(kReplaceKey, GetDlgItem(IDC_REPLACE_TEXT).GetWindowText());
    m_ini.Set(kEncodingKey, GetDlgItem(IDC_ENCODING).GetWindowText());
    m_editor.Store(m_ini);
    m_ini.Save(IniPath());
}

// The text a replace used, before it writes anything.
void CSearchDlg::SaveReplaceText()
{
    m_ini.Set(kReplaceKey, GetDlgItem(IDC_REPLACE_TEXT).GetWindowText());
    m_ini.Save(IniPath());
}

// The file already holds this press's history (written before the search);
// only the list changes: the entry at index 9 goes, the search text comes on top.
void CSearchDlg::SaveHistory()
{
    CComboBox history(GetDlgItem(IDC_SEARCH_TEXT));
    CString strText = history.GetWindowText();
    if (history.GetCount() > 8)
        history.DeleteString(9);
    history.InsertString(0, strText);
}

void ReadSavedFields(SearchFields* pFields, CIniFile* pIni)
{
    pFields->strRefDir = ReadSettingsFileLine(1);
    pFields->strHeadword = ReadSettingsFileLine(2);
    pFields->strMasks = ReadSettingsFileLine(3);
    CString strCase = ReadSettingsFileLine(4);
    pFields->bCase = (strCase.IsEmpty() ? 1 : AtoiClamped(strCase)) == 1;
    pFields->bSelectedOnly = ReadSettingsFileLine(5).Compare("1") == 0;

    pIni->Load(IniPath());
    pFields->strExclude = pIni->Get(kExcludeKey, kDefaultExclude);
    pFields->bSkipBinary = pIni->Get(kSkipBinaryKey, "1") != "0";
    pFields->bRegex = pIni->Get(kRegexKey, "0") == "1";
    pFields->bWholeWord = pIni->Get(kWholeWordKey, "0") == "1";
    pFields->nEncoding = EncodingOfLabel(pIni->Get(kEncodingKey));
}

// The saved fields, with what the command line gives for this run.
void CSearchDlg::LoadSettings()
{
    SearchFields fields;
    ReadSavedFields(&fields, &m_ini);
    m_start.ApplyTo(&fields);
    m_editor.Load(m_ini);
    GetDlgItem(IDC_REFDIR).SetWindowText(fields.strRefDir);
    GetDlgItem(IDC_HEADWORD).SetWindowText(fields.strHeadword);
    GetDlgItem(IDC_EXT).SetWindowText(fields.strMasks);
    CButton(GetDlgItem(fields.bCase ? IDC_CASE_ON : IDC_CASE_OFF)).SetCheck(BST_CHECKED);
    const struct {
        bool bTicked;
        int nID;
    } checks[] = {{fields.bSelectedOnly, IDC_SELECTED_ONLY},
                  {fields.bSkipBinary, IDC_SKIP_BINARY},
                  {fields.bRegex, IDC_REGEX},
                  {fields.bWholeWord, IDC_WHOLE_WORD}};
    for (const auto& check : checks)
        if (check.bTicked)
            CButton(GetDlgItem(check.nID)).SetCheck(BST_CHECKED);
    GetDlgItem(IDC_EXCLUDE).SetWindowText(fields.strExclude);
    GetDlgItem(IDC_REPLACE_TEXT).SetWindowText(m_ini.Get(kReplaceKey));
    CComboBox encodings(GetDlgItem(IDC_ENCODING));
    for (int nEntry = 0; nEntry < kEncodingEntries; ++nEntry)
        encodings.InsertString(-1, EncodingLabel(nEntry + kAutoDetect));
    encodings.PickEntry(fields.nEncoding - kAutoDetect);
}

void CSearchDlg::LoadHistory()
{
    CComboBox history(GetDlgItem(IDC_SEARCH_TEXT));
    for (int nLine = kHistoryFirstLine; nLine < kHistoryFirstLine + kHistoryEntries; ++nLine)
        history.InsertString(-1, ReadSettingsLine(nLine));
    // A search text the command line gives is in the field as a typed one
    // would be; the list holds what the file holds.
    if (m_start.search.bGiven)
        history.SetWindowText(m_start.search.str);
}
