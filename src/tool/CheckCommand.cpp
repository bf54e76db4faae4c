#include "CheckCommand.h"

#include "ConflictCopy.h"
#include "DiaryAudit.h"
#include "DiaryCrypto.h"
#include "DiaryLock.h"
#include "DraftReport.h"
#include "NewFileBeside.h"
#include "PasswordPrompt.h"
#include "ProgramFolder.h"
#include "ToolCommon.h"
#include "mFile.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

// A folder given by name is checked as a whole, except when its name ends in
// ".PDD": then it stands where a diary file should, and that is the problem.
bool isFolderToScan(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && !info.fileName().endsWith(QLatin1String(".PDD"), Qt::CaseInsensitive);
}

// Prints the draft notes; returns how many of them are problems.
qsizetype reportDrafts(const QList<DraftNote>& notes, QString& lines) {
    qsizetype problems = 0;
    for (const DraftNote& note : notes) {
        lines += printable(note.shownName) + QStringLiteral(": ") + printable(note.text) + QLatin1Char('\n');
        problems += note.problem ? 1 : 0;
    }
    return problems;
}

// Names a lock that no running Quorvel holds: an empty one (taken over by
// itself) or another computer's (a problem: it keeps the diary from opening
// until someone takes it over). Returns the number of problems.
qsizetype reportLock(const QString& shownName, const QString& path, QString& lines) {
    const DiaryLock::Look lock = DiaryLock::lookAt(path);
    const QString lockName = QFileInfo(DiaryLock::lockPathFor(path)).fileName();
    if (lock.found == DiaryLock::Found::Abandoned) {
        lines += printable(shownName) + QStringLiteral(": its lock file %1 is empty or unreadable (left by a crash); "
                                                       "Quorvel and quorvel-tool take it over\n")
                                            .arg(printable(lockName));
        return 0;
    }
    if (lock.found != DiaryLock::Found::OtherHost)
        return 0;
    lines += printable(shownName) +
             QStringLiteral(": marked open on %1 since %2 by its lock file %3, which another computer wrote (a sync "
                            "program may have copied it); if it is not open there, Quorvel takes it over when you "
                            "say Yes, quorvel-tool with --break-lock\n")
                 .arg(printable(lock.host), lockTimeText(lock.since), printable(lockName));
    return 1;
}

// Prints the problems of one file and the state of its draft; returns how
// many problems there were.
qsizetype report(const QString& shownName, const QString& path, QString& lines) {
    const DiaryInspection inspection = inspectDiaryFile(path);
    for (const DiaryProblem& problem : inspection.problems) {
        lines += printable(shownName) + QStringLiteral(": ");
        if (problem.entry > 0)
            lines += QStringLiteral("entry %1: ").arg(problem.entry);
        lines += printable(problem.description) + QLatin1Char('\n');
    }
    const QString diary = conflictCopyOf(QFileInfo(path).fileName());
    if (!diary.isEmpty()) {
        const QString diaryPath = QFileInfo(path).absolutePath() + QLatin1Char('/') + diary;
        lines += printable(shownName) + QStringLiteral(": a conflict copy of %1 left by a sync program%2\n")
                                            .arg(printable(diary),
                                                 QFileInfo::exists(diaryPath)
                                                     ? QStringLiteral("; quorvel-tool merge %1 %2 adds its entries")
                                                           .arg(printable(diaryPath), printable(path))
                                                     : QStringLiteral(", which is not in this folder"));
    }
    return inspection.problems.size() + reportLock(shownName, path, lines) +
           reportDrafts(draftNoteFor(shownName, path), lines);
}

QString count(qsizetype n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

} // namespace

int runCheck(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks diary files: a length that is not 222 + 4084 × n bytes, ratings outside\n"
                       "0 to 3, bytes that are not text where text belongs, an empty owner or title,\n"
                       "names that are not readable files (folders, pipes, dangling links).\n"
                       "Reports the draft of an unsaved entry beside its diary, and damaged drafts;\n"
                       "names the half-written copies a killed rewrite left, and a lock file that is\n"
                       "empty or that another computer wrote.\n"
                       "Without a password an encrypted diary's records are only counted; with its\n"
                       "password (--password-file, or --ask-password on the terminal) every record's\n"
                       "tag is verified and the damaged entries are named.\n"
                       "Prints one line per problem and a summary; exit code 1 when any was found."));
    const QCommandLineOption passwordOption(
        QStringLiteral("password-file"),
        QStringLiteral("Verify the records of one diary FILE with the password on the first line of this file "
                       "(\"-\": standard input)."),
        QStringLiteral("FILE"));
    const QCommandLineOption askOption(QStringLiteral("ask-password"),
                                       QStringLiteral("Ask for the diary's password on the terminal and verify its "
                                                      "records as well."));
    parser.addOptions({passwordOption, askOption});
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("A data folder or one diary file (default: Quorvel's data "
                                                "folder, see quorvel-tool --help)."),
                                 QStringLiteral("[FOLDER|FILE]"));
    const int parsed = parseCommandLine(parser, arguments, 0, 1);
    if (parsed >= 0)
        return parsed;

    const QString target = parser.positionalArguments().value(0, ProgramFolder::dataFolder());
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink()) {
        complain(QStringLiteral("%1 does not exist").arg(printable(target)));
        return ExitCode::FileError;
    }

    const bool withPassword = parser.isSet(passwordOption) || parser.isSet(askOption);
    if (withPassword) {
        if (isFolderToScan(target)) {
            complain(QStringLiteral("a password is for one diary file, not the folder %1").arg(printable(target)));
            return ExitCode::Usage;
        }
        DiaryHeader header;
        QString password;
        const QString passwordFile = parser.value(passwordOption);
        const int ended = PasswordPrompt::readDiaryPassword(
            target, parser.isSet(passwordOption) ? &passwordFile : nullptr, header, password);
        if (ended >= 0)
            return ended;
        // The open key makes the inspection verify and read every record.
        if (const int refused = PasswordPrompt::unlockDiary(target, password); refused >= 0)
            return refused;
    }

    QString lines;
    qsizetype problems = 0;
    qsizetype damagedFiles = 0;
    if (isFolderToScan(target)) {
        QList<DiaryFileName> files;
        const StorageStatus listed = listDiaryFiles(target, files);
        if (!listed.ok()) {
            complain(printable(listed.description));
            return ExitCode::FileError;
        }
        for (const DiaryFileName& file : files) {
            const qsizetype found = report(file.fileName, file.fullPath, lines);
            problems += found;
            damagedFiles += found > 0 ? 1 : 0;
        }
        const qsizetype strayDrafts = reportDrafts(draftsWithoutDiary(target, files), lines);
        problems += strayDrafts;
        damagedFiles += strayDrafts;
        // A rewrite killed where no nameless file could be made leaves its
        // half-written copy under a hidden name: a sync program would take it.
        for (const QString& leftover : leftoverNewFiles(target)) {
            lines += printable(leftover) +
                     QStringLiteral(": a half-written copy left by a Quorvel rewrite that was killed; it may hold "
                                    "entries unencrypted; delete it (the next rewrite in this folder does)\n");
            ++problems;
            ++damagedFiles;
        }
        lines +=
            QStringLiteral("checked %1 in %2: ")
                .arg(count(files.size(), "diary file", "diary files"), printable(target)) +
            (problems == 0 ? QStringLiteral("no problems\n")
                           : QStringLiteral("%1 in %2\n")
                                 .arg(count(problems, "problem", "problems"), count(damagedFiles, "file", "files")));
    } else {
        problems = report(target, target, lines);
        lines +=
            problems == 0
                ? QStringLiteral("checked %1: no problems\n").arg(printable(target))
                : QStringLiteral("checked %1: %2\n").arg(printable(target), count(problems, "problem", "problems"));
    }
    say(lines);
    return problems == 0 ? ExitCode::Ok : ExitCode::ProblemsFound;
}
