#pragma once

#include "DiaryFormat.h"
#include "StorageStatus.h"

#include <QString>

// Merging two copies of one diary that split (a sync program kept both when
// two machines saved entries). Entries are only ever appended, so the two
// share their first entries; every other entry of both ends up in the merged
// diary exactly once, in the order of the date/time: two sorted-by-time runs
// interleaved, each keeping its own order, on equal date/times the diary's
// own first. An entry of the other copy that the diary already holds (the
// same 4084 bytes) is not added again, so merging twice adds nothing.

struct MergeOutcome {
    qint32 common = 0;  // the first entries both share
    qint32 diary = 0;   // entries of the diary before
    qint32 added = 0;   // entries taken from the other copy
    qint32 total = 0;   // entries of the merged diary
    bool refused = false; // not copies of one diary, or too many entries
};

// Why two headers are not copies of one diary (owner, title, time of begin),
// or "" when they are. The password is compared by the caller, by the log-in
// rule.
QString mergeRefusal(const DiaryHeader& diary, const DiaryHeader& other);

// Reads the other copy into the diary at diaryPath: when anything is to be
// added, the merged diary is written as a new file in the same folder,
// flushed, renamed over diaryPath and the folder flushed, so a failure or a
// crash at any moment leaves the old diary whole. otherPath is only read.
// outcome.refused with the reason in the status when the two cannot be merged.
StorageStatus mergeDiaryCopies(const QString& diaryPath, const QString& otherPath, MergeOutcome& outcome);
