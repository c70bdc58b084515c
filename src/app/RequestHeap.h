#pragma once

#include <cstddef>

// How the memory of the `tallybird` request process is handed out. A request reads the whole
// store, answers and ends: much of its time would otherwise go to the kernel handing it fresh
// memory page by page, and to giving memory back that it asks for again a moment later.
namespace RequestHeap {

// Room the heap takes at once, advised for the kernel's large pages.
constexpr std::size_t reservedBytes = std::size_t(64) << 20;
// A block at least this large is mapped apart rather than taken from the heap.
constexpr std::size_t mappedApartFrom = std::size_t(32) << 20;

// Called once at start, before anything large is allocated: blocks under `mappedApartFrom`
// (the store file's bytes among them) come from the heap, which keeps what is freed for the
// next allocation instead of giving it back to the kernel, and grows in steps of
// `reservedBytes` advised for large pages; every thread takes from it. Only for a short-lived
// process.
void prepare();

} // namespace RequestHeap
