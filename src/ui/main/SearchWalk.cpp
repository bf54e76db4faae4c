#include "SearchWalk.h"

#include <atomic>
#include <mutex>

namespace {
// Looked for often until the first hit is on screen, then in batches.
constexpr int FirstDrainMs = 4;
constexpr int DrainEveryMs = 25;
} // namespace

struct SearchWalk::Shared {
    std::mutex mutex;
    QList<FoundRow> pending;
    bool done = false;
    EntrySearchResult result;
    StorageStatus status;
    std::atomic<bool> cancel{false};
};

SearchWalk::SearchWalk(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(2); // a cancelled walk may still be winding down
    connect(&drainTimer_, &QTimer::timeout, this, &SearchWalk::drain);
}

SearchWalk::~SearchWalk() {
    cancel();
    pool_.waitForDone();
}

void SearchWalk::start(const QString& path, const SearchQuery& query, bool listEntries) {
    cancel();
    auto shared = std::make_shared<Shared>();
    current_ = shared;
    listing_ = listEntries;
    pool_.start([shared, path, query, listEntries] {
        EntrySearchControl control;
        control.listEntries = listEntries;
        control.keepHits = false; // the window holds them once, in its list
        control.cancel = &shared->cancel;
        control.onHit = [&shared](const SearchHit& hit) {
            FoundRow row = FoundRow::from(hit);
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->pending.append(std::move(row));
        };
        StorageStatus status;
        EntrySearchResult result = searchDiary(path, query, &status, control);
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->result = std::move(result);
        shared->status = status;
        shared->done = true;
    });
    drainTimer_.start(FirstDrainMs);
}

void SearchWalk::cancel() {
    drainTimer_.stop();
    if (current_)
        current_->cancel.store(true, std::memory_order_relaxed);
    current_.reset();
}

void SearchWalk::drain() {
    const std::shared_ptr<Shared> shared = current_;
    if (!shared)
        return;
    QList<FoundRow> batch;
    bool done = false;
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        batch.swap(shared->pending);
        done = shared->done;
    }
    if (!batch.isEmpty()) {
        drainTimer_.setInterval(DrainEveryMs);
        emit hitsArrived(batch);
    }
    if (!done || current_ != shared)
        return; // a receiver started another walk
    drainTimer_.stop();
    current_.reset();
    emit finished(shared->result, shared->status);
}
