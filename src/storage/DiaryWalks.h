#pragma once

#include "StorageStatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// Walks over every entry of a diary: the Entry Browser lines, the phrase
// search and the rating statistics. Each opens the file once, reads in
// large steps and calls progress(done, total) every few entries so the
// caller can move a progress bar and let window events run. A file that
// cannot be opened is not walked (the status says why); one whose length
// gives more entries than a diary can hold is walked as far as the margin
// of 30000, and the status says so (StorageErrors::MarginReached).
using WalkProgress = std::function<void(qint32 done, qint32 total)>;

// True when the walk's results stand: all went well, or the diary was read
// as far as the margin.
bool walkedAsFarAsTheMargin(const StorageStatus& status);

// One line per entry: " n", tab, the 20-character date/time, tab, the
// 60-character topic unscrambled (both with their trailing blanks).
QStringList entryBrowserLines(const QString& path, const WalkProgress& progress = {}, StorageStatus* status = nullptr);

struct PhraseHit {
    qint32 entry = 0;    // 0: not found
    qint32 position = 0; // 0-based character index in the stored text (CR LF counts two)
    bool found() const { return entry > 0; }
};

// Looks for the phrase in the entry texts (never topics), from startEntry on,
// without regard to case (ASCII and the letters of Windows-1252). Stops at the
// first hit. The empty phrase is found at position 0 of startEntry.
PhraseHit findPhraseInFile(const QString& path, const QString& phrase, qint32 startEntry,
                           const WalkProgress& progress = {});

struct RatingCounts {
    qint32 entries = 0;
    qint32 damaged = 0; // records of an encrypted diary that do not verify
    std::array<qint32, 4> wellness{}; // index = rating
    std::array<qint32, 4> love{};
};

class MoodMonths;

// An encrypted diary is walked with its open key (else the walk fails, see
// keyingOf); every record is verified before any of it is used, and one that
// does not verify is listed as damaged, never searched and counted apart.

// Counts the ratings of every entry; values outside 0..3 are not counted.
// With months, the same walk also counts them month by month.
RatingCounts countRatings(const QString& path, const WalkProgress& progress = {}, StorageStatus* status = nullptr,
                          MoodMonths* months = nullptr);

// The case-folded, unscrambled character for each stored byte of an entry
// text (exposed for tests and the fuzzers).
const std::array<unsigned char, 256>& storedFoldTable();
