// Loaded with LD_PRELOAD into a process under test: the file system seems
// to have no nameless files, so open() with O_TMPFILE fails with EOPNOTSUPP
// (as on some network and FUSE file systems) and Quorvel falls back to
// hidden named new files.

#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

using OpenFunction = int (*)(const char*, int, ...);
using OpenatFunction = int (*)(int, const char*, int, ...);

bool refused(int flags) {
    if ((flags & O_TMPFILE) != O_TMPFILE)
        return false;
    errno = EOPNOTSUPP;
    return true;
}

mode_t modeOf(int flags, va_list arguments) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(arguments, int)) : 0;
}

int openThrough(const char* name, const char* path, int flags, mode_t mode) {
    if (refused(flags))
        return -1;
    return reinterpret_cast<OpenFunction>(::dlsym(RTLD_NEXT, name))(path, flags, mode);
}

int openatThrough(const char* name, int dir, const char* path, int flags, mode_t mode) {
    if (refused(flags))
        return -1;
    return reinterpret_cast<OpenatFunction>(::dlsym(RTLD_NEXT, name))(dir, path, flags, mode);
}

} // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openThrough("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openThrough("open64", path, flags, mode);
}

extern "C" int openat(int dir, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openatThrough("openat", dir, path, flags, mode);
}

extern "C" int openat64(int dir, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openatThrough("openat64", dir, path, flags, mode);
}
