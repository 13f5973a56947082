// Resources of the native build: the compiled .res file of the Windows
// program, linked in as bytes, read the way the loader would.
#include <iconv.h>

#include <cstring>
#include <vector>

#include "platform/internal.h"

extern const unsigned char g_resourceBlob[];
extern const size_t g_resourceBlobSize;

namespace {

uint32_t Dword(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Word(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// A type or name field of a .res entry header: an ordinal or a string.
bool ReadId(const unsigned char*& p, const unsigned char* end, int* pOrdinal)
{
    if (p + 4 <= end && Word(p) == 0xffff) {
        *pOrdinal = Word(p + 2);
        p += 4;
        return true;
    }
    *pOrdinal = -1;
    while (p + 2 <= end && Word(p) != 0)
        p += 2;
    p += 2;
    return p <= end;
}

}  // namespace

bool AfxGetResourceBytes(unsigned nType, unsigned nID, const void** ppData, size_t* pnSize)
{
    const unsigned char* p = g_resourceBlob;
    const unsigned char* end = g_resourceBlob + g_resourceBlobSize;
    while (p + 8 <= end) {
        uint32_t dataSize = Dword(p);
        uint32_t headerSize = Dword(p + 4);
        const unsigned char* q = p + 8;
        int type, name;
        if (!ReadId(q, end, &type) || !ReadId(q, end, &name))
            return false;
        const unsigned char* data = p + headerSize;
        if (data + dataSize > end)
            return false;
        if (type == static_cast<int>(nType) && name == static_cast<int>(nID)) {
            *ppData = data;
            *pnSize = dataSize;
            return true;
        }
        p = data + ((dataSize + 3) & ~3u);
    }
    return false;
}

CString AfxUtf16ToAnsi(const uint16_t* text, size_t nChars)
{
    if (nChars == 0)
        return CString();
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == (iconv_t)-1)
        return CString();
    std::vector<char> in(nChars * 2);
    for (size_t i = 0; i < nChars; ++i) {
        in[2 * i] = static_cast<char>(text[i] & 0xff);
        in[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    std::vector<char> out(nChars * 4 + 4);
    char* pin = in.data();
    char* pout = out.data();
    size_t nin = in.size(), nout = out.size();
    iconv(cd, &pin, &nin, &pout, &nout);
    iconv_close(cd);
    return CString(out.data(), static_cast<int>(pout - out.data()));
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    const void* p;
    size_t n;
    const unsigned kGroupIcon = 14;
    return AfxGetResourceBytes(kGroupIcon, nIDResource, &p, &n) ? reinterpret_cast<HICON>(static_cast<uintptr_t>(nIDResource))
                                                                  : nullptr;
}

CString AfxLoadString(UINT nID)
{
    const void* p;
    size_t n;
    const unsigned kString = 6;
    if (!AfxGetResourceBytes(kString, (nID >> 4) + 1, &p, &n))
        return CString();
    const unsigned char* q = static_cast<const unsigned char*>(p);
    const unsigned char* end = q + n;
    for (unsigned i = 0; q + 2 <= end; ++i) {
        uint16_t len = Word(q);
        q += 2;
        if (i == (nID & 15)) {
            std::vector<uint16_t> chars;
            for (uint16_t k = 0; k < len && q + 2 <= end; ++k, q += 2)
                chars.push_back(Word(q));
            return AfxUtf16ToAnsi(chars.data(), chars.size());
        }
        q += 2 * len;
    }
    return CString();
}

// No box to show: without an observer to answer, the user cancels.
BOOL AfxGetSaveFileName(CWnd*, const std::vector<AfxFileType>& types, int* pnType, CString* pPath)
{
    AFX_SAVEAS_OBSERVER pfn = AfxGetSaveAsObserver();
    return pfn ? pfn(types, pnType, pPath) : FALSE;
}
