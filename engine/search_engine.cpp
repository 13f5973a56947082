// The ordered parallel search: the walk numbers each file as it meets it by
// its place in a window, workers take the files in that order, each fills
// its own file's rows, and rows go out strictly in window order. The oldest
// file's rows go out as they are found; the others wait, within the caps.
#include "engine/search_engine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "engine/walk.h"
#include "platform/files.h"

int g_nSearchWorkers = 0;

int DefaultWorkerCount()
{
    if (g_nSearchWorkers > 0)
        return std::min(g_nSearchWorkers, kMaxWorkers);
    int n = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, std::min(n, kMaxWorkers));
}

namespace {

// Rows a worker gathers before it hands them over: one lock per block read
// or per this many bytes, not per row.
const size_t kHandOverBytes = 64u << 10;
// Rows waiting to be taken that wake the window before its next look.
const size_t kWakeBytes = 1u << 20;

}  // namespace

struct CSearchEngine::State {
    struct File {
        CString strColumn;
        FileKey key;
        std::vector<CRowPiece> rows;  // found and not yet out
        size_t nRows = 0, nBytes = 0;
        bool bDone = false;
        bool bBinary = false;
    };

    SearchRequest request;
    mutable std::mutex lock;
    std::condition_variable workToDo;  // workers: a file to take, or the end
    std::condition_variable room;      // waiting workers: the window moved, or rows were taken
    std::condition_variable listRoom;  // the walk: the window has room again
    std::condition_variable outReady;  // the window: rows to take, or the end
    // From the oldest file whose rows are not all out, in walk order; the
    // first nTaken are being read or done.
    std::deque<std::unique_ptr<File>> window;
    size_t nTaken = 0;
    size_t nHeldBytes = 0;  // rows held for files after the oldest
    SearchOutput out;
    size_t nOutBytes = 0;
    SearchPeaks peaks;
    bool bWalkDone = false;
    bool bWalkWaits = false;
    bool bAbandoned = false;  // no one will take rows any more
    int nRunning = 0;
    std::atomic<bool> bStop{false};
    std::atomic<uint64_t> nLines{0};
    std::atomic<int> nGaveUpLines{0};
    std::vector<std::thread> threads;

    // Called by the walk for each file it accepts; false once the search is
    // to end.
    bool Push(const CString& strColumn, FileKey key)
    {
        std::unique_lock<std::mutex> held(lock);
        if (window.size() >= request.nMaxFilesAhead) {
            bWalkWaits = true;
            listRoom.wait(held, [&] { return bStop || window.size() <= ResumeAt(); });
            bWalkWaits = false;
        }
        if (bStop)
            return false;
        window.emplace_back(new File{strColumn, std::move(key), {}});
        peaks.nFilesAhead = std::max(peaks.nFilesAhead, window.size());
        workToDo.notify_one();
        return true;
    }

    // Rows of FILE found since the last hand-over: out at once when it is the
    // oldest, else held, waiting while the held rows are over the cap.
    void HandOver(File* pFile, CRowWriter& writer)
    {
        size_t nRows = writer.Rows(), nBytes = writer.Bytes();
        if (nRows == 0)
            return;
        std::unique_lock<std::mutex> held(lock);
        if (window.front().get() == pFile) {
            room.wait(held, [&] { return bAbandoned || nOutBytes < request.nMaxBytesAhead; });
            nOutBytes += nBytes;
            peaks.nBytesOut = std::max(peaks.nBytesOut, nOutBytes);
            writer.TakeInto(&out.pieces);
            out.nRows += nRows;
            if (nOutBytes >= WakeBytes())
                outReady.notify_all();
        } else {
            nHeldBytes += nBytes;
            peaks.nBytesHeld = std::max(peaks.nBytesHeld, nHeldBytes);
            writer.TakeInto(&pFile->rows);
            pFile->nRows += nRows;
            pFile->nBytes += nBytes;
            room.wait(held, [&] {
                return bAbandoned || nHeldBytes < request.nMaxBytesAhead || window.front().get() == pFile;
            });
        }
    }

    // Moves out, under the lock, the rows of the oldest files, as far as
    // they are done.
    void Release()
    {
        bool bMoved = false;
        while (!window.empty()) {
            File* f = window.front().get();
            if (f->nRows > 0) {
                nHeldBytes -= f->nBytes;
                nOutBytes += f->nBytes;
                peaks.nBytesOut = std::max(peaks.nBytesOut, nOutBytes);
                out.pieces.insert(out.pieces.end(), f->rows.begin(), f->rows.end());
                out.nRows += f->nRows;
                f->rows.clear();
                f->nRows = f->nBytes = 0;
            }
            if (!f->bDone)
                break;
            if (f->bBinary)
                ++out.nBinaryFiles;
            window.pop_front();
            --nTaken;
            bMoved = true;
        }
        if (bMoved) {
            room.notify_all();
            if (bWalkWaits && window.size() <= ResumeAt())
                listRoom.notify_one();
        }
        if (nOutBytes >= WakeBytes())
            outReady.notify_all();
    }

    // The walk, once the window is full, waits until a quarter of it is
    // free: woken for every file done, it would cost two switches of thread
    // per file.
    size_t ResumeAt() const
    {
        return request.nMaxFilesAhead - std::max<size_t>(1, request.nMaxFilesAhead / 4);
    }

    // Rows out that wake the taker: also when a worker waits for it to take them.
    size_t WakeBytes() const { return std::min(kWakeBytes, request.nMaxBytesAhead); }

    class Sink : public ScanSink {
    public:
        Sink(State& s, File* pFile, CRowWriter& writer, FileStamp stamp) : m_s(s), m_pFile(pFile), m_writer(writer)
        {
            writer.StartFile(pFile->strColumn, static_cast<size_t>(pFile->strColumn.GetLength()), stamp);
        }
        void OnMatch(const char* line, size_t nLine, const char* headword, size_t nHeadword, uint64_t nLineNo,
                     uint64_t nColumn, uint64_t nOffset) override
        {
            m_writer.Add(nLineNo, nColumn, headword, nHeadword, line, nLine, nOffset);
            if (m_writer.Bytes() >= kHandOverBytes)
                m_s.HandOver(m_pFile, m_writer);
        }
        void OnLines(uint64_t nLines) override
        {
            m_s.nLines += nLines;
            m_s.HandOver(m_pFile, m_writer);
        }
        void OnBinary() override { m_bBinary = true; }
        void OnGaveUp() override { ++m_s.nGaveUpLines; }
        // A pattern that backtracks for long on every line must not hold a
        // stop back until the end of its file.
        bool GoesOn() override { return !m_s.bStop; }
        void Finish() { m_s.HandOver(m_pFile, m_writer); }
        bool m_bBinary = false;

    private:
        State& m_s;
        File* m_pFile;
        CRowWriter& m_writer;
    };

    void RunWorker()
    {
        ScanOptions options = request.scan;  // its own copy
        ScanBuffers buffers;
        CRowWriter writer;  // rows of this worker's files, each piece handed over once
        for (;;) {
            File* pFile;
            {
                std::unique_lock<std::mutex> held(lock);
                workToDo.wait(held, [&] { return bStop || bWalkDone || nTaken < window.size(); });
                if (bStop || nTaken == window.size())
                    break;
                pFile = window[nTaken++].get();
            }
            CRawFile file;
            bool bBinary = false;
            if (file.Open(pFile->key)) {
                Sink sink(*this, pFile, writer, file.Stamp());
                ScanFile(file, options, buffers, sink);
                sink.Finish();
                bBinary = sink.m_bBinary;
            }
            std::lock_guard<std::mutex> held(lock);
            pFile->bDone = true;
            pFile->bBinary = bBinary;
            Release();
        }
        ThreadDone();
    }

    void RunWalk()
    {
        CWalk walk(request, bStop, [this](const CString& strColumn, FileKey key) {
            return Push(strColumn, std::move(key));
        });
        walk.Run();
        {
            std::lock_guard<std::mutex> held(lock);
            bWalkDone = true;
            workToDo.notify_all();
        }
        ThreadDone();
    }

    void ThreadDone()
    {
        std::lock_guard<std::mutex> held(lock);
        if (--nRunning == 0)
            outReady.notify_all();
    }
};

CSearchEngine::CSearchEngine() : m_p(new State) {}

CSearchEngine::~CSearchEngine()
{
    {
        std::lock_guard<std::mutex> held(m_p->lock);
        m_p->bStop = true;
        m_p->bAbandoned = true;
        m_p->workToDo.notify_all();
        m_p->room.notify_all();
        m_p->listRoom.notify_all();
    }
    for (std::thread& t : m_p->threads)
        t.join();
}

void CSearchEngine::Start(const SearchRequest& request)
{
    State& s = *m_p;
    s.request = request;
    int nWorkers = request.nWorkers > 0 ? std::min(request.nWorkers, kMaxWorkers) : DefaultWorkerCount();
    s.nRunning = nWorkers + 1;
    s.threads.emplace_back([&s] { s.RunWalk(); });
    for (int i = 0; i < nWorkers; ++i)
        s.threads.emplace_back([&s] { s.RunWorker(); });
}

void CSearchEngine::Stop()
{
    std::lock_guard<std::mutex> held(m_p->lock);
    m_p->bStop = true;
    m_p->workToDo.notify_all();
    m_p->room.notify_all();
    m_p->listRoom.notify_all();
}

bool CSearchEngine::Wait(unsigned nMs)
{
    State& s = *m_p;
    std::unique_lock<std::mutex> held(s.lock);
    s.outReady.wait_for(held, std::chrono::milliseconds(nMs),
                        [&] { return s.nRunning == 0 || s.nOutBytes >= s.WakeBytes(); });
    return s.nRunning == 0;
}

void CSearchEngine::Take(SearchOutput* pOut)
{
    State& s = *m_p;
    std::lock_guard<std::mutex> held(s.lock);
    pOut->pieces.clear();
    pOut->pieces.swap(s.out.pieces);
    pOut->nRows = s.out.nRows;
    s.out.nRows = 0;
    pOut->nBinaryFiles = s.out.nBinaryFiles;
    s.out.nBinaryFiles = 0;
    pOut->nLines = s.nLines.exchange(0);
    pOut->nGaveUpLines = s.nGaveUpLines.exchange(0);
    if (s.nOutBytes >= s.request.nMaxBytesAhead)
        s.room.notify_all();
    s.nOutBytes = 0;
}

SearchPeaks CSearchEngine::Peaks() const
{
    std::lock_guard<std::mutex> held(m_p->lock);
    return m_p->peaks;
}
