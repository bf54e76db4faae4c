#pragma once

#include "StorageStatus.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Writes and removes draft files on a thread of its own, so that the fsync of
// a draft never holds up typing. Jobs run in the order they were given; a
// write that is still waiting is replaced by a newer write of the same draft.
class DraftWriter {
public:
    DraftWriter();
    ~DraftWriter(); // finishes every job given, then stops
    DraftWriter(const DraftWriter&) = delete;
    DraftWriter& operator=(const DraftWriter&) = delete;

    void write(const QString& draftPath, const QByteArray& bytes);
    void remove(const QString& draftPath);
    // Waits until every job given so far is done.
    void flush();
    // The outcome of the last job that failed since the last call (cleared).
    StorageStatus takeLastFailure();
    // The outcome of the newest draft write done: whether what was last
    // handed to write() is on disk.
    StorageStatus lastWrite();
    // Called on the writer's thread after each job; set it before the first.
    void setOnJobDone(std::function<void()> done);

private:
    struct Job {
        QString path;
        QByteArray bytes;
        bool remove = false;
    };
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    StorageStatus lastFailure_;
    StorageStatus lastWrite_;
    std::function<void()> onJobDone_;
    std::thread thread_;
};
