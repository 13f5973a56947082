// engine/: a search as data flows through it, with no window in it. A request
// (folder, options, filters) goes in; the walk lists folders depth first in
// listing order, workers open, read and scan the files, and the rows come out
// in walk order with the lines read and the binary files left out. The dialog
// starts a search, pulls what has come out when it looks at its queue, and
// asks it to stop. Beside it, a replace rewrites the lines a search listed
// (replace.h).
#ifndef TOLVANE_ENGINE_SEARCH_ENGINE_H
#define TOLVANE_ENGINE_SEARCH_ENGINE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "engine/file_mask.h"
#include "engine/found_rows.h"
#include "engine/scanner.h"

// Most workers a search starts.
const int kMaxWorkers = 16;
// One per processor, at most kMaxWorkers; a test or the probe may set
// g_nSearchWorkers to force a count.
int DefaultWorkerCount();
extern int g_nSearchWorkers;

// How far the walk and the workers may run ahead of the oldest file whose
// rows are not all out: at most this many files listed and waiting, and at
// most this many bytes of rows held for files after it. The oldest file's
// own rows go out as they are found, so one file with a million matches
// holds nothing back.
const size_t kMaxFilesAhead = 1024;
const size_t kMaxBytesAhead = 16u << 20;

struct SearchRequest {
    CString strDir;          // the reference folder, ending in "\"
    // Handed to every file's scan as it is, each worker with its own copy;
    // what it points to must outlive the search.
    ScanOptions scan{};
    CFileFilter fileFilter;  // the files searched
    CNameMasks excludedFolders;
    bool bSelectedOnly = false;  // no subfolder is walked
    int nWorkers = 0;            // 0: DefaultWorkerCount()
    size_t nMaxFilesAhead = kMaxFilesAhead;
    size_t nMaxBytesAhead = kMaxBytesAhead;
};

// The most the search held at once: files listed and not all out, and
// bytes of rows found and not yet taken (those held for later files, and
// those out and waiting). A worker may go over the byte cap by the rows of
// one hand-over before it waits.
struct SearchPeaks {
    size_t nFilesAhead = 0;
    size_t nBytesHeld = 0;
    size_t nBytesOut = 0;
};

// What has come out since the last look.
struct SearchOutput {
    std::vector<CRowPiece> pieces;  // walk order; one file's rows may come in several pieces
    size_t nRows = 0;
    uint64_t nLines = 0;           // lines read, in any order
    int nBinaryFiles = 0;          // files left out as binary
    int nGaveUpLines = 0;          // lines on which the pattern library gave up
};

// One search. Nothing is shared between two: each has its own threads,
// buffers and window of files. Destroying it stops the search and waits for
// its threads.
class CSearchEngine {
public:
    CSearchEngine();
    ~CSearchEngine();
    CSearchEngine(const CSearchEngine&) = delete;
    CSearchEngine& operator=(const CSearchEngine&) = delete;

    void Start(const SearchRequest& request);
    // No further file is opened and the walk lists no further folder; the
    // files being read are finished, and their rows still come out in order.
    void Stop();
    // Waits at most NMS milliseconds, less when rows pile up or the search
    // ends; true once it has ended (every thread done).
    bool Wait(unsigned nMs);
    // Moves out what has come out so far.
    void Take(SearchOutput* pOut);
    SearchPeaks Peaks() const;

    struct State;

private:
    std::unique_ptr<State> m_p;
};

#endif
