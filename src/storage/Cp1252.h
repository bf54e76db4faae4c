#pragma once

#include <QByteArray>
#include <QString>

// Stored text is one byte per character in Windows-1252. These convert at the
// boundary between the records (bytes) and the rest of the program (QString).
namespace Cp1252 {
// Every byte decodes, the five undefined ones to the same code points, so a
// stored byte survives a read and a re-save.
QString decode(const QByteArray& bytes);
// Encodes text; *ok (when given) is false when a character cannot be held,
// in which case the result must not be stored.
QByteArray encode(const QString& text, bool* ok = nullptr);
// True when every character of the text can be stored.
bool canStore(const QString& text);
// True when the single character can be stored.
bool canStore(QChar c);
} // namespace Cp1252
