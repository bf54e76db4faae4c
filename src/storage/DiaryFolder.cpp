#include "mFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>

StorageStatus listDiaryFiles(const QString& folder, QList<DiaryFileName>& out) {
    out.clear();
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return StorageStatus::fromErrno(errno, folder);
    errno = 0;
    while (const dirent* item = ::readdir(dir)) {
        const QString name = QFile::decodeName(item->d_name);
        if (name.startsWith(QLatin1Char('.')))
            continue; // hidden names are not listed
        if (name.size() <= 4 || !name.endsWith(QStringLiteral(".PDD"), Qt::CaseInsensitive))
            continue;
        out.append({name, folder + QLatin1Char('/') + name});
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0)
        return StorageStatus::fromErrno(readError, folder);
    std::sort(out.begin(), out.end(), [](const DiaryFileName& a, const DiaryFileName& b) {
        const int byName = a.fileName.compare(b.fileName, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.fileName < b.fileName;
    });
    return StorageStatus::success();
}
