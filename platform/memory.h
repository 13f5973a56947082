// Blocks of memory for what the program keeps by the megabyte (the rows of a
// search), taken from the system whole rather than from the heap. A block of
// a multiple of kLargePage bytes may be backed by large pages where the
// system gives them without a privilege, so that writing it costs one fault
// per large page instead of one per small page.
#ifndef TOLVANE_PLATFORM_MEMORY_H
#define TOLVANE_PLATFORM_MEMORY_H

#include <cstddef>

const size_t kLargePage = 2u << 20;

// Uninitialised; its pages cost memory only once written. Throws
// std::bad_alloc when the system has no room.
void* AllocateBlock(size_t nBytes);
void FreeBlock(void* p, size_t nBytes);

#endif
