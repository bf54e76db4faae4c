#include "ImportOperation.h"

#include "DayOneReader.h"
#include "DiaryAudit.h"
#include "DiaryBulkCreate.h"
#include "DiaryCrypto.h"
#include "ImportBounds.h"
#include "ImportCommand.h"
#include "JournalMapping.h"
#include "JrnlReader.h"
#include "RedNotebookReader.h"
#include "ToolTexts.h"
#include "mString.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>

using DiaryText::Field;

namespace {

// How far the import is when each step is done; the write takes the rest.
constexpr int ReadDone = 25;
constexpr int FittedDone = 35;
constexpr int KeyDone = 40;

ImportOutcome outcome(ImportOutcome::Kind kind, const QStringList& problems = {}) {
    ImportOutcome result;
    result.kind = kind;
    result.problems = problems;
    return result;
}

bool cancelled(const ImportControl& control) {
    return control.cancel && control.cancel->load();
}

void tell(const ImportControl& control, int percent) {
    if (control.progress)
        control.progress(percent);
}

// A Quorvel export, in blocks up to the bound (standard input too: readAll()
// would take whatever comes).
ImportOutcome readQuorvelExport(const QString& source, QByteArray& json) {
    QFile file;
    const bool opened = source == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                     : (file.setFileName(source), file.open(QIODevice::ReadOnly));
    if (!opened || QFileInfo(source).isDir())
        return outcome(ImportOutcome::Unreadable,
                       {ImportTexts::tr("cannot read %1: %2")
                            .arg(source, opened ? ImportTexts::tr("it is a folder") : file.errorString())});
    constexpr qint64 limit = ImportBounds::MaxDiaryJsonBytes;
    if (!file.isSequential() && file.size() <= limit)
        json.reserve(qsizetype(file.size()));
    while (json.size() <= limit) {
        const QByteArray block = file.read(qMin<qint64>(qint64(1) << 20, limit + 1 - json.size()));
        if (block.isEmpty())
            break;
        json += block;
    }
    if (file.error() != QFileDevice::NoError)
        return outcome(ImportOutcome::Unreadable,
                       {ImportTexts::tr("cannot read %1: %2").arg(source, file.errorString())});
    // A character of a text takes at most six bytes ("\u0080").
    const QString refusal = json.size() > limit ? ImportBounds::tooLarge(source, limit)
                                                : ImportBounds::jsonRefusal(json, source, 6 * DiaryFormat::EntryWidth);
    if (!refusal.isEmpty())
        return outcome(ImportOutcome::Refused, {refusal});
    return outcome(ImportOutcome::Created);
}

ImportOutcome planQuorvelExport(const QString& source, ImportPlan& plan) {
    QByteArray json;
    ImportOutcome read = readQuorvelExport(source, json);
    if (read.kind != ImportOutcome::Created)
        return read;
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    json = QByteArray(); // the text is not needed any more; a big export is tens of megabytes
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return outcome(
            ImportOutcome::Refused,
            {ImportTexts::tr("%1 is not a JSON export: %2")
                 .arg(source,
                      parseError.error != QJsonParseError::NoError
                          ? ImportTexts::tr("%1 at byte %2").arg(parseError.errorString()).arg(parseError.offset)
                          : ImportTexts::tr("it is not a JSON object"))});
    const QStringList refusals = planImport(document.object(), plan);
    if (!refusals.isEmpty())
        return outcome(ImportOutcome::Refused, refusals);
    return outcome(ImportOutcome::Created);
}

// Owner and title as the create dialog takes them: trimmed, not empty.
QString headerRefusal(const QString& value, Field field, QByteArray& bytes) {
    const QString text = trimBlanks(value);
    if (text.isEmpty())
        return QStringLiteral("There was not entered all required informations! (%1 is empty)")
            .arg(DiaryText::name(field));
    return DiaryText::refusal(text, field, &bytes);
}

ReadResult readJournal(const ImportRequest& request, ImportedJournal& journal) {
    switch (request.source) {
    case ImportSource::Jrnl: {
        QByteArray json;
        const ReadResult read = readWholeFile(request.path, ImportBounds::MaxJournalBytes, json);
        return read.kind == ReadResult::Read ? readJrnl(std::move(json), journal) : read;
    }
    case ImportSource::DayOne:
        return readDayOne(request.path, journal);
    case ImportSource::RedNotebook:
        return readRedNotebook(request.path, journal);
    case ImportSource::QuorvelJson:
        break;
    }
    return {};
}

// Another journal program's export, fitted into diary entries.
ImportOutcome planJournal(const ImportRequest& request, const ImportControl& control, DiaryHeader& header,
                          QList<DiaryEntry>& entries, QString& summary) {
    header.Mark = 1;
    QString refusal = headerRefusal(request.owner, Field::Owner, header.Owner);
    if (refusal.isEmpty())
        refusal = headerRefusal(request.title, Field::Title, header.Title);
    if (!refusal.isEmpty())
        return outcome(ImportOutcome::Refused, {refusal});
    header.TimeOfBegin = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")).toLatin1();

    ImportedJournal journal;
    const ReadResult read = readJournal(request, journal);
    if (read.kind != ReadResult::Read)
        return outcome(read.kind == ReadResult::Unreadable ? ImportOutcome::Unreadable : ImportOutcome::Refused,
                       read.problems);
    tell(control, ReadDone);
    if (cancelled(control))
        return outcome(ImportOutcome::Cancelled);

    JournalMapping mapping = mapJournal(journal, request.encrypted ? DiaryCrypto::TextWidth : DiaryFormat::EntryWidth);
    if (request.strict && mapping.markedEntries > 0)
        return outcome(ImportOutcome::Refused,
                       QStringList{QStringLiteral("--strict: %1 of the entries hold characters a diary cannot store "
                                                  "(outside Windows-1252); the first:")
                                       .arg(mapping.markedEntries)} +
                           mapping.firstMarked);
    if (mapping.tooMany)
        return outcome(ImportOutcome::Refused,
                       {ImportTexts::tr("the export makes more diary entries than a diary holds (%1 read; at most %2 "
                                        "diary entries)")
                            .arg(journal.read)
                            .arg(DiaryFormat::MaxEntries)});
    summary = importSummary(journal, mapping);
    if (!mapping.firstMarked.isEmpty())
        summary += ImportTexts::tr("\nmarked first in: ") + mapping.firstMarked.join(QStringLiteral("; "));
    entries = std::move(mapping.entries);
    return outcome(ImportOutcome::Created);
}

} // namespace

ImportOutcome importDiary(const ImportRequest& request, const ImportControl& control) {
    tell(control, 0);
    DiaryHeader header;
    QList<DiaryEntry> entries;
    bool encrypted = request.encrypted;
    QString summary;
    ImportOutcome planned;
    if (request.source == ImportSource::QuorvelJson) {
        ImportPlan plan;
        planned = planQuorvelExport(request.path, plan);
        header = plan.header;
        entries = std::move(plan.entries);
        encrypted = plan.encrypted;
    } else {
        planned = planJournal(request, control, header, entries, summary);
    }
    if (planned.kind != ImportOutcome::Created)
        return planned;
    tell(control, FittedDone);
    if (cancelled(control))
        return outcome(ImportOutcome::Cancelled);

    ImportTarget target;
    target.password = header.Password;
    if (request.target && !request.target(target))
        return outcome(ImportOutcome::Stopped);
    if (cancelled(control))
        return outcome(ImportOutcome::Cancelled);
    header.Password = target.password;
    target.password.fill('\0');

    // An encrypted diary gets a new salt and key from its password.
    DiaryCrypto::KeyPtr key;
    if (encrypted) {
        QByteArray field;
        key = DiaryCrypto::newKey(header.Password, DiaryCrypto::defaultKdfParams(), field);
        if (!key) {
            header.Password.fill('\0');
            return outcome(ImportOutcome::Failed, {ImportTexts::tr("out of memory deriving the key")});
        }
    }
    tell(control, KeyDone);
    if (cancelled(control)) {
        header.Password.fill('\0');
        return outcome(ImportOutcome::Cancelled);
    }

    const qsizetype total = qMax<qsizetype>(1, entries.size());
    QString created;
    const StorageStatus status =
        createDiaryWithEntries(target.folder, header, entries, &created, key.get(), [&](qsizetype written) {
            tell(control, KeyDone + int((100 - KeyDone) * written / total));
            return !cancelled(control);
        });
    header.Password.fill('\0');
    if (!status.ok())
        return cancelled(control) ? outcome(ImportOutcome::Cancelled)
                                  : outcome(ImportOutcome::Failed, {status.description});
    tell(control, 100);
    ImportOutcome done = outcome(ImportOutcome::Created);
    done.created = created;
    done.entries = int(entries.size());
    done.summary = summary;
    return done;
}
