#include "ListCommand.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "ProgramFolder.h"
#include "ToolCommon.h"
#include "mFile.h"
#include "mString.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

QString field(const QByteArray& bytes) {
    return printable(trimBlanks(Cp1252::decode(bytes)));
}

} // namespace

int runList(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the diaries of a data folder, one line each, tab-separated:\n"
                       "file name, owner, title, number of entries, time of begin.\n"
                       "Files that cannot be read are reported on standard error (exit code 4).\n"
                       "Without FOLDER it lists Quorvel's own data folder and names it on standard\n"
                       "error; when that folder does not exist yet, there are no diaries to list."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The data folder (default: Quorvel's data folder, named on\n"
                                                "standard error)."),
                                 QStringLiteral("[FOLDER]"));
    const int parsed = parseCommandLine(parser, arguments, 0, 1);
    if (parsed >= 0)
        return parsed;

    const bool defaultFolder = parser.positionalArguments().isEmpty();
    const QString folder = defaultFolder ? ProgramFolder::dataFolder() : parser.positionalArguments().constFirst();
    if (defaultFolder) {
        // Named on stderr, so that stdout stays one line per diary for scripts.
        std::fprintf(stderr, "Diaries in %s\n", printable(folder).toUtf8().constData());
        std::fflush(stderr);
        // Quorvel makes its folder at its first start: none yet means no diaries.
        if (!QFileInfo::exists(folder) && !QFileInfo(folder).isSymLink())
            return ExitCode::Ok;
    }
    if (!QFileInfo(folder).isDir()) {
        complain(QStringLiteral("%1 is not a folder").arg(printable(folder)));
        return ExitCode::FileError;
    }
    QList<DiaryFileName> files;
    const StorageStatus listed = listDiaryFiles(folder, files);
    if (!listed.ok()) {
        complain(printable(listed.description));
        return ExitCode::FileError;
    }

    int result = ExitCode::Ok;
    QString lines;
    for (const DiaryFileName& file : files) {
        DiaryFileReader reader;
        StorageStatus status = reader.open(file.fullPath);
        DiaryHeader header;
        if (status.ok())
            status = reader.readHeader(header);
        if (!status.ok()) {
            complain(QStringLiteral("%1: %2").arg(printable(file.fileName), printable(status.description)));
            result = ExitCode::FileError;
            continue;
        }
        const qint64 entries = DiaryFormat::entryCountForLength(reader.length());
        lines += printable(file.fileName) + QLatin1Char('\t') + field(header.Owner) + QLatin1Char('\t') +
                 field(header.Title) + QLatin1Char('\t') + QString::number(entries) + QLatin1Char('\t') +
                 field(header.TimeOfBegin) + QLatin1Char('\n');
    }
    say(lines);
    return result;
}
