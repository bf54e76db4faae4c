#include "DiaryTrash.h"

#include "DiaryLock.h"
#include "EntryDraft.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

StorageStatus deleteFileOnly(const QString& path) {
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    std::error_code error;
    if (!std::filesystem::remove(file, error))
        return StorageStatus::fromErrno(error ? error.value() : ENOENT, path);
    return StorageStatus::success();
}

// A trash holds "files/<name>" with "info/<name>.trashinfo" beside.
bool isInATrash(const QString& inTrash) {
    const QFileInfo moved(inTrash);
    if (!moved.isAbsolute() || !moved.exists() || moved.dir().dirName() != QLatin1String("files"))
        return false;
    QDir trash = moved.dir();
    return trash.cdUp() && QFileInfo::exists(trash.filePath(QStringLiteral("info/%1.trashinfo").arg(moved.fileName())));
}

// The home trash, made when missing (owner-only, as the trash wants it).
bool homeTrashUsable() {
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    if (!QFileInfo(trash).isDir()) {
        if (!QDir().mkpath(trash))
            return false;
        QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QDir().mkpath(trash + QStringLiteral("/files")) && QDir().mkpath(trash + QStringLiteral("/info"));
}

// Qt 6.4 moves a file into "files" of the working folder, and says it went
// to the trash, when it cannot make the home trash: so the home trash is
// made first, and a move that did not end in a trash is taken back.
bool moveToTrash(const QString& path, QString& inTrash) {
    inTrash.clear();
    if (!homeTrashUsable() || !QFile::moveToTrash(path, &inTrash))
        return false;
    if (isInATrash(inTrash))
        return true;
    if (!inTrash.isEmpty() && QFileInfo::exists(inTrash) && !QFileInfo::exists(path))
        QFile::rename(inTrash, path);
    inTrash.clear();
    return false;
}

} // namespace

DiaryRemoval removeDiaryToTrash(const QString& diaryPath) {
    DiaryRemoval removal;
    const std::filesystem::path file(QFile::encodeName(diaryPath).toStdString());
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (error || !std::filesystem::exists(status)) {
        removal.status = StorageStatus::fromErrno(error ? error.value() : ENOENT, diaryPath);
        return removal;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        removal.status = StorageStatus::fromErrno(EISDIR, diaryPath);
        return removal;
    }

    const QString draft = draftPathFor(diaryPath);
    const QString lock = DiaryLock::lockPathFor(diaryPath);
    removal.trashed = moveToTrash(diaryPath, removal.inTrash);
    if (!removal.trashed) {
        removal.status = deleteFileOnly(diaryPath);
        if (removal.status)
            removeDraftFile(draft);
        return removal;
    }
    // The draft and lock go with the diary, so a restore finds them again.
    for (const QString& companion : {draft, lock}) {
        QString ignored;
        if (QFileInfo(companion).isFile() && !moveToTrash(companion, ignored) && companion == draft)
            removeDraftFile(draft);
    }
    return removal;
}
