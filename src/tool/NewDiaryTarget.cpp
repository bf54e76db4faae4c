#include "NewDiaryTarget.h"

#include "ProgramFolder.h"
#include "ToolCommon.h"

#include <QFileInfo>

int newDiaryFolder(const QString& given, QString& folder) {
    folder = given;
    if (folder.isEmpty()) {
        const StorageStatus made = ProgramFolder::ensureDataFolder();
        if (!made.ok()) {
            complain(printable(made.description));
            return ExitCode::FileError;
        }
        folder = ProgramFolder::dataFolder();
    } else if (!QFileInfo(folder).isDir()) {
        complain(QStringLiteral("%1 is not a folder").arg(printable(folder)));
        return ExitCode::FileError;
    }
    return -1;
}

int reportImportFailure(const ImportOutcome& outcome, int stoppedWith) {
    switch (outcome.kind) {
    case ImportOutcome::Stopped:
        return stoppedWith;
    case ImportOutcome::Failed:
    case ImportOutcome::Cancelled:
        complain(QStringLiteral("import failed, nothing was written: %1")
                     .arg(printable(outcome.problems.value(0, QStringLiteral("cancelled")))));
        return ExitCode::FileError;
    case ImportOutcome::Unreadable:
    case ImportOutcome::Refused:
    case ImportOutcome::Created:
        break;
    }
    constexpr qsizetype shown = 20;
    for (qsizetype i = 0; i < qMin(shown, outcome.problems.size()); ++i)
        complain(printable(outcome.problems.at(i)));
    if (outcome.problems.size() > shown)
        complain(QStringLiteral("... and %1 more").arg(outcome.problems.size() - shown));
    complain(QStringLiteral("nothing was imported"));
    return outcome.kind == ImportOutcome::Unreadable ? ExitCode::FileError : ExitCode::Refused;
}
