#include "ToolLock.h"

#include "DiaryLock.h"
#include "ToolCommon.h"

QCommandLineOption breakLockOption() {
    return QCommandLineOption(QStringLiteral("break-lock"),
                              QStringLiteral("Take over a lock that marks the diary open on another computer (a "
                                             "sync program copied it here). Only when it is not open there."));
}

std::unique_ptr<DiaryLock> lockForWriting(const QString& diaryPath, bool breakLock) {
    DiaryLock::State state = DiaryLock::State::Taken;
    QString problem;
    std::unique_ptr<DiaryLock> lock = lockDiary(diaryPath, &state, &problem, breakLock);
    if (lock)
        return lock;
    switch (state) {
    case DiaryLock::State::HeldElsewhere:
        complain(QStringLiteral("%1 is open in a Quorvel window or in use by another command (%2); "
                                "close it there and try again, nothing was written")
                     .arg(printable(diaryPath), printable(problem)));
        break;
    case DiaryLock::State::OtherHost:
        complain(QStringLiteral("%1 (its lock file %2); if it is not open there, run again with --break-lock, "
                                "nothing was written")
                     .arg(printable(problem), printable(DiaryLock::lockPathFor(diaryPath))));
        break;
    case DiaryLock::State::Taken:
    case DiaryLock::State::Failed:
        complain(QStringLiteral("%1, nothing was written").arg(printable(problem)));
        break;
    }
    return nullptr;
}
