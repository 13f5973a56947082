// The resources of the built program, read back from tolvane.exe itself (the
// file beside this test program) as data, field by field. Expected Japanese
// texts are written as their CP932 bytes; the comment after each gives the text.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/restemplate.h"
#include "resource.h"

namespace {

std::string ProgramPath()
{
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, n);
    return path.substr(0, path.find_last_of('\\') + 1) + "tolvane.exe";
}

HMODULE ProgramAsData()
{
    static HMODULE s_hModule = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return s_hModule;
}

bool ResourceBytes(LPCSTR type, UINT id, const void** ppData, size_t* pnSize)
{
    HMODULE hModule = ProgramAsData();
    HRSRC hInfo = hModule ? FindResourceA(hModule, MAKEINTRESOURCEA(id), type) : nullptr;
    HGLOBAL hData = hInfo ? LoadResource(hModule, hInfo) : nullptr;
    *ppData = hData ? LockResource(hData) : nullptr;
    *pnSize = hInfo ? SizeofResource(hModule, hInfo) : 0;
    return *ppData != nullptr;
}

bool LoadProgramDialog(UINT id, DialogTemplate* pOut)
{
    const void* pData;
    size_t nSize;
    return ResourceBytes(RT_DIALOG, id, &pData, &nSize) && ParseDialogTemplate(pData, nSize, pOut);
}

std::string Cp932(const wchar_t* text, size_t nChars)
{
    if (nChars == 0)
        return std::string();
    int n = WideCharToMultiByte(932, 0, text, static_cast<int>(nChars), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(932, 0, text, static_cast<int>(nChars), &out[0], n, nullptr, nullptr);
    return out;
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedItem {
    int id;
    const char* className;
    const char* text;  // nullptr: any text that is not empty
    short x, y, cx, cy;
    DWORD style;
};

void CheckItems(const DialogTemplate& t, const ExpectedItem* expected, size_t nExpected)
{
    ASSERT_EQ(t.items.size(), nExpected);
    for (size_t i = 0; i < nExpected; ++i) {
        const DialogItemTemplate& item = t.items[i];
        const ExpectedItem& e = expected[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(item.id, e.id);
        // windres stores a quoted class name upper-cased; the system looks
        // class names up without regard to case.
        EXPECT_EQ(_stricmp(item.className, e.className), 0) << item.className.GetString();
        if (e.text)
            EXPECT_STREQ(item.text, e.text);
        else
            EXPECT_FALSE(item.text.IsEmpty());
        EXPECT_EQ(item.textOrdinal, -1);
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        EXPECT_EQ(item.style, e.style) << std::hex << "0x" << item.style << " != 0x" << e.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.helpId, 0u);
    }
}

TEST(ProgramResources, ProgramLoadsAsData)
{
    ASSERT_NE(ProgramAsData(), nullptr) << ProgramPath();
}

TEST(ProgramResources, MainDialogTemplate)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadProgramDialog(IDD_SEARCH_DIALOG, &t));
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(t.helpId, 0u);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                          WS_MINIMIZEBOX | DS_SETFONT));
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 430);
    EXPECT_EQ(t.cy, 309);
    EXPECT_TRUE(t.menu.IsEmpty());
    EXPECT_TRUE(t.windowClass.IsEmpty());
    EXPECT_STREQ(t.caption, "\x83g\x83\x8B\x83\x94\x83@\x83\x93\x8C\x9F\x8D\xF5");  // トルヴァン検索
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.weight, 0);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 1);
    EXPECT_STREQ(t.faceName, "\x82l\x82r \x82o\x83S\x83V\x83" "b\x83N");  // ＭＳ Ｐゴシック

    const DWORD kEdit = kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    const DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
    const ExpectedItem expected[] = {
        // 検索スタート
        {IDOK, "BUTTON", "\x8C\x9F\x8D\xF5\x83X\x83^\x81[\x83g", 320, 10, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
        // 終了
        {IDCANCEL, "BUTTON", "\x8FI\x97\xB9", 375, 10, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_TREE, "SysTreeView32", "Tree1", 5, 30, 95, 250,
         kChild | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | WS_BORDER | WS_TABSTOP},
        {IDC_RESULTS, "SysListView32", "List1", 105, 30, 250, 250,
         kChild | LVS_REPORT | LVS_OWNERDATA | WS_BORDER | WS_TABSTOP},
        {IDC_REFDIR, "EDIT", "", 5, 10, 95, 14, kEdit},
        // 区別する
        {IDC_CASE_ON, "BUTTON", "\x8B\xE6\x95\xCA\x82\xB7\x82\xE9", 375, 60, 42, 10, kChild | BS_AUTORADIOBUTTON},
        // 区別しない
        {IDC_CASE_OFF, "BUTTON", "\x8B\xE6\x95\xCA\x82\xB5\x82\xC8\x82\xA2", 375, 75, 47, 10, kChild | BS_AUTORADIOBUTTON},
        // 大/小文字
        {-1, "BUTTON", "\x91\xE5/\x8F\xAC\x95\xB6\x8E\x9A", 365, 45, 60, 50, kChild | BS_GROUPBOX},
        {IDC_HEADWORD, "EDIT", "", 360, 115, 55, 14, kEdit},
        // 見出し語
        {-1, "STATIC", "\x8C\xA9\x8Fo\x82\xB5\x8C\xEA", 360, 105, 27, 8, kLabel},
        // 参照ディレクトリ
        {-1, "STATIC", "\x8EQ\x8F\xC6\x83" "f\x83" "B\x83\x8C\x83N\x83g\x83\x8A", 5, 0, 60, 8, kLabel},
        // 検索文字
        {-1, "STATIC", "\x8C\x9F\x8D\xF5\x95\xB6\x8E\x9A", 105, 0, 28, 8, kLabel},
        // ファイル名
        {-1, "STATIC", "\x83t\x83@\x83" "C\x83\x8B\x96\xBC", 360, 135, 45, 8, kLabel},
        {IDC_EXT, "EDIT", "", 360, 145, 65, 14, kEdit},
        {IDC_PROGRESS, "msctls_progress32", "Progress1", 105, 285, 250, 14, kChild | WS_BORDER},
        // 進行状況
        {-1, "STATIC", "\x90i\x8Ds\x8F\xF3\x8B\xB5", 70, 290, 30, 10, kLabel},
        // 選択フォルダのみ
        {IDC_SELECTED_ONLY, "BUTTON", "\x91I\x91\xF0\x83t\x83H\x83\x8B\x83_\x82\xCC\x82\xDD", 360, 170, 68, 10,
         kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
        // 除外フォルダ
        {-1, "STATIC", "\x8F\x9C\x8AO\x83t\x83H\x83\x8B\x83_", 360, 185, 50, 8, kLabel},
        {IDC_EXCLUDE, "EDIT", "", 360, 195, 65, 14, kEdit},
        // バイナリファイルを除く
        {IDC_SKIP_BINARY, "BUTTON", "\x83o\x83" "C\x83i\x83\x8A\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8F\x9C\x82\xAD", 360, 215, 65, 20,
         kChild | BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP},
        // 正規表現, 単語単位
        {IDC_REGEX, "BUTTON", "\x90\xB3\x8BK\x95\x5C\x8C\xBB", 360, 240, 65, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
        {IDC_WHOLE_WORD, "BUTTON", "\x92P\x8C\xEA\x92P\x88\xCA", 360, 255, 65, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
        {IDC_SEARCH_TEXT, "COMBOBOX", "", 105, 10, 205, 105, kChild | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP},
    };
    CheckItems(t, expected, sizeof(expected) / sizeof(expected[0]));
}

TEST(ProgramResources, AboutBoxTemplate)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadProgramDialog(IDD_ABOUTBOX, &t));
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 235);
    EXPECT_EQ(t.cy, 55);
    EXPECT_TRUE(t.menu.IsEmpty());
    EXPECT_TRUE(t.windowClass.IsEmpty());
    EXPECT_STREQ(t.caption, "tolvane\x82\xCC\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1");  // tolvaneのﾊﾞｰｼﾞｮﾝ情報
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_STREQ(t.faceName, "\x82l\x82r \x82o\x83S\x83V\x83" "b\x83N");  // ＭＳ Ｐゴシック

    ASSERT_EQ(t.items.size(), 6u);
    // The icon names its resource by number, which the table below cannot say.
    const DialogItemTemplate& icon = t.items[0];
    EXPECT_EQ(icon.id, -1);
    EXPECT_STREQ(icon.className, "STATIC");
    EXPECT_EQ(icon.textOrdinal, IDR_MAINFRAME);
    EXPECT_EQ(icon.x, 11);
    EXPECT_EQ(icon.y, 17);
    EXPECT_EQ(icon.cx, 20);
    EXPECT_EQ(icon.cy, 20);
    EXPECT_EQ(icon.style, kChild | SS_ICON);

    DialogTemplate rest = t;
    rest.items.erase(rest.items.begin());
    const ExpectedItem expected[] = {
        // トルヴァン検索 Version 2.11
        {-1, "STATIC", "\x83g\x83\x8B\x83\x94\x83@\x83\x93\x8C\x9F\x8D\xF5 Version 2.11", 40, 10, 119, 8,
         kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP},
        {-1, "STATIC", nullptr, 40, 25, 119, 8, kChild | SS_LEFT | WS_GROUP},
        {IDOK, "BUTTON", "OK", 178, 7, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
        // ほるたね
        {-1, "STATIC", "\x82\xD9\x82\xE9\x82\xBD\x82\xCB", 40, 40, 25, 8, kChild | SS_LEFT | WS_GROUP},
        {IDC_WEBSITE, "BUTTON", nullptr, 155, 35, 75, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    };
    CheckItems(rest, expected, sizeof(expected) / sizeof(expected[0]));
}

TEST(ProgramResources, AboutMenuString)
{
    // Read as UTF-16 and converted with code page 932, whatever the system's is.
    wchar_t buffer[256] = {};
    int n = LoadStringW(ProgramAsData(), IDS_ABOUTBOX, buffer, 256);
    EXPECT_GT(n, 0);
    // tolvane のﾊﾞｰｼﾞｮﾝ情報(&A)...
    EXPECT_EQ(Cp932(buffer, n > 0 ? n : 0), "tolvane \x82\xCC\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1(&A)...");
}

// The manifest Windows reads when the process starts: current controls,
// drawn at each monitor's scale, on every Windows from 7 to 11, long paths.
TEST(ProgramResources, ManifestAsksForCurrentControlsAndEveryScale)
{
    const void* pData;
    size_t nSize;
    ASSERT_TRUE(ResourceBytes(MAKEINTRESOURCEA(24), 1, &pData, &nSize));
    std::string manifest(static_cast<const char*>(pData), nSize);
    const char* fragments[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>",
        "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
    };
    for (const char* fragment : fragments)
        EXPECT_NE(std::string::npos, manifest.find(fragment)) << fragment;
    // Well formed as far as a reader cares: one root, closed at the end.
    EXPECT_EQ(0u, manifest.find("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
    EXPECT_NE(std::string::npos, manifest.rfind("</assembly>"));
}

TEST(ProgramResources, EveryResourceIsJapanese)
{
    const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    struct {
        LPCSTR type;
        UINT id;
    } const resources[] = {
        {RT_DIALOG, IDD_SEARCH_DIALOG}, {RT_DIALOG, IDD_ABOUTBOX},      {RT_STRING, IDS_ABOUTBOX / 16 + 1},
        {RT_DIALOG, IDD_EDITOR},        {RT_STRING, IDS_EDITOR / 16 + 1},
        {RT_GROUP_ICON, IDR_MAINFRAME}, {RT_BITMAP, IDB_FOLDER_CLOSED}, {RT_BITMAP, IDB_FOLDER_OPEN},
        {RT_VERSION, 1},
    };
    for (const auto& r : resources) {
        EXPECT_NE(FindResourceExA(ProgramAsData(), r.type, MAKEINTRESOURCEA(r.id), kJapanese), nullptr)
            << "type " << reinterpret_cast<uintptr_t>(r.type) << " id " << r.id;
    }
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

// Every size the window's icons take from 100 % to 200 % display scale,
// each drawn at its own size (tools/gen_res_images.py).
TEST(ProgramResources, IconHasSixteenColourImagesForEveryScale)
{
    const void* pData;
    size_t nSize;
    ASSERT_TRUE(ResourceBytes(RT_GROUP_ICON, IDR_MAINFRAME, &pData, &nSize));
    const WORD* header = static_cast<const WORD*>(pData);
    ASSERT_GE(nSize, 6u);
    EXPECT_EQ(header[1], 1);  // icons, not cursors
    const int nImages = header[2];
    ASSERT_GE(nSize, 6 + nImages * sizeof(IconGroupEntry));
    const IconGroupEntry* entries = reinterpret_cast<const IconGroupEntry*>(header + 3);
    std::vector<int> sizes;
    for (int i = 0; i < nImages; ++i) {
        EXPECT_EQ(entries[i].width, entries[i].height);
        sizes.push_back(entries[i].width);
        EXPECT_TRUE(entries[i].colorCount == 16 || entries[i].bitCount == 4);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48}));
}

TEST(ProgramResources, TreeBitmapsAreSixteenPixelsSixteenColours)
{
    for (UINT id : {IDB_FOLDER_CLOSED, IDB_FOLDER_OPEN}) {
        const void* pData;
        size_t nSize;
        ASSERT_TRUE(ResourceBytes(RT_BITMAP, id, &pData, &nSize)) << id;
        ASSERT_GE(nSize, sizeof(BITMAPINFOHEADER));
        const BITMAPINFOHEADER* bih = static_cast<const BITMAPINFOHEADER*>(pData);
        EXPECT_EQ(bih->biWidth, 16) << id;
        EXPECT_EQ(bih->biHeight, 16) << id;
        EXPECT_EQ(bih->biBitCount, 4) << id;
    }
}

// One node of the version resource: wLength, wValueLength, wType, the key,
// the value and the children, each part aligned to four bytes from the start.
struct VersionNode {
    std::string key;
    WORD type;
    const BYTE* value;
    size_t valueBytes;
    std::vector<VersionNode> children;
};

size_t Align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

bool ParseVersionNode(const BYTE* base, size_t offset, size_t limit, VersionNode* pNode)
{
    if (offset + 6 > limit)
        return false;
    const WORD* words = reinterpret_cast<const WORD*>(base + offset);
    size_t end = offset + words[0];
    if (words[0] < 6 || end > limit)
        return false;
    pNode->type = words[2];
    const wchar_t* key = reinterpret_cast<const wchar_t*>(base + offset + 6);
    size_t nKey = 0;
    while (offset + 6 + 2 * (nKey + 1) <= end && key[nKey])
        ++nKey;
    pNode->key = Cp932(key, nKey);
    size_t pos = Align4(offset + 6 + 2 * (nKey + 1));
    pNode->valueBytes = pNode->type == 1 ? 2u * words[1] : words[1];
    pNode->value = base + pos;
    pos = Align4(pos + pNode->valueBytes);
    while (pos < end) {
        VersionNode child;
        if (!ParseVersionNode(base, pos, end, &child))
            return false;
        pos = Align4(pos + reinterpret_cast<const WORD*>(base + pos)[0]);
        pNode->children.push_back(child);
    }
    return true;
}

std::string VersionText(const VersionNode& node)
{
    const wchar_t* p = reinterpret_cast<const wchar_t*>(node.value);
    size_t n = 0;
    while (2 * (n + 1) <= node.valueBytes && p[n])
        ++n;
    return Cp932(p, n);
}

struct VersionString {
    const char* key;
    const char* value;  // nullptr: the copyright notice of the about box
};

const VersionString kVersionStrings[] = {
    {"Comments", ""},
    {"CompanyName", "\x82\xD9\x82\xE9\x82\xBD\x82\xCB"},                       // ほるたね
    {"FileDescription", "tolvane MFC \xB1\xCC\xDF\xD8\xB9\xB0\xBC\xAE\xDD"},   // tolvane MFC ｱﾌﾟﾘｹｰｼｮﾝ
    {"FileVersion", "2, 1, 1, 0"},
    {"InternalName", "tolvane"},
    {"LegalCopyright", nullptr},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "tolvane.EXE"},
    {"PrivateBuild", ""},
    {"ProductName", "tolvane \xB1\xCC\xDF\xD8\xB9\xB0\xBC\xAE\xDD"},  // tolvane ｱﾌﾟﾘｹｰｼｮﾝ
    {"ProductVersion", "2, 1, 1, 0"},
    {"SpecialBuild", ""},
};

std::string AboutBoxCopyright()
{
    DialogTemplate t;
    if (!LoadProgramDialog(IDD_ABOUTBOX, &t) || t.items.size() < 3)
        return std::string();
    return t.items[2].text.GetString();
}

TEST(ProgramResources, VersionStringsInOrder)
{
    const void* pData;
    size_t nSize;
    ASSERT_TRUE(ResourceBytes(RT_VERSION, 1, &pData, &nSize));
    VersionNode root;
    ASSERT_TRUE(ParseVersionNode(static_cast<const BYTE*>(pData), 0, nSize, &root));
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    const VersionNode* pStrings = nullptr;
    for (const VersionNode& child : root.children) {
        if (child.key == "StringFileInfo") {
            ASSERT_EQ(child.children.size(), 1u);
            pStrings = &child.children[0];
        }
    }
    ASSERT_NE(pStrings, nullptr);
    EXPECT_EQ(pStrings->key, "041104b0");
    const size_t nExpected = sizeof(kVersionStrings) / sizeof(kVersionStrings[0]);
    ASSERT_EQ(pStrings->children.size(), nExpected);
    std::string copyright = AboutBoxCopyright();
    EXPECT_FALSE(copyright.empty());
    for (size_t i = 0; i < nExpected; ++i) {
        const VersionString& e = kVersionStrings[i];
        EXPECT_EQ(pStrings->children[i].key, e.key) << "entry " << i;
        EXPECT_EQ(VersionText(pStrings->children[i]), e.value ? e.value : copyright) << e.key;
    }
}

TEST(ProgramResources, VersionThroughVersionApi)
{
    std::string path = ProgramPath();
    DWORD dwHandle = 0;
    DWORD nSize = GetFileVersionInfoSizeA(path.c_str(), &dwHandle);
    ASSERT_GT(nSize, 0u);
    std::vector<BYTE> block(nSize);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, nSize, block.data()));

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT nLength = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pFixed), &nLength));
    ASSERT_GE(nLength, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(pFixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(pFixed->dwFileVersionMS, 0x00020001u);
    EXPECT_EQ(pFixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(pFixed->dwProductVersionMS, 0x00020001u);
    EXPECT_EQ(pFixed->dwProductVersionLS, 0x00010000u);
    EXPECT_EQ(pFixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(pFixed->dwFileFlags, 0u);
    EXPECT_EQ(pFixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(pFixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(pFixed->dwFileSubtype, 0u);

    WORD* pTranslation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation),
                               &nLength));
    ASSERT_EQ(nLength, 4u);
    EXPECT_EQ(pTranslation[0], 0x0411);
    EXPECT_EQ(pTranslation[1], 1200);

    std::string copyright = AboutBoxCopyright();
    for (const VersionString& e : kVersionStrings) {
        std::string query = std::string("\\StringFileInfo\\041104b0\\") + e.key;
        std::wstring wideQuery(query.begin(), query.end());
        wchar_t* pValue = nullptr;
        nLength = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), wideQuery.c_str(), reinterpret_cast<void**>(&pValue), &nLength))
            << e.key;
        // The block holds UTF-16; the ANSI query would convert with the system's code page.
        std::string value = pValue && nLength ? Cp932(pValue, wcsnlen(pValue, nLength)) : std::string();
        EXPECT_EQ(value, e.value ? e.value : copyright) << e.key;
    }
}

}  // namespace
