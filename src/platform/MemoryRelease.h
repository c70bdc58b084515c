#pragma once

// How the program's allocator gives memory back to the system, set once as a program starts.
namespace MemoryRelease {

// Blocks of a MiB and more get a mapping of their own and go back to the system as soon as they
// are freed. Left to itself, the C library raises that size to the largest block freed so far
// (up to 32 MiB): after the buffers of a large store's load and first sync, tens of MiB freed
// would stay with the process, scattered among what it keeps. Does nothing where the C library
// has no such setting.
void returnLargeBlocksAtOnce();

// Gives the system back the whole pages of memory freed and not yet given back, wherever they
// lie. Long work that frees as it goes (a first sync of a large store lets go of every item's
// change marks) would otherwise keep them, among what the process still holds, until its end. It
// takes about a millisecond, during which other threads' allocations may wait.
void giveBackFreePages();

} // namespace MemoryRelease
