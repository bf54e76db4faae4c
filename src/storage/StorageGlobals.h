#pragma once

#include "DiaryFormat.h"

#include <QString>

// The program's shared storage state. A diary is open while publicDiaryPath,
// trimmed of blanks, is not empty.
extern QString publicDiaryPath;
// Entry number of the last phrase-search hit, 0 when none.
extern qint32 publicLastFoundEntry;
// The header last read by Read_Header_Field or last written.
extern DiaryHeader publicHeader;
// The entry last saved or read.
extern DiaryEntry publicEntry;

bool isDiaryOpen();
