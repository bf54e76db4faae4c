#include "DiaryBulkCreate.h"

#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QThread>
#include <QTime>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace DiaryFormat;

namespace {

// Writes all bytes, going on after short writes and interruptions.
bool writeAll(int fd, const char* data, qint64 size, int& err) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, data + done, size_t(size - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        done += put;
    }
    return true;
}

// Creates a new file under a clock-number name that no file has yet. The name
// follows the same rule as Create_Diary_File; O_EXCL makes the test for an
// existing name and the creation one step.
StorageStatus createUniqueFile(const QString& folder, int& fd, QString& path) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        const float seconds = float(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
        path = QDir(folder).filePath(clockFileStem(seconds, QLocale()) + QStringLiteral(".PDD"));
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            return StorageStatus::success();
        if (errno != EEXIST)
            return StorageStatus::fromErrno(errno, path);
        QThread::msleep(5); // the clock has to move on to give a new name
    }
    return StorageStatus::failure(StorageErrors::PathFileAccess,
                                  QStringLiteral("no free diary file name in %1").arg(folder));
}

void syncFolder(const QString& folder) {
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

StorageStatus createDiaryWithEntries(const QString& folder, const DiaryHeader& header,
                                     const QList<DiaryEntry>& entries, QString* createdPath) {
    if (entries.size() > MaxEntries)
        return StorageStatus::failure(StorageErrors::InvalidArgument,
                                      QStringLiteral("%1 entries are more than a diary holds (30000)").arg(entries.size()));

    DiaryHeader first = header;
    first.Mark = 1;

    int fd = -1;
    QString path;
    StorageStatus status = createUniqueFile(folder, fd, path);
    if (!status.ok())
        return status;

    int err = 0;
    bool ok = writeAll(fd, first.toRecord().constData(), HeaderSize, err);

    // Entries go out in blocks of about 1 MB.
    constexpr qsizetype recordsPerBlock = 256;
    QByteArray block;
    block.reserve(recordsPerBlock * EntrySize);
    for (qsizetype i = 0; ok && i < entries.size(); ++i) {
        DiaryEntry stored = entries.at(i);
        Scramble_Text(stored.Topic, 1);
        Scramble_Text(stored.Entry, 1);
        block.append(stored.toRecord());
        if (block.size() >= recordsPerBlock * EntrySize || i + 1 == entries.size()) {
            ok = writeAll(fd, block.constData(), block.size(), err);
            block.clear();
        }
    }
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(QFile::encodeName(path).constData());
        return StorageStatus::fromErrno(err, path);
    }
    syncFolder(folder);
    if (createdPath)
        *createdPath = path;
    return StorageStatus::success();
}
