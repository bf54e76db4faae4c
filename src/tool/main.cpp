// quorvel-tool: the command-line companion of Quorvel. Lists, checks, exports
// and imports diaries through the same storage core as the program.

#include "BackupCommands.h"
#include "CheckCommand.h"
#include "CryptCommand.h"
#include "DiaryCrypto.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "ListCommand.h"
#include "MemoryReuse.h"
#include "MergeCommand.h"
#include "ProcessHardening.h"
#include "ProgramFolder.h"
#include "SearchCommand.h"
#include "StatsCommand.h"
#include "ToolApplication.h"
#include "ToolCommon.h"

#include <sys/stat.h>

namespace {

QString generalHelp() {
    return QStringLiteral("Usage: quorvel-tool COMMAND [ARGUMENTS]\n"
                          "\n"
                          "The command-line companion of Quorvel.\n"
                          "\n"
                          "Commands:\n"
                          "  list [FOLDER]            one line per diary: file, owner, title, entries, time of begin\n"
                          "  check [FOLDER|FILE]      reports every problem of the diary files\n"
                          "  check FILE --password-file FILE | --ask-password\n"
                          "                           also verifies every record of an encrypted diary\n"
                          "  export FILE --format json|markdown|csv|text|html|pdf [-o OUT] [--password-file FILE]\n"
                          "         [--entries N-M] [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--page-size a4|letter]\n"
                          "                           writes the entries; asks for the diary's password\n"
                          "  import FILE.json [FOLDER]\n"
                          "                           makes a new diary from a JSON export\n"
                          "  import --from jrnl|dayone|rednotebook PATH [FOLDER] --owner TEXT --title TEXT\n"
                          "         [--password-file FILE] [--strict]\n"
                          "                           makes a new diary from another journal program's export\n"
                          "  merge DIARY OTHER [--password-file FILE] [--break-lock]\n"
                          "                           adds the entries of OTHER, a conflict copy of DIARY\n"
                          "  stats FILE [--csv] [--password-file FILE]\n"
                          "                           wellness and love ratings month by month\n"
                          "  search FILE [QUERY] [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--wellness LIST]\n"
                          "         [--love LIST] [--in topic|text|both] [--json] [--password-file FILE]\n"
                          "                           entries that a query and filters keep\n"
                          "  tags FILE [--password-file FILE]\n"
                          "                           the diary's tags with their counts, most used first\n"
                          "  encrypt FILE [--password-file FILE] [--new-password-file FILE | --keep-password]\n"
                          "          [--break-lock]\n"
                          "                           makes a plain diary an encrypted one, in place,\n"
                          "                           with a new password\n"
                          "  decrypt FILE [--password-file FILE] [--break-lock]\n"
                          "                           makes an encrypted diary a plain one, in place\n"
                          "  backups DIARY            the diary's automatic backups, newest first\n"
                          "  restore BACKUP [FOLDER]  makes a new diary from a backup, beside the others\n"
                          "\n"
                          "FOLDER defaults to the diaries' folder of Quorvel: DATA beside quorvel-tool\n"
                          "when you may write there, else ~/.local/share/quorvel/DATA (list names it).\n"
                          "--break-lock takes over a lock that marks the diary open on another computer.\n"
                          "quorvel-tool COMMAND --help tells more about each command.\n"
                          "\n") +
           exitCodeHelp();
}

} // namespace

int main(int argc, char* argv[]) {
    ProcessHardening::keepMemoryPrivate(); // before any password is read
    MemoryReuse::keepFreedBlocksForReuse();
    DiaryCrypto::initialize();
    const std::unique_ptr<QCoreApplication> app = createToolApplication(argc, argv);
    // The same name as the program's: both keep per-user diaries in one folder.
    ProgramFolder::setApplicationIdentity();
    QCoreApplication::setApplicationVersion(QStringLiteral("4.0"));
    // Diaries and exports (JSON holds the password) are for their owner only.
    ::umask(077);

    const QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.value(1);
    if (command == QLatin1String("-h") || command == QLatin1String("--help") || command == QLatin1String("help")) {
        say(generalHelp());
        return ExitCode::Ok;
    }
    if (command == QLatin1String("--version")) {
        say(QStringLiteral("quorvel-tool 4.0\n"));
        return ExitCode::Ok;
    }
    // Each command parses its own options; it sees "quorvel-tool COMMAND" as
    // its program name, so its --help reads right.
    QStringList rest = arguments.mid(2);
    rest.prepend(QStringLiteral("quorvel-tool ") + command);
    if (command == QLatin1String("list"))
        return runList(rest);
    if (command == QLatin1String("check"))
        return runCheck(rest);
    if (command == QLatin1String("export"))
        return runExport(rest);
    if (command == QLatin1String("import"))
        return runImport(rest);
    if (command == QLatin1String("stats"))
        return runStats(rest);
    if (command == QLatin1String("merge"))
        return runMerge(rest);
    if (command == QLatin1String("search"))
        return runSearch(rest);
    if (command == QLatin1String("tags"))
        return runTags(rest);
    if (command == QLatin1String("encrypt"))
        return runEncrypt(rest);
    if (command == QLatin1String("decrypt"))
        return runDecrypt(rest);
    if (command == QLatin1String("backups"))
        return runBackups(rest);
    if (command == QLatin1String("restore"))
        return runRestore(rest);

    complain(command.isEmpty() ? QStringLiteral("no command given")
                               : QStringLiteral("unknown command \"%1\"").arg(printable(command)));
    const QByteArray usage = generalHelp().toUtf8();
    fwrite(usage.constData(), 1, size_t(usage.size()), stderr);
    return ExitCode::Usage;
}
