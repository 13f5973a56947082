// The Save As box of the common dialogs.
#include <string>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

// After windows.h, which the headers above bring: it needs its types.
#include <commdlg.h>

BOOL AfxGetSaveFileName(CWnd* pOwner, const std::vector<AfxFileType>& types, int* pnType, CString* pPath)
{
    if (AFX_SAVEAS_OBSERVER pfn = AfxGetSaveAsObserver())
        return pfn(types, pnType, pPath);
    // The box takes its types as one text of NUL-ended pieces, ended by one more NUL.
    std::wstring filter;
    for (const AfxFileType& t : types) {
        filter += Win32Widen(t.label);
        filter += L'\0';
        filter += Win32Widen(t.pattern);
        filter += L'\0';
    }
    filter += L'\0';
    // Long paths are allowed, so the name gets room for one.
    std::wstring name = Win32Widen(*pPath);
    name.resize(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = pOwner ? pOwner->m_hWnd : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(*pnType + 1);
    ofn.lpstrFile = &name[0];
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrDefExt = L"tsv";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!::GetSaveFileNameW(&ofn))
        return FALSE;
    *pnType = static_cast<int>(ofn.nFilterIndex) - 1;
    *pPath = Win32Narrow(std::wstring(name.c_str()));
    return TRUE;
}
