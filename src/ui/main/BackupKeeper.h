#pragma once

#include <QString>

// Makes the window's automatic backups: at log-in when the diary's newest
// backup is older than a day, and when a diary that changed while it was
// open is closed (Close Diary, log-in to another diary, the session ended by
// the watcher, Quit). The copying runs on a thread of its own, so closing
// never waits for it; a backup that fails is said once per run.
namespace BackupKeeper {
// The diary at path is open now; the one open before, if another, closes.
void diaryOpened(const QString& path);
// The open diary, if any, closes.
void diaryClosing();
// Waits until every backup asked for so far is made, then says a failure.
void waitForBackups();
// At quit: the open diary closes, and its backup is waited for.
void finish();
// Whether a backup is being made or waits to be.
bool pending();

// --- test seams -----------------------------------------------------------
// While held, the backup thread waits before copying (closing must not).
void holdForTesting(bool hold);
// A failure is said again, as in a new run.
void forgetFailureSaidForTesting();
} // namespace BackupKeeper
