// The file system of the native build: Windows paths in CP932 mapped onto
// host folders. Drive letters are host folders given by the probe or the
// tests; "\\host\..." names a host path as it is, which is how the running
// executable's own folder is given.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "text/mbcs.h"
#include "platform/probe_support.h"
#include "platform/standin/standin.h"

namespace {

std::map<int, std::string> g_drives;  // 1 = A:
int g_currentDrive = 0;

const char kHostPrefix[] = "\\\\host\\";

// "\" becomes "/", but never a 5C that is the second byte of a character.
std::string Separators(const char* s, size_t n)
{
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLeadByte932(c) && i + 1 < n) {
            out += s[i];
            out += s[++i];
        } else {
            out += c == '\\' ? '/' : s[i];
        }
    }
    return out;
}

bool DriveRoot(int drive, std::string* root)
{
    auto it = g_drives.find(drive);
    if (it == g_drives.end())
        return false;
    *root = it->second;
    return true;
}


// Windows name matching for the patterns the program uses: "*" and "?",
// and a final ".*" that also accepts a name without a dot.
bool Matches(const char* pat, const char* name)
{
    if (*pat == 0)
        return *name == 0;
    if (std::strcmp(pat, ".*") == 0 && *name == 0)
        return true;
    if (*pat == '*') {
        for (const char* p = name;; ++p) {
            if (Matches(pat + 1, p))
                return true;
            if (*p == 0)
                return false;
        }
    }
    if (*name == 0)
        return false;
    if (*pat == '?' || *pat == *name)
        return Matches(pat + 1, name + 1);
    return false;
}

}  // namespace

// Host path of a Windows path; false when it names a drive that does not exist.
bool HostPath(const char* path, std::string* out)
{
    size_t n = std::strlen(path);
    if (std::strncmp(path, kHostPrefix, sizeof kHostPrefix - 1) == 0) {
        *out = "/" + Separators(path + sizeof kHostPrefix - 1, n - (sizeof kHostPrefix - 1));
        return true;
    }
    std::string root;
    if (n >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        int drive = (path[0] | 0x20) - 'a' + 1;
        if (!DriveRoot(drive, &root))
            return false;
        *out = root + "/" + Separators(path + 2, n - 2);
        return true;
    }
    if (n >= 1 && path[0] == '\\') {
        if (!DriveRoot(g_currentDrive, &root))
            root.clear();
        *out = root + Separators(path, n);
        return true;
    }
    *out = Separators(path, n);
    return true;
}

bool ProbeMapDrive(char letter, const char* hostFolder)
{
    int drive = (letter | 0x20) - 'a' + 1;
    if (drive < 1 || drive > 26)
        return false;
    std::string root(hostFolder);
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    g_drives[drive] = root;
    if (g_currentDrive == 0 || drive < g_currentDrive)
        g_currentDrive = drive;
    return true;
}

void ProbeClearDrives()
{
    g_drives.clear();
    g_currentDrive = 0;
}

CString g_standinCurrentFolder;

CString StandinAbsolutePath(const char* text)
{
    std::string s(text);
    for (char& c : s)
        if (c == '/')
            c = '\\';  // below 0x40: never a trail byte
    if (s.compare(0, 2, "\\\\") == 0)
        return CString(s.c_str());
    std::string drive = std::string(1, static_cast<char>('A' + (g_currentDrive > 0 ? g_currentDrive : 3) - 1)) + ":";
    std::string root, rest;
    if (s.size() >= 2 && s[1] == ':' && std::isalpha(static_cast<unsigned char>(s[0]))) {
        root = s.substr(0, 2);
        rest = s.substr(2);
    } else if (!s.empty() && s[0] == '\\') {
        root = drive;
        rest = s;
    } else {
        std::string base = g_standinCurrentFolder.IsEmpty() ? drive : std::string(g_standinCurrentFolder);
        return StandinAbsolutePath((base + "\\" + s).c_str());
    }
    // The names after the root, "." dropped and ".." taking one back.
    std::vector<std::string> names(1);
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '\\') {
            names.emplace_back();
            continue;
        }
        names.back() += rest[i];
        if (IsLeadByte932(static_cast<unsigned char>(rest[i])) && i + 1 < rest.size())
            names.back() += rest[++i];
    }
    std::vector<std::string> kept;
    for (const std::string& name : names) {
        if (name == "..") {
            if (!kept.empty())
                kept.pop_back();
        } else if (!name.empty() && name != ".") {
            kept.push_back(name);
        }
    }
    std::string out = root;
    for (const std::string& name : kept)
        out += "\\" + name;
    return CString((kept.empty() ? out + "\\" : out).c_str());
}

int _chdrive(int nDrive)
{
    if (g_drives.count(nDrive) == 0)
        return -1;
    g_currentDrive = nDrive;
    return 0;
}

struct CFileFind::Impl {
    struct Entry {
        std::string name;
        bool directory;
        bool link;  // reached through a symbolic link, as Windows marks a reparse point
    };
    std::vector<Entry> entries;
    size_t next = 0;       // the entry FindNextFile moves to
    const Entry* current = nullptr;
};

CFileFind::CFileFind() : m_pImpl(nullptr) {}

CFileFind::~CFileFind() { Close(); }

BOOL CFileFind::FindFile(const char* pattern)
{
    Close();
    CString pat(pattern);
    int sep = pat.ReverseFind('\\');
    CString dirPart = pat.Left(sep + 1);
    CString namePart = pat.Mid(sep + 1);
    if (sep < 0 && pat.GetLength() >= 2 && pat[1] == ':') {
        dirPart = pat.Left(2) + "\\";
        namePart = pat.Mid(2);
    }
    std::string hostDir;
    if (!HostPath(dirPart.IsEmpty() ? "." : (const char*)dirPart, &hostDir))
        return FALSE;
    if (hostDir.empty())
        hostDir = "/";
    DIR* d = opendir(hostDir.c_str());
    if (!d)
        return FALSE;
    auto impl = new Impl;
    while (struct dirent* e = readdir(d)) {
        const char* name = e->d_name;
        if (!Matches(namePart, name))
            continue;
        bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
        bool dir = dots || e->d_type == DT_DIR;
        bool regular = e->d_type == DT_REG;
        bool link = e->d_type == DT_LNK;
        if (!dots && !dir && !regular) {
            // A link, or a file system that does not say: look at what it names.
            struct stat st;
            std::string full = hostDir + "/" + name;
            if (e->d_type == DT_UNKNOWN && lstat(full.c_str(), &st) == 0)
                link = S_ISLNK(st.st_mode);
            if (stat(full.c_str(), &st) != 0)
                continue;  // a dangling link names nothing that could be read
            dir = S_ISDIR(st.st_mode);
            regular = S_ISREG(st.st_mode);
        }
        // Fifos, sockets and devices are no text files: opening a fifo would
        // block the search forever.
        if (!dir && !regular)
            continue;
        impl->entries.push_back({name, dir, link});
    }
    closedir(d);
    if (impl->entries.empty()) {
        delete impl;
        return FALSE;
    }
    m_pImpl = impl;
    return TRUE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_pImpl || m_pImpl->next >= m_pImpl->entries.size())
        return FALSE;
    m_pImpl->current = &m_pImpl->entries[m_pImpl->next++];
    return m_pImpl->next < m_pImpl->entries.size();
}

BOOL CFileFind::IsDirectory() const { return m_pImpl && m_pImpl->current && m_pImpl->current->directory; }

BOOL CFileFind::IsDots() const
{
    if (!m_pImpl || !m_pImpl->current)
        return FALSE;
    const std::string& n = m_pImpl->current->name;
    return n == "." || n == "..";
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const
{
    if (!m_pImpl || !m_pImpl->current)
        return FALSE;
    DWORD attributes = m_pImpl->current->directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (m_pImpl->current->link)
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return (attributes & dwMask) != 0;
}

CString CFileFind::GetFileName() const
{
    return m_pImpl && m_pImpl->current ? CString(m_pImpl->current->name.c_str()) : CString();
}

FileKey CFileFind::GetFileKey(const CString& dirText) const
{
    return FileKey{std::string(dirText + GetFileName()), FileStamp()};
}

void CFileFind::Close()
{
    delete m_pImpl;
    m_pImpl = nullptr;
}

bool GetDirectoryIdentity(const char* dirText, FileIdentity* pId)
{
    std::string host;
    struct stat st;
    if (!HostPath(dirText, &host) || stat(host.empty() ? "/" : host.c_str(), &st) != 0)
        return false;
    pId->volume = static_cast<uint64_t>(st.st_dev);
    pId->index = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool IsExistingDirectory(const char* path)
{
    std::string host;
    struct stat st;
    return HostPath(path, &host) && stat(host.empty() ? "/" : host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

CRawFile::CRawFile() : m_handle(-1) {}

CRawFile::~CRawFile() { Close(); }

bool CRawFile::Open(const char* path)
{
    Close();
    std::string host;
    if (!HostPath(path, &host))
        return false;
    m_handle = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    return m_handle >= 0;
}

bool CRawFile::Open(const FileKey& key) { return Open(key.bytes.c_str()); }

// Read on demand: a file's status from its open descriptor costs next to
// nothing, and most files of a search never need it.
FileStamp CRawFile::Stamp() const
{
    struct stat st;
    if (m_handle < 0 || fstat(static_cast<int>(m_handle), &st) != 0)
        return FileStamp();
    return FileStamp{static_cast<uint64_t>(st.st_size),
                     static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec)};
}

long CRawFile::Read(char* buffer, size_t nBytes)
{
    if (m_handle < 0)
        return -1;
    for (;;) {
        ssize_t n = ::read(static_cast<int>(m_handle), buffer, nBytes);
        if (n >= 0 || errno != EINTR)
            return static_cast<long>(n);
    }
}

bool CRawFile::Seek(uint64_t nOffset)
{
    return m_handle >= 0 && ::lseek(static_cast<int>(m_handle), static_cast<off_t>(nOffset), SEEK_SET) >= 0;
}

void CRawFile::Close()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
}


CString GetModuleFilePath()
{
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return CString();
    CString path(kHostPrefix);
    for (ssize_t i = 1; i < n; ++i)
        path += buf[i] == '/' ? '\\' : buf[i];
    return path;
}
