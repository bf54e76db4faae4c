#pragma once

#include "StorageStatus.h"

#include <QByteArray>
#include <QString>

// A diary file opened for one operation and closed when the object goes.
// Only regular files are opened: a folder, a named pipe or a device with a
// diary's name is refused at once (a pipe would otherwise block the reader).
class RawFile {
public:
    enum class Mode { Read, ReadWrite, CreateNew };

    RawFile() = default;
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    StorageStatus open(const QString& path, Mode mode);
    // Takes over an open descriptor of a regular file (NewFileBeside's).
    void adopt(int fd, const QString& path);
    void close();

    // Current length of the file, -1 on failure.
    qint64 size() const;
    // Reads up to length bytes at offset; returns the number read, -1 on error.
    qint64 readAt(qint64 offset, char* buffer, qint64 length) const;
    // Reads exactly length bytes or fails (a short file is "Input past end of file").
    StorageStatus readExactAt(qint64 offset, char* buffer, qint64 length) const;
    StorageStatus writeAllAt(qint64 offset, const char* data, qint64 length) const;
    // Makes this (new, empty) file a copy of source: a reflink where the file
    // system shares blocks between files (*reflinked true), else a plain copy.
    StorageStatus copyFrom(const RawFile& source, bool* reflinked);
    // Flushes the file's data to the disk.
    StorageStatus sync() const;
    StorageStatus truncate(qint64 length) const;
    // Takes an exclusive advisory lock on the whole file for as long as it
    // stays open here (an open file description lock, so another open of the
    // same file, in this process or another, waits for it). Waits at most
    // waitMs for a holder to let go. Succeeds without a lock on a file
    // system that keeps none.
    StorageStatus lockForWriting(int waitMs) const;
    // Hints the kernel that the file will be read from start to end.
    void adviseSequential() const;

    const QString& path() const { return path_; }
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
    QString path_;
};

// Flushes a folder's entries (a new or removed name) to the disk; best effort.
void syncFolder(const QString& folder);
