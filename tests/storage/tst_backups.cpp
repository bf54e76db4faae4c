// Automatic backups of a diary: made only when it changed, thinned out over
// many simulated days within the size bound, never inside DATA, and a
// restore that makes a new diary beside the old.

#include "DiaryBackups.h"
#include "DiaryFormat.h"
#include "TestSupport.h"
#include "UserSettings.h"
#include "mFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

namespace {

const QDateTime Start(QDate(2026, 1, 1), QTime(20, 0));

// Changes the last byte of the diary, so each day's copy differs.
void touchDiary(const QString& path, int day) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(file.size() - 1));
    file.putChar(char('a' + day % 26));
}

qint64 totalSize(const QList<DiaryBackups::Backup>& backups) {
    qint64 total = 0;
    for (const auto& b : backups)
        total += b.size;
    return total;
}

// A stand-in backup of a few bytes, named for its time.
bool writeFile(const QString& folder, const QDateTime& made) {
    QFile file(QDir(folder).filePath(made.toString("yyyy-MM-dd hh.mm.ss") + ".PDD"));
    return file.open(QIODevice::WriteOnly) && file.write("0123456789") == 10;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

} // namespace

class TestBackups : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        openUserSettings()->clear();
    }
    void cleanup() { folder_.reset(); }

    void copyOnlyWhenChangedOwnerOnlyBesideData();
    void rotationKeepsDaysWeeksMonths();
    void fourHundredDaysStayWithinTheSizeBound();
    void folderInsideDataIsRefused();
    void restoreMakesANewDiaryBesideTheOld();

private:
    TempHome home_; // settings of the test's own
    std::unique_ptr<TempProgramFolder> folder_;
};

void TestBackups::copyOnlyWhenChangedOwnerOnlyBesideData() {
    const QString diary = makeDiary("Anna", "Mine", "pw", 3);
    bool made = false;
    QVERIFY(DiaryBackups::makeBackup(diary, Start, &made).ok());
    QVERIFY(made);
    QVERIFY(DiaryBackups::makeBackup(diary, Start.addSecs(3600), &made).ok());
    QVERIFY(!made); // the same bytes again
    touchDiary(diary, 1);
    QVERIFY(DiaryBackups::makeBackup(diary, Start.addSecs(7200), &made).ok());
    QVERIFY(made);
    QCOMPARE(DiaryBackups::listBackups(diary).size(), 1); // the newest of the day stays
    touchDiary(diary, 2);
    QVERIFY(DiaryBackups::makeBackup(diary, Start.addDays(1), &made).ok());
    QVERIFY(made);

    const auto backups = DiaryBackups::listBackups(diary);
    QCOMPARE(backups.size(), 2);
    QCOMPARE(QFileInfo(backups.first().path).fileName(), QString("2026-01-02 20.00.00.PDD"));
    QCOMPARE(QFileInfo(backups.last().path).fileName(), QString("2026-01-01 22.00.00.PDD"));
    QFile copy(backups.first().path), original(diary);
    QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), original.readAll());
    // Backups beside DATA, never in it, for the owner only.
    const QString data = folder_->dataPath();
    QCOMPARE(QFileInfo(backups.first().path).dir().path(),
             QDir(QFileInfo(data).path()).filePath("Backups/" + QFileInfo(diary).completeBaseName()));
    QCOMPARE(QDir(data).entryList({"*.PDD"}, QDir::Files), QStringList{QFileInfo(diary).fileName()});
    QCOMPARE(modeOf(backups.first().path), mode_t(0600));
    QCOMPARE(modeOf(QFileInfo(backups.first().path).path()), mode_t(0700));
    QVERIFY(!DiaryBackups::due(diary, Start.addDays(1).addSecs(23 * 3600)));
    QVERIFY(DiaryBackups::due(diary, Start.addDays(2)));
}

// Backups small beside a large diary: only the age rule thins them.
void TestBackups::rotationKeepsDaysWeeksMonths() {
    const QString diary = makeDiary("Anna", "Mine", "pw", 10);
    const QString folder = DiaryBackups::folderFor(diary);
    QVERIFY(QDir().mkpath(folder));
    for (int day = 0; day < 400; ++day)
        for (int hour : {9, 18})
            QVERIFY(writeFile(folder, Start.addDays(day).addSecs(hour * 3600 - 20 * 3600)));
    const QDateTime now = Start.addDays(399);
    DiaryBackups::thinOut(diary, now);
    const auto kept = DiaryBackups::listBackups(diary);
    QVERIFY2(kept.size() <= 7 + 4 + 12, qPrintable(QString::number(kept.size())));
    QVERIFY(kept.size() >= 12 + 6);
    // The newest of each of the last 7 days ...
    for (int ago = 0; ago < 7; ++ago)
        QCOMPARE(kept[ago].made, QDateTime(now.date().addDays(-ago), QTime(18, 0)));
    // ... and one of each of the last 12 months, the oldest from a year ago.
    QSet<int> months;
    for (const auto& b : kept)
        months.insert(b.made.date().year() * 12 + b.made.date().month());
    QCOMPARE(months.size(), 12);
    QVERIFY(kept.last().made.date() > now.date().addMonths(-12));
}

void TestBackups::fourHundredDaysStayWithinTheSizeBound() {
    const QString diary = makeDiary("Anna", "Mine", "pw", 4);
    for (int day = 0; day < 400; ++day) {
        touchDiary(diary, day);
        bool made = false;
        QVERIFY(DiaryBackups::makeBackup(diary, Start.addDays(day), &made).ok());
        QVERIFY(made);
        const auto backups = DiaryBackups::listBackups(diary);
        QVERIFY(backups.size() <= 7 + 4 + 12);
        QVERIFY(totalSize(backups) <= 10 * QFileInfo(diary).size());
    }
    const auto backups = DiaryBackups::listBackups(diary);
    QCOMPARE(backups.first().made, Start.addDays(399));
    // The bound leaves room for the last days first.
    for (int ago = 0; ago < 7; ++ago)
        QCOMPARE(backups[ago].made, Start.addDays(399 - ago));
}

void TestBackups::folderInsideDataIsRefused() {
    const QString diary = makeDiary("Anna", "Mine", "pw", 1);
    openUserSettings()->setValue(SettingKeys::BackupsFolder, folder_->dataPath() + "/Backups");
    const StorageStatus status = DiaryBackups::makeBackup(diary, Start);
    QVERIFY(!status.ok());
    QVERIFY(status.description.contains("inside the diaries' folder"));
    QCOMPARE(QDir(folder_->dataPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(diary).fileName()});
    // Turned off in the settings: nothing is made, nothing fails.
    openUserSettings()->setValue(SettingKeys::BackupsEnabled, false);
    bool made = true;
    QVERIFY(DiaryBackups::makeBackup(diary, Start, &made).ok());
    QVERIFY(!made);
}

void TestBackups::restoreMakesANewDiaryBesideTheOld() {
    const QString diary = makeDiary("Anna", "Mine", "pw", 2);
    QVERIFY(DiaryBackups::makeBackup(diary, Start).ok());
    QFile original(diary);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    const QString backup = DiaryBackups::listBackups(diary).first().path;
    QString restored;
    QVERIFY(DiaryBackups::restoreBackup(backup, QString(), QDate(2026, 12, 9), &restored).ok());
    QVERIFY(restored != diary);
    QCOMPARE(QFileInfo(restored).path(), QFileInfo(diary).path());
    QFile again(diary);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), before);
    QCOMPARE(Read_Header_Field(restored, HeaderField::Title).trimmed(), QString("Mine (restored 2026-12-09)"));
    QCOMPARE(Read_Header_Field(restored, HeaderField::Owner).trimmed(), QString("Anna"));
    QCOMPARE(QFileInfo(restored).size(), QFileInfo(diary).size());
}

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
