// The old bytes of replaced files, kept in a folder per replace with a list
// of what was replaced, so that the last replace can be undone even after
// a restart or a kill in its middle.
#ifndef TOLVANE_ENGINE_BACKUP_H
#define TOLVANE_ENGINE_BACKUP_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/files.h"

// What the temporary file of a file being swapped is named: the file's
// name with this after it, in the same folder.
extern const char kReplaceTempSuffix[];

// How many replaces keep their backups.
const size_t kKeptBackups = 10;

// A fingerprint of a file's content, to tell whether it is still what a
// replace wrote.
uint64_t ContentHash(const std::string& bytes);

// One replace's folder: made when the first file is to be backed up.
class CBackupFolder {
public:
    explicit CBackupFolder(const CString& strRoot);
    // Makes the folder, named by the local time; false when it cannot be
    // made. The oldest folders beyond kKeptBackups go with the first file kept.
    bool Create();
    // Keeps OLD as the file PATH's bytes before the replace, with what the
    // replace is about to write there; on disk before this returns, so a
    // kill afterwards still finds it.
    bool Keep(const CString& strPath, const std::string& old, const std::string& written);
    // The file last kept was not written after all: it is no longer kept.
    void Discard();
    // Writes the list of the files kept, for a person to read; a folder that
    // kept nothing is removed, so that the replace before it stays the one
    // to undo.
    void Finish();

private:
    CString m_strRoot, m_strFolder;
    int m_nKept = 0;
    std::string m_buffer, m_list;
    FileStatus m_status;
};

// A file the newest replace listed.
struct BackupEntry {
    CString strBackup;  // the kept old bytes
    CString strPath;
    uint64_t nSize;     // of what the replace wrote
    uint64_t nHash;
    size_t nHeader;     // the kept file's first line: the old bytes follow it
};
// The newest replace's folder under STRROOT and its list (its first NMOST
// files), or false when there is none or it has been undone.
bool ReadNewestBackup(const CString& strRoot, CString* pFolder, std::vector<BackupEntry>* pEntries,
                      size_t nMost = SIZE_MAX);
// Whether the replace (or the undo) that wrote through the folder came to
// its end: none of its temporary files can then be left.
bool IsFinishedBackup(const CString& strFolder);
void MarkUnfinished(const CString& strFolder);
void MarkUndone(const CString& strFolder);

#endif
