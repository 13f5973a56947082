#include "engine/found_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/memory.h"
#include "text/bytesearch.h"
#include "text/mbcs.h"

const char* StoredText(const char* p, size_t* pnLength)
{
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    size_t n = 0;
    int shift = 0;
    while (*u & 0x80) {
        n |= static_cast<size_t>(*u++ & 0x7F) << shift;
        shift += 7;
    }
    n |= static_cast<size_t>(*u++) << shift;
    *pnLength = n;
    return reinterpret_cast<const char*>(u);
}

// Every tab becomes four blanks, wherever it stands. A 09 right after a lead
// byte is that character's second byte, as Find sees it, and stays. Runs
// without a tab are copied whole: rows come by the hundred thousand.
size_t WidenTabsTo(const char* line, size_t nLine, char* out)
{
    char* o = out;
    size_t boundary = 0, copied = 0;
    for (const char* tab = static_cast<const char*>(std::memchr(line, '\t', nLine)); tab;) {
        size_t p = static_cast<size_t>(tab - line);
        while (boundary < p)
            boundary += IsLeadByte932(static_cast<unsigned char>(line[boundary])) && boundary + 1 < nLine ? 2 : 1;
        if (boundary == p) {
            std::memcpy(o, line + copied, p - copied);
            o += p - copied;
            std::memcpy(o, "    ", 4);
            o += 4;
            copied = boundary = p + 1;
        }
        tab = p + 1 < nLine ? static_cast<const char*>(std::memchr(line + p + 1, '\t', nLine - p - 1)) : nullptr;
    }
    std::memcpy(o, line + copied, nLine - copied);
    return static_cast<size_t>(o - out) + nLine - copied;
}

CString WidenTabs(const char* line, size_t nLine)
{
    if (!std::memchr(line, '\t', nLine))
        return CString(line, static_cast<int>(nLine));
    std::vector<char> out(nLine + 3 * CountByte(line, nLine, '\t'));
    return CString(out.data(), static_cast<int>(WidenTabsTo(line, nLine, out.data())));
}

namespace {

// Room a stored text takes at most beyond its bytes: its length.
const size_t kLengthRoom = 10;

size_t PutLength(char* p, size_t n)
{
    size_t k = 0;
    while (n >= 0x80) {
        p[k++] = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    p[k++] = static_cast<char>(n);
    return k;
}

}  // namespace

CRowBlock::CRowBlock(size_t nBytes) : m_data(static_cast<char*>(AllocateBlock(nBytes))), m_nBytes(nBytes) {}

CRowBlock::~CRowBlock()
{
    FreeBlock(m_data, m_nBytes);
}

void CRowWriter::StartFile(const char* file, size_t nFile, FileStamp stamp)
{
    // The same file again goes on with the rows written for it.
    if (nFile == m_file.size() && std::equal(file, file + nFile, m_file.begin()))
        return;
    ClosePiece();
    m_stamp = stamp;
    m_file.assign(file, file + nFile);
    m_storedFile = nullptr;
    m_headword = nullptr;
}

const char* CRowWriter::Put(const char* s, size_t n)
{
    char* start = m_texts->Data() + m_nTextsUsed;
    size_t k = PutLength(start, n);
    if (n > 0)
        std::memcpy(start + k, s, n);
    m_nTextsUsed += k + n;
    return start;
}

// The widened line is written past the room of its length, which then goes
// in front of it, the line moved up to meet it.
const char* CRowWriter::PutWidened(const char* s, size_t n, size_t nTabs)
{
    if (nTabs == 0)
        return Put(s, n);
    char* start = m_texts->Data() + m_nTextsUsed;
    size_t nWidened = WidenTabsTo(s, n, start + kLengthRoom);
    size_t k = PutLength(start, nWidened);
    std::memmove(start + k, start + kLengthRoom, nWidened);
    m_nTextsUsed += k + nWidened;
    return start;
}

void CRowWriter::ClosePiece()
{
    if (m_nPieceRows == 0)
        return;
    const StoredRow* rows = reinterpret_cast<const StoredRow*>(m_rows->Data());
    m_done.push_back(CRowPiece{m_texts, m_rows, m_storedFile, rows + m_nRowsUsed - m_nPieceRows, m_nPieceRows,
                               m_nPieceBytes, m_stamp});
    m_nDoneRows += m_nPieceRows;
    m_nDoneBytes += m_nPieceBytes;
    m_nPieceRows = m_nPieceBytes = 0;
}

// The file and headword are stored again in a new block, so that a piece
// never names texts outside its own block.
void CRowWriter::NewTextBlock(size_t nAtLeast)
{
    ClosePiece();
    // A text longer than a block gets one of its own.
    size_t nBytes = m_texts ? kTextBlock : kFirstBlock;
    if (nAtLeast > nBytes)
        nBytes = (nAtLeast + kFirstBlock - 1) / kFirstBlock * kFirstBlock;
    m_texts = std::make_shared<CRowBlock>(nBytes);
    m_nTextsUsed = 0;
    m_storedFile = nullptr;
    m_headword = nullptr;
}

void CRowWriter::Add(uint64_t nLine, uint64_t nColumn, const char* headword, size_t nHeadword, const char* text,
                     size_t nText, uint64_t nOffset)
{
    if (!m_rows || (m_nRowsUsed + 1) * sizeof(StoredRow) > m_rows->Size()) {
        ClosePiece();
        m_rows = std::make_shared<CRowBlock>((m_rows ? kRowBlock : kFirstBlock / sizeof(StoredRow)) *
                                             sizeof(StoredRow));
        m_nRowsUsed = 0;
    }
    size_t nTabs = std::memchr(text, '\t', nText) ? CountByte(text, nText, '\t') : 0;
    // The most this row may write: the file and headword as if new.
    size_t need = m_file.size() + nHeadword + nText + 3 * nTabs + 3 * kLengthRoom;
    if (!m_texts || m_texts->Size() - m_nTextsUsed < need)
        NewTextBlock(need);
    size_t nBefore = m_nTextsUsed;
    if (!m_storedFile)
        m_storedFile = Put(m_file.data(), m_file.size());
    size_t nPrevious = 0;
    const char* previous = m_headword ? StoredText(m_headword, &nPrevious) : nullptr;
    if (!previous || nPrevious != nHeadword || std::memcmp(previous, headword, nHeadword) != 0)
        m_headword = Put(headword, nHeadword);
    const char* stored = PutWidened(text, nText, nTabs);
    new (m_rows->Data() + m_nRowsUsed * sizeof(StoredRow)) StoredRow{stored, m_headword, nLine, nColumn, nOffset};
    ++m_nRowsUsed;
    ++m_nPieceRows;
    m_nPieceBytes += m_nTextsUsed - nBefore + sizeof(StoredRow);
}

void CRowWriter::TakeInto(std::vector<CRowPiece>* pOut)
{
    ClosePiece();
    if (pOut->empty())
        pOut->swap(m_done);
    else
        pOut->insert(pOut->end(), m_done.begin(), m_done.end());
    m_done.clear();
    m_nDoneRows = m_nDoneBytes = 0;
}
