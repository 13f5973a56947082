// The walk of a search: the reference folder and, unless told otherwise, its
// subfolders, depth first in listing order; each file the filter accepts is
// handed on with its file column text. A junction or link back to a folder
// on the walk path is not followed again.
#ifndef TOLVANE_ENGINE_WALK_H
#define TOLVANE_ENGINE_WALK_H

#include <atomic>
#include <functional>
#include <vector>

#include "engine/search_engine.h"
#include "platform/files.h"

class CWalk {
public:
    // PUSH gets each accepted file; it returns false once the walk is to end.
    using PushFile = std::function<bool(const CString& strColumn, FileKey key)>;
    CWalk(const SearchRequest& request, const std::atomic<bool>& bStop, PushFile push)
        : m_request(request), m_bStop(bStop), m_push(std::move(push))
    {
    }
    void Run();

private:
    void ListFolder(const CString& strDir, const CString& strRelDir, bool bTop);
    bool EnterFolder(const CString& strDir, bool bLink);

    // The folders on the current walk path. Without a link on the path no
    // folder can come round again, and asking a folder's identity costs as
    // much as listing it under Wine: identities are asked only once a link
    // is on the path.
    struct WalkStep {
        CString strDir;
        bool bLink;
        bool bIdentified;
        FileIdentity id;
    };
    const SearchRequest& m_request;
    const std::atomic<bool>& m_bStop;
    PushFile m_push;
    std::vector<WalkStep> m_walkPath;
    bool m_bEnded = false;
};

#endif
