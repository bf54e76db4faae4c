// quorvel-tool merge over two copies of one diary that split, as a sync
// program leaves them; run as a real process, also killed at random moments.

#include "Cp1252.h"
#include "DiaryBulkCreate.h"
#include "DiaryCrypto.h"
#include "DiaryLock.h"
#include "DiaryMerge.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

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

// An encrypted diary (cheapest key derivation) with its key open, whose
// header's Password field holds no line break (so it can be typed as a line).
QString encryptedDiary(const QString& password) {
    for (;;) {
        DiaryCrypto::clearOpenKey();
        QString path;
        if (!createEncryptedDiaryFile("Anna", password, "Year", "01.03.2026 09:00:00", &path,
                                      DiaryCrypto::cheapestKdfParams())
                 .ok())
            qFatal("cannot create an encrypted diary");
        DiaryCrypto::KeyPtr key;
        if (!passwordMatches(path, password, nullptr, &key))
            qFatal("cannot open the encrypted diary");
        if (!key->passwordField().contains('\n') && !key->passwordField().contains('\r')) {
            DiaryCrypto::setOpenKey(key);
            return path;
        }
        QFile::remove(path);
    }
}

// What a process has handed to write calls so far, from /proc; -1 when it is gone.
qint64 bytesWritten(qint64 pid) {
    QFile io(QString("/proc/%1/io").arg(pid));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// The state letter of a process (R, S, D, T, Z ...); 0 when it is gone.
char processState(qint64 pid) {
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || close + 2 >= line.size() ? 0 : line.at(close + 2);
}

// Stops a process and waits until it stands still, so what it has written
// is what it had written when the kill came.
void stopAndWait(qint64 pid) {
    ::kill(pid_t(pid), SIGSTOP);
    QElapsedTimer waited;
    waited.start();
    for (char state = processState(pid); state && state != 'T' && state != 'Z' && waited.elapsed() < 2000;
         state = processState(pid))
        ::usleep(100);
}

bool chownTo(const QString& path, uid_t uid) {
    return ::chown(QFile::encodeName(path).constData(), uid, gid_t(-1)) == 0;
}

} // namespace

class TestToolMerge : public QObject {
    Q_OBJECT
private slots:
    void divergedCopiesGiveEveryEntryOnceInOrder();
    void refusesWhatIsNoCopyAndWhatIsLocked();
    void killedMergeLeavesTheOldDiaryWhole();
    void encryptedCopiesMergeSealedForTheirPlaces();
    void plainAndEncryptedCopyAreToldApart();
    void otherCopyInAFolderOfOthersIsOnlyRead();
    void diaryWrittenDuringTheMergeIsReadAgain();
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

    // The whole merge once, on a copy, for the bytes it gives, its time and
    // when it starts writing the merged diary (more than its lock file).
    constexpr qint64 Writing = 64 * 1024;
    const QString scratch = copyOf(diary, "scratch.PDD");
    QElapsedTimer clock;
    clock.start();
    int writeFromMs = -1;
    {
        QProcess tool;
        tool.start(toolPath(), {"merge", scratch, copy, "--password-file", "-"});
        QVERIFY(tool.waitForStarted(5000));
        tool.write("pw\n");
        tool.closeWriteChannel();
        while (!tool.waitForFinished(1))
            if (writeFromMs < 0 && bytesWritten(tool.processId()) > Writing)
                writeFromMs = int(clock.elapsed());
        QCOMPARE(tool.exitCode(), 0);
    }
    const int wholeMs = int(clock.elapsed());
    QVERIFY2(writeFromMs >= 0, "the merge was never seen writing");
    const QByteArray merged = readBytes(scratch);
    QCOMPARE(merged.size(), old.size() + 1000 * 4084);
    QFile::remove(scratch);

    // A quarter of the rounds kill at any moment; the others once the merged
    // diary is being written, which most of the kills must hit.
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u, a whole merge %d ms, writing from %d ms", seed, wholeMs, writeFromMs);
    QRandomGenerator random(seed);
    constexpr int Rounds = 20;
    int killedBefore = 0;
    int killedWriting = 0;
    int killedAfter = 0;
    for (int round = 0; round < Rounds; ++round) {
        QProcess tool;
        tool.start(toolPath(), {"merge", diary, copy, "--password-file", "-"});
        QVERIFY(tool.waitForStarted(5000));
        // Handed over now: without an event loop it would wait in the
        // buffer, and the tool for it.
        tool.write("pw\n");
        QVERIFY(tool.waitForBytesWritten(5000));
        tool.closeWriteChannel();
        if (round % 4 == 0) {
            QTest::qSleep(int(random.bounded(wholeMs * 3 / 2 + 20)));
        } else {
            // Stopped once it has written a random part of the merged diary.
            const qint64 target = Writing + qint64(random.bounded(quint32(merged.size() - 2 * Writing)));
            QElapsedTimer waiting;
            waiting.start();
            while (bytesWritten(tool.processId()) < target && processState(tool.processId()) != 'Z' &&
                   waiting.elapsed() < 30000)
                ::usleep(200);
        }
        stopAndWait(tool.processId());
        const qint64 written = bytesWritten(tool.processId());
        ::kill(pid_t(tool.processId()), SIGKILL);
        tool.waitForFinished(5000);
        const QByteArray now = readBytes(diary);
        QVERIFY2(now == old || now == merged, qPrintable(QString("round %1: a diary of %2 bytes").arg(round).arg(now.size())));
        if (now == merged) {
            ++killedAfter;
            QVERIFY(writeBytes(diary, old));
        } else if (written > Writing) {
            ++killedWriting;
        } else {
            ++killedBefore;
        }
        // A killed merge leaves no lock that holds: the next one goes on.
    }
    qInfo("killed before writing %d times, while writing %d times, after the rename %d times", killedBefore,
          killedWriting, killedAfter);
    QVERIFY2(killedWriting > Rounds / 2, "most kills must land while the merged diary is written");
    QCOMPARE(merge(diary, copy).exitCode, 0);
    QCOMPARE(readBytes(diary), merged);
    const QStringList diaries = QDir(program.dataPath()).entryList({"*.PDD"}, QDir::Files);
    QCOMPARE(diaries.size(), 2);
}

void TestToolMerge::encryptedCopiesMergeSealedForTheirPlaces() {
    TempProgramFolder program;
    const QString diary = encryptedDiary("pw");
    append(diary, {entry("01.03.2026 10:00:00", "common 1")});
    const QString copy = copyOf(diary, "copy (conflicted copy 2026-03-10).PDD");
    append(diary, {entry("05.03.2026 09:00:00", "laptop 1"), entry("07.03.2026 12:00:00", "laptop 2")});
    append(copy, {entry("04.03.2026 08:00:00", "phone 1"), entry("06.03.2026 12:00:00", "phone 2")});
    const QByteArray before = readBytes(diary);
    const QByteArray field = before.mid(DiaryFormat::PasswordOffset, DiaryFormat::PasswordWidth);
    DiaryCrypto::clearOpenKey();

    // The header's Password field typed as the password opens nothing and
    // writes nothing.
    ToolRun run = merge(diary, copy, Cp1252::decode(field).toUtf8() + "\n");
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(readBytes(diary), before);

    // The right password merges; every record moved is sealed for its place.
    run = merge(diary, copy);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("added 2 entries"), run.out.constData());
    const QString passwordFile = program.path() + "/pw.txt";
    QVERIFY(writeBytes(passwordFile, "pw\n"));
    const ToolRun checked = runTool({"check", diary, "--password-file", passwordFile});
    QCOMPARE(checked.exitCode, 0);
    QVERIFY2(checked.out.contains("no problems"), checked.out.constData());
    QVERIFY(passwordMatches(diary, "pw"));
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(diary, "pw", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    QCOMPARE(topics(diary), (QStringList{"common 1", "phone 1", "laptop 1", "phone 2", "laptop 2"}));
    const QByteArray merged = readBytes(diary);
    DiaryCrypto::clearOpenKey();
    run = merge(diary, copy);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("added 0 entries"), run.out.constData());
    QCOMPARE(readBytes(diary), merged);

    // A record of the copy that does not verify refuses the merge.
    QByteArray damaged = readBytes(copy);
    damaged[DiaryFormat::entryOffset(3) + 500] ^= 0x10;
    QVERIFY(writeBytes(copy, damaged));
    QVERIFY(writeBytes(diary, before));
    run = merge(diary, copy);
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("entry 3 of") && run.err.contains("does not verify"), run.err.constData());
    QCOMPARE(readBytes(diary), before);
}

void TestToolMerge::plainAndEncryptedCopyAreToldApart() {
    TempProgramFolder program;
    const QString plain = makeDiaryWithEntries("Anna", "Year", "01.03.2026 09:00:00", "pw",
                                               {entry("01.03.2026 10:00:00", "one")});
    const QString sealed = encryptedDiary("pw");
    DiaryCrypto::clearOpenKey();
    const QByteArray before = readBytes(plain);

    ToolRun run = merge(plain, sealed);
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains(QString("%1 is a plain diary and %2 is encrypted").arg(plain, sealed).toUtf8()),
             run.err.constData());
    run = merge(sealed, plain);
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains(QString("%1 is encrypted and %2 is a plain diary").arg(sealed, plain).toUtf8()),
             run.err.constData());
    QCOMPARE(readBytes(plain), before);
}

void TestToolMerge::otherCopyInAFolderOfOthersIsOnlyRead() {
    const passwd* user = ::getpwnam("nobody");
    if (::geteuid() != 0 || !user || QStandardPaths::findExecutable("runuser").isEmpty())
        QSKIP("needs root, runuser and the user nobody");
    TempProgramFolder program;
    const QString made = makeDiaryWithEntries("Anna", "Year", "01.03.2026 09:00:00", "pw",
                                              {entry("01.03.2026 10:00:00", "common")});
    const QString copyMade = copyOf(made, "copy.PDD");
    append(copyMade, {entry("02.03.2026 10:00:00", "theirs")});

    // Mine: nobody's folder and diary. Theirs: root's folder, readable only.
    QTemporaryDir scratch;
    QVERIFY(QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther));
    const QString mine = scratch.filePath("mine");
    const QString theirs = scratch.filePath("theirs");
    QVERIFY(QDir().mkdir(mine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QDir().mkdir(theirs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                     QFile::ExeOther));
    const QString diary = mine + "/diary.PDD";
    const QString other = theirs + "/diary.PDD";
    QVERIFY(QFile::copy(made, diary));
    QVERIFY(QFile::copy(copyMade, other));
    QVERIFY(QFile::setPermissions(other, QFile::ReadOwner | QFile::ReadOther));
    QVERIFY(chownTo(mine, user->pw_uid) && chownTo(diary, user->pw_uid));

    const ToolRun run = runTool({"-u", "nobody", "--", toolPath(), "merge", diary, other, "--password-file", "-"},
                                "pw\n", {}, QStringLiteral("runuser"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("added 1 entry"), run.out.constData());
    QCOMPARE(topics(diary), (QStringList{"common", "theirs"}));
    QCOMPARE(QDir(theirs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"diary.PDD"});
}

void TestToolMerge::diaryWrittenDuringTheMergeIsReadAgain() {
    TempProgramFolder program;
    const QString diary = makeDiaryWithEntries("Anna", "Year", "01.03.2026 09:00:00", "pw",
                                               {entry("01.03.2026 10:00:00", "common")});
    const QString copy = copyOf(diary, "copy.PDD");
    append(copy, {entry("02.03.2026 10:00:00", "phone")});

    // A sync program appends to the diary once, just before the rename: the
    // merge reads it again and keeps that entry too.
    int appended = 0;
    setMergeBeforeReplaceHook([&] {
        if (appended++ == 0)
            append(diary, {entry("03.03.2026 10:00:00", "synced")});
    });
    MergeOutcome outcome;
    StorageStatus status = mergeDiaryCopies(diary, copy, outcome);
    QVERIFY2(status.ok(), qPrintable(status.description));
    QCOMPARE(outcome.readings, 2);
    QCOMPARE(topics(diary), (QStringList{"common", "phone", "synced"}));

    // One that writes at every reading: the merge gives up, nothing written.
    append(copy, {entry("04.03.2026 10:00:00", "phone again")});
    setMergeBeforeReplaceHook([&] { append(diary, {entry("05.03.2026 10:00:00", "busy")}); });
    const QByteArray before = readBytes(diary);
    status = mergeDiaryCopies(diary, copy, outcome);
    setMergeBeforeReplaceHook({});
    QVERIFY(!status.ok());
    QVERIFY(!outcome.refused);
    QVERIFY2(status.description.contains("changed while it was merged"), qPrintable(status.description));
    QCOMPARE(outcome.readings, 3);
    QCOMPARE(readBytes(diary).left(before.size()), before);
    QCOMPARE(topics(diary), (QStringList{"common", "phone", "synced", "busy", "busy", "busy"}));
}

QTEST_GUILESS_MAIN(TestToolMerge)
#include "tst_tool_merge.moc"
