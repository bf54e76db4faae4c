#pragma once

// What the crash saver stores as entry n, and the exact record bytes that
// makes on disk, so the crash test can check every entry byte for byte.

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "mString.h"

#include <QByteArray>
#include <QString>

namespace CrashRecords {

struct Fields {
    QString dateTime;
    QString topic;
    QString text;
    qint16 wellness;
    qint16 love;
};

// Entry n: texts of changing length (up to the full 4000 characters, with
// line breaks and letters outside ASCII) so records differ all through.
inline Fields fieldsFor(qint32 n) {
    Fields f;
    f.dateTime = QStringLiteral("%1.01.2026 10:00:00").arg(n % 28 + 1, 2, 10, QLatin1Char('0'));
    f.topic = QStringLiteral("Entry %1 Über").arg(n);
    QString text;
    const int length = (n * 997) % 4001;
    while (text.size() < length)
        text += QStringLiteral("Entry %1 said: a quiet day, ÄÖÜ äöü ß.\r\n").arg(n);
    f.text = text.left(length);
    f.wellness = static_cast<qint16>(n % 4);
    f.love = static_cast<qint16>((n / 4) % 4);
    return f;
}

// The 4084 bytes Save_Entry writes for entry n.
inline QByteArray recordFor(qint32 n) {
    const Fields f = fieldsFor(n);
    DiaryEntry e;
    e.DateTime = Cp1252::encode(f.dateTime);
    e.Topic = Cp1252::encode(f.topic);
    e.Entry = Cp1252::encode(f.text);
    Scramble_Text(e.Topic, 1);
    Scramble_Text(e.Entry, 1);
    e.Wellness = f.wellness;
    e.Love = f.love;
    return e.toRecord();
}

// FNV-1a over the record: what the saver reports for each saved entry.
inline quint64 checksum(const QByteArray& bytes) {
    quint64 h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace CrashRecords
