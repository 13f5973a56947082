#include "replace/backup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/wintypes.h"

const char kReplaceTempSuffix[] = ".~tolvane";

namespace {

const char kList[] = "list.txt";
const char kUndone[] = "undone";

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

CString WithSeparator(const CString& s)
{
    return s.IsEmpty() || s.Right(1) == "\\" ? s : s + "\\";
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
    CString strFolder = m_strRoot + strName;
    for (int k = 2; IsExistingDirectory(strFolder) && k < 100; ++k) {
        CString strSuffix;
        strSuffix.Format("-%02d", k);
        strFolder = m_strRoot + strName + strSuffix;
    }
    if (IsExistingDirectory(strFolder) || !MakeDirectory(strFolder))
        return false;
    m_strFolder = strFolder;
    std::vector<CString> names = BackupFolders(m_strRoot);
    for (size_t i = 0; i + kKeptBackups < names.size(); ++i)
        DeleteFolder(m_strRoot + names[i]);
    return true;
}

bool CBackupFolder::Keep(const CString& strPath, const std::string& old, const std::string& written)
{
    CString strIndex;
    strIndex.Format("%06d", ++m_nKept);
    if (!WriteFileReplacing(m_strFolder + "\\" + strIndex, old.data(), old.size()))
        return false;
    CString strLine;
    strLine.Format("%s\t%llu\t%016llx\t%s\n", static_cast<const char*>(strIndex),
                   static_cast<unsigned long long>(written.size()),
                   static_cast<unsigned long long>(ContentHash(written)), PathForStore(strPath).c_str());
    return AppendToFile(m_strFolder + "\\" + kList, strLine, static_cast<size_t>(strLine.GetLength()));
}

void CBackupFolder::Finish()
{
    if (m_nKept == 0 && !m_strFolder.IsEmpty())
        DeleteFolder(m_strFolder);
}

bool ReadNewestBackup(const CString& strRoot, CString* pFolder, std::vector<BackupEntry>* pEntries)
{
    CString root = WithSeparator(strRoot);
    std::vector<CString> names = BackupFolders(root);
    pEntries->clear();
    // A folder a kill left before it kept anything is passed over.
    for (size_t k = names.size(); k-- > 0;) {
        *pFolder = root + names[k];
        FileStatus status;
        std::string list;
        if (GetFileStatus(*pFolder + "\\" + kUndone, &status))
            return false;
        if (!ReadWholeFile(*pFolder + "\\" + kList, &list))
            continue;
        // A line cut short by a kill has no line end and is left out.
        for (size_t at = 0, end; (end = list.find('\n', at)) != std::string::npos; at = end + 1) {
            std::string line = list.substr(at, end - at);
            size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1), t3 = line.find('\t', t2 + 1);
            if (t1 == std::string::npos || t2 == std::string::npos || t3 == std::string::npos)
                continue;
            BackupEntry entry;
            entry.strBackup = *pFolder + "\\" + CString(line.substr(0, t1).c_str());
            entry.nSize = std::strtoull(line.c_str() + t1 + 1, nullptr, 10);
            entry.nHash = std::strtoull(line.c_str() + t2 + 1, nullptr, 16);
            entry.strPath = PathFromStore(line.substr(t3 + 1));
            pEntries->push_back(entry);
        }
        if (!pEntries->empty())
            return true;
    }
    return false;
}

void MarkUndone(const CString& strFolder)
{
    WriteFileReplacing(strFolder + "\\" + kUndone, "", 0);
}
