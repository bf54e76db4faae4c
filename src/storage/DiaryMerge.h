#pragma once

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageStatus.h"

#include <QString>

#include <functional>

// Merging two copies of one diary that split (a sync program kept both when
// two machines saved entries). Entries are only ever appended, so the two
// share their first entries; every other entry of both ends up in the merged
// diary exactly once, in the order of the date/time: two sorted-by-time runs
// interleaved, each keeping its own order, on equal date/times the diary's
// own first. An entry of the other copy that the diary already holds (the
// same entry: the same 4084 bytes of a plain diary, the same content of an
// encrypted one) is not added again, so merging twice adds nothing.
//
// Two encrypted copies share one header (and so one key): a record that
// lands on another entry number is sealed anew for its place, and every
// record of the merged diary is verified before it takes the diary's place.

struct MergeOutcome {
    qint32 common = 0;  // the first entries both share
    qint32 diary = 0;   // entries of the diary before
    qint32 added = 0;   // entries taken from the other copy
    qint32 total = 0;   // entries of the merged diary
    qint32 readings = 0;  // times the diary was read (again when it changed under the merge)
    bool refused = false; // not copies of one diary, a damaged record, or too many entries
};

// Why two headers are not copies of one diary (owner, title, time of begin,
// a plain and an encrypted one), or "" when they may be. The names say which
// is which. The password is compared by mergeDiaryCopies, once the diary
// was opened with it.
QString mergeRefusal(const DiaryHeader& diary, const DiaryHeader& other, const QString& diaryName,
                     const QString& otherName);

// Reads the other copy into the diary at diaryPath: when anything is to be
// added, the merged diary is written as a new file in the same folder,
// flushed, renamed over diaryPath and the folder flushed, so a failure or a
// crash at any moment leaves the old diary whole. otherPath is only read
// (no lock of its own is taken). An encrypted pair needs the diary's key
// open (DiaryCrypto::setOpenKey) or handed in as key (a window merging into
// a diary other than its open one keeps its open key). Just before the
// rename the diary must still be what was read (same file, size, times of
// change, first and last record): another program (a sync program) that
// wrote it meanwhile makes the merge start again, a few times at most,
// then fail with nothing written. outcome.refused with the reason in the
// status when the two cannot be merged.
StorageStatus mergeDiaryCopies(const QString& diaryPath, const QString& otherPath, MergeOutcome& outcome,
                               const DiaryCrypto::KeyPtr& key = {});

// A test seam: called once per reading, after the merged file is whole and
// before the diary is compared with what was read. Empty by default.
void setMergeBeforeReplaceHook(std::function<void()> hook);
