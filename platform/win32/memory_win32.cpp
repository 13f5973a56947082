// Blocks straight from VirtualAlloc. Large pages would need the lock-memory
// privilege, which a user's program does not have, so blocks get the usual
// pages; committing costs nothing until a page is written.
#include <windows.h>

#include <new>

#include "platform/memory.h"

void* AllocateBlock(size_t nBytes)
{
    void* p = VirtualAlloc(nullptr, nBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void FreeBlock(void* p, size_t nBytes)
{
    if (p)
        VirtualFree(p, 0, MEM_RELEASE);
}
