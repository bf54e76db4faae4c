// Crash safety: a saver process is killed with SIGKILL at random moments
// while it saves entries (or creates diaries); after every kill each save it
// reported is on disk byte for byte, a cut-off record is handled by the
// length rules, and the diary still takes the next save and a log-in.

#include "CrashRecords.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"
#include "mString.h"
#include "NewFileBeside.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

using namespace DiaryFormat;
using TestSupport::TempProgramFolder;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts the saver, lets it work for delayMs and kills it; returns its
// complete output lines.
QList<QByteArray> runAndKill(const QStringList& arguments, int delayMs, bool* killed) {
    QProcess saver;
    saver.setProcessChannelMode(QProcess::SeparateChannels);
    saver.start(QStringLiteral(QUORVEL_CRASH_SAVER), arguments);
    *killed = false;
    if (!saver.waitForStarted(5000))
        return {};
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < delayMs && saver.state() == QProcess::Running)
        saver.waitForReadyRead(static_cast<int>(delayMs - waited.elapsed()) + 1);
    if (saver.state() == QProcess::Running) {
        ::kill(static_cast<pid_t>(saver.processId()), SIGKILL);
        *killed = true;
    }
    saver.waitForFinished(5000);
    if (!*killed)
        qWarning("saver ended by itself: %s", saver.readAllStandardError().constData());
    QList<QByteArray> lines = saver.readAllStandardOutput().split('\n');
    lines.removeLast(); // the part after the last line break is no complete report
    return lines;
}

// Random kill moments, from before the first save to deep into a run.
int randomDelay(QRandomGenerator& random) {
    return static_cast<int>(random.bounded(5, 260));
}

} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT
private slots:
    void init() { publicDiaryPath.clear(); }

    void reportedSavesSurviveKills();
    void cutOffRecordIsHandledByTheLengthRules_data();
    void cutOffRecordIsHandledByTheLengthRules();
    void killedCreateLeavesNoDiaryWithoutHeader();
    void killedPasswordChangeLeavesOneWholeDiary();
    void twoProcessesSavingAtOnceBothLand();
};

void TestCrashSafety::reportedSavesSurviveKills() {
    constexpr int Kills = 25;
    constexpr qint64 BudgetMs = 20000;
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("Crash Owner", "Killed often", "pw 1");
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);

    int kills = 0;
    int reportedSaves = 0;
    int cutRecords = 0;
    qint32 lastReported = 0;
    QMap<qint32, qint64> keptPartial; // counted cut-off entries: number -> bytes that reached the disk
    QElapsedTimer budget;
    budget.start();
    while (kills < Kills && budget.elapsed() < BudgetMs) {
        bool killed = false;
        const QList<QByteArray> lines = runAndKill({"save", path}, randomDelay(random), &killed);
        QVERIFY2(killed, "the saver must still be saving when it is killed");
        ++kills;

        // Every report names the next number and the checksum of its record.
        for (const QByteArray& line : lines) {
            const QList<QByteArray> parts = line.split(' ');
            QCOMPARE(parts.size(), 2);
            const qint32 n = parts.at(0).toInt();
            QVERIFY(n > lastReported);
            QCOMPARE(parts.at(1).toULongLong(nullptr, 16), CrashRecords::checksum(CrashRecords::recordFor(n)));
            lastReported = n;
            ++reportedSaves;
        }

        // Every whole record is exactly what was saved as that number.
        const QByteArray bytes = fileBytes(path);
        const qint64 length = bytes.size();
        QVERIFY(length >= HeaderSize);
        const qint64 whole = (length - HeaderSize) / EntrySize;
        const qint64 cut = (length - HeaderSize) % EntrySize;
        QVERIFY2(lastReported <= whole, "a reported save is missing or cut off");
        for (qint32 n = 1; n <= whole; ++n) {
            QByteArray expected = CrashRecords::recordFor(n);
            if (keptPartial.contains(n))
                expected = expected.left(keptPartial.value(n)).leftJustified(EntrySize, ' ');
            if (bytes.mid(entryOffset(n), EntrySize) != expected)
                QFAIL(qPrintable(QString("entry %1 of %2 differs from what was saved").arg(n).arg(whole)));
        }
        const qint64 count = entryCountForLength(length);
        if (cut != 0) {
            // A save cut off by the kill: what reached the disk is its beginning.
            ++cutRecords;
            QCOMPARE(bytes.mid(entryOffset(whole + 1)), CrashRecords::recordFor(qint32(whole + 1)).left(cut));
            if (count > whole)
                keptPartial.insert(qint32(whole + 1), cut);
        }

        // The next save lands right after the last counted entry and leaves
        // a well-formed file; the log-in still reads the password.
        publicDiaryPath = path;
        QCOMPARE(Count_Entries(), count);
        const qint32 next = qint32(count + 1);
        const CrashRecords::Fields f = CrashRecords::fieldsFor(next);
        QVERIFY(Save_Entry(f.dateTime, f.topic, f.text, f.wellness, f.love).ok());
        const QByteArray after = fileBytes(path);
        QCOMPARE(qint64(after.size()), entryOffset(next) + EntrySize);
        QCOMPARE(after.mid(entryOffset(next)), CrashRecords::recordFor(next));
        QCOMPARE(after.left(entryOffset(whole + 1)), bytes.left(entryOffset(whole + 1)));
        lastReported = next;
        StorageStatus status;
        QCOMPARE(trimBlanks(Read_Header_Field(path, HeaderField::Password, &status)), QString("pw 1"));
        QVERIFY(status.ok());
        publicDiaryPath.clear();
    }
    qInfo("crash safety: survived %d kills, %d reported saves, %d records cut off by a kill, %lld ms", kills,
          reportedSaves, cutRecords, static_cast<long long>(budget.elapsed()));
    QVERIFY(kills >= 10);
    QVERIFY(reportedSaves > 0);
}

void TestCrashSafety::cutOffRecordIsHandledByTheLengthRules_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("cut");
    QTest::addColumn<int>("counted"); // entries the count gives with the cut record
    for (const int entries : {2, 3}) {
        const auto row = [&](int cut, int counted) {
            QTest::addRow("%d entries + %d bytes", entries, cut) << entries << cut << counted;
        };
        row(1, entries);
        row(1000, entries);
        row(1820, entries);
        row(1821, entries); // the plain length rule would place the next save one record further
        row(2000, entries);
        row(2041, entries);
        row(2042, entries % 2 == 0 ? entries : entries + 1); // a tie goes to the even count
        row(2043, entries + 1);
        row(3000, entries + 1);
        row(4083, entries + 1);
    }
}

void TestCrashSafety::cutOffRecordIsHandledByTheLengthRules() {
    QFETCH(int, entries);
    QFETCH(int, cut);
    QFETCH(int, counted);
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    for (qint32 n = 1; n <= entries + 1; ++n) {
        const CrashRecords::Fields f = CrashRecords::fieldsFor(n);
        QVERIFY(Save_Entry(f.dateTime, f.topic, f.text, f.wellness, f.love).ok());
    }
    // Entry entries + 1 as a save cut off after `cut` bytes leaves it.
    QVERIFY(QFile::resize(publicDiaryPath, entryOffset(entries + 1) + cut));
    const QByteArray before = fileBytes(publicDiaryPath);
    QCOMPARE(Count_Entries(), counted);

    QVERIFY(Save_Entry("next", "Next topic", "next text", 2, 1).ok());
    const QByteArray after = fileBytes(publicDiaryPath);
    QCOMPARE(qint64(after.size()), entryOffset(counted + 1) + EntrySize);
    QCOMPARE(Count_Entries(), counted + 1);
    QCOMPARE(after.left(entryOffset(entries + 1)), before.left(entryOffset(entries + 1)));
    EntryText e;
    QVERIFY(readEntry(publicDiaryPath, counted + 1, e).ok());
    QCOMPARE(trimBlanks(e.topic), QString("Next topic"));
    QCOMPARE(e.wellness, qint16(2));
    if (counted > entries) {
        // The counted cut-off entry keeps reading as it did: its bytes, then blanks.
        const QByteArray kept = after.mid(entryOffset(entries + 1), EntrySize);
        QCOMPARE(kept, before.mid(entryOffset(entries + 1)).leftJustified(EntrySize, ' '));
        QVERIFY(readEntry(publicDiaryPath, entries + 1, e).ok());
        if (cut <= WellnessOffset)
            QCOMPARE(e.wellness, qint16(0x2020)); // outside the scale: no option is checked
    }
}

void TestCrashSafety::killedCreateLeavesNoDiaryWithoutHeader() {
    constexpr int Kills = 8;
    TempProgramFolder folder;
    QRandomGenerator random(QRandomGenerator::global()->generate());
    int created = 0;
    for (int k = 0; k < Kills; ++k) {
        bool killed = false;
        created += int(runAndKill({"create", folder.path()}, randomDelay(random), &killed).size());
        QVERIFY(killed);
        // Every name in the folder, hidden ones included, is a whole diary.
        const QFileInfoList files = QDir(folder.dataPath()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo& file : files) {
            QVERIFY2(file.fileName().endsWith(".PDD"), qPrintable(file.fileName()));
            QCOMPARE(file.size(), HeaderSize);
            StorageStatus status;
            QCOMPARE(trimBlanks(Read_Header_Field(file.filePath(), HeaderField::Password, &status)), QString("pw"));
            QVERIFY(status.ok());
        }
        QVERIFY(qsizetype(files.size()) >= created);
    }
    qInfo("killed create: %d kills, %d diaries created", Kills, created);
}

void TestCrashSafety::killedPasswordChangeLeavesOneWholeDiary() {
    constexpr int Kills = 15;
    constexpr qint32 Entries = 80; // more than 64, so the walks below share blocks between two threads
    TempProgramFolder folder;
    QString path;
    QVERIFY(createEncryptedDiaryFile("Owner", "first", "Title", "01.01.2026 10:00:00", &path,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(path, "first", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = path;
    for (qint32 n = 1; n <= Entries; ++n) {
        const CrashRecords::Fields f = CrashRecords::fieldsFor(n);
        QVERIFY(Save_Entry(f.dateTime, f.topic, f.text.left(DiaryCrypto::TextWidth), f.wellness, f.love).ok());
    }
    const qint64 length = QFileInfo(path).size();
    QRandomGenerator random(QRandomGenerator::global()->generate());
    int changes = 0;
    int leftovers = 0;
    for (int k = 0; k < Kills; ++k) {
        bool killed = false;
        const QList<QByteArray> reported = runAndKill({"rekey", path}, randomDelay(random), &killed);
        QVERIFY(killed);
        changes += int(reported.size());
        // Exactly one of the two passwords opens the diary, and every record
        // of it verifies under that key and reads as it was saved.
        DiaryCrypto::KeyPtr firstKey;
        DiaryCrypto::KeyPtr secondKey;
        const bool first = passwordMatches(path, "first", nullptr, &firstKey);
        const bool second = passwordMatches(path, "second", nullptr, &secondKey);
        QVERIFY2(first != second, first ? "both passwords open it" : "neither password opens it");
        QCOMPARE(QFileInfo(path).size(), length);
        // Nothing else beside it but, when the kill fell between naming the
        // whole new copy and renaming it, that copy under its hidden name,
        // which the next start (or the next rewrite) sweeps away.
        QStringList others = QDir(folder.dataPath()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        others.removeOne(QFileInfo(path).fileName());
        QCOMPARE(others, leftoverNewFiles(folder.dataPath()));
        leftovers += int(others.size());
        removeLeftoverNewFiles(folder.dataPath());
        QCOMPARE(QDir(folder.dataPath()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QFileInfo(path).fileName()});
        DiaryCrypto::setOpenKey(first ? firstKey : secondKey);
        const RatingCounts counts = countRatings(path);
        QCOMPARE(counts.entries, Entries);
        QCOMPARE(counts.damaged, 0);
        const qint32 n = qint32(random.bounded(1, Entries + 1));
        EntryText entry;
        QVERIFY(readEntry(path, n, entry).ok());
        QCOMPARE(trimBlanks(entry.topic), CrashRecords::fieldsFor(n).topic);
    }
    qInfo("killed password change: %d kills, %d changes finished, %d hidden copies swept", Kills, changes, leftovers);
    QVERIFY(changes > 0);
}

// Two windows on one diary whose folder cannot hold a lock file (an ordinary
// user, a folder of root's, the diary file the user's): each save lands after
// the other's, none over it.
void TestCrashSafety::twoProcessesSavingAtOnceBothLand() {
    constexpr int Each = 200;
    TempProgramFolder program;
    const QString made = TestSupport::makeDiary("Owner", "Title", "pw", 0);
    QTemporaryDir shared; // root's: nobody may not write into it
    QVERIFY(shared.isValid());
    QVERIFY(QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                     QFile::ReadOther | QFile::ExeOther));
    const QString diary = shared.filePath("diary.PDD");
    QVERIFY(QFile::copy(made, diary));

    QString saver = QStringLiteral(QUORVEL_CRASH_SAVER);
    QStringList prefix;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || QStandardPaths::findExecutable("runuser").isEmpty())
            QSKIP("needs runuser and the user nobody");
        QVERIFY(::chown(QFile::encodeName(diary).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
        // The saver as nobody: a copy nobody may run, wherever the build is.
        const QString copy = shared.filePath("saver");
        QVERIFY(QFile::copy(saver, copy));
        QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        prefix = {"-u", "nobody", "--", copy};
        saver = QStringLiteral("runuser");
    }
    QProcess a;
    QProcess b;
    a.start(saver, prefix + QStringList{"append", diary, "A", QString::number(Each)});
    b.start(saver, prefix + QStringList{"append", diary, "B", QString::number(Each)});
    QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
    QVERIFY2(a.exitCode() == 0, a.readAllStandardError().constData());
    QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());
    QVERIFY(!QFileInfo::exists(shared.filePath("diary.lock")));

    QCOMPARE(QFileInfo(diary).size(), HeaderSize + 2 * Each * EntrySize);
    int lastA = 0;
    int lastB = 0;
    for (qint32 n = 1; n <= 2 * Each; ++n) {
        EntryText entry;
        QVERIFY(readEntry(diary, n, entry).ok());
        const QStringList parts = trimBlanks(entry.topic).split(' ');
        QCOMPARE(parts.size(), 2);
        int& last = parts[0] == "A" ? lastA : lastB;
        QCOMPARE(parts[1].toInt(), last + 1); // none lost, none twice, in each one's order
        last = parts[1].toInt();
        QCOMPARE(trimBlanks(entry.text), "saved by " + parts[0]);
    }
    QCOMPARE(lastA, Each);
    QCOMPARE(lastB, Each);
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crash_safety.moc"
