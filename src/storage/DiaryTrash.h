#pragma once

#include "StorageStatus.h"

#include <QString>

// Where a diary went when the user deleted it.
struct DiaryRemoval {
    StorageStatus status;
    bool trashed = false; // in the desktop's trash, else deleted for good
    QString inTrash;      // the diary file's path in the trash, when trashed
};

// Takes a diary file away together with its draft and lock: into the
// desktop's trash (freedesktop trash) where one can take it, so the user can
// still restore it; where none can, the diary file and its draft are deleted.
// A folder of the diary's name is never taken.
DiaryRemoval removeDiaryToTrash(const QString& diaryPath);
