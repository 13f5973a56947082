// Shared by the tests under Wine: CP932 text, files through the wide API.
#ifndef TOLVANE_TESTS_WIN_WIN_SUPPORT_H
#define TOLVANE_TESTS_WIN_WIN_SUPPORT_H

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string Cp932(const std::wstring& s)
{
    int n = WideCharToMultiByte(932, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, s.data(), static_cast<int>(s.size()), &out[0], n, nullptr, nullptr);
    return out;
}

inline std::wstring BesideThisProgram(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH];
    std::wstring self(buffer, GetModuleFileNameW(nullptr, buffer, MAX_PATH));
    return self.substr(0, self.rfind(L'\\') + 1) + name;
}

inline std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of the test's own in the temp folder, removed with all it holds.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* name)
    {
        wchar_t temp[MAX_PATH];
        m_path = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + name + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { Remove(m_path); }
    // REL uses "\" and makes the folders it names.
    void Put(const std::wstring& rel, const std::string& bytes) const
    {
        for (size_t cut = rel.find(L'\\'); cut != std::wstring::npos; cut = rel.find(L'\\', cut + 1))
            CreateDirectoryW((L"\\\\?\\" + m_path + L"\\" + rel.substr(0, cut)).c_str(), nullptr);
        HANDLE h = CreateFileW((L"\\\\?\\" + m_path + L"\\" + rel).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               0, nullptr);
        DWORD n = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(h);
    }
    std::string Text() const { return Cp932(m_path); }
    std::wstring m_path;

private:
    static void Remove(const std::wstring& dir)
    {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((L"\\\\?\\" + dir + L"\\*").c_str(), &fd);
        for (BOOL bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileW(h, &fd)) {
            std::wstring path = dir + L"\\" + fd.cFileName;
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((L"\\\\?\\" + path).c_str());
            else if (fd.cFileName[0] != L'.')
                Remove(path);
        }
        FindClose(h);
        RemoveDirectoryW((L"\\\\?\\" + dir).c_str());
    }
};

#endif
