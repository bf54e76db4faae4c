#include "DraftWriter.h"

#include "EntryDraft.h"

DraftWriter::DraftWriter() : thread_([this] { run(); }) {}

DraftWriter::~DraftWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void DraftWriter::write(const QString& draftPath, const QByteArray& bytes) {
    {
        std::lock_guard lock(mutex_);
        if (!jobs_.empty() && !jobs_.back().remove && jobs_.back().path == draftPath)
            jobs_.back().bytes = bytes; // not started yet: only the newest state counts
        else
            jobs_.push_back({draftPath, bytes, false});
    }
    wake_.notify_all();
}

void DraftWriter::remove(const QString& draftPath) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({draftPath, {}, true});
    }
    wake_.notify_all();
}

void DraftWriter::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

StorageStatus DraftWriter::takeLastFailure() {
    std::lock_guard lock(mutex_);
    StorageStatus failure = lastFailure_;
    lastFailure_ = StorageStatus::success();
    return failure;
}

StorageStatus DraftWriter::lastWrite() {
    std::lock_guard lock(mutex_);
    return lastWrite_;
}

void DraftWriter::setOnJobDone(std::function<void()> done) {
    std::lock_guard lock(mutex_);
    onJobDone_ = std::move(done);
}

void DraftWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) // stopping, and every job is done
            return;
        const Job job = jobs_.front();
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        const StorageStatus done = job.remove ? removeDraftFile(job.path) : writeDraftFile(job.path, job.bytes);
        lock.lock();
        busy_ = false;
        if (!done.ok())
            lastFailure_ = done;
        if (!job.remove)
            lastWrite_ = done;
        if (jobs_.empty())
            idle_.notify_all();
        if (onJobDone_)
            onJobDone_();
    }
}
