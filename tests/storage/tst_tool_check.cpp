// quorvel-tool check and list run as real processes over folders holding
// sound and damaged diary files, special files among them.

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "mFile.h"
#include "DraftCarry.h"
#include "EntryDraft.h"
#include "TestSupport.h"
#include "ToolRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::makeDiary;
using TestSupport::TempProgramFolder;

namespace {

QStringList lines(const QByteArray& out) {
    return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void patchBytes(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString renameTo(const QString& path, const QString& name) {
    const QString target = QFileInfo(path).dir().filePath(name);
    return QFile::rename(path, target) ? target : QString();
}

} // namespace

class TestToolCheck : public QObject {
    Q_OBJECT
private slots:
    void cleanFolderGivesOneSummaryLine();
    void everyDamageIsReported();
    void damageInsideRecordsIsReportedByEntry();
    void oneFileCanBeChecked();
    void missingTargetIsAFileError();
    void listShowsOneLinePerDiaryWithoutPasswords();
    void listReportsUnreadableFilesAndGoesOn();
    void defaultFolderIsDataBesideTheTool();
    void draftsAreReportedBesideTheirDiaryAndIgnoredElsewhere();
    void passwordVerifiesEveryRecordOfAnEncryptedDiary();
    void headerAskingTooMuchIsRefusedBeforeAnyDerivation();
    void locksOfACrashOrOfAnotherComputerAreNamedAndTakenOver();
    void encryptThatCannotCarryTheDraftChangesNothingAndSaysSo();
};

void TestToolCheck::cleanFolderGivesOneSummaryLine() {
    TempProgramFolder program;
    makeDiary("Anna", "My year", "secret", 3);
    makeDiary("Ben", "Travels", "pw", 0);
    const ToolRun run = runTool({"check", program.dataPath()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(lines(run.out), QStringList{QString("checked 2 diary files in %1: no problems").arg(program.dataPath())});
    QVERIFY(run.err.isEmpty());
}

void TestToolCheck::everyDamageIsReported() {
    TempProgramFolder program;
    const QString data = program.dataPath();
    makeDiary("Sound", "Diary", "pw", 2);
    writeBytes(data + "/empty.PDD", {});
    writeBytes(data + "/short.PDD", QByteArray(100, ' '));
    const QString odd = renameTo(makeDiary("Odd", "Length", "pw", 1), "odd.PDD");
    QVERIFY(!odd.isEmpty());
    QVERIFY(QFile::resize(odd, 222 + 4084 + 10));
    QVERIFY(QDir(data).mkdir("folder.PDD"));
    QCOMPARE(::mkfifo(QFile::encodeName(data + "/pipe.PDD").constData(), 0600), 0);
    QCOMPARE(::symlink("/nonexistent/target.PDD", QFile::encodeName(data + "/dangling.PDD").constData()), 0);

    const ToolRun run = runTool({"check", data}, {}, {}, toolPath(), 15000);
    QVERIFY2(run.finished, "check hung (a named pipe must not block it)");
    QCOMPARE(run.exitCode, 1);
    const QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.contains("empty.PDD: is empty (0 bytes)"), run.out.constData());
    QVERIFY(out.contains("short.PDD: is 100 bytes long, shorter than a diary header"));
    QVERIFY(out.contains("odd.PDD: is 4316 bytes long, not 222 + 4084 × n: the last entry is cut off after 10"));
    QVERIFY(out.contains("folder.PDD: cannot be read:") && out.contains("is a folder, not a diary file"));
    QVERIFY(out.contains("pipe.PDD: cannot be read:") && out.contains("is a named pipe, not a diary file"));
    QVERIFY(out.contains("dangling.PDD: cannot be read:") && out.contains("is a dangling link"));
    QVERIFY(!out.contains("Sound") && !out.contains(QRegularExpression("\\d+(\\.\\d+)?\\.PDD: ")));
    QVERIFY(lines(run.out).last().startsWith(QString("checked 7 diary files in %1: 6 problems in 6 files").arg(data)));
}

void TestToolCheck::damageInsideRecordsIsReportedByEntry() {
    TempProgramFolder program;
    const QString data = program.dataPath();
    const QString diary = renameTo(makeDiary("Anna", "Year", "pw", 4), "bad.PDD");
    using namespace DiaryFormat;
    patchBytes(diary, entryOffset(2) + WellnessOffset, QByteArray("\x04\x00", 2));
    patchBytes(diary, entryOffset(3) + LoveOffset, QByteArray("\xFF\xFF", 2));
    patchBytes(diary, entryOffset(3) + TopicOffset + 5, QByteArray("\x01\x1B", 2));
    patchBytes(diary, entryOffset(4) + TextOffset, QByteArray("\x00", 1));
    patchBytes(diary, entryOffset(4) + TextOffset + 1, "\t\r\n"); // allowed in a text
    patchBytes(diary, OwnerOffset + 10, QByteArray("\x00\x00", 2));
    patchBytes(diary, TitleOffset, QByteArray(TitleWidth, ' '));

    const ToolRun run = runTool({"check", data});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(lines(run.out),
             (QStringList{"bad.PDD: owner holds 2 bytes that are not text (the first 0x00 at position 11)",
                          "bad.PDD: title is empty", "bad.PDD: entry 2: wellness rating 4 is outside 0 to 3",
                          "bad.PDD: entry 3: topic holds 2 bytes that are not text (the first 0x01 at position 6)",
                          "bad.PDD: entry 3: love rating -1 is outside 0 to 3",
                          "bad.PDD: entry 4: text holds a byte that is not text (0x00 at position 1)",
                          QString("checked 1 diary file in %1: 6 problems in 1 file").arg(data)}));
}

void TestToolCheck::oneFileCanBeChecked() {
    TempProgramFolder program;
    const QString diary = makeDiary("Anna", "Year", "pw", 1);
    ToolRun run = runTool({"check", diary});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(lines(run.out), QStringList{QString("checked %1: no problems").arg(diary)});

    QVERIFY(QFile::resize(diary, 222 + 3000));
    run = runTool({"check", diary});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.contains("cut off after 3000 of its 4084 bytes (Quorvel counts it as an entry)"));

    const QString pipe = program.dataPath() + "/lone.PDD";
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    run = runTool({"check", pipe}, {}, {}, toolPath(), 15000);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.contains("is a named pipe"));
}

void TestToolCheck::missingTargetIsAFileError() {
    QTemporaryDir work;
    const ToolRun run = runTool({"check", work.filePath("nothing")});
    QCOMPARE(run.exitCode, 4);
    QVERIFY(run.err.contains("does not exist"));
    QCOMPARE(runTool({"list", work.filePath("nothing")}).exitCode, 4);
    QCOMPARE(runTool({"check", "a", "b"}).exitCode, 2);
}

void TestToolCheck::listShowsOneLinePerDiaryWithoutPasswords() {
    TempProgramFolder program;
    const QString anna = renameTo(makeDiary("Anna Müller", "My year", "topsecret", 3), "1000.PDD");
    const QString ben = renameTo(makeDiary("Ben", "Travels € and more", "hidden", 0), "2000.PDD");
    QVERIFY(!anna.isEmpty() && !ben.isEmpty());
    const ToolRun run = runTool({"list", program.dataPath()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(lines(run.out), (QStringList{"1000.PDD\tAnna Müller\tMy year\t3\t01.01.2026 10:00:00",
                                          "2000.PDD\tBen\tTravels € and more\t0\t01.01.2026 10:00:00"}));
    QVERIFY(!run.out.contains("topsecret") && !run.out.contains("hidden"));
    QVERIFY(run.err.isEmpty());
}

void TestToolCheck::listReportsUnreadableFilesAndGoesOn() {
    TempProgramFolder program;
    const QString data = program.dataPath();
    renameTo(makeDiary("Anna", "Year", "pw", 1), "5.PDD");
    QCOMPARE(::mkfifo(QFile::encodeName(data + "/3.PDD").constData(), 0600), 0);
    writeBytes(data + "/4.PDD", "tiny");
    // A control character in the owner is shown escaped, never sent to the terminal.
    const QString escape = renameTo(makeDiary("Eve", "T", "pw", 0), "6.PDD");
    patchBytes(escape, DiaryFormat::OwnerOffset + 3, "\x1B[2J");
    const ToolRun run = runTool({"list", data}, {}, {}, toolPath(), 15000);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 4);
    QCOMPARE(lines(run.out), (QStringList{"5.PDD\tAnna\tYear\t1\t01.01.2026 10:00:00",
                                          "6.PDD\tEve\\x1B[2J\tT\t0\t01.01.2026 10:00:00"}));
    QVERIFY(run.err.contains("3.PDD: ") && run.err.contains("named pipe"));
    QVERIFY(run.err.contains("4.PDD: ") && run.err.contains("shorter than a diary header"));
}

void TestToolCheck::defaultFolderIsDataBesideTheTool() {
    // A copy of the tool in a folder of its own finds the DATA folder there.
    QTemporaryDir installed;
    const QString tool = installed.filePath("quorvel-tool");
    QVERIFY(QFile::copy(toolPath(), tool));
    QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QDir(installed.path()).mkdir("DATA"));
    {
        TempProgramFolder program;
        const QString diary = makeDiary("Local", "Here", "pw", 2);
        QVERIFY(QFile::copy(diary, installed.filePath("DATA/77.PDD")));
    }
    ToolRun run = runTool({"list"}, {}, {}, tool);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(lines(run.out), QStringList{"77.PDD\tLocal\tHere\t2\t01.01.2026 10:00:00"});
    run = runTool({"check"}, {}, {}, tool);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("checked 1 diary file in "));
}

void TestToolCheck::passwordVerifiesEveryRecordOfAnEncryptedDiary() {
    TempProgramFolder program;
    const QString diary = renameTo(makeDiary("Anna", "Year", "pw", 3), "sealed.PDD");
    const QString passwordFile = program.path() + "/pw.txt";
    const QString wrongFile = program.path() + "/wrong.txt";
    QVERIFY(writeBytes(passwordFile, "pw\n"));
    QVERIFY(writeBytes(wrongFile, "pW\n"));
    QCOMPARE(runTool({"encrypt", diary, "--password-file", passwordFile, "--keep-password"}).exitCode, 0);
    QByteArray bytes = readBytes(diary);
    bytes[DiaryFormat::entryOffset(2) + 1000] ^= 0x04;
    QVERIFY(writeBytes(diary, bytes));

    // Without the password only the structure is checked.
    ToolRun run = runTool({"check", diary});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(lines(run.out), QStringList{QString("checked %1: no problems").arg(diary)});
    run = runTool({"check", diary, "--password-file", passwordFile});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(lines(run.out), (QStringList{QString("%1: entry 2: is damaged: its record does not verify").arg(diary),
                                          QString("checked %1: 1 problem").arg(diary)}));
    QCOMPARE(runTool({"check", diary, "--password-file", wrongFile}).exitCode, 3);
    QCOMPARE(runTool({"check", program.dataPath(), "--password-file", passwordFile}).exitCode, 2);
}

void TestToolCheck::headerAskingTooMuchIsRefusedBeforeAnyDerivation() {
    TempProgramFolder program;
    QString diary;
    QVERIFY(createEncryptedDiaryFile("Anna", "pw", "Year", "01.01.2026 10:00:00", &diary,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    const QString passwordFile = program.path() + "/pw.txt";
    QVERIFY(writeBytes(passwordFile, "pw\n"));
    const qint64 costs = DiaryFormat::PasswordOffset + 4;
    const QByteArray cheapest = readBytes(diary).mid(costs, 6);

    // 17 passes: one more than allowed.
    patchBytes(diary, costs, QByteArray("\x11\x00", 2));
    ToolRun run = runTool({"check", diary, "--password-file", passwordFile});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("This diary asks for more passes than Quorvel allows: 17 passes"), run.err.constData());

    // 1 GiB and 1 KiB of memory: refused at once, nothing allocated.
    patchBytes(diary, costs, cheapest.left(2) + QByteArray("\x01\x00\x10\x00", 4));
    QElapsedTimer clock;
    clock.start();
    run = runTool({"stats", diary, "--password-file", passwordFile});
    QCOMPARE(run.exitCode, 5);
    QVERIFY2(run.err.contains("This diary asks for more memory than Quorvel allows: 1025 MiB to derive its key, at "
                              "most 1024 MiB"),
             run.err.constData());
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(run.out.isEmpty());
}
void TestToolCheck::draftsAreReportedBesideTheirDiaryAndIgnoredElsewhere() {
    TempProgramFolder program;
    const QString data = program.dataPath();
    const QString anna = renameTo(makeDiary("Anna", "Year", "pw", 1), "1000.PDD");
    const QString ben = renameTo(makeDiary("Ben", "Trips", "pw", 0), "2000.PDD");
    EntryDraft draft;
    draft.dateTime = "08.12.2026 21:14:05";
    draft.topic = "Half";
    draft.text = "written";
    DraftOwner owner;
    QVERIFY(draftOwnerOf(anna, owner).ok());
    QByteArray bytes;
    QVERIFY(DraftFormat::encode(draft, owner, bytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(anna), bytes).ok());
    writeBytes(draftPathFor(ben), "noise");
    QVERIFY(writeDraftFile(data + "/3000.draft", bytes).ok()); // its diary is gone

    const ToolRun check = runTool({"check", data});
    QCOMPARE(check.exitCode, 1);
    QCOMPARE(lines(check.out),
             (QStringList{"1000.PDD: draft: an unsaved entry of 08.12.2026 21:14:05 (topic 4 characters, text 7), "
                          "offered at the next log-in",
                          "2000.PDD: draft: damaged (the draft is cut short (5 bytes)); Quorvel sets it aside at the "
                          "next log-in",
                          "3000.draft: a draft whose diary no longer exists",
                          QString("checked 2 diary files in %1: 2 problems in 2 files").arg(data)}));
    const ToolRun one = runTool({"check", anna});
    QCOMPARE(one.exitCode, 0);
    QVERIFY(one.out.contains("1000.PDD: draft: an unsaved entry"));

    // Listing and export see the diaries only.
    const ToolRun list = runTool({"list", data});
    QCOMPARE(list.exitCode, 0);
    QCOMPARE(lines(list.out).size(), 2);
    QTemporaryDir work;
    writeBytes(work.filePath("pw"), "pw");
    const ToolRun withDraft = runTool({"export", anna, "-f", "json", "--password-file", work.filePath("pw")});
    QCOMPARE(withDraft.exitCode, 0);
    QVERIFY(!withDraft.out.contains("Half"));
    QVERIFY(removeDraftFile(draftPathFor(anna)).ok());
    const ToolRun without = runTool({"export", anna, "-f", "json", "--password-file", work.filePath("pw")});
    QCOMPARE(without.out, withDraft.out);
}

// An empty lock (a crash between making and writing it) is named and taken
// over; another computer's lock is named, refused, and taken over only with
// --break-lock. decrypt of a plain diary stands for every command that takes
// the lock: exit 5 ("already plain") comes only after the lock was taken.
void TestToolCheck::locksOfACrashOrOfAnotherComputerAreNamedAndTakenOver() {
    TempProgramFolder program;
    const QString diary = makeDiary("Anna", "Year", "pw", 2);
    const QString lockPath = QFileInfo(diary).dir().filePath(QFileInfo(diary).completeBaseName() + ".lock");
    const auto writeLock = [&lockPath](const QByteArray& bytes, const QDateTime& time) {
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(bytes);
        QVERIFY(lock.flush());
        QVERIFY(lock.setFileTime(time, QFileDevice::FileModificationTime));
    };

    writeLock({}, QDateTime::currentDateTime().addSecs(-60));
    ToolRun run = runTool({"check", program.dataPath()});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("is empty or unreadable (left by a crash)"), run.out.constData());
    run = runTool({"decrypt", diary, "--password-file", "-"}, "pw\n");
    QVERIFY2(run.exitCode == 5, run.err.constData());
    QVERIFY(!QFileInfo::exists(lockPath));

    const QByteArray laptop = "4242\nquorvel\nlaptop\nnot-this-machine\n";
    writeLock(laptop, QDateTime(QDate::currentDate(), QTime(14, 2)));
    run = runTool({"check", diary});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains("marked open on laptop since 14:02"), run.out.constData());
    run = runTool({"decrypt", diary, "--password-file", "-"}, "pw\n");
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("is marked open on laptop since 14:02") && run.err.contains("--break-lock"),
             run.err.constData());
    QFile kept(lockPath);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), laptop);
    kept.close();
    run = runTool({"decrypt", diary, "--password-file", "-", "--break-lock"}, "pw\n");
    QVERIFY2(run.exitCode == 5, run.err.constData());
    QVERIFY(!QFileInfo::exists(lockPath));
}

void TestToolCheck::encryptThatCannotCarryTheDraftChangesNothingAndSaysSo() {
    TempProgramFolder program;
    const QString diary = renameTo(makeDiary("Anna", "Year", "pw", 2), "kept.PDD");
    DraftOwner owner;
    QVERIFY(draftOwnerOf(diary, owner).ok());
    QByteArray bytes;
    QVERIFY(DraftFormat::encode({"08.12.2026 21:14:05", "Half", "written", 1, 1}, owner, bytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(diary), bytes).ok());
    // The carried draft's name is taken by a folder: it cannot be written.
    QVERIFY(QDir().mkpath(carriedDraftPathFor(diary) + "/inside"));
    const QByteArray before = readBytes(diary);
    const QString passwordFile = program.path() + "/pw.txt";
    QVERIFY(writeBytes(passwordFile, "pw\n"));

    ToolRun run = runTool({"encrypt", diary, "--password-file", passwordFile, "--keep-password"});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.err.contains("cannot be carried over") && run.err.contains("nothing was changed"), run.err);
    QCOMPARE(readBytes(diary), before);
    QCOMPARE(readBytes(draftPathFor(diary)), bytes);

    // With the way clear, the draft follows the diary into its new kind.
    QVERIFY(QDir(carriedDraftPathFor(diary)).removeRecursively());
    run = runTool({"encrypt", diary, "--password-file", passwordFile, "--keep-password"});
    QCOMPARE(run.exitCode, 0);
    run = runTool({"check", diary, "--password-file", passwordFile});
    QVERIFY2(run.out.contains("kept.PDD: draft: an unsaved entry of 08.12.2026 21:14:05"), run.out);
}

QTEST_GUILESS_MAIN(TestToolCheck)
#include "tst_tool_check.moc"
