#include "ProcessHardening.h"

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>
#endif

namespace ProcessHardening {

void keepMemoryPrivate() {
#if defined(__linux__)
    const struct rlimit noCore {0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

} // namespace ProcessHardening
