#include "engine/backup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/wintypes.h"

const char kReplaceTempSuffix[] = ".~tolvane";

namespace {

const char kList[] = "list.txt";
const char kMagic[] = "tolvane";
const char kUndone[] = "undone";
const char kFinished[] = "finished";

// A folder's name as a replace gives it: YYYYMMDD-HHMMSS, perhaps with -NN
// after it for a second replace within the same second.
bool IsBackupName(const CString& name)
{
    const char* s = name;
    size_t n = std::strlen(s);
    if (n != 15 && n != 18)
        return false;
    for (size_t i = 0; i < n; ++i) {
        bool bDash = i == 8 || i == 15;
        if (bDash ? s[i] != '-' : (s[i] < '0' || s[i] > '9'))
            return false;
    }
    return true;
}

// The backup folders under ROOT, oldest first: their names sort by time.
std::vector<CString> BackupFolders(const CString& strRoot)
{
    std::vector<CString> names;
    CFileFind finder;
    BOOL bWorking = finder.FindFile(strRoot + "*.*");
    while (bWorking) {
        bWorking = finder.FindNextFile();
        if (finder.IsDirectory() && !finder.IsDots() && IsBackupName(finder.GetFileName()))
            names.push_back(finder.GetFileName());
    }
    std::sort(names.begin(), names.end(),
              [](const CString& a, const CString& b) { return std::strcmp(a, b) < 0; });
    return names;
}

void DeleteFolder(const CString& strFolder)
{
    CFileFind finder;
    std::vector<CString> files;
    BOOL bWorking = finder.FindFile(strFolder + "\\*.*");
    while (bWorking) {
        bWorking = finder.FindNextFile();
        if (!finder.IsDirectory())
            files.push_back(finder.GetFileName());
    }
    finder.Close();
    for (const CString& name : files)
        DeleteFilePath(strFolder + "\\" + name);
    RemoveEmptyDirectory(strFolder);
}

}  // namespace

uint64_t ContentHash(const std::string& bytes)
{
    // FNV-1a: quick, and only asked to tell an edited file from an unedited one.
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

CBackupFolder::CBackupFolder(const CString& strRoot) : m_strRoot(WithSeparator(strRoot)) {}

bool CBackupFolder::Create()
{
    if (!MakeDirectory(m_strRoot))
        return false;
    SYSTEMTIME t;
    GetLocalTime(&t);
    CString strName;
    strName.Format("%04u%02u%02u-%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    // The newest folder must sort last, also after a replace in the same
    // second, or after a clock set back: it then takes the next number
    // after the newest one's.
    std::vector<CString> names = BackupFolders(m_strRoot);
    if (!names.empty() && std::strcmp(names.back(), strName) >= 0) {
        const CString& newest = names.back();
        int nNext = newest.GetLength() > 15 ? std::atoi(static_cast<const char*>(newest) + 16) + 1 : 2;
        if (nNext > 99)
            return false;
        strName.Format("%s-%02d", static_cast<const char*>(newest.Left(15)), nNext);
    }
    m_strFolder = m_strRoot + strName;
    return MakeDirectory(m_strFolder);
}

// Each kept file says itself what it is, in a first line before the old
// bytes, so that one flush to disk keeps both: "tolvane" TAB the size and
// fingerprint of what the replace writes TAB the old size TAB the path.
bool CBackupFolder::Keep(const CString& strPath, const std::string& old, const std::string& written)
{
    CString strIndex, strHeader;
    strIndex.Format("%06d", ++m_nKept);
    std::string stored = PathForStore(strPath);
    strHeader.Format("%s\t%llu\t%016llx\t%llu\t", kMagic, static_cast<unsigned long long>(written.size()),
                     static_cast<unsigned long long>(ContentHash(written)), static_cast<unsigned long long>(old.size()));
    m_buffer.assign(strHeader.GetString(), static_cast<size_t>(strHeader.GetLength()));
    m_buffer.append(stored).append(1, '\n').append(old);
    m_list.append(strIndex.GetString()).append(1, '\t').append(strPath.GetString()).append(1, '\n');
    CString strFile = m_strFolder + "\\" + strIndex;
    if (GetFileStatus(strFile, &m_status) || !AppendToFile(strFile, m_buffer.data(), m_buffer.size()))
        return false;
    // Only a replace that keeps something makes an older one go: one that
    // wrote nothing leaves no folder.
    if (m_nKept == 1) {
        std::vector<CString> names = BackupFolders(m_strRoot);
        for (size_t i = 0; i + kKeptBackups < names.size(); ++i)
            DeleteFolder(m_strRoot + names[i]);
    }
    return true;
}

void CBackupFolder::Discard()
{
    CString strIndex;
    strIndex.Format("%06d", m_nKept--);
    DeleteFilePath(m_strFolder + "\\" + strIndex);
    m_list.resize(m_list.rfind('\n', m_list.size() - 2) == std::string::npos ? 0 : m_list.rfind('\n', m_list.size() - 2) + 1);
}

void CBackupFolder::Finish()
{
    if (m_strFolder.IsEmpty())
        return;
    if (m_nKept == 0) {
        DeleteFolder(m_strFolder);
    } else {
        WriteFileReplacing(m_strFolder + "\\" + kList, m_list.data(), m_list.size());
        WriteFileReplacing(m_strFolder + "\\" + kFinished, "", 0);
    }
    m_strFolder.Empty();
}

namespace {

// The first line of a kept file, or false when the file is not one or a
// kill cut it short: its file was then never swapped.
bool ReadKept(const CString& strFile, BackupEntry* pEntry)
{
    FileStatus status;
    CRawFile file;
    if (!GetFileStatus(strFile, &status) || !file.Open(strFile))
        return false;
    std::string head;
    char buffer[4096];
    size_t end;
    while ((end = head.find('\n')) == std::string::npos) {
        long n = file.Read(buffer, sizeof buffer);
        if (n <= 0)
            return false;
        head.append(buffer, static_cast<size_t>(n));
    }
    head.resize(end);
    size_t t[4], at = 0;
    for (size_t& cut : t) {
        cut = head.find('\t', at);
        if (cut == std::string::npos)
            return false;
        at = cut + 1;
    }
    unsigned long long nOld = std::strtoull(head.c_str() + t[2] + 1, nullptr, 10);
    if (head.compare(0, t[0], kMagic) != 0 || status.stamp.nSize != end + 1 + nOld)
        return false;
    pEntry->strBackup = strFile;
    pEntry->nSize = std::strtoull(head.c_str() + t[0] + 1, nullptr, 10);
    pEntry->nHash = std::strtoull(head.c_str() + t[1] + 1, nullptr, 16);
    pEntry->nHeader = end + 1;
    pEntry->strPath = PathFromStore(head.substr(t[3] + 1));
    return true;
}

}  // namespace

bool ReadNewestBackup(const CString& strRoot, CString* pFolder, std::vector<BackupEntry>* pEntries, size_t nMost)
{
    CString root = WithSeparator(strRoot);
    std::vector<CString> names = BackupFolders(root);
    pEntries->clear();
    // A folder a kill left before it kept anything is passed over.
    for (size_t k = names.size(); k-- > 0;) {
        *pFolder = root + names[k];
        FileStatus status;
        if (GetFileStatus(*pFolder + "\\" + kUndone, &status))
            return false;
        std::vector<CString> kept;
        CFileFind finder;
        BOOL bWorking = finder.FindFile(*pFolder + "\\*.*");
        while (bWorking) {
            bWorking = finder.FindNextFile();
            CString name = finder.GetFileName();
            if (!finder.IsDirectory() && name.GetLength() == 6 && std::strspn(name, "0123456789") == 6)
                kept.push_back(name);
        }
        std::sort(kept.begin(), kept.end(), [](const CString& a, const CString& b) { return std::strcmp(a, b) < 0; });
        BackupEntry entry;
        for (size_t i = 0; i < kept.size() && pEntries->size() < nMost; ++i)
            if (ReadKept(*pFolder + "\\" + kept[i], &entry))
                pEntries->push_back(entry);
        if (!pEntries->empty())
            return true;
    }
    return false;
}

bool IsFinishedBackup(const CString& strFolder)
{
    FileStatus status;
    return GetFileStatus(strFolder + "\\" + kFinished, &status);
}

void MarkUnfinished(const CString& strFolder)
{
    DeleteFilePath(strFolder + "\\" + kFinished);
}

void MarkUndone(const CString& strFolder)
{
    WriteFileReplacing(strFolder + "\\" + kUndone, "", 0);
}
