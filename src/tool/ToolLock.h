#pragma once

#include <QString>

#include <memory>

class DiaryLock;

// Takes the lock of a diary that a command is about to write, for as long as
// the returned object lives. Null after saying on standard error why not (a
// Quorvel window or another command holds it; the lock file cannot be
// written): the command then ends with ExitCode::FileError.
std::unique_ptr<DiaryLock> lockForWriting(const QString& diaryPath);
