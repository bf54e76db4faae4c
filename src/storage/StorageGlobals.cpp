#include "StorageGlobals.h"

#include "mString.h"

QString publicDiaryPath;
qint32 publicLastFoundEntry = 0;
DiaryHeader publicHeader;
DiaryEntry publicEntry;

bool isDiaryOpen() {
    return !trimBlanks(publicDiaryPath).isEmpty();
}
