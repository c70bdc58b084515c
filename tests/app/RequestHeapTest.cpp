// The request process's heap: the store's bytes come from it, what is freed stays for the next
// allocation, its pages may be large, and every thread takes from it.
#include "RequestHeap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// A mapping of this process, as /proc/self/smaps describes it.
struct Mapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    std::string name;
    bool largePagesAllowed = false;
};

Mapping mappingHolding(const void* address) {
    const auto wanted = std::uintptr_t(address);
    std::ifstream smaps("/proc/self/smaps");
    Mapping current;
    bool found = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::istringstream header(line);
        // A mapping's first line: "start-end perms offset device inode [name]".
        if (line.find(':') > line.find(' ') && header >> std::hex >> start >> dash >> end &&
            dash == '-') {
            if (found)
                return current;
            std::string perms, offset, device, inode;
            header >> perms >> offset >> device >> inode;
            current = Mapping{start, end, {}, false};
            header >> current.name;
            found = wanted >= start && wanted < end;
        } else if (found && line.rfind("THPeligible:", 0) == 0) {
            current.largePagesAllowed = line.find('1') != std::string::npos;
        }
    }
    return found ? current : Mapping{};
}

// Whether the system gives large pages to memory advised for them.
bool systemAdvisesLargePages() {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    std::getline(setting, line);
    return line.find("[always]") != std::string::npos ||
           line.find("[madvise]") != std::string::npos;
}

// What the child found: 0 as it should be; otherwise the first thing that was not.
enum Finding {
    asItShouldBe = 0,
    storeBytesMappedApart,
    heapShrankOnFree,
    heapGrewForReuse,
    heapPagesNotLarge,
    storeBlockNotUsable,
    otherThreadsHeapApart,
};

int afterPreparing() {
    RequestHeap::prepare();
    // The bytes of a store file of 10,000 items.
    constexpr std::size_t storeBytes = std::size_t(7) << 20;
    auto* bytes = static_cast<char*>(std::malloc(storeBytes));
    if (!bytes)
        return storeBlockNotUsable;
    std::memset(bytes, 'x', storeBytes);
    // Its middle: only whole large pages are large, and its first one may be shared with
    // earlier blocks.
    const Mapping holder = mappingHolding(bytes + storeBytes / 2);
    if (holder.name != "[heap]")
        return storeBytesMappedApart;
    if (systemAdvisesLargePages() && !holder.largePagesAllowed)
        return heapPagesNotLarge;

    const void* top = sbrk(0);
    std::free(bytes);
    if (sbrk(0) != top)
        return heapShrankOnFree;
    // The encoded store, about as large, takes the freed room.
    void* volatile again = std::malloc(storeBytes);
    const bool grew = sbrk(0) != top;
    std::free(again);
    if (grew)
        return heapGrewForReuse;

    // The writer thread's encoded store comes from the same heap.
    std::string writersMapping;
    std::thread([&] {
        void* volatile encoded = std::malloc(storeBytes / 8);
        writersMapping = mappingHolding(encoded).name;
        std::free(encoded);
    }).join();
    return writersMapping == "[heap]" ? asItShouldBe : otherThreadsHeapApart;
}

TEST(RequestHeapTest, EveryThreadTakesFromOneHeapThatKeepsFreedRoomAndMayUseLargePages) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "The address sanitizer hands out memory of its own, not the heap's.";
#endif
    // In a process started afresh, as the set-up is made for: a fork of this one would carry
    // the heaps its other threads took before.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(afterPreparing()), testing::ExitedWithCode(asItShouldBe), "");
}

} // namespace
