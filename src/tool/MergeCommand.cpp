#include "MergeCommand.h"

#include "Cp1252.h"
#include "DiaryLock.h"
#include "DiaryMerge.h"
#include "PasswordPrompt.h"
#include "StorageGlobals.h"
#include "ToolCommon.h"
#include "ToolLock.h"
#include "mFile.h"

#include <QCommandLineParser>
#include <QFileInfo>

int runMerge(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Merges OTHER, a copy of DIARY that split from it (a sync program's conflict copy),\n"
                       "into DIARY: their common first entries, then every other entry of both exactly\n"
                       "once, in the order of their date/time (on equal date/times DIARY's first).\n"
                       "DIARY is replaced at once (a new file, flushed, renamed over it); OTHER is left\n"
                       "as it is, and merging again adds nothing. Asks for DIARY's password; refuses\n"
                       "with exit code 5, writing nothing, when the two are not copies of one diary\n"
                       "(owner, title, time of begin, password). Prints how many entries it added."));
    parser.addPositionalArgument(QStringLiteral("DIARY"), QStringLiteral("The diary to merge into."));
    parser.addPositionalArgument(QStringLiteral("OTHER"), QStringLiteral("The copy to take entries from."));
    const QCommandLineOption passwordOption(
        QStringLiteral("password-file"),
        QStringLiteral("Read the password from the first line of FILE (\"-\": standard input)."),
        QStringLiteral("FILE"));
    parser.addOption(passwordOption);
    const QCommandLineOption breakLock = breakLockOption();
    parser.addOption(breakLock);
    const int parsed = parseCommandLine(parser, arguments, 2, 2);
    if (parsed >= 0)
        return parsed;
    const QString diary = parser.positionalArguments().at(0);
    const QString other = parser.positionalArguments().at(1);

    // Both are locked before anything is asked: a window may be writing either.
    const bool same = QFileInfo(diary).canonicalFilePath() == QFileInfo(other).canonicalFilePath() &&
                      QFileInfo::exists(diary);
    const std::unique_ptr<DiaryLock> diaryLock = lockForWriting(diary, parser.isSet(breakLock));
    if (!diaryLock)
        return ExitCode::FileError;
    const std::unique_ptr<DiaryLock> otherLock = same ? nullptr : lockForWriting(other);
    if (!same && !otherLock)
        return ExitCode::FileError;

    StorageStatus status;
    Read_Header_Field(other, HeaderField::Owner, &status);
    const DiaryHeader otherHeader = publicHeader;
    if (!status.ok()) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    Read_Header_Field(diary, HeaderField::Owner, &status);
    if (status.ok()) {
        const QString refusal = mergeRefusal(publicHeader, otherHeader);
        if (!refusal.isEmpty()) {
            complain(QStringLiteral("cannot merge %1 into %2: %3; nothing was written")
                         .arg(printable(other), printable(diary), refusal));
            return ExitCode::Refused;
        }
    }

    DiaryHeader header;
    QString password;
    const QString passwordFile = parser.value(passwordOption);
    const int ended = PasswordPrompt::readDiaryPassword(diary, parser.isSet(passwordOption) ? &passwordFile : nullptr,
                                                        header, password);
    if (ended >= 0)
        return ended;
    if (!PasswordPrompt::matches(password, Cp1252::decode(header.Password))) {
        complain(QStringLiteral("wrong password for %1").arg(printable(diary)));
        return ExitCode::WrongPassword;
    }
    if (!PasswordPrompt::matches(password, Cp1252::decode(otherHeader.Password))) {
        complain(QStringLiteral("cannot merge %1 into %2: they are not copies of one diary: the password of %1 "
                                "is another; nothing was written")
                     .arg(printable(other), printable(diary)));
        return ExitCode::Refused;
    }

    MergeOutcome outcome;
    status = mergeDiaryCopies(diary, other, outcome);
    if (!status.ok()) {
        complain(QStringLiteral("cannot merge %1 into %2: %3; nothing was written")
                     .arg(printable(other), printable(diary), printable(status.description)));
        return outcome.refused ? ExitCode::Refused : ExitCode::FileError;
    }
    say(QStringLiteral("merged %1 into %2: added %3 %4 (%5 in common, %6 now)\n")
            .arg(printable(other), printable(diary))
            .arg(outcome.added)
            .arg(outcome.added == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
            .arg(outcome.common)
            .arg(outcome.total));
    return ExitCode::Ok;
}
