#include "DiaryLock.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QLatin1String DiarySuffix(".PDD");
const QLatin1String LockSuffix(".lock");
// A lock file younger than this may still be being written by its maker.
constexpr qint64 AbandonedAfterMs = 2000;

QString errorText(int error) {
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

// Why no lock file can be made at lockPath: tried once more by hand, since
// QLockFile keeps the system's reason to itself.
QString whyNoLockFile(const QString& lockPath) {
    const QByteArray name = QFile::encodeName(lockPath);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errorText(errno);
    const char probe = '\n';
    const ssize_t written = ::write(fd, &probe, 1);
    int error = written == 1 ? ::fsync(fd) == 0 ? 0 : errno : errno;
    ::close(fd);
    ::unlink(name.constData());
    return error == 0 ? QStringLiteral("it could not be written") : errorText(error);
}

// Removes the lock file unless a running process holds it (Qt's holders keep
// an flock on it). Only the file looked at goes, never one made since.
bool removeUnheldLockFile(const QString& lockPath) {
    const QByteArray name = QFile::encodeName(lockPath);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    bool removed = false;
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino)
        removed = ::unlink(name.constData()) == 0;
    ::close(fd);
    return removed;
}

bool heldByRunningProcess(const QString& lockPath) {
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return true; // cannot tell: someone else's
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}
} // namespace

DiaryLock::DiaryLock(const QString& diaryPath) : diaryPath_(diaryPath) {}

DiaryLock::~DiaryLock() {
    release();
}

QString DiaryLock::lockPathFor(const QString& diaryPath) {
    QString stem = diaryPath;
    if (stem.endsWith(DiarySuffix, Qt::CaseInsensitive))
        stem.chop(DiarySuffix.size());
    return stem + LockSuffix;
}

DiaryLock::Look DiaryLock::lookAt(const QString& diaryPath) {
    Look look;
    const QString lockPath = lockPathFor(diaryPath);
    const QFileInfo info(lockPath);
    if (!info.exists() && !info.isSymLink())
        return look;
    look.found = Found::Live;
    look.since = info.lastModified();
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly))
        return look; // another user's, or no file at all: not ours to judge
    // QLockFile writes: process id, application, host name, machine id.
    const QList<QByteArray> lines = file.read(4096).split('\n');
    bool numeric = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&numeric);
    if (!numeric || pid <= 0) {
        const bool young = qAbs(look.since.msecsTo(QDateTime::currentDateTime())) < AbandonedAfterMs;
        if (!young && !heldByRunningProcess(lockPath))
            look.found = Found::Abandoned;
        return look;
    }
    const QByteArray host = lines.value(2).trimmed();
    const QByteArray machine = lines.value(3).trimmed();
    const bool otherHost = machine.isEmpty() ? !host.isEmpty() && host != QSysInfo::machineHostName().toUtf8()
                                             : machine != QSysInfo::machineUniqueId();
    if (otherHost) {
        look.found = Found::OtherHost;
        look.host = host.isEmpty() ? QStringLiteral("another computer") : QString::fromUtf8(host);
    }
    return look;
}

DiaryLock::State DiaryLock::take(bool breakOtherHost) {
    if (held_)
        return State::Taken;
    problem_.clear();
    reason_.clear();
    host_.clear();
    since_ = QDateTime();
    const QString lockPath = lockPathFor(diaryPath_);
    file_ = std::make_unique<QLockFile>(lockPath);
    // Only a holder that no longer runs makes a lock stale, never its age:
    // a diary may stay open for days.
    file_->setStaleLockTime(0);
    if (file_->tryLock(0)) {
        held_ = true;
        return State::Taken;
    }
    const QLockFile::LockError error = file_->error();
    if (error == QLockFile::LockFailedError) {
        const Look look = lookAt(diaryPath_);
        const bool takeOver = look.found == Found::Abandoned || (look.found == Found::OtherHost && breakOtherHost);
        if (takeOver && removeUnheldLockFile(lockPath) && file_->tryLock(0)) {
            held_ = true;
            return State::Taken;
        }
        const QString name = QFileInfo(diaryPath_).fileName();
        if (look.found == Found::OtherHost) {
            host_ = look.host;
            since_ = look.since;
            problem_ = QStringLiteral("%1 is marked open on %2 since %3").arg(name, host_, lockTimeText(since_));
            file_.reset();
            return State::OtherHost;
        }
        qint64 pid = 0;
        QString host;
        QString application;
        if (file_->getLockInfo(&pid, &host, &application))
            problem_ = QStringLiteral("%1 is in use by %2 (process %3 on %4)")
                           .arg(name, application.isEmpty() ? QStringLiteral("Quorvel") : application)
                           .arg(pid)
                           .arg(host);
        else
            problem_ = QStringLiteral("%1 is in use by another program").arg(name);
        file_.reset();
        return State::HeldElsewhere;
    }
    file_.reset();
    reason_ = error == QLockFile::PermissionError ? QStringLiteral("permission denied") : whyNoLockFile(lockPath);
    problem_ = QStringLiteral("cannot write the lock file %1: %2").arg(lockPath, reason_);
    return State::Failed;
}

void DiaryLock::release() {
    if (file_ && held_)
        file_->unlock();
    file_.reset();
    held_ = false;
}

std::unique_ptr<DiaryLock> lockDiary(const QString& diaryPath, DiaryLock::State* state, QString* problem,
                                     bool breakOtherHost) {
    auto lock = std::make_unique<DiaryLock>(diaryPath);
    const DiaryLock::State taken = lock->take(breakOtherHost);
    if (state)
        *state = taken;
    if (taken == DiaryLock::State::Taken)
        return lock;
    if (problem)
        *problem = lock->problem();
    return nullptr;
}

QString lockTimeText(const QDateTime& since) {
    if (!since.isValid())
        return QStringLiteral("an unknown time");
    const QDateTime local = since.toLocalTime();
    if (local.date() == QDate::currentDate())
        return local.toString(QStringLiteral("HH:mm"));
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}
