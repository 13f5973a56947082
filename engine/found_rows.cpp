#include "engine/found_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/memory.h"

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

namespace {

// Room a stored text takes at most beyond its bytes: its length.
const size_t kLengthRoom = 10;

}  // namespace

CRowBlock::CRowBlock(size_t nBytes) : m_data(static_cast<char*>(AllocateBlock(nBytes))), m_nBytes(nBytes) {}

CRowBlock::~CRowBlock()
{
    FreeBlock(m_data, m_nBytes);
}

void CRowWriter::StartFile(const char* file, size_t nFile)
{
    ClosePiece();
    m_file.assign(file, file + nFile);
    m_storedFile = nullptr;
    m_headword = nullptr;
}

const char* CRowWriter::Put(const char* s, size_t n)
{
    char* start = m_texts->Data() + m_nTextsUsed;
    char* p = start;
    size_t rest = n;
    while (rest >= 0x80) {
        *p++ = static_cast<char>((rest & 0x7F) | 0x80);
        rest >>= 7;
    }
    *p++ = static_cast<char>(rest);
    if (n > 0)
        std::memcpy(p, s, n);
    m_nTextsUsed += static_cast<size_t>(p - start) + n;
    return start;
}

void CRowWriter::ClosePiece()
{
    if (m_nPieceRows == 0)
        return;
    const StoredRow* rows = reinterpret_cast<const StoredRow*>(m_rows->Data());
    m_done.push_back(CRowPiece{m_texts, m_rows, m_storedFile, rows + m_nRowsUsed - m_nPieceRows, m_nPieceRows,
                               m_nPieceBytes});
    m_nDoneRows += m_nPieceRows;
    m_nDoneBytes += m_nPieceBytes;
    m_nPieceRows = m_nPieceBytes = 0;
}

// The file and headword are stored again in a new block, so that a piece
// never names texts outside its own block.
void CRowWriter::NewTextBlock(size_t nAtLeast)
{
    ClosePiece();
    // A text longer than a block gets one of its own, and the next block
    // is the size it would have been.
    size_t nBytes = m_nNextText;
    if (nAtLeast > nBytes)
        nBytes = (nAtLeast + kFirstBlock - 1) / kFirstBlock * kFirstBlock;
    else
        m_nNextText = kTextBlock;
    m_texts = std::make_shared<CRowBlock>(nBytes);
    m_nTextsUsed = 0;
    m_storedFile = nullptr;
    m_headword = nullptr;
}

void CRowWriter::Add(uint64_t nLine, uint64_t nColumn, const char* headword, size_t nHeadword, const char* text,
                     size_t nText)
{
    if (!m_rows || m_nRowsUsed == m_nRowCapacity) {
        ClosePiece();
        m_nRowCapacity = m_nNextRows;
        m_nNextRows = kRowBlock;
        m_rows = std::make_shared<CRowBlock>(m_nRowCapacity * sizeof(StoredRow));
        m_nRowsUsed = 0;
    }
    // The most this row may write: the file and headword as if new.
    size_t need = m_file.size() + nHeadword + nText + 3 * kLengthRoom;
    if (!m_texts || m_texts->Size() - m_nTextsUsed < need)
        NewTextBlock(need);
    size_t nBefore = m_nTextsUsed;
    if (!m_storedFile)
        m_storedFile = Put(m_file.data(), m_file.size());
    size_t nPrevious = 0;
    const char* previous = m_headword ? StoredText(m_headword, &nPrevious) : nullptr;
    if (!previous || nPrevious != nHeadword || std::memcmp(previous, headword, nHeadword) != 0)
        m_headword = Put(headword, nHeadword);
    const char* stored = Put(text, nText);
    new (m_rows->Data() + m_nRowsUsed * sizeof(StoredRow)) StoredRow{stored, m_headword, nLine, nColumn};
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
