#include "DayOneReader.h"

#include "ImportBounds.h"
#include "JournalJson.h"
#include "ToolTexts.h"
#include "ZipReader.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

struct Attachment {
    QString kind;       // "photo"
    QString name;       // its file in the export: "photos/<md5>.jpeg"
    bool named = false; // the text already names it
};

// Pictures, videos, sounds and PDFs of one entry by identifier.
QHash<QString, Attachment> attachmentsOf(const QJsonObject& entry, QStringList& order) {
    static const struct {
        const char* key;
        const char* kind;
        const char* folder;
    } lists[] = {{"photos", "photo", "photos"},
                 {"videos", "video", "videos"},
                 {"audios", "audio", "audios"},
                 {"pdfAttachments", "PDF", "pdfs"}};
    QHash<QString, Attachment> out;
    for (const auto& list : lists) {
        for (const QJsonValue& value : entry.value(QLatin1String(list.key)).toArray()) {
            const QJsonObject item = value.toObject();
            const QString md5 = item.value(QLatin1String("md5")).toString();
            QString type = item.value(QLatin1String("type")).toString();
            if (type.isEmpty())
                type = item.value(QLatin1String("format")).toString();
            QString identifier = item.value(QLatin1String("identifier")).toString();
            if (identifier.isEmpty())
                identifier = md5;
            QString name = QLatin1String(list.folder) + QLatin1Char('/') + (md5.isEmpty() ? identifier : md5);
            if (!type.isEmpty())
                name += QLatin1Char('.') + type;
            out.insert(identifier, {QLatin1String(list.kind), name});
            order << identifier;
        }
    }
    return out;
}

// Day One escapes Markdown's punctuation with a backslash ("1\. May"); the
// diary shows the text as written.
QString unescaped(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (text.at(i) == QLatin1Char('\\') && next.unicode() < 0x80 && (next.isPunct() || next.isSymbol()))
            ++i;
        out += text.at(i);
    }
    return out;
}

// The first line is the topic when it is a heading ("# Trip") or a short line
// with more text after it; otherwise there is no topic. Views, not copies: a
// text may be a hundred megabytes.
void splitTitle(QStringView text, ImportedEntry& entry) {
    while (text.startsWith(QLatin1Char('\n')))
        text = text.mid(1);
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    // A first line this long is no topic.
    constexpr qsizetype LongestTitleLine = 1000;
    if ((lineEnd < 0 ? text.size() : lineEnd) > LongestTitleLine) {
        entry.text = unescaped(text);
        return;
    }
    const QString first = text.left(lineEnd < 0 ? text.size() : lineEnd).toString();
    const QStringView rest = lineEnd < 0 ? QStringView() : text.mid(lineEnd + 1);
    static const QRegularExpression heading(QStringLiteral("^#{1,6}[ \\t]+(.*?)[ \\t#]*$"));
    const QRegularExpressionMatch match = heading.match(first);
    if (match.hasMatch()) {
        entry.title = unescaped(match.captured(1)).trimmed();
        entry.text = unescaped(rest);
        return;
    }
    const QString plain = unescaped(first).trimmed();
    if (!plain.isEmpty() && plain.size() <= 60 && !rest.trimmed().isEmpty() && !first.contains(QLatin1String("]("))) {
        entry.title = plain;
        entry.text = unescaped(rest);
        return;
    }
    entry.text = unescaped(text);
}

bool isJsonMember(const QString& name) {
    return name.endsWith(QLatin1String(".json"), Qt::CaseInsensitive) && !name.startsWith(QLatin1String("__MACOSX/"));
}

} // namespace

ReadResult readDayOneJson(QByteArray json, const QString& source, ImportedJournal& journal) {
    QJsonArray entries;
    ReadResult result = JournalJson::entriesOf(std::move(json), source, journal, entries);
    if (result.kind != ReadResult::Read)
        return result;

    static const QRegularExpression moment(
        QStringLiteral("!\\[[^\\]\\n]*\\]\\(dayone-moment:/{1,2}(?:[A-Za-z]+/)?([A-Za-z0-9_-]+)\\)"));
    QStringList& problems = result.problems;
    QHash<QString, QTimeZone> zones;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("%1, entry %2").arg(source).arg(i + 1);
        ++journal.read;
        if (!entries.at(i).isObject()) {
            problems << where + QStringLiteral(": not an object");
            continue;
        }
        const QJsonObject object = entries.at(i).toObject();
        ImportedEntry entry;
        entry.origin = where;

        // creationDate is UTC; the entry's own time zone gives its local time.
        const QString created = JournalJson::text(object, "creationDate", where, problems);
        QDateTime createdAt = QDateTime::fromString(created, Qt::ISODateWithMs);
        if (!createdAt.isValid()) {
            problems << QStringLiteral("%1: \"creationDate\" \"%2\" is not a date and time (YYYY-MM-DDThh:mm:ssZ)")
                            .arg(where, created);
            continue;
        }
        if (createdAt.timeSpec() == Qt::LocalTime)
            createdAt = QDateTime(createdAt.date(), createdAt.time(), Qt::UTC);
        const QString zoneName = JournalJson::text(object, "timeZone", where, problems);
        // Loading a zone reads its file: once per zone, not per entry.
        auto known = zones.find(zoneName);
        if (known == zones.end())
            known = zones.insert(zoneName, QTimeZone(zoneName.toUtf8()));
        const QTimeZone& zone = *known;
        QDateTime local;
        if (!zoneName.isEmpty() && zone.isValid()) {
            local = createdAt.toTimeZone(zone);
        } else {
            local = createdAt.toLocalTime();
            ++journal.localTimeGuesses;
        }
        if (local.date().year() < 1 || local.date().year() > 9999) {
            problems
                << QStringLiteral("%1: \"creationDate\" \"%2\" is not a date of years 1 to 9999").arg(where, created);
            continue;
        }
        entry.date = local.date();
        entry.time = local.time();
        entry.time = QTime(entry.time.hour(), entry.time.minute(), entry.time.second());

        QStringList order;
        QHash<QString, Attachment> attachments = attachmentsOf(object, order);
        QString text = JournalJson::text(object, "text", where, problems);
        // A picture in the text becomes a line naming its file (a text
        // without one is not copied: it may be a hundred megabytes).
        QString replaced;
        qsizetype last = 0;
        auto it = moment.globalMatch(text);
        if (!it.hasNext())
            replaced = std::move(text);
        for (; it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            replaced += QStringView(text).mid(last, match.capturedStart() - last);
            const auto found = attachments.find(match.captured(1));
            if (found != attachments.end()) {
                found->named = true;
                replaced += QStringLiteral("[%1: %2]").arg(found->kind, found->name);
            } else {
                replaced += QStringLiteral("[attachment: %1]").arg(match.captured(1));
            }
            last = match.capturedEnd();
        }
        if (last > 0)
            replaced += QStringView(text).mid(last);
        text = QString();
        splitTitle(replaced, entry);
        for (const QString& identifier : order) {
            const Attachment& attachment = attachments[identifier];
            if (!attachment.named)
                entry.attachments << QStringLiteral("[%1: %2]").arg(attachment.kind, attachment.name);
        }

        entry.tags = JournalJson::texts(object, "tags", where, problems);
        if (object.value(QLatin1String("starred")).toBool())
            journal.leaveOut(QT_TRANSLATE_NOOP("ImportTexts", "the star"),
                             QT_TRANSLATE_NOOP("ImportTexts", "a diary entry has none"));
        if (object.contains(QLatin1String("location")))
            journal.leaveOut(QT_TRANSLATE_NOOP("ImportTexts", "the place"),
                             QT_TRANSLATE_NOOP("ImportTexts", "a diary entry has no field for it"));
        if (object.contains(QLatin1String("weather")))
            journal.leaveOut(QT_TRANSLATE_NOOP("ImportTexts", "the weather"),
                             QT_TRANSLATE_NOOP("ImportTexts", "a diary entry has no field for it"));
        if (!attachments.isEmpty())
            journal.leaveOut(QT_TRANSLATE_NOOP("ImportTexts", "the attached files"),
                             QT_TRANSLATE_NOOP("ImportTexts", "a diary holds only text; a line names each"));
        journal.entries.append(entry);
    }
    if (!problems.isEmpty())
        result.kind = ReadResult::Malformed;
    return result;
}

ReadResult readDayOne(const QString& path, ImportedJournal& journal) {
    QFile probe(path);
    QByteArray magic;
    if (!QFileInfo(path).isDir() && probe.open(QIODevice::ReadOnly))
        magic = probe.read(4);
    probe.close();
    if (magic != QByteArrayLiteral("PK\x03\x04") && magic != QByteArrayLiteral("PK\x05\x06")) {
        QByteArray json;
        const ReadResult read = readWholeFile(path, ImportBounds::MaxJournalBytes, json);
        if (read.kind != ReadResult::Read)
            return read;
        return readDayOneJson(std::move(json), QFileInfo(path).fileName(), journal);
    }

    ZipReader zip;
    QString error;
    if (!zip.open(path, &error))
        return ReadResult::malformed(error);
    QStringList journals;
    for (const QString& name : zip.names()) {
        if (isJsonMember(name))
            journals << name;
    }
    if (journals.isEmpty())
        return ReadResult::malformed(ImportTexts::tr("%1 holds no journal (.json)").arg(path));
    journals.sort();
    ReadResult all;
    // The journals together, unpacked, are bounded as one export is.
    qint64 room = ImportBounds::MaxJournalBytes;
    for (const QString& name : journals) {
        QByteArray json;
        if (!zip.read(name, room, json, &error))
            return ReadResult::malformed(error);
        room -= qint64(json.size());
        const ReadResult one = readDayOneJson(std::move(json), name, journal);
        all.problems += one.problems;
        if (one.kind != ReadResult::Read)
            all.kind = one.kind;
    }
    return all;
}
