// The allocator setting every Tallybird program starts with.
#include "MemoryRelease.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace MemoryRelease {

void returnLargeBlocksAtOnce() {
#if defined(__GLIBC__)
    // A fixed size also keeps the library from raising it.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void giveBackFreePages() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace MemoryRelease
