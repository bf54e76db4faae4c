#include "DiaryBackups.h"

#include "NewFileBeside.h"

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "DiaryNaming.h"
#include "ProgramFolder.h"
#include "RawFile.h"
#include "UserSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

const QString NameFormat = QStringLiteral("yyyy-MM-dd hh.mm.ss");

QString absoluteClean(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

bool isInside(const QString& path, const QString& folder) {
    const QString p = absoluteClean(path);
    const QString f = absoluteClean(folder);
    return p == f || p.startsWith(f + QLatin1Char('/'));
}

StorageStatus makeOwnerOnlyFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return StorageStatus::fromErrno(QFileInfo(folder).exists() ? ENOTDIR : EACCES, folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return StorageStatus::success();
}

// Whether two open files hold the same bytes.
bool sameContent(const RawFile& a, const RawFile& b) {
    const qint64 length = a.size();
    if (length < 0 || length != b.size())
        return false;
    constexpr qint64 Chunk = 1 << 20;
    QByteArray left(Chunk, Qt::Uninitialized);
    QByteArray right(Chunk, Qt::Uninitialized);
    for (qint64 at = 0; at < length; at += Chunk) {
        const qint64 n = std::min(Chunk, length - at);
        if (!a.readExactAt(at, left.data(), n) || !b.readExactAt(at, right.data(), n))
            return false;
        if (std::memcmp(left.constData(), right.constData(), size_t(n)) != 0)
            return false;
    }
    return true;
}

int monthIndex(const QDate& date) {
    return date.year() * 12 + date.month();
}

QDate weekStart(const QDate& date) {
    return date.addDays(1 - date.dayOfWeek());
}

} // namespace

namespace DiaryBackups {

bool enabled() {
    return openUserSettings()->value(SettingKeys::BackupsEnabled, true).toBool();
}

bool insideDataFolder(const QString& folder, QString* why) {
    const QString data = ProgramFolder::dataFolder();
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!isInside(root, data))
        return false;
    if (why)
        *why = QStringLiteral("the backups folder %1 lies inside the diaries' folder %2").arg(root, data);
    return true;
}

QString rootFolder(QString* why) {
    const QString data = ProgramFolder::dataFolder();
    const QString chosen = openUserSettings()->value(SettingKeys::BackupsFolder).toString();
    const QString root =
        chosen.isEmpty()
            ? QFileInfo(QDir::cleanPath(QFileInfo(data).absoluteFilePath())).dir().filePath(QStringLiteral("Backups"))
            : QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    // Backups in DATA would be listed as diaries (and synced twice).
    return insideDataFolder(root, why) ? QString() : root;
}

QString folderFor(const QString& diaryPath, const QString& root) {
    const QString in = root.isEmpty() ? rootFolder() : root;
    return in.isEmpty() ? QString() : QDir(in).filePath(QFileInfo(diaryPath).completeBaseName());
}

QList<Backup> listBackups(const QString& diaryPath, const QString& root) {
    QList<Backup> backups;
    const QString folder = folderFor(diaryPath, root);
    if (folder.isEmpty())
        return backups;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.PDD")}, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& file : files) {
        const QString stem = file.completeBaseName();
        const QDateTime made = QDateTime::fromString(stem.left(NameFormat.size()), NameFormat);
        const int sequence = stem.size() > NameFormat.size() ? stem.mid(NameFormat.size() + 1).toInt() : 1;
        if (made.isValid() && sequence > 0)
            backups.append(
                {file.absoluteFilePath(), made, file.size(), sequence, DiaryFormat::entryCountForLength(file.size())});
    }
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
        return a.made != b.made ? a.made > b.made : a.sequence > b.sequence;
    });
    return backups;
}

bool due(const QString& diaryPath, const QDateTime& now, const QString& root) {
    const QList<Backup> backups = listBackups(diaryPath, root);
    return backups.isEmpty() || backups.first().made.secsTo(now) >= 24 * 3600;
}

StorageStatus makeBackup(const QString& diaryPath, const QDateTime& now, bool* made, bool* reflinked,
                         const QString& root) {
    bool reflinkHere = false;
    if (made)
        *made = false;
    if (reflinked)
        *reflinked = false;
    QString in = root;
    if (in.isEmpty()) {
        if (!enabled())
            return StorageStatus::success();
        QString why;
        in = rootFolder(&why);
        if (in.isEmpty())
            return StorageStatus::failure(StorageErrors::InvalidArgument, why);
    }
    const QString folder = folderFor(diaryPath, in);

    RawFile source;
    if (const StorageStatus opened = source.open(diaryPath, RawFile::Mode::Read); !opened)
        return opened;
    const QList<Backup> backups = listBackups(diaryPath, in);
    if (!backups.isEmpty()) {
        RawFile newest;
        if (newest.open(backups.first().path, RawFile::Mode::Read) && sameContent(source, newest))
            return StorageStatus::success();
    }

    for (const QString& level : {QFileInfo(folder).path(), folder})
        if (const StorageStatus ready = makeOwnerOnlyFolder(level); !ready)
            return ready;
    NewFileBeside copy;
    StorageStatus step = copy.openIn(folder);
    if (step)
        step = copy.file().copyFrom(source, &reflinkHere);
    if (step)
        step = copy.file().sync();
    if (!step)
        return step;
    const QString stem = QDir(folder).filePath(now.toString(NameFormat));
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? stem + QStringLiteral(".PDD") : QStringLiteral("%1 %2.PDD").arg(stem).arg(n);
        bool taken = false;
        step = copy.commitAsNew(name, &taken);
        if (step || !taken || n >= 100)
            break;
    }
    if (!step)
        return step;
    if (made)
        *made = true;
    if (reflinked)
        *reflinked = reflinkHere;
    thinOut(diaryPath, now, in);
    return StorageStatus::success();
}

void thinOut(const QString& diaryPath, const QDateTime& now, const QString& root) {
    const QList<Backup> backups = listBackups(diaryPath, root);
    if (backups.isEmpty())
        return;
    const QDate today = now.date();
    QSet<QDate> days;
    QSet<QDate> weeks;
    QSet<int> months;
    std::vector<bool> keep(size_t(backups.size()), false);
    keep[0] = true; // the newest always stays
    for (qsizetype i = 0; i < backups.size(); ++i) {
        const QDate day = backups[i].made.date();
        if (day.daysTo(today) < KeptDays && !days.contains(day)) {
            days.insert(day);
            keep[size_t(i)] = true;
        }
        const QDate week = weekStart(day);
        if (week.daysTo(weekStart(today)) / 7 < KeptWeeks && !weeks.contains(week)) {
            weeks.insert(week);
            keep[size_t(i)] = true;
        }
        if (monthIndex(today) - monthIndex(day) < KeptMonths && !months.contains(monthIndex(day))) {
            months.insert(monthIndex(day));
            keep[size_t(i)] = true;
        }
    }
    // Within the size bound, the oldest going first.
    const qint64 diarySize = QFileInfo(diaryPath).size();
    qint64 total = 0;
    for (qsizetype i = 0; i < backups.size(); ++i)
        if (keep[size_t(i)])
            total += backups[i].size;
    for (qsizetype i = backups.size() - 1; i > 0 && total > SizeFactor * diarySize; --i) {
        if (keep[size_t(i)]) {
            keep[size_t(i)] = false;
            total -= backups[i].size;
        }
    }
    for (qsizetype i = 0; i < backups.size(); ++i)
        if (!keep[size_t(i)])
            QFile::remove(backups[i].path);
}

StorageStatus restoreBackup(const QString& backupPath, const QString& folder, const QDate& today, QString* newPath) {
    QString target = folder;
    if (target.isEmpty()) {
        if (const StorageStatus made = ProgramFolder::ensureDataFolder(); !made)
            return made;
        target = ProgramFolder::dataFolder();
    }
    RawFile backup;
    if (const StorageStatus opened = backup.open(backupPath, RawFile::Mode::Read); !opened)
        return opened;
    QByteArray record(int(DiaryFormat::HeaderSize), Qt::Uninitialized);
    if (const StorageStatus read = backup.readExactAt(0, record.data(), record.size()); !read)
        return read;
    const DiaryHeader header = DiaryHeader::fromRecord(record.constData());

    NewFileBeside copy;
    bool reflinked = false;
    StorageStatus step = copy.openIn(target);
    if (step)
        step = copy.file().copyFrom(backup, &reflinked);
    if (step && !DiaryCrypto::isEncrypted(header)) {
        const QByteArray title = header.Title.trimmed() + " (restored " + today.toString(Qt::ISODate).toLatin1() + ")";
        const QByteArray field = DiaryFormat::fixedWidth(title, DiaryFormat::TitleWidth);
        step = copy.file().writeAllAt(DiaryFormat::TitleOffset, field.constData(), field.size());
    }
    if (step)
        step = copy.file().sync();
    QString path;
    if (step)
        step = publishUnderClockName(copy, target, path);
    if (!step)
        return step;
    if (newPath)
        *newPath = path;
    return StorageStatus::success();
}

} // namespace DiaryBackups
