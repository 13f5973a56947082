// Program start and resource access on Windows.
#include <mbctype.h>

#include <vector>

#include "platform/internal.h"
#include "platform/win32/win32_internal.h"

namespace {

// Before any other static object is built: the runtime's _mbs functions
// follow this code page, and the application object may already use them.
__attribute__((constructor(101))) void SetRuntimeCodePage() { _setmbcp(_MB_CP_ANSI); }

}  // namespace

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
}

CString AfxLoadString(UINT nID)
{
    // The table holds UTF-16; LoadStringA would convert with the system's
    // code page. A zero-size buffer gets a pointer to the text itself.
    const wchar_t* pText = nullptr;
    int nLength = ::LoadStringW(::GetModuleHandleW(nullptr), nID, reinterpret_cast<wchar_t*>(&pText), 0);
    if (nLength <= 0 || !pText)
        return CString();
    return Win32Narrow(std::wstring(pText, static_cast<size_t>(nLength)));
}

bool AfxGetResourceBytes(unsigned nType, unsigned nID, const void** ppData, size_t* pnSize)
{
    HMODULE hModule = ::GetModuleHandleW(nullptr);
    HRSRC hInfo = ::FindResourceW(hModule, MAKEINTRESOURCEW(nID), MAKEINTRESOURCEW(nType));
    if (!hInfo)
        return false;
    HGLOBAL hData = ::LoadResource(hModule, hInfo);
    const void* pData = hData ? ::LockResource(hData) : nullptr;
    if (!pData)
        return false;
    *ppData = pData;
    *pnSize = ::SizeofResource(hModule, hInfo);
    return true;
}

CString AfxUtf16ToAnsi(const uint16_t* text, size_t nChars)
{
    if (nChars == 0)
        return CString();
    const wchar_t* pWide = reinterpret_cast<const wchar_t*>(text);
    int nWide = static_cast<int>(nChars);
    int nBytes = ::WideCharToMultiByte(932, 0, pWide, nWide, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return CString();
    CString result;
    char* p = result.GetBuffer(nBytes);
    ::WideCharToMultiByte(932, 0, pWide, nWide, p, nBytes, nullptr, nullptr);
    result.ReleaseBuffer(nBytes);
    return result;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Probing an empty drive must fail quietly, not ask the user to insert a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    Win32InitCommonControls();
    // The program's whole life is InitInstance; it returns FALSE when it is over.
    CWinApp* pApp = AfxGetApp();
    if (!pApp || pApp->InitInstance())
        return 0;
    return pApp->ExitInstance();
}
