#pragma once

#include "ImportedJournal.h"

#include <QJsonObject>

// Helpers the two JSON journal readers share.
namespace JournalJson {

// The document's top-level object with its "entries" list; a problem naming
// the line when the text is not JSON or has no such list, and a refusal when
// it is beyond the import's bounds (nesting, size, entries beside those the
// journal holds already). The text is let go once parsed.
ReadResult entriesOf(QByteArray json, const QString& source, const ImportedJournal& journal, QJsonArray& entries);

// A text member: absent or null gives an empty text; anything else that is not
// a text is a problem.
QString text(const QJsonObject& object, const char* key, const QString& where, QStringList& problems);

// A list of texts ("tags"): absent or null gives none.
QStringList texts(const QJsonObject& object, const char* key, const QString& where, QStringList& problems);

} // namespace JournalJson
