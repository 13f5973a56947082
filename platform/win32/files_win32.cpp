// The file system through the wide API. Paths come in as CP932 text, as the
// user typed them or as the walk built them from listed names; here they
// become absolute "\\?\" paths, so reserved names such as aux.c are files and
// not devices, and no length limit of the ANSI API applies.
//
// A listed name that CP932 cannot hold is shown with "?" for each missing
// character (no best-fit look-alike, which could name a different file). The
// finder remembers the real name of such an entry under the path it showed,
// and every later use of that path, or of a path below it, is mapped back
// before it reaches the file system. Two names that show alike map to the
// last one listed; the walk opens each file right after listing it, so both
// are read, once each.
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/files.h"
#include "platform/win32/win32_internal.h"

namespace {

const UINT kCodePage = 932;

std::wstring Widen(const char* s, size_t n)
{
    if (n == 0)
        return std::wstring();
    int nWide = ::MultiByteToWideChar(kCodePage, 0, s, static_cast<int>(n), nullptr, 0);
    std::wstring out(static_cast<size_t>(nWide), L'\0');
    ::MultiByteToWideChar(kCodePage, 0, s, static_cast<int>(n), &out[0], nWide);
    return out;
}

// CP932 text of a wide name; *pExact is false when a character had no exact
// CP932 form and became "?".
CString Narrow(const wchar_t* s, size_t n, bool* pExact)
{
    *pExact = true;
    size_t i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    if (i == n) {
        CString out;
        char* p = out.GetBuffer(static_cast<int>(n));
        for (i = 0; i < n; ++i)
            p[i] = static_cast<char>(s[i]);
        out.ReleaseBuffer(static_cast<int>(n));
        return out;
    }
    BOOL bDefault = FALSE;
    int nBytes = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, s, static_cast<int>(n), nullptr, 0, "?",
                                       &bDefault);
    CString out;
    char* p = out.GetBuffer(nBytes);
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, s, static_cast<int>(n), p, nBytes, "?", &bDefault);
    out.ReleaseBuffer(nBytes);
    *pExact = !bDefault;
    if (*pExact) {
        // Characters CP932 holds only one way round (several wide forms for
        // one byte sequence) also name a different file when read back.
        std::wstring back = Widen(out.GetString(), static_cast<size_t>(nBytes));
        *pExact = back.size() == n && std::wmemcmp(back.data(), s, n) == 0;
    }
    return out;
}

// Displayed absolute path (as Normalise gives it) -> the real wide path.
// The walk adds to it while workers open files and the tree lists folders:
// every use holds the lock.
std::unordered_map<std::wstring, std::wstring>& DisplayedNames()
{
    static std::unordered_map<std::wstring, std::wstring> table;
    return table;
}
std::mutex g_displayedNamesLock;

// Remembers that the CP932 path SHOWN, its displayed folder DISPLAYEDDIR
// before it, stands for the real path REAL.
void RememberShown(const std::wstring& displayedDir, const CString& shown, const std::wstring& real)
{
    std::wstring key = displayedDir + Widen(shown.GetString(), static_cast<size_t>(shown.GetLength()));
    std::lock_guard<std::mutex> lock(g_displayedNamesLock);
    DisplayedNames()[key] = real;
}

// Absolute form with "\" separators, no "." or ".." and no repeated or
// trailing separator (except after a drive root), without any prefix: "C:\a\b"
// or "\\server\share\a". The base of a relative text comes from
// GetFullPathNameW on a drive or "." only, never on a name, since that call
// turns a last name such as nul.txt into the device "\\.\NUL".
std::wstring Normalise(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    std::wstring root;
    size_t rest = 0;
    if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0) {
        return path;
    } else if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        // \\server\share is the root of a UNC path.
        size_t server = path.find(L'\\', 2);
        size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        root = path.substr(0, share);
        rest = share == std::wstring::npos ? path.size() : share;
    } else if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        root = path.substr(0, 2);
        rest = 2;
    } else {
        std::wstring base;
        if (path.size() >= 2 && path[1] == L':') {
            base = path.substr(0, 2);  // "C:foo": relative to that drive's folder
            rest = 2;
        } else if (!path.empty() && path[0] == L'\\') {
            base = L"\\";  // the current drive's root
            rest = 1;
        } else {
            base = L".";
        }
        // Asked with no buffer, the call gives the size it needs, its NUL included.
        DWORD nNeed = ::GetFullPathNameW(base.c_str(), 0, nullptr, nullptr);
        if (nNeed == 0)
            return path;
        std::wstring full(nNeed, L'\0');
        DWORD n = ::GetFullPathNameW(base.c_str(), nNeed, &full[0], nullptr);
        if (n == 0 || n >= nNeed)
            return path;
        full.resize(n);
        if (full.back() != L'\\')
            full += L'\\';
        return Normalise(full + path.substr(rest));
    }
    // Components after the root, with "." dropped and ".." taking one back.
    std::wstring out = root;
    size_t keep = out.size();
    size_t i = rest;
    while (i < path.size()) {
        while (i < path.size() && path[i] == L'\\')
            ++i;
        size_t end = path.find(L'\\', i);
        if (end == std::wstring::npos)
            end = path.size();
        std::wstring name = path.substr(i, end - i);
        i = end;
        if (name.empty() || name == L".")
            continue;
        if (name == L"..") {
            size_t cut = out.rfind(L'\\');
            out.resize(cut == std::wstring::npos || cut < keep ? keep : cut);
            continue;
        }
        out += L'\\';
        out += name;
    }
    if (out.size() == 2 && out[1] == L':')
        out += L'\\';
    return out;
}

// A normalised displayed path with the longest registered displayed prefix,
// ending on a name boundary, replaced by its real path.
std::wstring ResolveDisplayed(const std::wstring& path)
{
    std::lock_guard<std::mutex> lock(g_displayedNamesLock);
    const auto& table = DisplayedNames();
    if (table.empty())
        return path;
    for (size_t end = path.size(); end != std::wstring::npos && end > 0; end = path.rfind(L'\\', end - 1)) {
        auto it = table.find(path.substr(0, end));
        if (it != table.end())
            return it->second + path.substr(end);
    }
    return path;
}

std::wstring LongForm(const std::wstring& normal)
{
    if (normal.compare(0, 4, L"\\\\?\\") == 0 || normal.compare(0, 4, L"\\\\.\\") == 0)
        return normal;
    if (normal.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + normal.substr(2);
    return L"\\\\?\\" + normal;
}

// What the file system is given for a CP932 path of the product.
std::wstring SystemPath(const char* path)
{
    return LongForm(ResolveDisplayed(Normalise(Widen(path, std::strlen(path)))));
}

}  // namespace

std::wstring Win32SystemPath(const char* path) { return SystemPath(path); }

CString Win32ShownPath(const std::wstring& path)
{
    std::wstring real = Normalise(path);
    bool bExact = true;
    CString shown = Narrow(real.data(), real.size(), &bExact);
    if (bExact)
        return shown;
    // The folders on the way are remembered too: the product takes a file's
    // folder from its path, and the walk lists below a folder.
    for (size_t end = real.find(L'\\');; end = real.find(L'\\', end + 1)) {
        std::wstring part = real.substr(0, end);
        bool bPartExact = true;
        CString shownPart = Narrow(part.data(), part.size(), &bPartExact);
        if (!bPartExact)
            RememberShown(std::wstring(), shownPart, part);
        if (end == std::wstring::npos)
            break;
    }
    return shown;
}

std::wstring Win32RealPath(const char* path)
{
    return ResolveDisplayed(Normalise(Widen(path, std::strlen(path))));
}

CString Win32Narrow(const std::wstring& text)
{
    bool bExact = true;
    return Narrow(text.data(), text.size(), &bExact);
}

std::wstring Win32Widen(const char* text) { return Widen(text, std::strlen(text)); }

std::string PathForStore(const char* path)
{
    std::wstring real = Win32RealPath(path);
    int n = ::WideCharToMultiByte(CP_UTF8, 0, real.data(), static_cast<int>(real.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, real.data(), static_cast<int>(real.size()), &out[0], n, nullptr, nullptr);
    return out;
}

CString PathFromStore(const std::string& stored)
{
    int n = ::MultiByteToWideChar(CP_UTF8, 0, stored.data(), static_cast<int>(stored.size()), nullptr, 0);
    std::wstring real(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, stored.data(), static_cast<int>(stored.size()), &real[0], n);
    bool bExact = true;
    CString shown = Narrow(real.data(), real.size(), &bExact);
    // The path shown with "?" leads back to its real name, as a listing's do.
    if (!bExact)
        RememberShown(std::wstring(), shown, real);
    return shown;
}

struct CFileFind::Impl {
    HANDLE hFind = INVALID_HANDLE_VALUE;
    // The displayed and the real folder of the listing, both normalised, for
    // remembering the real names of entries shown with "?".
    std::wstring displayedDir, realDir;
    WIN32_FIND_DATAW current = {};
    // The entry after the current one, read ahead so FindNextFile can tell
    // whether the entry it makes current is the last.
    WIN32_FIND_DATAW next = {};
    bool bHasNext = false;
    CString currentName;
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
    std::wstring wide = Normalise(Widen(pattern, std::strlen(pattern)));
    size_t cut = wide.rfind(L'\\');
    if (cut == std::wstring::npos)
        return FALSE;
    std::wstring mask = wide.substr(cut + 1);
    m_pImpl->displayedDir = wide.substr(0, cut);
    m_pImpl->realDir = ResolveDisplayed(m_pImpl->displayedDir);
    std::wstring system = LongForm(m_pImpl->realDir + L"\\" + mask);
    m_pImpl->hFind = ::FindFirstFileExW(system.c_str(), FindExInfoBasic, &m_pImpl->next, FindExSearchNameMatch,
                                        nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (m_pImpl->hFind == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER)
        m_pImpl->hFind = ::FindFirstFileExW(system.c_str(), FindExInfoStandard, &m_pImpl->next,
                                            FindExSearchNameMatch, nullptr, 0);
    m_pImpl->bHasNext = m_pImpl->hFind != INVALID_HANDLE_VALUE;
    return m_pImpl->bHasNext;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_pImpl->bHasNext)
        return FALSE;
    m_pImpl->current = m_pImpl->next;
    const wchar_t* name = m_pImpl->current.cFileName;
    size_t nName = std::wcslen(name);
    bool bExact = true;
    m_pImpl->currentName = Narrow(name, nName, &bExact);
    if (!bExact)
        RememberShown(m_pImpl->displayedDir + L"\\", m_pImpl->currentName, m_pImpl->realDir + L"\\" + name);
    m_pImpl->bHasNext = ::FindNextFileW(m_pImpl->hFind, &m_pImpl->next) != FALSE;
    return m_pImpl->bHasNext;
}

BOOL CFileFind::IsDirectory() const { return (m_pImpl->current.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

BOOL CFileFind::IsDots() const
{
    const wchar_t* name = m_pImpl->current.cFileName;
    return IsDirectory() && (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0);
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const { return (m_pImpl->current.dwFileAttributes & dwMask) != 0; }

CString CFileFind::GetFileName() const { return m_pImpl->currentName; }

// The real wide path, whatever a later listing shows under the same text.
FileKey CFileFind::GetFileKey(const CString&) const
{
    std::wstring real = m_pImpl->realDir + L"\\" + m_pImpl->current.cFileName;
    const WIN32_FIND_DATAW& f = m_pImpl->current;
    FileStamp stamp{(static_cast<uint64_t>(f.nFileSizeHigh) << 32) | f.nFileSizeLow,
                    (static_cast<uint64_t>(f.ftLastWriteTime.dwHighDateTime) << 32) | f.ftLastWriteTime.dwLowDateTime};
    return FileKey{std::string(reinterpret_cast<const char*>(real.data()), real.size() * sizeof(wchar_t)), stamp};
}

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
    HANDLE h = ::CreateFileW(SystemPath(dirText).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

bool IsExistingDirectory(const char* path)
{
    DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

CRawFile::CRawFile() : m_handle(reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE)) {}

CRawFile::~CRawFile() { Close(); }

namespace {

// A disk file opened for reading, or INVALID_HANDLE_VALUE.
HANDLE OpenForReading(const std::wstring& system)
{
    HANDLE h = ::CreateFileW(system.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    // A pipe, console or serial port may wait for ever on a read: only files
    // on a disk are read.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

}  // namespace

bool CRawFile::Open(const char* path)
{
    Close();
    m_bStamped = false;
    m_handle = reinterpret_cast<intptr_t>(OpenForReading(SystemPath(path)));
    return reinterpret_cast<HANDLE>(m_handle) != INVALID_HANDLE_VALUE;
}

bool CRawFile::Open(const FileKey& key)
{
    Close();
    std::wstring real(key.bytes.size() / sizeof(wchar_t), L'\0');
    if (!real.empty())
        std::memcpy(&real[0], key.bytes.data(), real.size() * sizeof(wchar_t));
    m_handle = reinterpret_cast<intptr_t>(OpenForReading(LongForm(real)));
    // The listing told the size and time already: asking the open file again
    // costs as much as listing a folder under a slow file system layer.
    m_stamp = key.stamp;
    m_bStamped = true;
    return reinterpret_cast<HANDLE>(m_handle) != INVALID_HANDLE_VALUE;
}

FileStamp CRawFile::Stamp() const
{
    if (m_bStamped)
        return m_stamp;
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE h = reinterpret_cast<HANDLE>(m_handle);
    if (h == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(h, &info))
        return FileStamp();
    return FileStamp{(static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                         info.ftLastWriteTime.dwLowDateTime};
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

bool CRawFile::Seek(uint64_t nOffset)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(nOffset);
    HANDLE h = reinterpret_cast<HANDLE>(m_handle);
    return h != INVALID_HANDLE_VALUE && ::SetFilePointerEx(h, to, nullptr, FILE_BEGIN);
}

void CRawFile::Close()
{
    HANDLE h = reinterpret_cast<HANDLE>(m_handle);
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
    m_handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}
