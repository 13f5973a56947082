// The current user's registry through the wide API: key names and texts
// converted from CP932, a program's path as the file system names it.
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/win32_internal.h"

namespace {

class CKey {
public:
    CKey(const char* key, REGSAM access)
    {
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, Win32Widen(key).c_str(), 0, access, &m_h) != ERROR_SUCCESS)
            m_h = nullptr;
    }
    ~CKey()
    {
        if (m_h)
            ::RegCloseKey(m_h);
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    HKEY m_h = nullptr;
};

bool SetDefault(const char* key, const std::wstring& text)
{
    CKey k(key, KEY_SET_VALUE);
    return k.m_h && ::RegSetValueExW(k.m_h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring Command(const char* program, const char* parameters)
{
    return L"\"" + Win32RealPath(program) + L"\" " + Win32Widen(parameters);
}

}  // namespace

bool AfxRegKeyExists(const char* key) { return CKey(key, KEY_READ).m_h != nullptr; }

bool AfxRegCreateKey(const char* key, bool* pbMade)
{
    HKEY h = nullptr;
    DWORD nDisposition = 0;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, Win32Widen(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                          &nDisposition) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(h);
    *pbMade = nDisposition == REG_CREATED_NEW_KEY;
    return true;
}

bool AfxRegDeleteKey(const char* key)
{
    return ::RegDeleteKeyW(HKEY_CURRENT_USER, Win32Widen(key).c_str()) == ERROR_SUCCESS;
}

bool AfxRegKeyIsEmpty(const char* key)
{
    CKey k(key, KEY_READ);
    DWORD nSubKeys = 0, nValues = 0;
    return k.m_h && ::RegQueryInfoKeyW(k.m_h, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr, &nValues,
                                       nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           nSubKeys == 0 && nValues == 0;
}

bool AfxRegSetDefault(const char* key, const char* text) { return SetDefault(key, Win32Widen(text)); }

bool AfxRegSetCommand(const char* key, const char* program, const char* parameters)
{
    return SetDefault(key, Command(program, parameters));
}

bool AfxRegIsCommand(const char* key, const char* program, const char* parameters)
{
    CKey k(key, KEY_QUERY_VALUE);
    DWORD nType = 0, nBytes = 0;
    if (!k.m_h || ::RegQueryValueExW(k.m_h, nullptr, nullptr, &nType, nullptr, &nBytes) != ERROR_SUCCESS ||
        nType != REG_SZ)
        return false;
    std::vector<wchar_t> value(nBytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(k.m_h, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &nBytes) !=
        ERROR_SUCCESS)
        return false;
    return std::wstring(value.data()) == Command(program, parameters);
}
