// The file system as the product sees it: Windows paths in code page 932.
// The Win32 side calls the ANSI API; the stand-in maps drive letters to host
// folders and translates "\" separators without touching trail bytes.
#ifndef TOLVANE_PLATFORM_FILES_H
#define TOLVANE_PLATFORM_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/cstring.h"
#include "platform/wintypes.h"

// A listed file, for opening later and from any thread: by then a later
// listing may have shown another name under the same text (two names that
// code page 932 shows alike). What it holds is the platform's own.
// What a file's content was when it was listed or read: its size and its
// last-write time, in the platform's own units. Another program that
// writes the file changes one of them.
struct FileStamp {
    uint64_t nSize = 0;
    uint64_t nWriteTime = 0;
    bool operator==(const FileStamp& o) const { return nSize == o.nSize && nWriteTime == o.nWriteTime; }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

struct FileKey {
    std::string bytes;
    FileStamp stamp;  // as listed, where the listing tells it
};

// Directory listing over a pattern such as "C:\dir\*.*". Entries come in the
// order the file system returns them, "." and ".." included. The usual loop:
//   BOOL bWorking = finder.FindFile(pattern);
//   while (bWorking) { bWorking = finder.FindNextFile(); ...current entry... }
class CFileFind {
public:
    CFileFind();
    ~CFileFind();
    BOOL FindFile(const char* pattern);
    BOOL FindNextFile();
    BOOL IsDirectory() const;
    BOOL IsDots() const;
    // Whether the current entry has any of the FILE_ATTRIBUTE_ bits of MASK; a
    // junction or a link to a folder is a directory and a reparse point.
    BOOL MatchesMask(DWORD dwMask) const;
    CString GetFileName() const;
    // The current entry, found in the folder DIRTEXT (ending in "\") that
    // the pattern listed.
    FileKey GetFileKey(const CString& dirText) const;
    void Close();

private:
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    struct Impl;
    Impl* m_pImpl;
};

// What makes two paths the same folder: volume and file id on Windows,
// device and inode on POSIX.
struct FileIdentity {
    uint64_t volume;
    uint64_t index;
    bool operator==(const FileIdentity& o) const { return volume == o.volume && index == o.index; }
};
bool GetDirectoryIdentity(const char* dirText, FileIdentity* pId);

// Whether the path names an existing folder (a file, or nothing, is not one).
bool IsExistingDirectory(const char* path);

// Unbuffered reading of a whole file in large blocks. The file layer keeps
// no state of its own per file: workers may read files on threads of their
// own while another lists folders.
class CRawFile {
public:
    CRawFile();
    ~CRawFile();
    bool Open(const char* path);
    bool Open(const FileKey& key);
    // Bytes read, 0 at the end of the file, -1 on a read error.
    long Read(char* buffer, size_t nBytes);
    // The next read starts at byte NOFFSET of the file.
    bool Seek(uint64_t nOffset);
    // The open file's size and last-write time: as listed when it was opened
    // by its key and the listing told them, else as the file is now.
    FileStamp Stamp() const;
    void Close();

private:
    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;
    intptr_t m_handle;
    FileStamp m_stamp;
    bool m_bStamped = false;
};

// The text with one "\" at its end; the 5C trail byte of a final ソ or 表 is
// not a separator.
CString WithSeparator(const CString& dir);

// A whole file into OUT; false when it cannot be read.
bool ReadWholeFile(const char* path, std::string* out);

// What a path is now; false when it names nothing.
struct FileStatus {
    FileStamp stamp;
    bool bReadOnly = false;
    bool bDirectory = false;
};
bool GetFileStatus(const char* path, FileStatus* pStatus);

// Writes a new file, PATH with TEMPSUFFIX appended, flushes it to disk and
// only then puts it in PATH's place in one step, so at every instant PATH is
// the complete old file or the complete new one. An existing file keeps its
// attributes (hidden, system, archive), its creation time and the case of its
// name. On failure PATH is as it was and the new file is gone.
bool WriteFileReplacing(const char* path, const char* data, size_t nBytes, const char* tempSuffix = ".new");

// DATA added at the end of PATH (made when missing) and flushed to disk.
bool AppendToFile(const char* path, const char* data, size_t nBytes);
// True when the folder exists afterwards.
bool MakeDirectory(const char* path);
bool DeleteFilePath(const char* path);
bool RemoveEmptyDirectory(const char* path);

// A path in a form that still names the file after a restart, when the names
// shown with "?" for what code page 932 lacks are no longer remembered: on
// Windows the real path in UTF-8, elsewhere the path as it is; and back.
std::string PathForStore(const char* path);
CString PathFromStore(const std::string& stored);

// Full path of the running executable, in Windows form.
CString GetModuleFilePath();

// _chdrive(n) makes drive n (1 = A:) current and gives 0 when it exists.
#ifdef _WIN32
#include <direct.h>
#else
int _chdrive(int nDrive);
#endif

#endif
