#include "JournalJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace JournalJson {

ReadResult entriesOf(const QByteArray& json, const QString& source, QJsonArray& entries) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return ReadResult::malformed(
            QStringLiteral("%1, %2: not JSON (%3)").arg(source, lineOf(json, error.offset), error.errorString()));
    const QJsonValue list = document.object().value(QLatin1String("entries"));
    if (!document.isObject() || !list.isArray())
        return ReadResult::malformed(QStringLiteral("%1: no \"entries\" list at the top").arg(source));
    entries = list.toArray();
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
