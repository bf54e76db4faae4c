#pragma once

#include "StorageStatus.h"

#include <QString>

// The program's own folder holds DATA (the diaries), s1.wav and manual/.
// It is the executable's folder; tests point it at a temporary folder.
namespace ProgramFolder {
QString path();
// For tests only: use this folder instead of the executable's (empty resets).
void setPathForTesting(const QString& folder);

// The data folder: an existing folder named "DATA" in any spelling of case
// ("Data", "data" ...), else <program folder>/DATA.
QString dataFolder();
// Creates the data folder when there is none, readable by its owner only.
StorageStatus ensureDataFolder();
} // namespace ProgramFolder
