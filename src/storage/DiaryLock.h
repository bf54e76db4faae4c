#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The lock of one diary: "<diary name>.lock" beside the diary (never a name
// that matches "*.PDD"), holding the process id and host of its holder. A
// Quorvel window holds it while the diary is open in it; every command that
// writes a diary takes it for as long as it writes. A lock whose process no
// longer runs on this host is taken over without asking.
class DiaryLock {
public:
    enum class State {
        Taken,         // this object holds the lock now
        HeldElsewhere, // another running process holds it
        Failed,        // the lock file cannot be written (see problem())
    };

    explicit DiaryLock(const QString& diaryPath);
    ~DiaryLock(); // releases the lock when held
    DiaryLock(const DiaryLock&) = delete;
    DiaryLock& operator=(const DiaryLock&) = delete;

    // Tries once, without waiting.
    State take();
    void release();
    bool held() const { return held_; }
    const QString& diaryPath() const { return diaryPath_; }
    // Why take() failed, or who holds the lock, in words.
    const QString& problem() const { return problem_; }

    static QString lockPathFor(const QString& diaryPath);

private:
    QString diaryPath_;
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
    QString problem_;
};

// One call for a command that writes a diary: the held lock, or null with
// *state saying why not (HeldElsewhere or Failed) and *problem in words.
std::unique_ptr<DiaryLock> lockDiary(const QString& diaryPath, DiaryLock::State* state = nullptr,
                                     QString* problem = nullptr);
