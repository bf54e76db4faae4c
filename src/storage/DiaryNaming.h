#pragma once

#include "StorageStatus.h"

#include <QString>

class NewFileBeside;

// Gives a file made by NewFileBeside::openIn(folder) its diary name: a
// fresh clock number followed by ".PDD", drawn again while the name is taken
// (with a decimal comma the name holds whole seconds, so this waits for the
// clock). Used once the file's content is complete and flushed, so a diary
// name never stands for a half-written file.
StorageStatus publishUnderClockName(NewFileBeside& file, const QString& folder, QString& path);
