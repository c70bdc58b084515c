// The allocator settings the programs use: a large block freed goes back to the system at once,
// however large a block freed before it was, and freed pages among held memory go back when
// asked. Each case runs in a fresh process of its own (gtest's "threadsafe" death-test style runs
// this program anew), where nothing freed earlier lies in the way.
#include "platform/MemoryRelease.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr size_t mebibyte = size_t(1) << 20;

// Allocates and touches `size` bytes; the volatile keeps the compiler from leaving it out. Both
// helpers go unused where the tests are skipped (a sanitizer build).
[[maybe_unused]] void* touched(size_t size) {
    void* volatile block = std::malloc(size);
    std::memset(block, 1, size);
    return block;
}

// What the process holds in memory now, in KiB.
[[maybe_unused]] long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace

TEST(MemoryReleaseDeathTest, ABlockOfTwoMiBGoesBackAtOnceAfterALargerOneWasFreed) {
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the setting is the GNU C library's own, and a sanitizer has its own allocator";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // By itself, the library would now keep blocks up to 16 MiB among its own memory.
            std::free(touched(16 * mebibyte));
            MemoryRelease::returnLargeBlocksAtOnce();
            const size_t mapped = mallinfo2().hblkhd;
            void* const block = touched(2 * mebibyte);
            const bool ownMapping = mallinfo2().hblkhd >= mapped + 2 * mebibyte;
            std::free(block);
            std::exit(ownMapping && mallinfo2().hblkhd == mapped ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
#endif
}

TEST(MemoryReleaseDeathTest, FreedPagesAmongHeldMemoryGoBack) {
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the setting is the GNU C library's own, and a sanitizer has its own allocator";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // 32 MiB in small blocks, then one kept above them: freed, they lie below it.
            std::vector<void*> blocks;
            for (size_t i = 0; i < 32 * mebibyte / 256; ++i)
                blocks.push_back(touched(256));
            void* const kept = touched(256);
            for (void* block : blocks)
                std::free(block);
            const long before = residentKiB();
            MemoryRelease::giveBackFreePages();
            const bool givenBack = residentKiB() < before - 24 * 1024;
            std::free(kept);
            std::exit(givenBack ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
#endif
}
