#include "JournalImportCommand.h"

#include "NewDiaryTarget.h"
#include "PasswordPrompt.h"
#include "PasswordRules.h"
#include "ToolCommon.h"

#include <QCommandLineParser>

namespace {

// The create dialog's password boxes take at most 20 characters.
constexpr int PasswordBoxLength = 20;

struct JournalImportOptions {
    ImportSource source = ImportSource::Jrnl;
    QString path;
    QString folder; // empty: Quorvel's data folder
    QString owner;
    QString title;
    bool hasPasswordFile = false;
    QString passwordFile;
    bool strict = false;
    bool encrypted = false;
};

// The new diary's password: typed twice on the terminal, or the first line
// of the password file; the create dialog's rules (a passphrase for an
// encrypted diary).
int newPassword(const JournalImportOptions& options, QByteArray& bytes) {
    return PasswordPrompt::readNewPassword(
        options.hasPasswordFile ? &options.passwordFile : nullptr, QStringLiteral("Password for the new diary: "),
        options.encrypted ? PasswordRules::PassphraseMaxLength : PasswordBoxLength, options.encrypted, bytes);
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
        options.source = ImportSource::Jrnl;
    } else if (format == QLatin1String("dayone")) {
        options.source = ImportSource::DayOne;
    } else if (format == QLatin1String("rednotebook")) {
        options.source = ImportSource::RedNotebook;
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

    ImportRequest request;
    request.source = options.source;
    request.path = options.path;
    request.owner = options.owner;
    request.title = options.title;
    request.encrypted = options.encrypted;
    request.strict = options.strict;
    // The whole export is read and fitted before the password is asked for,
    // so a damaged one costs no typing.
    int stoppedWith = -1;
    request.target = [&](ImportTarget& target) {
        stoppedWith = newDiaryFolder(options.folder, target.folder);
        if (stoppedWith < 0)
            stoppedWith = newPassword(options, target.password);
        return stoppedWith < 0;
    };
    const ImportOutcome imported = importDiary(request);
    if (imported.kind != ImportOutcome::Created)
        return reportImportFailure(imported, stoppedWith);
    say(QStringLiteral("created %1 with %2 entries\n%3\n")
            .arg(printable(imported.created))
            .arg(imported.entries)
            .arg(printable(imported.summary)));
    return ExitCode::Ok;
}
