#include "ImportCommand.h"

#include "DiaryAudit.h"
#include "DiaryBulkCreate.h"
#include "DiaryCrypto.h"
#include "ImportBounds.h"
#include "ImportOperation.h"
#include "JournalImportCommand.h"
#include "NewDiaryTarget.h"
#include "PasswordRules.h"
#include "ToolCommon.h"
#include "ToolTexts.h"
#include "mString.h"

#include <QCommandLineParser>
#include <QJsonArray>

#include <cmath>

using DiaryText::Field;

namespace {

constexpr int JsonVersion = 1;

// A header field as the create dialog hands it on: trimmed of blanks.
QByteArray headerField(const QJsonObject& root, const char* key, Field field, bool mayBeEmpty, QStringList& refusals,
                       int maxLength = -1) {
    const QJsonValue value = root.value(QLatin1String(key));
    if (!value.isString()) {
        refusals << QStringLiteral("\"%1\" is missing or not a text").arg(QLatin1String(key));
        return {};
    }
    const QString text = trimBlanks(value.toString());
    if (text.isEmpty() && !mayBeEmpty) {
        refusals << QStringLiteral("%1 is empty").arg(DiaryText::name(field));
        return {};
    }
    QByteArray bytes;
    const QString refusal =
        DiaryText::refusal(text, field, &bytes, maxLength < 0 ? DiaryText::width(field) : maxLength);
    if (!refusal.isEmpty())
        refusals << refusal;
    return bytes;
}

// An entry field as stored, blanks and all.
QByteArray entryField(const QString& text, Field field, const QString& where, QStringList& refusals) {
    QByteArray bytes;
    const QString refusal = DiaryText::refusal(text, field, &bytes);
    if (!refusal.isEmpty())
        refusals << where + refusal;
    return bytes;
}

// Line breaks of the JSON "text" ("\n", or "\r\n" / "\r" from other tools)
// become the stored CR LF.
QString storedLineBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

qint16 rating(const QJsonObject& entry, const char* key, const QString& where, QStringList& refusals) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (!value.isDouble()) {
        refusals << where + QStringLiteral("%1 rating is missing or not a number").arg(QLatin1String(key));
        return DiaryFormat::RatingNone;
    }
    const double number = value.toDouble();
    if (number != std::floor(number) || number < 0 || number > 3) {
        refusals << where + QStringLiteral("%1 rating %2 is not one of 0 to 3")
                                .arg(QLatin1String(key), QString::number(number));
        return DiaryFormat::RatingNone;
    }
    return qint16(number);
}

QString textValue(const QJsonObject& entry, const char* key, const QString& where, QStringList& refusals) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (!value.isString())
        refusals << where + QStringLiteral("\"%1\" is missing or not a text").arg(QLatin1String(key));
    return value.toString();
}

} // namespace

QStringList planImport(const QJsonObject& root, ImportPlan& plan) {
    QStringList refusals;
    if (root.value(QLatin1String("format")).toString() != QLatin1String("quorvel-diary"))
        return {ImportTexts::tr("not a diary export of quorvel-tool (\"format\" is not \"quorvel-diary\")")};
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() != JsonVersion)
        return {QStringLiteral("export version %1 is not known; this quorvel-tool reads version %2")
                    .arg(version.toVariant().toString())
                    .arg(JsonVersion)};

    plan.header.Mark = 1;
    plan.header.Owner = headerField(root, "owner", Field::Owner, false, refusals);
    plan.header.Title = headerField(root, "title", Field::Title, false, refusals);
    const QJsonValue encrypted = root.value(QLatin1String("encrypted"));
    if (!encrypted.isUndefined() && !encrypted.isBool())
        refusals << QStringLiteral("\"encrypted\" is not true or false");
    plan.encrypted = encrypted.toBool(false);
    // A diary without a password is refused, whatever its kind; an encrypted
    // one's passphrase is not bound by the header's field.
    plan.header.Password = headerField(root, "password", Field::Password, false, refusals,
                                       PasswordRules::maxLength(plan.encrypted));
    plan.header.TimeOfBegin = headerField(root, "timeOfBegin", Field::TimeOfBegin, true, refusals);

    const QJsonValue entriesValue = root.value(QLatin1String("entries"));
    if (!entriesValue.isArray()) {
        refusals << QStringLiteral("\"entries\" is missing or not a list");
        return refusals;
    }
    const QJsonArray entries = entriesValue.toArray();
    if (entries.size() > DiaryFormat::MaxEntries) {
        refusals << QStringLiteral("%1 entries are more than a diary holds (30000)").arg(entries.size());
        return refusals;
    }
    const QJsonValue count = root.value(QLatin1String("entryCount"));
    if (!count.isUndefined() && count.toDouble(-1) != double(entries.size()))
        refusals << QStringLiteral("\"entryCount\" says %1 but %2 entries follow")
                        .arg(count.toVariant().toString())
                        .arg(entries.size());

    plan.entries.clear();
    plan.entries.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("entry %1: ").arg(i + 1);
        if (!entries.at(i).isObject()) {
            refusals << where + QStringLiteral("not an object");
            continue;
        }
        const QJsonObject object = entries.at(i).toObject();
        DiaryEntry entry;
        entry.DateTime = entryField(textValue(object, "dateTime", where, refusals), Field::DateTime, where, refusals);
        entry.Topic = entryField(textValue(object, "topic", where, refusals), Field::Topic, where, refusals);
        const QJsonValue raw = object.value(QLatin1String("textRaw"));
        const QString text =
            raw.isString() ? raw.toString() : storedLineBreaks(textValue(object, "text", where, refusals));
        entry.Entry = entryField(text, Field::Text, where, refusals);
        if (plan.encrypted && entry.Entry.size() > DiaryCrypto::TextWidth)
            refusals << where + QStringLiteral("text is %1 characters long; at most %2 fit in an encrypted diary")
                                    .arg(entry.Entry.size())
                                    .arg(DiaryCrypto::TextWidth);
        entry.Wellness = rating(object, "wellness", where, refusals);
        entry.Love = rating(object, "love", where, refusals);
        plan.entries.append(entry);
    }
    return refusals;
}

int runImport(const QStringList& arguments) {
    if (isJournalImport(arguments))
        return runJournalImport(arguments);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes a new diary from a JSON export (owner, title, password, time of begin and\n"
                       "every entry) under a fresh file name. The whole export is checked first; input\n"
                       "that Quorvel would not accept (a field too long, a character outside Windows-1252,\n"
                       "control characters, more than 30000 entries, a rating outside 0 to 3) is refused\n"
                       "with exit code 5 and nothing is written. An export with \"encrypted\": true\n"
                       "becomes an encrypted diary again (texts of at most 3960 characters).\n"
                       "With --from jrnl|dayone|rednotebook it imports another journal program's export\n"
                       "instead (quorvel-tool import --from jrnl --help tells more)."));
    parser.addPositionalArgument(QStringLiteral("FILE.json"), QStringLiteral("The export (\"-\": standard input)."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("Where the new diary goes (default: Quorvel's data folder)."),
                                 QStringLiteral("[FOLDER]"));
    const int parsed = parseCommandLine(parser, arguments, 1, 2);
    if (parsed >= 0)
        return parsed;

    ImportRequest request;
    request.source = ImportSource::QuorvelJson;
    request.path = parser.positionalArguments().at(0);
    int stoppedWith = -1;
    request.target = [&](ImportTarget& target) {
        stoppedWith = newDiaryFolder(parser.positionalArguments().value(1), target.folder);
        return stoppedWith < 0;
    };
    const ImportOutcome imported = importDiary(request);
    if (imported.kind != ImportOutcome::Created)
        return reportImportFailure(imported, stoppedWith);
    say(QStringLiteral("created %1 with %2 entries\n").arg(printable(imported.created)).arg(imported.entries));
    return ExitCode::Ok;
}
