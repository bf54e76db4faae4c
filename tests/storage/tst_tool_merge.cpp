// quorvel-tool merge over two copies of one diary that split, as a sync
// program leaves them; run as a real process, also killed at random moments.

#include "DiaryBulkCreate.h"
#include "DiaryLock.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace TestSupport;

namespace {

QString copyOf(const QString& diary, const QString& name) {
    const QString copy = QFileInfo(diary).dir().filePath(name);
    return QFile::copy(diary, copy) ? copy : QString();
}

void append(const QString& diary, const QList<EntryValues>& entries) {
    publicDiaryPath = diary;
    for (const EntryValues& e : entries)
        QVERIFY(Save_Entry(e.dateTime, e.topic, e.text, e.wellness, e.love).ok());
    publicDiaryPath.clear();
}

QStringList topics(const QString& diary) {
    QStringList out;
    EntryText entry;
    for (qint32 n = 1; readEntry(diary, n, entry).ok(); ++n)
        out << entry.topic.trimmed();
    return out;
}

ToolRun merge(const QString& diary, const QString& other, const QByteArray& password = "pw\n") {
    return runTool({"merge", diary, other, "--password-file", "-"}, password);
}

EntryValues entry(const QString& dateTime, const QString& topic) {
    return {dateTime, topic, "text of " + topic, 1, 2};
}

} // namespace

class TestToolMerge : public QObject {
    Q_OBJECT
private slots:
    void divergedCopiesGiveEveryEntryOnceInOrder();
    void refusesWhatIsNoCopyAndWhatIsLocked();
    void killedMergeLeavesTheOldDiaryWhole();
};

void TestToolMerge::divergedCopiesGiveEveryEntryOnceInOrder() {
    TempProgramFolder program;
    const QString diary = makeDiaryWithEntries("Anna", "Year", "01.03.2026 09:00:00", "pw",
                                               {entry("01.03.2026 10:00:00", "common 1"),
                                                entry("02.03.2026 10:00:00", "common 2")});
    const QString copy = copyOf(diary, QFileInfo(diary).completeBaseName() + ".sync-conflict-20260310-101010-ABC.PDD");
    append(diary, {entry("05.03.2026 09:00:00", "laptop 1"), entry("07.03.2026 12:00:00", "laptop 2")});
    append(copy, {entry("04.03.2026 08:00:00", "phone 1"), entry("07.03.2026 12:00:00", "phone 2"),
                  entry("garbled", "phone undated"), entry("09.03.2026 07:30:00", "phone 3")});
    const QByteArray copyBefore = readBytes(copy);

    ToolRun run = merge(diary, copy);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("added 4 entries"), run.out.constData());
    // An undated entry keeps its place after the entry before it.
    QCOMPARE(topics(diary), (QStringList{"common 1", "common 2", "phone 1", "laptop 1", "laptop 2", "phone 2",
                                         "phone undated", "phone 3"}));
    QCOMPARE(readBytes(copy), copyBefore);
    QCOMPARE(QFileInfo(diary).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

    // Once merged, merging again adds nothing and leaves the bytes alone.
    const QByteArray merged = readBytes(diary);
    run = merge(diary, copy);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("added 0 entries"), run.out.constData());
    QCOMPARE(readBytes(diary), merged);

    // check names the copy and the diary it belongs to.
    const ToolRun checked = runTool({"check", program.dataPath()});
    QVERIFY2(checked.out.contains(QString("%1: a conflict copy of %2")
                                      .arg(QFileInfo(copy).fileName(), QFileInfo(diary).fileName())
                                      .toUtf8()),
             checked.out.constData());
}

void TestToolMerge::refusesWhatIsNoCopyAndWhatIsLocked() {
    TempProgramFolder program;
    const QString diary = makeDiaryWithEntries("Anna", "Year", "01.03.2026 09:00:00", "pw",
                                               {entry("01.03.2026 10:00:00", "one")});
    const QString other = makeDiaryWithEntries("Anna", "Year", "01.03.2026 09:00:01", "pw",
                                               {entry("02.03.2026 10:00:00", "two")});
    const QString moved = copyOf(diary, "moved (conflicted copy 2026-03-10).PDD");
    QVERIFY(Write_New_Password(moved, "other").ok());
    append(moved, {entry("03.03.2026 10:00:00", "three")});
    const QByteArray before = readBytes(diary);

    ToolRun run = merge(diary, other);
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("time of begin"), run.err.constData());
    run = merge(diary, moved);
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("password"), run.err.constData());
    run = merge(diary, moved, "wrong\n");
    QCOMPARE(run.exitCode, 3);

    // A window holds the diary: refused before the password is asked.
    {
        DiaryLock lock(diary);
        QCOMPARE(lock.take(), DiaryLock::State::Taken);
        run = merge(diary, moved, "other\n");
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.err.contains("open in a Quorvel window"), run.err.constData());
        // So is every other command that rewrites a diary.
        run = runTool({"encrypt", diary, "--password-file", "-", "--keep-password"}, "pw\n");
        QCOMPARE(run.exitCode, 4);
    }
    QCOMPARE(readBytes(diary), before);
    QVERIFY(!QFileInfo::exists(DiaryLock::lockPathFor(diary)));
}

void TestToolMerge::killedMergeLeavesTheOldDiaryWhole() {
    TempProgramFolder program;
    DiaryHeader header;
    header.Mark = 1;
    header.Owner = "Kill";
    header.Password = "pw";
    header.Title = "Merge killed";
    header.TimeOfBegin = "01.01.2020 00:00:00";
    QList<DiaryEntry> common;
    for (int i = 0; i < 3000; ++i)
        common.append({QDate(2020, 1, 1).addDays(i / 4).toString("dd.MM.yyyy").toLatin1() + " 10:00:00",
                       "common " + QByteArray::number(i), QByteArray(2000, 'c'), 0, 1});
    QList<DiaryEntry> laptop = common;
    QList<DiaryEntry> phone = common;
    for (int i = 0; i < 1000; ++i) {
        const QByteArray day = QDate(2023, 1, 1).addDays(i).toString("dd.MM.yyyy").toLatin1();
        laptop.append({day + " 08:00:00", "laptop " + QByteArray::number(i), QByteArray(3000, 'l'), 1, 1});
        phone.append({day + " 20:00:00", "phone " + QByteArray::number(i), QByteArray(3000, 'p'), 2, 2});
    }
    QString diary;
    QString copy;
    QVERIFY(createDiaryWithEntries(program.dataPath(), header, laptop, &diary).ok());
    QVERIFY(createDiaryWithEntries(program.dataPath(), header, phone, &copy).ok());
    const QByteArray old = readBytes(diary);

    // The whole merge once, on a copy, for the bytes it gives and its time.
    const QString scratch = copyOf(diary, "scratch.PDD");
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(merge(scratch, copy).exitCode, 0);
    const int wholeMs = int(clock.elapsed());
    const QByteArray merged = readBytes(scratch);
    QCOMPARE(merged.size(), old.size() + 1000 * 4084);
    QFile::remove(scratch);

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u, a whole merge %d ms", seed, wholeMs);
    QRandomGenerator random(seed);
    int killedBefore = 0;
    int killedAfter = 0;
    for (int round = 0; round < 20; ++round) {
        QProcess tool;
        tool.start(toolPath(), {"merge", diary, copy, "--password-file", "-"});
        QVERIFY(tool.waitForStarted(5000));
        tool.write("pw\n");
        tool.closeWriteChannel();
        QTest::qSleep(int(random.bounded(wholeMs * 3 / 2 + 20)));
        ::kill(pid_t(tool.processId()), SIGKILL);
        tool.waitForFinished(5000);
        const QByteArray now = readBytes(diary);
        QVERIFY2(now == old || now == merged, qPrintable(QString("round %1: a diary of %2 bytes").arg(round).arg(now.size())));
        if (now == merged) {
            ++killedAfter;
            QVERIFY(writeBytes(diary, old));
        } else {
            ++killedBefore;
        }
        // A killed merge leaves no lock that holds: the next one goes on.
    }
    qInfo("killed before the rename %d times, after it %d times", killedBefore, killedAfter);
    QCOMPARE(merge(diary, copy).exitCode, 0);
    QCOMPARE(readBytes(diary), merged);
    const QStringList diaries = QDir(program.dataPath()).entryList({"*.PDD"}, QDir::Files);
    QCOMPARE(diaries.size(), 2);
}

QTEST_GUILESS_MAIN(TestToolMerge)
#include "tst_tool_merge.moc"
