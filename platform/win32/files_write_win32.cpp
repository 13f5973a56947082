// Writing files on Windows: whole files swapped in, appended lists, folders
// made and removed, each through the wide API and flushed to disk.
#include <windows.h>

#include <string>

#include "platform/files.h"
#include "platform/win32/win32_internal.h"

bool Win32WriteAll(HANDLE h, const char* data, size_t nBytes)
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

bool GetFileStatus(const char* path, FileStatus* pStatus)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(Win32SystemPath(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    pStatus->stamp = FileStamp{(static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                               (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                   data.ftLastWriteTime.dwLowDateTime};
    pStatus->bReadOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    pStatus->bDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

bool WriteFileReplacing(const char* path, const char* data, size_t nBytes, const char* tempSuffix)
{
    std::wstring target = Win32SystemPath(path);
    std::wstring tmp = target + Win32Widen(tempSuffix);
    // The new file is made with the old one's attributes and creation time,
    // then renamed over it: one step, whatever kills the program around it.
    // ReplaceFileW is not used: Wine's moves the old file to a name of its
    // own first, and a kill in between leaves that file beside it.
    WIN32_FILE_ATTRIBUTE_DATA old;
    bool bOld = ::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &old) != FALSE;
    DWORD attributes = bOld ? old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                            : 0;
    HANDLE h = ::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    // The data must be on disk before the rename makes it the file.
    bool bOk = ::GetFileType(h) == FILE_TYPE_DISK && Win32WriteAll(h, data, nBytes) &&
               (!bOld || ::SetFileTime(h, &old.ftCreationTime, nullptr, nullptr)) && ::FlushFileBuffers(h);
    bOk = ::CloseHandle(h) && bOk;
    if (bOk && ::MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(tmp.c_str());
    return false;
}

bool AppendToFile(const char* path, const char* data, size_t nBytes)
{
    HANDLE h = ::CreateFileW(Win32SystemPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool bOk = Win32WriteAll(h, data, nBytes) && ::FlushFileBuffers(h);
    return ::CloseHandle(h) && bOk;
}

bool MakeDirectory(const char* path)
{
    std::wstring system = Win32SystemPath(path);
    if (!::CreateDirectoryW(system.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    DWORD attributes = ::GetFileAttributesW(system.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFilePath(const char* path) { return ::DeleteFileW(Win32SystemPath(path).c_str()) != FALSE; }

bool RemoveEmptyDirectory(const char* path) { return ::RemoveDirectoryW(Win32SystemPath(path).c_str()) != FALSE; }
