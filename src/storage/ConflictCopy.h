#pragma once

#include <QString>

// Sync programs keep both versions when two machines changed one file:
//   Syncthing   <name>.sync-conflict-<date>-<time>-<id>.PDD
//   Dropbox     <name> (<who>'s conflicted copy <date>).PDD
//   Nextcloud   <name> (conflicted copy <date> <time>).PDD, <name> (conflict <...>).PDD
// The file name of the diary such a copy belongs to ("<name>.PDD"), or ""
// when fileName is no conflict copy.
QString conflictCopyOf(const QString& fileName);
