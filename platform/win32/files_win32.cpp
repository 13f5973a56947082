// The file system through the ANSI API: every path is CP932 as the user typed it.
#include <cstring>

#include "platform/files.h"

struct CFileFind::Impl {
    HANDLE hFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA current = {};
    // The entry after the current one, read ahead so FindNextFile can tell
    // whether the entry it makes current is the last.
    WIN32_FIND_DATAA next = {};
    bool bHasNext = false;
};

CFileFind::CFileFind() : m_pImpl(new Impl) {}

CFileFind::~CFileFind()
{
    Close();
    delete m_pImpl;
}

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    m_pImpl->hFind = ::FindFirstFileA(pattern, &m_pImpl->next);
    m_pImpl->bHasNext = m_pImpl->hFind != INVALID_HANDLE_VALUE;
    return m_pImpl->bHasNext;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_pImpl->bHasNext)
        return FALSE;
    m_pImpl->current = m_pImpl->next;
    m_pImpl->bHasNext = ::FindNextFileA(m_pImpl->hFind, &m_pImpl->next) != FALSE;
    return m_pImpl->bHasNext;
}

BOOL CFileFind::IsDirectory() const { return (m_pImpl->current.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

BOOL CFileFind::IsDots() const
{
    const char* name = m_pImpl->current.cFileName;
    return IsDirectory() && (strcmp(name, ".") == 0 || strcmp(name, "..") == 0);
}

CString CFileFind::GetFileName() const { return CString(m_pImpl->current.cFileName); }

void CFileFind::Close()
{
    if (m_pImpl->hFind != INVALID_HANDLE_VALUE)
        ::FindClose(m_pImpl->hFind);
    m_pImpl->hFind = INVALID_HANDLE_VALUE;
    m_pImpl->bHasNext = false;
}

bool GetDirectoryIdentity(const char* dirText, FileIdentity* pId)
{
    // No access rights are needed to read the identity, and backup semantics
    // is what lets CreateFile open a directory at all.
    HANDLE h = ::CreateFileA(dirText, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    BOOL bOk = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    if (!bOk)
        return false;
    pId->volume = info.dwVolumeSerialNumber;
    pId->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

CRawFile::CRawFile() : m_handle(reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE)) {}

CRawFile::~CRawFile() { Close(); }

bool CRawFile::Open(const char* path)
{
    Close();
    HANDLE h = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    m_handle = reinterpret_cast<intptr_t>(h);
    return h != INVALID_HANDLE_VALUE;
}

long CRawFile::Read(char* buffer, size_t nBytes)
{
    HANDLE h = reinterpret_cast<HANDLE>(m_handle);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    const size_t kMaxRead = 1u << 30;
    DWORD nRead = 0;
    if (!::ReadFile(h, buffer, static_cast<DWORD>(nBytes < kMaxRead ? nBytes : kMaxRead), &nRead, nullptr))
        return -1;
    return static_cast<long>(nRead);
}

void CRawFile::Close()
{
    HANDLE h = reinterpret_cast<HANDLE>(m_handle);
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
    m_handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

namespace {

bool WriteAll(HANDLE h, const char* data, size_t nBytes)
{
    while (nBytes > 0) {
        DWORD nChunk = static_cast<DWORD>(nBytes < (1u << 30) ? nBytes : (1u << 30));
        DWORD nWritten = 0;
        if (!::WriteFile(h, data, nChunk, &nWritten, nullptr) || nWritten == 0)
            return false;
        data += nWritten;
        nBytes -= nWritten;
    }
    return true;
}

}  // namespace

bool WriteFileReplacing(const char* path, const char* data, size_t nBytes)
{
    CString tmp = CString(path) + ".new";
    HANDLE h = ::CreateFileA(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // The data must be on disk before the rename makes it the file.
    bool bOk = WriteAll(h, data, nBytes) && ::FlushFileBuffers(h);
    bOk = ::CloseHandle(h) && bOk;
    if (bOk && ::MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileA(tmp);
    return false;
}

CString GetModuleFilePath()
{
    char buffer[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return CString();
    return CString(buffer, static_cast<int>(n));
}
