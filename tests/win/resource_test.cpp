// The resources of tolvane.exe, beside this test program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/restemplate.h"
#include "resource.h"
#include "tests/win/win_support.h"

namespace {

std::string Bytes(LPCSTR type, UINT id)
{
    static HMODULE s_h = LoadLibraryExW(BesideThisProgram(L"tolvane.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC hInfo = FindResourceA(s_h, MAKEINTRESOURCEA(id), type);
    HGLOBAL hData = hInfo ? LoadResource(s_h, hInfo) : nullptr;
    return hData ? std::string(static_cast<const char*>(LockResource(hData)), SizeofResource(s_h, hInfo)) : "";
}

DialogTemplate Dialog(UINT id)
{
    std::string bytes = Bytes(RT_DIALOG, id);
    DialogTemplate t;
    EXPECT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), &t)) << id;
    return t;
}

// Style bits no test of behaviour sees: the window resizes and minimises but does not maximise, on the task bar; Tab
// goes through the tab stops in template order, never to a radio button or a label; Enter presses OK; a long text
// scrolls; a name with "&" shows as it is; 置換 starts greyed.
TEST(ProgramResources, ControlsHaveTheStylesTheCodeNeeds)
{
    const DialogTemplate search = Dialog(IDD_SEARCH_DIALOG);
    EXPECT_EQ(WS_THICKFRAME | WS_MINIMIZEBOX, search.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(search.exStyle & WS_EX_APPWINDOW);
    std::vector<int> stops;
    for (const DialogItemTemplate& item : search.items)
        if (item.style & WS_TABSTOP)
            stops.push_back(item.id);
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL, IDC_TREE, IDC_RESULTS, IDC_REFDIR, IDC_HEADWORD, IDC_EXT,
                                IDC_SELECTED_ONLY, IDC_EXCLUDE, IDC_SKIP_BINARY, IDC_REGEX, IDC_WHOLE_WORD,
                                IDC_ENCODING, IDC_REPLACE_TEXT, IDC_REPLACE, IDC_SEARCH_TEXT}),
              stops);
    const DWORD kTree = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    const struct {
        UINT dialog;
        std::vector<int> ids;
        DWORD mask, style;
    } kControls[] = {
        {IDD_SEARCH_DIALOG, {IDOK}, BS_TYPEMASK, BS_DEFPUSHBUTTON},
        {IDD_ABOUTBOX, {IDOK}, BS_TYPEMASK, BS_DEFPUSHBUTTON},
        {IDD_EDITOR, {IDOK}, BS_TYPEMASK, BS_DEFPUSHBUTTON},
        {IDD_SEARCH_DIALOG, {IDC_REFDIR, IDC_HEADWORD, IDC_EXT, IDC_EXCLUDE, IDC_REPLACE_TEXT}, ES_AUTOHSCROLL,
         ES_AUTOHSCROLL},
        {IDD_SEARCH_DIALOG, {IDC_REPLACE}, WS_DISABLED, WS_DISABLED},
        {IDD_SEARCH_DIALOG, {IDC_TREE}, kTree, kTree},
        {IDD_SEARCH_DIALOG, {IDC_RESULTS}, LVS_TYPEMASK | LVS_OWNERDATA, LVS_REPORT | LVS_OWNERDATA},  // rows asked for
        {IDD_SEARCH_DIALOG, {IDC_PROGRESS}, PBS_SMOOTH, 0},  // a segmented bar
        {IDD_EDITOR, {IDC_EDITOR_PRESET}, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST},
        {IDD_SEARCH_DIALOG, {IDC_ENCODING}, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST},  // no typed text
        {IDD_EDITOR, {IDC_EDITOR_COMMAND}, ES_AUTOHSCROLL, ES_AUTOHSCROLL},
        {IDD_EDITOR, {IDC_EDITOR_IN_FORCE}, SS_NOPREFIX, SS_NOPREFIX},
    };
    for (const auto& c : kControls) {
        DialogTemplate t = Dialog(c.dialog);
        for (int id : c.ids) {
            auto is = [id](const DialogItemTemplate& item) { return item.id == id; };
            ASSERT_EQ(1, std::count_if(t.items.begin(), t.items.end(), is)) << c.dialog << " " << id;
            EXPECT_EQ(c.style, std::find_if(t.items.begin(), t.items.end(), is)->style & c.mask) << id;
        }
    }
}

}  // namespace
