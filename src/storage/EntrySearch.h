#pragma once

#include "DiaryWalks.h"
#include "SearchQuery.h"
#include "StorageStatus.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

#include <atomic>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

// The Entry Search: one walk over a diary that yields the entries a query
// keeps, and, from the same walk, the diary's tags and its days with entries
// (for the calendar). quorvel-tool searches through it, and so must any view of the window.

struct SearchHit {
    qint32 entry = 0;
    QString dateTime; // blanks around removed
    QString topic;    // blanks around removed
    // A few words of the text around the first hit, line breaks as blanks;
    // the text's beginning when no term was found in the text.
    QString context;
    qint32 hitFrom = -1; // in context; -1: no hit shown
    qint32 hitLength = 0;
};

// The hits of one walk, kept as the few stored bytes each is made of and
// made text only when one is read: a search that keeps thousands of entries
// would otherwise spend more on strings than on reading the file. Read like
// a list of SearchHit (each given by value).
class SearchHits {
public:
    qsizetype size() const { return qsizetype(kept_.size()); }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return kept_.empty(); }
    SearchHit at(qsizetype i) const;
    SearchHit operator[](qsizetype i) const { return at(i); }
    SearchHit constFirst() const { return at(0); }
    SearchHit constLast() const { return at(size() - 1); }
    QList<SearchHit> toList() const;
    // All hits as text, where a list is wanted.
    operator QList<SearchHit>() const { return toList(); }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = SearchHit;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = SearchHit;
        const_iterator(const SearchHits* hits, qsizetype i) : hits_(hits), i_(i) {}
        SearchHit operator*() const { return hits_->at(i_); }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return i_ == other.i_; }
        bool operator!=(const const_iterator& other) const { return i_ != other.i_; }

    private:
        const SearchHits* hits_;
        qsizetype i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    // For the walk: keeps one hit; the fields are the stored bytes (topic
    // and context scrambled when the diary is plain), context the few
    // words around the hit (hitAt in it, -1: none), with "..." before or
    // after when the text goes on.
    void keep(qint32 entry, const char* dateTime, const char* topic, const unsigned char* context, qint32 contextLength,
              qint32 hitAt, qint32 hitLength, bool textBefore, bool textAfter);
    void setScrambled(bool scrambled) { scrambled_ = scrambled; }
    // Puts the hits of a later part of the same walk after these.
    void append(SearchHits&& later);

private:
    static constexpr qint32 ChunkSize = 1 << 16;
    struct Kept {
        qint32 entry;
        qint32 chunk;
        qint32 offset; // of its bytes in the chunk: date/time, topic, context
        qint32 contextLength;
        qint32 hitAt;
        qint32 hitLength;
        bool textBefore;
        bool textAfter;
    };
    std::vector<Kept> kept_;
    // Shared between copies of a result; a chunk another copy also holds is
    // never written again.
    struct Chunk {
        std::shared_ptr<char[]> bytes;
        qint32 used;
        qint32 capacity;
    };
    std::vector<Chunk> chunks_;
    bool scrambled_ = false;
};

struct TagCount {
    QString name;       // case-folded, without '#'
    qint32 entries = 0; // entries that carry it
};

struct EntrySearchResult {
    SearchHits hits;
    qint32 entries = 0;       // entries walked, damaged ones included
    qint32 damaged = 0;       // records of an encrypted diary that do not verify: never matched
    qint32 undated = 0;       // readable entries whose date/time names no day
    QList<TagCount> tags;     // most used first, then by name
    QMap<QDate, qint32> days; // entries a day
};

struct EntrySearchControl {
    WalkProgress progress;                       // every few entries
    std::function<void(const SearchHit&)> onHit; // each hit as soon as it is found
    const std::atomic<bool>* cancel = nullptr;   // set: the walk stops soon
    bool listEntries = true;                     // false: only the tags and days are gathered
    bool keepHits = true;                        // false: hits go to onHit only, not into the result
};

// Walks the diary once. A term is found without regard to case (ASCII and the
// letters of Windows-1252: "ä" finds "Ä"; accents are not folded) anywhere in
// the topic or the text, as the query's scope says; tags are looked for in
// both. An entry whose date/time names no day is kept only when no day
// filter is set; a rating outside 0..3 only when any rating is kept. A file
// that cannot be walked gives an empty result (the status says why).
EntrySearchResult searchDiary(const QString& path, const SearchQuery& query, StorageStatus* status = nullptr,
                              const EntrySearchControl& control = {});

// The diary's tags alone (the same walk, without a query).
QList<TagCount> diaryTags(const QString& path, StorageStatus* status = nullptr, qint32* damaged = nullptr);
