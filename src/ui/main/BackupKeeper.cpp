#include "BackupKeeper.h"

#include "DiaryBackups.h"
#include "MsgBox.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>

#include <condition_variable>
#include <mutex>

namespace {

struct Stamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? Stamp{info.size(), info.lastModified()} : Stamp{};
}

struct State {
    QString open;
    Stamp atOpen;
    bool failureSaid = false;
    std::mutex mutex;
    QString failure; // from the backup thread, said on the UI thread
    bool held = false; // a test holds the backup thread
    std::condition_variable released;
};

State& state() {
    static State s;
    return s;
}

// One backup at a time, in the order asked.
QThreadPool& pool() {
    static QThreadPool* threads = [] {
        auto* p = new QThreadPool(qApp);
        p->setMaxThreadCount(1);
        return p;
    }();
    return *threads;
}

void sayFailure() {
    State& s = state();
    QString failure;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        failure.swap(s.failure);
    }
    if (failure.isEmpty() || s.failureSaid)
        return;
    s.failureSaid = true;
    MsgBox::show(QCoreApplication::translate("BackupKeeper", "The automatic backup of the diary could not be made: %1\n"
                                "The diary itself is as it was. This is said once.")
                     .arg(failure),
                 QStringLiteral("Quorvel"));
}

void noteFailure(const QString& description) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().failure = description;
}

void backUp(const QString& path, bool onlyWhenDue) {
    if (!DiaryBackups::enabled())
        return;
    QString why;
    const QString root = DiaryBackups::rootFolder(&why);
    if (root.isEmpty()) {
        noteFailure(why);
        QMetaObject::invokeMethod(qApp, &sayFailure, Qt::QueuedConnection);
        return;
    }
    pool().start([path, root, onlyWhenDue] {
        {
            std::unique_lock<std::mutex> lock(state().mutex);
            state().released.wait(lock, [] { return !state().held; });
        }
        const QDateTime now = QDateTime::currentDateTime();
        if (onlyWhenDue && !DiaryBackups::due(path, now, root))
            return;
        const StorageStatus made = DiaryBackups::makeBackup(path, now, nullptr, nullptr, root);
        // A diary gone in the meantime leaves nothing to keep.
        if (made || !QFileInfo::exists(path))
            return;
        noteFailure(made.description);
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &sayFailure, Qt::QueuedConnection);
    });
}

} // namespace

namespace BackupKeeper {

void diaryOpened(const QString& path) {
    State& s = state();
    if (s.open == path)
        return; // the same diary again: its changes so far still count
    diaryClosing();
    s.open = path;
    s.atOpen = stampOf(path);
    backUp(path, true);
}

void diaryClosing() {
    State& s = state();
    const QString closing = s.open;
    s.open.clear();
    if (closing.isEmpty())
        return;
    const Stamp now = stampOf(closing);
    // A diary that vanished or did not change needs no new copy.
    if (now.size < 0 || now == s.atOpen)
        return;
    backUp(closing, false);
}

void waitForBackups() {
    pool().waitForDone();
    sayFailure();
}

void finish() {
    diaryClosing();
    waitForBackups();
}

bool pending() {
    return pool().activeThreadCount() > 0;
}

void holdForTesting(bool hold) {
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        state().held = hold;
    }
    state().released.notify_all();
}

void forgetFailureSaidForTesting() {
    state().failureSaid = false;
}

} // namespace BackupKeeper
