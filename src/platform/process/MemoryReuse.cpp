#include "MemoryReuse.h"

#include <cstdlib> // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace MemoryReuse {

void keepFreedBlocksForReuse() {
#if defined(__GLIBC__)
    constexpr int LargestFromTheHeap = 32 << 20;
    constexpr int KeptAtTheTop = 64 << 20;
    ::mallopt(M_MMAP_THRESHOLD, LargestFromTheHeap);
    ::mallopt(M_TRIM_THRESHOLD, KeptAtTheTop);
#endif
}

} // namespace MemoryReuse
