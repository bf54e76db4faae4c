#pragma once

#include "StorageStatus.h"

#include <QString>

class RawFile;

// Gives a file made by RawFile::createUnnamed() in folder its diary name: a
// fresh clock number followed by ".PDD", drawn again while the name is taken
// (with a decimal comma the name holds whole seconds, so this waits for the
// clock). Used once the file's content is complete and flushed, so a diary
// name never stands for a half-written file.
StorageStatus publishUnderClockName(RawFile& file, const QString& folder, QString& path);
