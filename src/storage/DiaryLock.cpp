#include "DiaryLock.h"

#include <QFileInfo>
#include <QLockFile>

namespace {
const QLatin1String DiarySuffix(".PDD");
const QLatin1String LockSuffix(".lock");
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

DiaryLock::State DiaryLock::take() {
    if (held_)
        return State::Taken;
    problem_.clear();
    file_ = std::make_unique<QLockFile>(lockPathFor(diaryPath_));
    // Only a holder that no longer runs makes a lock stale, never its age:
    // a diary may stay open for days.
    file_->setStaleLockTime(0);
    if (file_->tryLock(0)) {
        held_ = true;
        return State::Taken;
    }
    const QLockFile::LockError error = file_->error();
    if (error == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        if (file_->getLockInfo(&pid, &host, &application))
            problem_ = QStringLiteral("%1 is in use by %2 (process %3 on %4)")
                           .arg(QFileInfo(diaryPath_).fileName(), application.isEmpty() ? QStringLiteral("Quorvel")
                                                                                        : application)
                           .arg(pid)
                           .arg(host);
        else
            problem_ = QStringLiteral("%1 is in use by another program").arg(QFileInfo(diaryPath_).fileName());
        file_.reset();
        return State::HeldElsewhere;
    }
    problem_ = QStringLiteral("cannot write the lock file %1%2")
                   .arg(lockPathFor(diaryPath_),
                        error == QLockFile::PermissionError ? QStringLiteral(": permission denied") : QString());
    file_.reset();
    return State::Failed;
}

void DiaryLock::release() {
    if (file_ && held_)
        file_->unlock();
    file_.reset();
    held_ = false;
}

std::unique_ptr<DiaryLock> lockDiary(const QString& diaryPath, DiaryLock::State* state, QString* problem) {
    auto lock = std::make_unique<DiaryLock>(diaryPath);
    const DiaryLock::State taken = lock->take();
    if (state)
        *state = taken;
    if (taken == DiaryLock::State::Taken)
        return lock;
    if (problem)
        *problem = lock->problem();
    return nullptr;
}
