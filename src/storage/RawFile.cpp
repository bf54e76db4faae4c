#include "RawFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

RawFile::~RawFile() {
    close();
}

StorageStatus RawFile::open(const QString& path, Mode mode) {
    close();
    path_ = path;
    const QByteArray name = QFile::encodeName(path);
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
    case Mode::Read:
        flags |= O_RDONLY;
        break;
    case Mode::ReadWrite:
        flags |= O_RDWR;
        break;
    case Mode::CreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    const int fd = ::open(name.constData(), flags, 0600);
    if (fd < 0)
        return StorageStatus::fromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return StorageStatus::fromErrno(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return StorageStatus::failure(StorageErrors::PathFileAccess,
                                      QStringLiteral("Path/File access error (not a diary file): %1").arg(path));
    }
    // Blocking I/O from here on; O_NONBLOCK only guarded the open against pipes.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    return StorageStatus::success();
}

void RawFile::adopt(int fd, const QString& path) {
    close();
    fd_ = fd;
    path_ = path;
}

void RawFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

qint64 RawFile::size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    return st.st_size;
}

qint64 RawFile::readAt(qint64 offset, char* buffer, qint64 length) const {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd_, buffer + done, static_cast<size_t>(length - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

StorageStatus RawFile::readExactAt(qint64 offset, char* buffer, qint64 length) const {
    const qint64 n = readAt(offset, buffer, length);
    if (n < 0)
        return StorageStatus::fromErrno(errno, path_);
    if (n < length)
        return StorageStatus::failure(StorageErrors::InputPastEnd,
                                      QStringLiteral("Input past end of file: %1").arg(path_));
    return StorageStatus::success();
}

StorageStatus RawFile::writeAllAt(qint64 offset, const char* data, qint64 length) const {
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd_, data + done, static_cast<size_t>(length - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return StorageStatus::fromErrno(errno, path_);
        }
        done += n;
    }
    return StorageStatus::success();
}

StorageStatus RawFile::copyFrom(const RawFile& source, bool* reflinked) {
    *reflinked = ::ioctl(fd_, FICLONE, source.fd_) == 0;
    if (*reflinked)
        return StorageStatus::success();
    const qint64 length = source.size();
    if (length < 0)
        return StorageStatus::fromErrno(errno, source.path_);
    off_t from = 0;
    while (from < length) {
        const ssize_t done = ::copy_file_range(source.fd_, &from, fd_, nullptr, size_t(length - from), 0);
        if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
            const ssize_t sent = ::sendfile(fd_, source.fd_, &from, size_t(length - from));
            if (sent <= 0)
                return StorageStatus::fromErrno(sent == 0 ? EIO : errno, path_);
            continue;
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return StorageStatus::fromErrno(done == 0 ? EIO : errno, path_);
    }
    return StorageStatus::success();
}

StorageStatus RawFile::sync() const {
    if (::fsync(fd_) != 0)
        return StorageStatus::fromErrno(errno, path_);
    return StorageStatus::success();
}

StorageStatus RawFile::truncate(qint64 length) const {
    if (::ftruncate(fd_, length) != 0)
        return StorageStatus::fromErrno(errno, path_);
    return StorageStatus::success();
}

StorageStatus RawFile::lockForWriting(int waitMs) const {
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;
    // Polled rather than waited for in the kernel: a program that never lets
    // go must not freeze the window.
    for (int waited = 0;; waited += 2) {
        if (::fcntl(fd_, F_OFD_SETLK, &whole) == 0)
            return StorageStatus::success();
        // A file system that keeps no locks (some network and FUSE ones):
        // writing goes on as before, guarded by the diary's lock file alone.
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL)
            return StorageStatus::success();
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            return StorageStatus::fromErrno(errno, path_);
        if (waited >= waitMs)
            return StorageStatus::failure(
                StorageErrors::PathFileAccess,
                QStringLiteral("Path/File access error (the file is locked by another program): %1").arg(path_));
        ::usleep(2000);
    }
}

void RawFile::adviseSequential() const {
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}
