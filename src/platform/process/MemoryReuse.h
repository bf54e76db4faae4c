#pragma once

// How the process's allocator keeps memory it has freed.
namespace MemoryReuse {

// Large blocks freed by a worker thread stay with the process for the next
// ones instead of going back to the system at once. Making a book allocates
// and frees a page's buffers for every page; on a thread of its own, glibc
// gave those pages back each time and took them again (about nine times the
// page faults of the same book made on the main thread, twice the CPU time).
// The limits are those glibc's own adjustment reaches at most (blocks up to
// 32 MiB from the heap, 64 MiB kept at its top), fixed from the start. Called
// first thing in main(), before any thread starts.
void keepFreedBlocksForReuse();

} // namespace MemoryReuse
