#include "platform/cstring.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "text/mbcs.h"

namespace {

void AppendV(std::string& out, const char* fmt, va_list args) {
    va_list probe;
    va_copy(probe, args);
    int n = vsnprintf(nullptr, 0, fmt, probe);
    va_end(probe);
    if (n <= 0)
        return;
    size_t old = out.size();
    // vsnprintf writes its NUL into the byte std::string keeps past the end.
    out.resize(old + n);
    vsnprintf(&out[old], n + 1, fmt, args);
}

}  // namespace

CString::CString(const char* s) {
    if (s)
        m_str = s;
}

CString::CString(const char* s, int nLength) {
    if (s && nLength > 0)
        m_str.assign(s, nLength);
}

CString& CString::operator=(const char* s) {
    if (s)
        m_str = s;
    else
        m_str.clear();
    return *this;
}

char CString::GetAt(int i) const {
    assert(i >= 0 && i < GetLength());
    return m_str[i];
}

CString& CString::operator+=(const CString& s) {
    m_str += s.m_str;
    return *this;
}

CString& CString::operator+=(const char* s) {
    if (s)
        m_str += s;
    return *this;
}

CString& CString::operator+=(char ch) {
    m_str += ch;
    return *this;
}

bool operator==(const CString& a, const char* b) {
    return a.m_str.compare(b ? b : "") == 0;
}

int CString::Compare(const char* s) const {
    return MbcsCompare(m_str.c_str(), s ? s : "");
}

int CString::Find(const char* sub, int nStart) const {
    return FindBytes(sub, sub ? strlen(sub) : 0, nStart);
}

int CString::Find(char ch, int nStart) const {
    return FindBytes(&ch, 1, nStart);
}

int CString::FindBytes(const char* sub, size_t m, int nStart) const {
    if (nStart < 0)
        nStart = 0;
    if (nStart > GetLength())
        return -1;
    if (m == 0)
        return nStart;
    // nStart may fall on a trail byte; search from the next boundary.
    size_t from = 0;
    while (from < static_cast<size_t>(nStart))
        from += IsLeadByte932(static_cast<unsigned char>(m_str[from])) ? 2 : 1;
    if (from >= m_str.size())
        return -1;
    long at = MbcsFind(m_str.data() + from, m_str.size() - from, sub, m);
    return at < 0 ? -1 : static_cast<int>(from + at);
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    const size_t n = m_str.size();
    for (size_t i = 0; i < n;) {
        if (IsLeadByte932(static_cast<unsigned char>(m_str[i])) && i + 1 < n) {
            i += 2;
            continue;
        }
        if (m_str[i] == ch)
            found = static_cast<int>(i);
        ++i;
    }
    return found;
}

CString CString::Left(int n) const {
    if (n <= 0)
        return CString();
    return CString(m_str.data(), n < GetLength() ? n : GetLength());
}

CString CString::Right(int n) const {
    if (n <= 0)
        return CString();
    if (n >= GetLength())
        return *this;
    return CString(m_str.data() + (GetLength() - n), n);
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    if (count > GetLength() - first)
        count = GetLength() - first;
    return CString(m_str.data() + first, count);
}

CString& CString::MakeLower() {
    if (!m_str.empty())
        MbcsMakeLower(&m_str[0], m_str.size());
    return *this;
}

void CString::Format(const char* fmt, ...) {
    std::string out;
    va_list args;
    va_start(args, fmt);
    AppendV(out, fmt, args);
    va_end(args);
    // Built aside so the arguments may point into this string.
    m_str.swap(out);
}

void CString::AppendFormat(const char* fmt, ...) {
    std::string out = m_str;
    va_list args;
    va_start(args, fmt);
    AppendV(out, fmt, args);
    va_end(args);
    m_str.swap(out);
}

char* CString::GetBuffer(int nMinLength) {
    if (nMinLength > GetLength())
        m_str.resize(nMinLength);
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0) {
        const void* nul = memchr(m_str.data(), '\0', m_str.size());
        nNewLength = nul ? static_cast<int>(static_cast<const char*>(nul) - m_str.data()) : GetLength();
    }
    if (nNewLength < GetLength())
        m_str.resize(nNewLength);
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char ch) {
    CString r(a);
    r += ch;
    return r;
}
