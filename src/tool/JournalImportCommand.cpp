#include "JournalImportCommand.h"

#include "DayOneReader.h"
#include "DiaryAudit.h"
#include "DiaryBulkCreate.h"
#include "DiaryCrypto.h"
#include "ImportBounds.h"
#include "JournalMapping.h"
#include "JrnlReader.h"
#include "NewDiaryTarget.h"
#include "PasswordPrompt.h"
#include "PasswordRules.h"
#include "RedNotebookReader.h"
#include "ToolCommon.h"
#include "mString.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>

using DiaryText::Field;

namespace {

// The create dialog's password boxes take at most 20 characters.
constexpr int PasswordBoxLength = 20;

enum class Source { Jrnl, DayOne, RedNotebook };

struct JournalImportOptions {
    Source source = Source::Jrnl;
    QString path;
    QString folder; // empty: Quorvel's data folder
    QString owner;
    QString title;
    bool hasPasswordFile = false;
    QString passwordFile;
    bool strict = false;
    bool encrypted = false;
};

void complainAll(const QStringList& problems) {
    constexpr qsizetype shown = 20;
    for (qsizetype i = 0; i < qMin(shown, problems.size()); ++i)
        complain(printable(problems.at(i)));
    if (problems.size() > shown)
        complain(QStringLiteral("... and %1 more").arg(problems.size() - shown));
    complain(QStringLiteral("nothing was imported"));
}

// Owner and title as the create dialog takes them: trimmed, not empty.
int headerField(const QString& value, Field field, QByteArray& bytes) {
    const QString text = trimBlanks(value);
    if (text.isEmpty()) {
        complain(QStringLiteral("There was not entered all required informations! (%1 is empty)")
                     .arg(DiaryText::name(field)));
        return ExitCode::Refused;
    }
    const QString refusal = DiaryText::refusal(text, field, &bytes);
    if (!refusal.isEmpty()) {
        complain(printable(refusal));
        return ExitCode::Refused;
    }
    return -1;
}

// The new diary's password: typed twice on the terminal, or the first line
// of the password file; the create dialog's rules (a passphrase for an
// encrypted diary).
int newPassword(const JournalImportOptions& options, QByteArray& bytes) {
    return PasswordPrompt::readNewPassword(
        options.hasPasswordFile ? &options.passwordFile : nullptr, QStringLiteral("Password for the new diary: "),
        options.encrypted ? PasswordRules::PassphraseMaxLength : PasswordBoxLength, options.encrypted, bytes);
}

ReadResult readSource(const JournalImportOptions& options, ImportedJournal& journal) {
    switch (options.source) {
    case Source::Jrnl: {
        QByteArray json;
        const ReadResult read = readWholeFile(options.path, ImportBounds::MaxJournalBytes, json);
        return read.kind == ReadResult::Read ? readJrnl(std::move(json), journal) : read;
    }
    case Source::DayOne:
        return readDayOne(options.path, journal);
    case Source::RedNotebook:
        return readRedNotebook(options.path, journal);
    }
    return {};
}

int parseOptions(const QStringList& arguments, JournalImportOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes a new diary from another journal program's export:\n"
                       "  jrnl         the JSON of jrnl --export json\n"
                       "  dayone       Day One's JSON export, the .zip or the .json inside it\n"
                       "  rednotebook  RedNotebook's data folder (YYYY-MM.txt files) or one month file\n"
                       "Each entry keeps its date/time (Day One's through its own time zone), its title\n"
                       "as the topic, its text with line breaks, its tags at the end (#tag) and a line\n"
                       "naming each attachment. Longer texts continue in further entries, their topics\n"
                       "marked (2/3); characters outside Windows-1252 are written as [U+1F600]. The new\n"
                       "diary's password is asked for twice (or read from --password-file). A damaged\n"
                       "export is refused with exit code 5 and nothing is written. With --encrypted\n"
                       "the new diary is an encrypted one (texts of at most 3960 characters an entry;\n"
                       "its password may be a passphrase of up to 256 characters)."));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("The export's program."),
                                  QStringLiteral("jrnl|dayone|rednotebook"));
    const QCommandLineOption owner(QStringLiteral("owner"), QStringLiteral("The new diary's owner."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("The new diary's title."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption passwordFile(
        QStringLiteral("password-file"),
        QStringLiteral("Read the new diary's password from the first line of FILE (\"-\": standard input)."),
        QStringLiteral("FILE"));
    const QCommandLineOption strict(
        QStringLiteral("strict"),
        QStringLiteral("Refuse the import when a character would have to be marked, naming the entries."));
    const QCommandLineOption encrypted(QStringLiteral("encrypted"),
                                       QStringLiteral("Make an encrypted diary (a lost password cannot be recovered)."));
    parser.addOptions({from, owner, title, passwordFile, strict, encrypted});
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("The export (file or folder)."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("Where the new diary goes (default: Quorvel's data folder)."),
                                 QStringLiteral("[FOLDER]"));
    const int parsed = parseCommandLine(parser, arguments, 1, 2);
    if (parsed >= 0)
        return parsed;

    const QString format = parser.value(from);
    if (format == QLatin1String("jrnl")) {
        options.source = Source::Jrnl;
    } else if (format == QLatin1String("dayone")) {
        options.source = Source::DayOne;
    } else if (format == QLatin1String("rednotebook")) {
        options.source = Source::RedNotebook;
    } else {
        complain(QStringLiteral("unknown journal format \"%1\" (jrnl, dayone or rednotebook)").arg(printable(format)));
        return ExitCode::Usage;
    }
    if (!parser.isSet(owner) || !parser.isSet(title)) {
        complain(QStringLiteral("--owner and --title are needed for the new diary"));
        return ExitCode::Usage;
    }
    options.path = parser.positionalArguments().at(0);
    options.folder = parser.positionalArguments().value(1);
    options.owner = parser.value(owner);
    options.title = parser.value(title);
    options.hasPasswordFile = parser.isSet(passwordFile);
    options.passwordFile = parser.value(passwordFile);
    options.strict = parser.isSet(strict);
    options.encrypted = parser.isSet(encrypted);
    return -1;
}

} // namespace

bool isJournalImport(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--from") || argument.startsWith(QLatin1String("--from=")))
            return true;
    }
    return false;
}

int runJournalImport(const QStringList& arguments) {
    JournalImportOptions options;
    if (const int parsed = parseOptions(arguments, options); parsed >= 0)
        return parsed;

    DiaryHeader header;
    header.Mark = 1;
    if (const int refused = headerField(options.owner, Field::Owner, header.Owner); refused >= 0)
        return refused;
    if (const int refused = headerField(options.title, Field::Title, header.Title); refused >= 0)
        return refused;
    header.TimeOfBegin = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")).toLatin1();

    // The whole export is read and fitted before the password is asked for,
    // so a damaged one costs no typing.
    ImportedJournal journal;
    const ReadResult read = readSource(options, journal);
    if (read.kind != ReadResult::Read) {
        complainAll(read.problems);
        return read.kind == ReadResult::Unreadable ? ExitCode::FileError : ExitCode::Refused;
    }
    const JournalMapping mapping =
        mapJournal(journal, options.encrypted ? DiaryCrypto::TextWidth : DiaryFormat::EntryWidth);
    if (options.strict && mapping.markedEntries > 0) {
        QStringList problems{QStringLiteral("--strict: %1 of the entries hold characters a diary cannot store "
                                            "(outside Windows-1252); the first:")
                                 .arg(mapping.markedEntries)};
        problems += mapping.firstMarked;
        complainAll(problems);
        return ExitCode::Refused;
    }
    if (mapping.tooMany) {
        complainAll({QStringLiteral("the export makes more diary entries than a diary holds (%1 read; at most %2 "
                                    "diary entries)")
                         .arg(journal.read)
                         .arg(DiaryFormat::MaxEntries)});
        return ExitCode::Refused;
    }

    QString folder;
    if (const int failed = newDiaryFolder(options.folder, folder); failed >= 0)
        return failed;

    if (const int refused = newPassword(options, header.Password); refused >= 0)
        return refused;

    // An encrypted diary gets a salt and key from its password.
    DiaryCrypto::KeyPtr key;
    if (const int failed = newDiaryKey(options.encrypted, header.Password, key); failed >= 0)
        return failed;
    QString created;
    const StorageStatus status = createDiaryWithEntries(folder, header, mapping.entries, &created, key.get());
    header.Password.fill('\0');
    if (!status.ok()) {
        complain(QStringLiteral("import failed, nothing was written: %1").arg(printable(status.description)));
        return ExitCode::FileError;
    }
    say(QStringLiteral("created %1 with %2 entries\n%3\n")
            .arg(printable(created))
            .arg(mapping.entries.size())
            .arg(printable(importSummary(journal, mapping))));
    return ExitCode::Ok;
}
