#pragma once

#include <QCommandLineOption>
#include <QString>

#include <memory>

class DiaryLock;

// --break-lock, for every command that takes a diary's lock: a lock that
// another computer's Quorvel left (a sync program copied it here) is taken
// over instead of refused.
QCommandLineOption breakLockOption();

// Takes the lock of a diary that a command is about to write, for as long as
// the returned object lives. Null after saying on standard error why not (a
// Quorvel window or another command holds it; it is marked open on another
// computer and breakLock is false; the lock file cannot be written): the
// command then ends with ExitCode::FileError.
std::unique_ptr<DiaryLock> lockForWriting(const QString& diaryPath, bool breakLock = false);
