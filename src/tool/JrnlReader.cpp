#include "JrnlReader.h"

#include "JournalJson.h"

#include <QJsonArray>

namespace {

// Digits at [at, at + count) of text as a number; -1 when one is not a digit.
// (QDate::fromString with a format costs more than the rest of an entry.)
int digits(const QString& text, qsizetype at, qsizetype count) {
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "YYYY-MM-DD"
QDate dayOf(const QString& text) {
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return {};
    return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

// "HH:MM" or "HH:MM:SS"
QTime timeOf(const QString& text) {
    if ((text.size() != 5 && text.size() != 8) || text.at(2) != QLatin1Char(':') ||
        (text.size() == 8 && text.at(5) != QLatin1Char(':')))
        return {};
    return QTime(digits(text, 0, 2), digits(text, 3, 2), text.size() == 8 ? digits(text, 6, 2) : 0);
}

} // namespace

ReadResult readJrnl(QByteArray json, ImportedJournal& journal) {
    QJsonArray entries;
    ReadResult result = JournalJson::entriesOf(std::move(json), QStringLiteral("the jrnl export"), journal, entries);
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
        entry.date = dayOf(date);
        if (!entry.date.isValid())
            problems << QStringLiteral("%1: \"date\" \"%2\" is not a day (YYYY-MM-DD)").arg(where, date);
        const QString time = JournalJson::text(object, "time", where, problems);
        entry.time = timeOf(time);
        if (!entry.time.isValid())
            problems << QStringLiteral("%1: \"time\" \"%2\" is not a time of day (HH:MM)").arg(where, time);
        entry.title = JournalJson::text(object, "title", where, problems);
        entry.text = JournalJson::text(object, "body", where, problems);
        entry.tags = JournalJson::texts(object, "tags", where, problems);
        if (object.value(QLatin1String("starred")).toBool())
            journal.leaveOut(QT_TRANSLATE_NOOP("ImportTexts", "the star"),
                             QT_TRANSLATE_NOOP("ImportTexts", "a diary entry has none"));
        journal.entries.append(entry);
    }
    if (!problems.isEmpty())
        result.kind = ReadResult::Malformed;
    return result;
}
