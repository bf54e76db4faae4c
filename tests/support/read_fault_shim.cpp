// Loaded with LD_PRELOAD into a process under test: reads of one file fail
// with EIO (as a bad sector would) from a given offset on. The file's path
// (as /proc/self/fd names it) is QUORVEL_FAIL_READS_OF, the offset
// QUORVEL_FAIL_READS_PAST; without them every read goes through.

#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using PreadFunction = ssize_t (*)(int, void*, size_t, off_t);

bool failsAt(int fd, off_t offset, size_t count) {
    const char* path = std::getenv("QUORVEL_FAIL_READS_OF");
    const char* past = std::getenv("QUORVEL_FAIL_READS_PAST");
    if (!path || !past)
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length < 0)
        return false;
    target[length] = '\0';
    return std::strcmp(target, path) == 0 && offset + static_cast<off_t>(count) > std::atoll(past);
}

ssize_t readThrough(const char* name, int fd, void* buffer, size_t count, off_t offset) {
    if (failsAt(fd, offset, count)) {
        errno = EIO;
        return -1;
    }
    const auto next = reinterpret_cast<PreadFunction>(::dlsym(RTLD_NEXT, name));
    return next(fd, buffer, count, offset);
}

} // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    return readThrough("pread", fd, buffer, count, offset);
}

extern "C" ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
    return readThrough("pread64", fd, buffer, count, offset);
}
