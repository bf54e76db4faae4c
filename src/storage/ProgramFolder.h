#pragma once

#include "StorageStatus.h"

#include <QString>

// The program's own folder holds s1.wav and manual/, and - when the user may
// write there - DATA with the diaries. It is the executable's folder; tests
// point it at a temporary folder.
namespace ProgramFolder {
QString path();
// For tests only: use this folder instead of the executable's (empty resets).
void setPathForTesting(const QString& folder);

// Gives the running program the name under which both quorvel and
// quorvel-tool keep their per-user files ("quorvel"), so that both find the
// same per-user data folder. Call right after creating the application.
void setApplicationIdentity();

// The user's own data folder: QStandardPaths' AppDataLocation + "/DATA",
// normally ~/.local/share/quorvel/DATA (it follows XDG_DATA_HOME).
QString perUserDataFolder();

// The data folder, one rule for both programs:
// - a folder named "DATA" in any spelling of case ("Data", "data" ...) beside
//   the program that the user may write into: that folder (portable use);
// - no such folder, and the program folder is writable: <program folder>/DATA;
// - otherwise (an installed program, or a DATA the user may not write into):
//   perUserDataFolder(). An existing DATA beside the program is never moved,
//   copied or changed.
QString dataFolder();

// Creates the data folder when there is none, with any missing parent
// folders, all readable by their owner only. When it cannot be made, the
// error names the data folder and the parents made on the way are removed
// again, so nothing is left behind.
StorageStatus ensureDataFolder();
} // namespace ProgramFolder
