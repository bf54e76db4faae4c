#include "JournalJson.h"

#include "ImportBounds.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace JournalJson {

ReadResult entriesOf(QByteArray json, const QString& source, const ImportedJournal& journal, QJsonArray& entries) {
    if (const QString refusal = ImportBounds::jsonRefusal(json, source); !refusal.isEmpty())
        return ReadResult::malformed(refusal);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return ReadResult::malformed(
            QStringLiteral("%1, %2: not JSON (%3)").arg(source, lineOf(json, error.offset), error.errorString()));
    json = QByteArray();
    const QJsonValue list = document.object().value(QLatin1String("entries"));
    if (!document.isObject() || !list.isArray())
        return ReadResult::malformed(QStringLiteral("%1: no \"entries\" list at the top").arg(source));
    entries = list.toArray();
    if (journal.read + entries.size() > ImportBounds::MaxJournalEntries)
        return ReadResult::malformed(QStringLiteral("%1: more than %2 entries; a diary holds at most %3")
                                         .arg(source)
                                         .arg(ImportBounds::MaxJournalEntries)
                                         .arg(DiaryFormat::MaxEntries));
    return {};
}

QString text(const QJsonObject& object, const char* key, const QString& where, QStringList& problems) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return {};
    if (!value.isString())
        problems << QStringLiteral("%1: \"%2\" is not a text").arg(where, QLatin1String(key));
    return value.toString();
}

QStringList texts(const QJsonObject& object, const char* key, const QString& where, QStringList& problems) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return {};
    QStringList out;
    const QJsonArray list = value.toArray();
    bool good = value.isArray();
    for (const QJsonValue& item : list) {
        good = good && item.isString();
        if (item.isString())
            out << item.toString();
    }
    if (!good)
        problems << QStringLiteral("%1: \"%2\" is not a list of texts").arg(where, QLatin1String(key));
    return out;
}

} // namespace JournalJson
