#include "ToolLock.h"

#include "DiaryLock.h"
#include "ToolCommon.h"

std::unique_ptr<DiaryLock> lockForWriting(const QString& diaryPath) {
    DiaryLock::State state = DiaryLock::State::Taken;
    QString problem;
    std::unique_ptr<DiaryLock> lock = lockDiary(diaryPath, &state, &problem);
    if (lock)
        return lock;
    if (state == DiaryLock::State::HeldElsewhere)
        complain(QStringLiteral("%1 is open in a Quorvel window or in use by another command (%2); "
                                "close it there and try again, nothing was written")
                     .arg(printable(diaryPath), printable(problem)));
    else
        complain(QStringLiteral("%1, nothing was written").arg(printable(problem)));
    return nullptr;
}
