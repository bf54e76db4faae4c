#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace {
QString& overridePath() {
    static QString path;
    return path;
}
} // namespace

namespace ProgramFolder {

QString path() {
    if (!overridePath().isEmpty())
        return overridePath();
    return QCoreApplication::applicationDirPath();
}

void setPathForTesting(const QString& folder) {
    overridePath() = folder;
}

QString dataFolder() {
    const QDir program(path());
    // "Data" and "DATA" name one folder: take whichever spelling exists.
    const QStringList dirs = program.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    if (dirs.contains(QStringLiteral("DATA")))
        return program.filePath(QStringLiteral("DATA"));
    for (const QString& name : dirs) {
        if (name.compare(QStringLiteral("data"), Qt::CaseInsensitive) == 0)
            return program.filePath(name);
    }
    return program.filePath(QStringLiteral("DATA"));
}

StorageStatus ensureDataFolder() {
    const QString folder = dataFolder();
    if (QFileInfo(folder).isDir())
        return StorageStatus::success();
    // Owner only: other users of the machine must not read the diaries.
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return StorageStatus::fromErrno(errno, folder);
    return StorageStatus::success();
}

} // namespace ProgramFolder
