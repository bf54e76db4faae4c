#pragma once

#include "StorageStatus.h"

#include <QByteArray>
#include <QString>

// Encodes one text for a record field, refusing characters that Windows-1252
// cannot hold (they would otherwise be changed silently on disk).
StorageStatus encodeForStorage(const QString& text, QByteArray& out);
