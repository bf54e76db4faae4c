#pragma once

// Puts a fuzz input into a memory-backed file that the storage core opens
// by path like any diary, so the real readers and writers run on it.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace FuzzFile {

// An encrypted diary (Mark 2 in a whole header) whose password nobody gave:
// the walks and readers refuse it and a save leaves it alone.
inline bool sealedWithoutKey(const std::uint8_t* data, std::size_t size) {
    return size >= 222 && data[0] == 2 && data[1] == 0;
}

inline int descriptor() {
    static const int fd = [] {
        const int made = ::memfd_create("quorvel-fuzz.PDD", MFD_CLOEXEC);
        if (made < 0)
            std::abort();
        return made;
    }();
    return fd;
}

// Replaces the file's bytes and returns its path.
inline QString put(const std::uint8_t* data, std::size_t size) {
    const int fd = descriptor();
    if (::ftruncate(fd, 0) != 0)
        std::abort();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

inline QByteArray bytes() {
    const int fd = descriptor();
    const off_t size = ::lseek(fd, 0, SEEK_END);
    QByteArray out(static_cast<qsizetype>(size), '\0');
    if (size > 0 && ::pread(fd, out.data(), static_cast<std::size_t>(size), 0) != size)
        std::abort();
    return out;
}

} // namespace FuzzFile

// A failed property: report and crash so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            fprintf(stderr, "FUZZ_CHECK failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                        \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)
