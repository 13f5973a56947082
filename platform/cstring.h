// Byte string in code page 932 with the MFC CString surface the program uses.
// Lengths and indexes count bytes; searches only match whole characters,
// counting character boundaries from index 0.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* s);  // NULL gives an empty string
    CString(const char* s, int nLength);
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* s);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    char GetAt(int i) const;
    char operator[](int i) const { return GetAt(i); }

    CString& operator+=(const CString& s);
    CString& operator+=(const char* s);
    CString& operator+=(char ch);

    int Compare(const char* s) const;
    int Find(const char* sub, int nStart = 0) const;
    int Find(char ch, int nStart = 0) const;
    int ReverseFind(char ch) const;

    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    CString& MakeLower();

    void Format(const char* fmt, ...);
    void AppendFormat(const char* fmt, ...);

    // The buffer holds at least nMinLength bytes plus a terminating NUL;
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b);
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(b == a); }

private:
    int FindBytes(const char* sub, size_t m, int nStart) const;

    std::string m_str;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char ch);
