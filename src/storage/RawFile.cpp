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

StorageStatus RawFile::createUnnamed(const QString& folder) {
    close();
    path_ = folder;
    const QByteArray dir = QFile::encodeName(folder);
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        QByteArray pattern = dir + "/.quorvel-new-XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
            tempName_ = pattern;
        }
    }
    if (fd < 0)
        return StorageStatus::fromErrno(errno, folder);
    fd_ = fd;
    return StorageStatus::success();
}

StorageStatus RawFile::publishAs(const QString& path, bool* nameTaken) {
    *nameTaken = false;
    const QByteArray name = QFile::encodeName(path);
    int linked = -1;
    if (tempName_.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        linked = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
    } else {
        linked = ::link(tempName_.constData(), name.constData());
    }
    if (linked != 0) {
        *nameTaken = errno == EEXIST;
        return StorageStatus::fromErrno(errno, path);
    }
    path_ = path;
    if (!tempName_.isEmpty()) {
        ::unlink(tempName_.constData());
        tempName_.clear();
    }
    return StorageStatus::success();
}

StorageStatus RawFile::replace(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (tempName_.isEmpty()) {
        // A nameless file gets a hidden name beside path first: a rename
        // cannot start from /proc/self/fd.
        const int slash = name.lastIndexOf('/');
        const QByteArray hidden = name.left(slash + 1) + ".quorvel-replace-" + QByteArray::number(::getpid()) + '-' +
                                  name.mid(slash + 1);
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        ::unlink(hidden.constData());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, hidden.constData(), AT_SYMLINK_FOLLOW) != 0)
            return StorageStatus::fromErrno(errno, path);
        tempName_ = hidden;
    }
    if (::rename(tempName_.constData(), name.constData()) != 0)
        return StorageStatus::fromErrno(errno, path); // close() removes the hidden name
    tempName_.clear();
    path_ = path;
    return StorageStatus::success();
}

void RawFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!tempName_.isEmpty())
        ::unlink(tempName_.constData()); // never published
    tempName_.clear();
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
