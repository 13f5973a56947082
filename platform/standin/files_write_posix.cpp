// Writing files in the native build: whole files swapped in by a rename,
// appended lists, folders made and removed, all flushed as on Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/files.h"
#include "platform/standin/standin.h"

namespace {

bool WriteAllTo(int fd, const char* data, size_t nBytes)
{
    for (size_t done = 0; done < nBytes;) {
        ssize_t n = ::write(fd, data + done, nBytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace


bool GetFileStatus(const char* path, FileStatus* pStatus)
{
    std::string host;
    struct stat st;
    if (!HostPath(path, &host) || stat(host.c_str(), &st) != 0)
        return false;
    pStatus->stamp = FileStamp{static_cast<uint64_t>(st.st_size), static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                                                                       static_cast<uint64_t>(st.st_mtim.tv_nsec)};
    // The read-only attribute of a Windows file is the lack of every write
    // bit here, whoever runs the program.
    pStatus->bReadOnly = (st.st_mode & 0222) == 0;
    pStatus->bDirectory = S_ISDIR(st.st_mode);
    return true;
}

bool WriteFileReplacing(const char* path, const char* data, size_t nBytes, const char* tempSuffix)
{
    std::string host;
    if (!HostPath(path, &host))
        return false;
    struct stat st;
    mode_t mode = stat(host.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    std::string temp = host + tempSuffix;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = WriteAllTo(fd, data, nBytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), host.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

bool AppendToFile(const char* path, const char* data, size_t nBytes)
{
    std::string host;
    if (!HostPath(path, &host))
        return false;
    int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = WriteAllTo(fd, data, nBytes) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool MakeDirectory(const char* path)
{
    std::string host;
    struct stat st;
    return HostPath(path, &host) && (::mkdir(host.c_str(), 0755) == 0 || errno == EEXIST) &&
           stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFilePath(const char* path)
{
    std::string host;
    return HostPath(path, &host) && ::unlink(host.c_str()) == 0;
}

bool RemoveEmptyDirectory(const char* path)
{
    std::string host;
    return HostPath(path, &host) && ::rmdir(host.c_str()) == 0;
}

std::string PathForStore(const char* path) { return path; }

CString PathFromStore(const std::string& stored) { return CString(stored.c_str()); }

void GetLocalTime(SYSTEMTIME* pTime)
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm t;
    localtime_r(&now.tv_sec, &t);
    *pTime = SYSTEMTIME{static_cast<WORD>(t.tm_year + 1900), static_cast<WORD>(t.tm_mon + 1),
                        static_cast<WORD>(t.tm_wday),        static_cast<WORD>(t.tm_mday),
                        static_cast<WORD>(t.tm_hour),        static_cast<WORD>(t.tm_min),
                        static_cast<WORD>(t.tm_sec),         static_cast<WORD>(now.tv_nsec / 1000000)};
}
