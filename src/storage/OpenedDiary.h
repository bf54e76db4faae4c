#pragma once

#include "DiaryFormat.h"
#include "StorageStatus.h"

#include <QString>

// Which diary the open one is: its path and the header it had when it was
// opened. Writers check it in the same open as their write, so an entry never
// goes into a file that another program replaced by something else (a sync
// program's copy of another diary, a file with a changed header).
namespace OpenedDiary {

// The log-in opened path with this header.
void remember(const QString& path, const DiaryHeader& header);
void forget();
// The header remembered for path; false when path is not the opened diary.
bool headerOf(const QString& path, DiaryHeader& header);
// This program rewrote the header of path itself (a password change).
void headerRewritten(const QString& path, const DiaryHeader& header);

// For a write to path: fails, naming the difference, when the header record
// read from that file is not the opened diary's (owner, title or time of
// begin differ). Paths other than the opened one pass.
StorageStatus checkSameDiary(const QString& path, const char* headerRecord);

// What became of the opened diary's file, judged from its header now.
enum class Change {
    None,         // the same diary (it may have grown)
    HeaderChanged, // the same diary (time of begin), but another owner, title or password
    OtherDiary,   // another diary stands under its name (another time of begin)
    Gone,         // vanished, or no longer a readable diary file
};
struct Look {
    Change change = Change::None;
    qint32 entries = 0;  // when the diary is the same
    QString description; // for Gone: why
};
Look lookAt(const QString& path);

} // namespace OpenedDiary
