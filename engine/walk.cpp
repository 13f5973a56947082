#include "engine/walk.h"

void CWalk::Run()
{
    EnterFolder(m_request.strDir, false);
    ListFolder(m_request.strDir, CString(""), true);
    m_walkPath.clear();
}

// Each subfolder is walked completely where the listing meets it, before the
// next entry of its parent, so the files come in the order the rows show.
void CWalk::ListFolder(const CString& strDir, const CString& strRelDir, bool bTop)
{
    CFileFind finder;
    BOOL bWorking = finder.FindFile(strDir + "*.*");
    while (bWorking && !m_bEnded && !m_bStop) {
        bWorking = finder.FindNextFile();
        CString strName = finder.GetFileName();
        if (finder.IsDirectory()) {
            // An excluded folder costs no more than its entry in this listing.
            if (finder.IsDots() || (bTop && m_request.bSelectedOnly) || m_request.excludedFolders.Matches(strName))
                continue;
            CString strSub = strDir + strName + "\\";
            if (EnterFolder(strSub, finder.MatchesMask(FILE_ATTRIBUTE_REPARSE_POINT) != FALSE)) {
                ListFolder(strSub, strRelDir + "\\" + strName, false);
                m_walkPath.pop_back();
            }
        } else if (m_request.fileFilter.Accepts(strName)) {
            m_bEnded = !m_push(strRelDir + "\\" + strName, finder.GetFileKey(strDir));
        }
    }
}

// Pushes the folder on the walk path; false when it is already on it.
bool CWalk::EnterFolder(const CString& strDir, bool bLink)
{
    WalkStep step{strDir, bLink, false, FileIdentity{}};
    bool bLoopPossible = step.bLink;
    for (const WalkStep& on : m_walkPath)
        bLoopPossible = bLoopPossible || on.bLink;
    m_walkPath.push_back(step);
    if (!bLoopPossible)
        return true;
    // A link may lead to any folder, and so may the real subfolders below
    // it: from the first link on, every folder of the path is compared.
    for (size_t i = 0; i < m_walkPath.size(); ++i) {
        WalkStep& s = m_walkPath[i];
        if (!s.bIdentified && !GetDirectoryIdentity(s.strDir, &s.id))
            s.id = FileIdentity{~0ull, i};  // unknown: never equal to another
        s.bIdentified = true;
    }
    for (size_t i = 0; i + 1 < m_walkPath.size(); ++i) {
        if (m_walkPath[i].id == m_walkPath.back().id) {
            m_walkPath.pop_back();
            return false;
        }
    }
    return true;
}
