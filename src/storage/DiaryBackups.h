#pragma once

#include "StorageStatus.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Automatic copies of a diary file as it lies on disk (an encrypted diary
// stays encrypted), in <backups folder>/<diary name>/<yyyy-MM-dd hh.mm.ss>.PDD,
// owner-only. The backups folder is "Backups" beside the data folder unless
// the user's settings name another; it is never inside the data folder, so a
// backup is never listed as a diary. Every function takes the time as "now",
// so that tests can live through many days.
namespace DiaryBackups {

constexpr int KeptDays = 7;
constexpr int KeptWeeks = 4;
constexpr int KeptMonths = 12;
constexpr int SizeFactor = 10; // all backups of a diary together, times its size

struct Backup {
    QString path;
    QDateTime made;
    qint64 size = 0;
    int sequence = 1; // a second backup within one second is named "... 2.PDD"
    qint64 entries = 0; // counted from the size, as for a diary
};

// Whether backups are made (settings; default yes).
bool enabled();
// Whether a folder lies inside the data folder (where backups would be
// listed as diaries); why then says so.
bool insideDataFolder(const QString& folder, QString* why = nullptr);
// The backups folder in use; empty when the one set lies inside the data
// folder (why says so).
QString rootFolder(QString* why = nullptr);
// Each of the following takes the backups folder as root; empty means the
// one in use (rootFolder()). A thread of its own gives root, since the
// settings and the data folder are the UI thread's to read.

// The folder of one diary's backups.
QString folderFor(const QString& diaryPath, const QString& root = QString());

// The backups of a diary, newest first.
QList<Backup> listBackups(const QString& diaryPath, const QString& root = QString());

// Whether the newest backup is older than a day (or there is none).
bool due(const QString& diaryPath, const QDateTime& now, const QString& root = QString());

// Copies the diary into its backups folder (reflink where possible, flushed,
// then named), unless it equals the newest backup; then thins the backups
// out. *made says whether a new backup was written. Without root, nothing
// is done when backups are turned off.
StorageStatus makeBackup(const QString& diaryPath, const QDateTime& now, bool* made = nullptr,
                         bool* reflinked = nullptr, const QString& root = QString());

// Keeps the newest backup of each of the last 7 days, 4 weeks and 12 months,
// within SizeFactor times the diary's size (the oldest go first).
void thinOut(const QString& diaryPath, const QDateTime& now, const QString& root = QString());

// Makes a new diary from a backup in folder (the data folder when empty),
// under a fresh name: never over an existing file. A plain diary's title
// gets " (restored yyyy-MM-dd)"; an encrypted one's header is bound to its
// entries and keeps its title.
StorageStatus restoreBackup(const QString& backupPath, const QString& folder, const QDate& today, QString* newPath);

} // namespace DiaryBackups
