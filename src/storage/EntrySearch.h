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

struct TagCount {
    QString name;       // case-folded, without '#'
    qint32 entries = 0; // entries that carry it
};

struct EntrySearchResult {
    QList<SearchHit> hits;
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
