#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString& overridePath() {
    static QString path;
    return path;
}

// Whether this user may create and rename files in the folder. access()
// asks the kernel with the real user, so ACLs and read-only mounts count.
bool writableFolder(const QString& folder) {
    return QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

// An existing folder beside the program named DATA in any letter case, or empty.
QString portableDataFolder(const QDir& program) {
    // "Data" and "DATA" name one folder: take whichever spelling exists.
    const QStringList dirs = program.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    if (dirs.contains(QStringLiteral("DATA")))
        return program.filePath(QStringLiteral("DATA"));
    for (const QString& name : dirs) {
        if (name.compare(QStringLiteral("data"), Qt::CaseInsensitive) == 0)
            return program.filePath(name);
    }
    return QString();
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

void setApplicationIdentity() {
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));
}

QString perUserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/DATA");
}

QString dataFolder() {
    const QDir program(path());
    const QString portable = portableDataFolder(program);
    if (!portable.isEmpty())
        return writableFolder(portable) ? portable : perUserDataFolder();
    if (writableFolder(program.path()))
        return program.filePath(QStringLiteral("DATA"));
    return perUserDataFolder();
}

StorageStatus ensureDataFolder() {
    const QString folder = QDir::cleanPath(dataFolder());
    const QFileInfo info(folder);
    if (info.isDir())
        return StorageStatus::success();
    if (info.exists() || info.isSymLink())
        return StorageStatus::fromErrno(ENOTDIR, folder);

    // The folders to make, outermost first: the data folder and every
    // missing parent (a per-user folder may lack ~/.local/share as well).
    QStringList missing;
    for (QString at = folder; !QFileInfo::exists(at) && !QFileInfo(at).isSymLink();) {
        missing.prepend(at);
        const QString parent = QFileInfo(at).path();
        if (parent == at)
            break;
        at = parent;
    }
    QStringList made;
    for (const QString& dir : missing) {
        // Owner only: other users of the machine must not read the diaries.
        if (::mkdir(QFile::encodeName(dir).constData(), 0700) == 0) {
            made.append(dir);
        } else if (errno != EEXIST) {
            const int error = errno;
            for (auto it = made.crbegin(); it != made.crend(); ++it)
                ::rmdir(QFile::encodeName(*it).constData());
            return StorageStatus::fromErrno(error, folder);
        }
    }
    return StorageStatus::success();
}

} // namespace ProgramFolder
