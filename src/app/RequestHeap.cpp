// Setting up the request process's heap (glibc's allocator, Linux's large pages).
#include "RequestHeap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace RequestHeap {

void prepare() {
    // One heap for every thread: the store's writer thread encodes and writes while the main
    // thread waits for it, and takes from the same advised pages what the main thread freed.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, int(mappedApartFrom));
    // Never shrunk: the process ends soon, and would only grow it again.
    mallopt(M_TRIM_THRESHOLD, int(4 * reservedBytes));
    mallopt(M_TOP_PAD, int(reservedBytes));

    // Grows the heap now, by a block and the padding above, so that its pages can be advised
    // before most of them are touched. The pointer is volatile: the pair of calls is not left
    // out.
    void* volatile block = std::malloc(reservedBytes / 4);
    std::free(block);
    const auto end = std::uintptr_t(sbrk(0));
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (end - mallinfo2().arena + page - 1) & ~(page - 1);
    // The whole heap: the kernel gives a large page to each whole one of it not yet touched,
    // and small pages elsewhere, or when it has no large page to give, or large pages are off.
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

} // namespace RequestHeap
