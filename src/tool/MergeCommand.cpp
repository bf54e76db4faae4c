#include "MergeCommand.h"

#include "DiaryLock.h"
#include "DiaryMerge.h"
#include "PasswordPrompt.h"
#include "StorageGlobals.h"
#include "ToolCommon.h"
#include "ToolLock.h"
#include "mFile.h"

#include <QCommandLineParser>

int runMerge(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Merges OTHER, a copy of DIARY that split from it (a sync program's conflict copy),\n"
                       "into DIARY: their common first entries, then every other entry of both exactly\n"
                       "once, in the order of their date/time (on equal date/times DIARY's first).\n"
                       "DIARY is replaced at once (a new file, flushed, renamed over it); OTHER is left\n"
                       "as it is (only read, never locked), and merging again adds nothing. Asks for\n"
                       "DIARY's password; refuses with exit code 5, writing nothing, when the two are\n"
                       "not copies of one diary (owner, title, time of begin, password), when one is\n"
                       "encrypted and the other not, or when a record does not verify. Two encrypted\n"
                       "copies must share their header (a password changed on one cannot be merged).\n"
                       "When another program (a sync program) writes DIARY during the merge, the\n"
                       "merge starts again, and gives up after a few tries with nothing written.\n"
                       "Prints how many entries it added."));
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

    // The diary is locked before anything is asked: a window may be writing
    // it. The other copy is only read, so it takes no lock (it may lie in a
    // folder this user cannot write).
    const std::unique_ptr<DiaryLock> diaryLock = lockForWriting(diary, parser.isSet(breakLock));
    if (!diaryLock)
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
        const QString refusal = mergeRefusal(publicHeader, otherHeader, diary, other);
        if (!refusal.isEmpty()) {
            complain(QStringLiteral("cannot merge %1 into %2: %3; nothing was written")
                         .arg(printable(other), printable(diary), printable(refusal)));
            return ExitCode::Refused;
        }
    }

    // Opened as every command opens a diary; an encrypted one's key is then
    // open for the merge.
    DiaryHeader header;
    QString password;
    const QString passwordFile = parser.value(passwordOption);
    const int ended = PasswordPrompt::readDiaryPassword(diary, parser.isSet(passwordOption) ? &passwordFile : nullptr,
                                                        header, password);
    if (ended >= 0)
        return ended;
    if (const int refused = PasswordPrompt::unlockDiary(diary, password); refused >= 0)
        return refused;

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
