#include "BackupCommands.h"

#include "DiaryBackups.h"
#include "NewDiaryTarget.h"
#include "ProgramFolder.h"
#include "ToolCommon.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

// A diary named by its path, or by its file name in Quorvel's data folder.
QString diaryPathFrom(const QString& given) {
    if (QFileInfo::exists(given) || given.contains(QLatin1Char('/')))
        return given;
    return QDir(ProgramFolder::dataFolder()).filePath(given);
}

} // namespace

int runBackups(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the automatic backups of a diary, newest first, one line each,\n"
                       "tab-separated: time made, number of entries, size in bytes, path.\n"
                       "quorvel-tool restore BACKUP makes a new diary from one of them."));
    parser.addPositionalArgument(QStringLiteral("DIARY"),
                                 QStringLiteral("The diary file (a path, or a file name in the data folder)."));
    const int parsed = parseCommandLine(parser, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    const QString diary = diaryPathFrom(parser.positionalArguments().constFirst());
    QString why;
    if (DiaryBackups::rootFolder(&why).isEmpty()) {
        complain(printable(why));
        return ExitCode::FileError;
    }
    QString lines;
    for (const DiaryBackups::Backup& backup : DiaryBackups::listBackups(diary))
        lines += backup.made.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QLatin1Char('\t') +
                 QString::number(backup.entries) + QLatin1Char('\t') + QString::number(backup.size) +
                 QLatin1Char('\t') + printable(backup.path) + QLatin1Char('\n');
    say(lines);
    return ExitCode::Ok;
}

int runRestore(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes a new diary from a backup, under a new name beside the others, never\n"
                       "over an existing diary. A plain diary's title gets \" (restored YYYY-MM-DD)\";\n"
                       "an encrypted one keeps its title. Prints the new diary's path."));
    parser.addPositionalArgument(QStringLiteral("BACKUP"), QStringLiteral("A backup, as listed by backups."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("Where the new diary goes (default: Quorvel's data folder)."),
                                 QStringLiteral("[FOLDER]"));
    const int parsed = parseCommandLine(parser, arguments, 1, 2);
    if (parsed >= 0)
        return parsed;
    const QString backup = parser.positionalArguments().constFirst();
    QString folder;
    const int refused = newDiaryFolder(parser.positionalArguments().value(1), folder);
    if (refused >= 0)
        return refused;
    QString restored;
    const StorageStatus status = DiaryBackups::restoreBackup(backup, folder, QDate::currentDate(), &restored);
    if (!status) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    say(printable(restored) + QLatin1Char('\n'));
    return ExitCode::Ok;
}
