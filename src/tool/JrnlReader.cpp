#include "JrnlReader.h"

#include "JournalJson.h"

#include <QJsonArray>

ReadResult readJrnl(const QByteArray& json, ImportedJournal& journal) {
    QJsonArray entries;
    ReadResult result = JournalJson::entriesOf(json, QStringLiteral("the jrnl export"), entries);
    if (result.kind != ReadResult::Read)
        return result;

    QStringList& problems = result.problems;
    journal.entries.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("entry %1").arg(i + 1);
        ++journal.read;
        if (!entries.at(i).isObject()) {
            problems << where + QStringLiteral(": not an object");
            continue;
        }
        const QJsonObject object = entries.at(i).toObject();
        ImportedEntry entry;
        entry.origin = where;
        const QString date = JournalJson::text(object, "date", where, problems);
        entry.date = QDate::fromString(date, QStringLiteral("yyyy-MM-dd"));
        if (!entry.date.isValid())
            problems << QStringLiteral("%1: \"date\" \"%2\" is not a day (YYYY-MM-DD)").arg(where, date);
        const QString time = JournalJson::text(object, "time", where, problems);
        entry.time = QTime::fromString(time, time.size() > 5 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
        if (!entry.time.isValid())
            problems << QStringLiteral("%1: \"time\" \"%2\" is not a time of day (HH:MM)").arg(where, time);
        entry.title = JournalJson::text(object, "title", where, problems);
        entry.text = JournalJson::text(object, "body", where, problems);
        entry.tags = JournalJson::texts(object, "tags", where, problems);
        if (object.value(QLatin1String("starred")).toBool())
            journal.leaveOut(QStringLiteral("the star"), QStringLiteral("a diary entry has none"));
        journal.entries.append(entry);
    }
    if (!problems.isEmpty())
        result.kind = ReadResult::Malformed;
    return result;
}
