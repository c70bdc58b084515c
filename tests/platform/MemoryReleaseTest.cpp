// The allocator setting the programs start with: a large block freed goes back to the system at
// once, however large a block freed before it was.
#include "platform/MemoryRelease.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr size_t mebibyte = size_t(1) << 20;

// Allocates and touches `size` bytes; the volatile keeps the compiler from leaving it out.
void* touched(size_t size) {
    void* volatile block = std::malloc(size);
    std::memset(block, 1, size);
    return block;
}

} // namespace

TEST(MemoryRelease, ABlockOfTwoMiBGoesBackAtOnceAfterALargerOneWasFreed) {
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the setting is the GNU C library's own, and a sanitizer has its own allocator";
#else
    // By itself, the library would now keep blocks up to 16 MiB among its own memory.
    std::free(touched(16 * mebibyte));
    MemoryRelease::returnLargeBlocksAtOnce();
    const size_t mapped = mallinfo2().hblkhd;
    void* const block = touched(2 * mebibyte);
    EXPECT_GE(mallinfo2().hblkhd, mapped + 2 * mebibyte);
    std::free(block);
    EXPECT_EQ(mallinfo2().hblkhd, mapped);
#endif
}
