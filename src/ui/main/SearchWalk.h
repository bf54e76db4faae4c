#pragma once

#include "EntrySearch.h"
#include "SearchResults.h"
#include "StorageStatus.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <memory>

// Runs the entry search off the UI thread. Hits are handed to the window in
// batches at most 25 ms apart (the first at once), so the list grows while
// the walk goes on and the event loop never waits long. Starting a walk
// cancels the one before; nothing of a cancelled walk arrives any more.
class SearchWalk : public QObject {
    Q_OBJECT
public:
    explicit SearchWalk(QObject* parent = nullptr);
    ~SearchWalk() override;

    // listEntries false: only the tags and days of the diary are gathered.
    void start(const QString& path, const SearchQuery& query, bool listEntries);
    void cancel();
    bool running() const { return current_ != nullptr; }
    bool listing() const { return listing_; }

signals:
    void hitsArrived(const QList<FoundRow>& rows);
    // The whole walk's summary (its hits were handed over before; hits is empty).
    void finished(const EntrySearchResult& summary, const StorageStatus& status);

private:
    struct Shared;
    void drain();

    std::shared_ptr<Shared> current_;
    bool listing_ = false;
    QTimer drainTimer_;
    QThreadPool pool_;
};
