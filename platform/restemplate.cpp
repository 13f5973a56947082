#include "platform/restemplate.h"

#include <cstdint>
#include <cstring>

#include "platform/internal.h"

namespace {

class Reader {
public:
    Reader(const unsigned char* p, size_t n) : m_p(p), m_n(n), m_pos(0), m_ok(true) {}

    bool ok() const { return m_ok; }
    size_t pos() const { return m_pos; }

    uint16_t Word()
    {
        if (m_pos + 2 > m_n) {
            m_ok = false;
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(m_p[m_pos] | (m_p[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    uint32_t Dword()
    {
        uint32_t lo = Word();
        return lo | (static_cast<uint32_t>(Word()) << 16);
    }
    unsigned char Byte()
    {
        if (m_pos + 1 > m_n) {
            m_ok = false;
            return 0;
        }
        return m_p[m_pos++];
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t n)
    {
        if (m_pos + n > m_n)
            m_ok = false;
        else
            m_pos += n;
    }
    // A zero-terminated UTF-16 string.
    CString Text()
    {
        std::vector<uint16_t> chars;
        for (uint16_t c = Word(); m_ok && c != 0; c = Word())
            chars.push_back(c);
        return AfxUtf16ToAnsi(chars.data(), chars.size());
    }
    // A string or an ordinal (0xFFFF followed by the number); -1 when a text.
    CString TextOrOrdinal(int* pOrdinal)
    {
        *pOrdinal = -1;
        if (m_pos + 2 <= m_n && m_p[m_pos] == 0xff && m_p[m_pos + 1] == 0xff) {
            Word();
            *pOrdinal = Word();
            return CString();
        }
        return Text();
    }

private:
    const unsigned char* m_p;
    size_t m_n;
    size_t m_pos;
    bool m_ok;
};

const char* PredefinedClass(int atom)
{
    switch (atom) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
    default: return "";
    }
}

}  // namespace

bool ParseDialogTemplate(const void* pData, size_t nSize, DialogTemplate* pOut)
{
    Reader r(static_cast<const unsigned char*>(pData), nSize);
    DialogTemplate& t = *pOut;
    t = DialogTemplate();
    uint16_t first = r.Word();
    uint16_t second = r.Word();
    t.extended = first == 1 && second == 0xffff;
    int nItems;
    if (t.extended) {
        t.helpId = r.Dword();
        t.exStyle = r.Dword();
        t.style = r.Dword();
    } else {
        t.helpId = 0;
        t.style = first | (static_cast<uint32_t>(second) << 16);
        t.exStyle = r.Dword();
    }
    nItems = r.Word();
    t.x = static_cast<short>(r.Word());
    t.y = static_cast<short>(r.Word());
    t.cx = static_cast<short>(r.Word());
    t.cy = static_cast<short>(r.Word());
    int ordinal;
    t.menu = r.TextOrOrdinal(&ordinal);
    t.windowClass = r.TextOrOrdinal(&ordinal);
    t.caption = r.Text();
    t.pointSize = t.weight = 0;
    t.italic = t.charset = 0;
    const DWORD kSetFont = 0x40;  // DS_SETFONT / DS_SHELLFONT
    if (t.style & kSetFont) {
        t.pointSize = r.Word();
        if (t.extended) {
            t.weight = r.Word();
            t.italic = r.Byte();
            t.charset = r.Byte();
        }
        t.faceName = r.Text();
    }
    for (int i = 0; i < nItems && r.ok(); ++i) {
        r.AlignDword();
        DialogItemTemplate item;
        if (t.extended) {
            item.helpId = r.Dword();
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.helpId = 0;
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = static_cast<short>(r.Word());
        item.y = static_cast<short>(r.Word());
        item.cx = static_cast<short>(r.Word());
        item.cy = static_cast<short>(r.Word());
        if (t.extended)
            item.id = static_cast<int32_t>(r.Dword());
        else
            item.id = static_cast<int16_t>(r.Word());
        int classAtom;
        item.className = r.TextOrOrdinal(&classAtom);
        if (classAtom >= 0)
            item.className = PredefinedClass(classAtom);
        item.text = r.TextOrOrdinal(&item.textOrdinal);
        uint16_t extra = r.Word();
        r.Skip(extra);
        t.items.push_back(item);
    }
    return r.ok() && static_cast<int>(t.items.size()) == nItems;
}

bool LoadDialogTemplate(unsigned nID, DialogTemplate* pOut)
{
    const void* p;
    size_t n;
    return AfxGetResourceBytes(5, nID, &p, &n) && ParseDialogTemplate(p, n, pOut);
}
