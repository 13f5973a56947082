// Raw byte searches for the scan's inner loop; the C library's own where it
// has them, since they are much faster than a plain loop.
#ifndef TOLVANE_PLATFORM_BYTESEARCH_H
#define TOLVANE_PLATFORM_BYTESEARCH_H

#include <cstddef>
#include <cstring>

// First occurrence of NEEDLE (M bytes, M > 0) in HAY (N bytes), or NULL.
inline const char* FindBytes(const char* hay, size_t n, const char* needle, size_t m)
{
#ifdef _WIN32
    if (m > n)
        return nullptr;
    const char* last = hay + (n - m);
    for (const char* p = hay; p <= last; ++p) {
        p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<size_t>(last - p) + 1));
        if (!p)
            return nullptr;
        if (std::memcmp(p + 1, needle + 1, m - 1) == 0)
            return p;
    }
    return nullptr;
#else
    return static_cast<const char*>(memmem(hay, n, needle, m));
#endif
}

// Last occurrence of byte C in the N bytes at P, or NULL.
inline const char* FindLastByte(const char* p, size_t n, char c)
{
#ifdef _WIN32
    while (n > 0) {
        if (p[--n] == c)
            return p + n;
    }
    return nullptr;
#else
    return static_cast<const char*>(memrchr(p, c, n));
#endif
}

#endif
