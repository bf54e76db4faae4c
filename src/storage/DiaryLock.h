#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

class QLockFile;

// The lock of one diary: "<diary name>.lock" beside the diary (never a name
// that matches "*.PDD"), holding the process id and host of its holder. A
// Quorvel window holds it while the diary is open in it; every command that
// writes a diary takes it for as long as it writes. A lock whose process no
// longer runs on this host is taken over without asking, and so is an empty
// or unreadable one (a crash between making it and writing it). A lock of
// another host (a sync program copied it here) is taken over only when asked.
class DiaryLock {
public:
    enum class State {
        Taken,         // this object holds the lock now
        HeldElsewhere, // another running process holds it
        OtherHost,     // marked open on another computer (see host(), since())
        Failed,        // the lock file cannot be written (see problem(), reason())
    };

    explicit DiaryLock(const QString& diaryPath);
    ~DiaryLock(); // releases the lock when held
    DiaryLock(const DiaryLock&) = delete;
    DiaryLock& operator=(const DiaryLock&) = delete;

    // Tries once, without waiting. With breakOtherHost a lock of another
    // host is taken over as well.
    State take(bool breakOtherHost = false);
    void release();
    bool held() const { return held_; }
    const QString& diaryPath() const { return diaryPath_; }
    // Why take() failed, or who holds the lock, in words.
    const QString& problem() const { return problem_; }
    // For Failed: why the lock file cannot be written ("permission denied").
    const QString& reason() const { return reason_; }
    // For OtherHost: the host named in the lock and when it was written.
    const QString& host() const { return host_; }
    const QDateTime& since() const { return since_; }

    static QString lockPathFor(const QString& diaryPath);

    // What lies in a diary's lock file, looked at without taking it.
    enum class Found { None, Live, Abandoned, OtherHost };
    struct Look {
        Found found = Found::None;
        QString host;    // OtherHost: the host it names
        QDateTime since; // when the lock file was last written
    };
    static Look lookAt(const QString& diaryPath);

private:
    QString diaryPath_;
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
    QString problem_;
    QString reason_;
    QString host_;
    QDateTime since_;
};

// One call for a command that writes a diary: the held lock, or null with
// *state saying why not (HeldElsewhere, OtherHost or Failed) and *problem in
// words.
std::unique_ptr<DiaryLock> lockDiary(const QString& diaryPath, DiaryLock::State* state = nullptr,
                                     QString* problem = nullptr, bool breakOtherHost = false);

// "14:02" for a time of today, else its date and time.
QString lockTimeText(const QDateTime& since);
