// Rows as the engine writes them and the results list keeps them. Texts lie
// in blocks that never move and rows name them by address, so the rows of a
// search pass from the worker that found them to the list without a copy:
// the list only links the pieces it is handed. Rows come by the hundred
// thousand, and every copy of them costs the memory's first touch again.
#ifndef TOLVANE_ENGINE_FOUND_ROWS_H
#define TOLVANE_ENGINE_FOUND_ROWS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/cstring.h"
#include "platform/files.h"

// Tabs widened to four blanks, as the line column shows them and copy
// writes them: into OUT, which has room for NLINE bytes and three more per
// tab; returns the length.
size_t WidenTabsTo(const char* line, size_t nLine, char* out);
CString WidenTabs(const char* line, size_t nLine);

// A text as stored: its length, seven bits a byte with the top bit saying
// more follow, then its bytes. One byte of length for a usual line.
const char* StoredText(const char* p, size_t* pnLength);

// One row: its line as shown (tabs widened), the headword line it falls
// under, both stored texts, its line and column number, and where in the
// file its line starts (UINT64_MAX when that is not known).
struct StoredRow {
    const char* text;
    const char* headword;
    uint64_t nLine;
    uint64_t nColumn;
    uint64_t nOffset;
};
static_assert(sizeof(StoredRow) <= 40, "a row's bookkeeping is meant to stay within 40 bytes");

// Memory that neither moves nor grows. Its pages cost only once written.
class CRowBlock {
public:
    explicit CRowBlock(size_t nBytes);
    ~CRowBlock();
    CRowBlock(const CRowBlock&) = delete;
    CRowBlock& operator=(const CRowBlock&) = delete;
    char* Data() const { return m_data; }
    size_t Size() const { return m_nBytes; }

private:
    char* m_data;
    size_t m_nBytes;
};

// Rows of one file that lie next to each other in one block of rows, in
// line order, their texts in one block of texts. The piece shares the
// blocks with the pieces written before and after it.
struct CRowPiece {
    std::shared_ptr<const CRowBlock> texts, rows;
    const char* file;  // stored text: the path below the reference folder, "\" first
    const StoredRow* first;
    size_t nRows;
    size_t nBytes;  // of texts and rows written for it
    FileStamp stamp;  // the file's size and time as the search read it
};

// Writes rows into blocks of its own and hands out what it wrote since the
// last hand-out as pieces. Each writer has one thread; a piece handed out
// is never written again, so another thread may read it while the writer
// writes on.
class CRowWriter {
public:
    // A writer's first blocks are small, so a search that finds a few rows
    // holds little; the next ones are one large page each, as small pages
    // cost a fault each.
    static constexpr size_t kFirstBlock = 64u << 10;
    static constexpr size_t kTextBlock = 2u << 20;
    static constexpr size_t kRowBlock = kTextBlock / sizeof(StoredRow);  // rows

    // The file the next rows are of: its stored text is written with its
    // first row. The file of the last rows goes on as it was. STAMP goes
    // with the file's pieces, for telling later whether it has changed.
    void StartFile(const char* file, size_t nFile, FileStamp stamp = FileStamp());
    // TEXT is the line as read: it is stored with its tabs widened. A
    // headword equal to the previous row's of the same file is stored once.
    void Add(uint64_t nLine, uint64_t nColumn, const char* headword, size_t nHeadword, const char* text,
             size_t nText, uint64_t nOffset = UINT64_MAX);
    size_t Rows() const { return m_nPieceRows + m_nDoneRows; }    // since the last hand-out
    size_t Bytes() const { return m_nPieceBytes + m_nDoneBytes; }  // since the last hand-out
    // Appends to OUT the pieces written since the last hand-out.
    void TakeInto(std::vector<CRowPiece>* pOut);

private:
    const char* Put(const char* s, size_t n);
    const char* PutWidened(const char* s, size_t n, size_t nTabs);
    bool Room(size_t nText) const;
    void ClosePiece();
    void NewTextBlock(size_t nAtLeast);

    std::shared_ptr<CRowBlock> m_texts, m_rows;
    size_t m_nTextsUsed = 0, m_nRowsUsed = 0;
    std::vector<char> m_file;             // the file's path, not yet stored
    const char* m_storedFile = nullptr;   // in m_texts, once stored
    FileStamp m_stamp;
    const char* m_headword = nullptr;     // the last row's, in m_texts
    std::vector<CRowPiece> m_done;        // closed pieces not handed out
    size_t m_nDoneRows = 0, m_nDoneBytes = 0;
    size_t m_nPieceRows = 0, m_nPieceBytes = 0;  // of the open piece
};

#endif
