// Blocks straight from mmap. A whole number of large pages is placed on a
// large-page boundary and advised as such, so a kernel with transparent
// huge pages on request backs it with them.
#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/memory.h"

void* AllocateBlock(size_t nBytes)
{
    bool bLarge = nBytes >= kLargePage && nBytes % kLargePage == 0;
    size_t nMapped = bLarge ? nBytes + kLargePage : nBytes;
    void* p = mmap(nullptr, nMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    if (!bLarge)
        return p;
    // Only the aligned part is kept; the rest goes back at once.
    uintptr_t start = reinterpret_cast<uintptr_t>(p);
    uintptr_t aligned = (start + kLargePage - 1) & ~static_cast<uintptr_t>(kLargePage - 1);
    if (aligned > start)
        munmap(p, aligned - start);
    if (aligned + nBytes < start + nMapped)
        munmap(reinterpret_cast<void*>(aligned + nBytes), start + nMapped - aligned - nBytes);
    madvise(reinterpret_cast<void*>(aligned), nBytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeBlock(void* p, size_t nBytes)
{
    if (p)
        munmap(p, nBytes);
}
