// One diary, one window: a second Quorvel process holds a diary and this
// window's choosers are refused it; a lock left by a killed process is taken
// over. Changes made to the open diary's file by other processes (a sync
// program) show in the window, or close the session without writing.

#include "ComposerEdits.h"
#include "DiaryLock.h"
#include "EntryDraft.h"
#include "GuiTestSupport.h"
#include "MsgBox.h"
#include "OpenedDiary.h"
#include "StorageGlobals.h"
#include "frmChangePassword.h"
#include "frmDeleteDiary.h"
#include "frmMain.h"
#include "frmOpenDiary.h"
#include "mApplication.h"
#include "mFile.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QStringListModel>
#include <QtTest>

#include <QStandardPaths>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

using namespace TestSupport;

namespace {

const QString Refusal = QStringLiteral("This diary is already open in another Quorvel window.");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 lockHolder(const QString& diary) {
    QLockFile lock(DiaryLock::lockPathFor(diary));
    qint64 pid = 0;
    QString host, application;
    return lock.getLockInfo(&pid, &host, &application) ? pid : 0;
}

// Another process, as a sync program or a shell would be.
void shell(const QString& script, const QStringList& arguments) {
    QProcess sh;
    sh.start(QStringLiteral("/bin/sh"), QStringList{"-c", script, "sh"} + arguments);
    QVERIFY(sh.waitForFinished(5000));
    QCOMPARE(sh.exitCode(), 0);
}

// Chooses `diary` in the chooser that becomes modal and confirms it; notes
// whether any password dialog is shown afterwards (and cancels it).
template <typename Chooser> bool chooseAndSeeIfAsked(int command, const QString& diary) {
    whenModal<Chooser>([diary](Chooser* d) {
        for (int i = 0; i < d->lstFilePath->count(); ++i)
            if (d->lstFilePath->item(i)->text() == diary)
                d->lstExistantDiaries->setCurrentRow(i);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    bool asked = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&asked] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->objectName().contains(QLatin1String("Password"))) {
            asked = true;
            qobject_cast<QDialog*>(modal)->reject();
        }
    });
    watch.start();
    Run_Command(command);
    return asked;
}

} // namespace

class TestOneDiary : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { quietDialogs(); }
    void aDiaryOpenInAnotherProcessIsRefusedUntilThatProcessDies();
    void changesFromOutsideShowOrCloseTheSession();
    void aDiaryThatCannotHoldALockOpensForReadingOnly();
    void locksOfACrashOrOfAnotherComputerAreTakenOver();
    void anOrdinaryUsersReadOnlyFolderOpensForReadingOnly();
};

void TestOneDiary::aDiaryOpenInAnotherProcessIsRefusedUntilThatProcessDies() {
    TempProgramFolder folder;
    const QString held = makeDiary("Anna", "Held elsewhere", "pw", 2);
    const QString mine = makeDiary("Ben", "Open here", "pw", 1);

    QProcess holder;
    holder.start(QStringLiteral(QUORVEL_SESSION_HOLDER), {folder.path(), held, "pw"});
    QVERIFY(holder.waitForStarted(5000));
    const auto stopHolder = qScopeGuard([&holder] {
        holder.kill();
        holder.waitForFinished(5000);
    });
    while (!holder.canReadLine() && holder.state() == QProcess::Running)
        holder.waitForReadyRead(100);
    QCOMPARE(holder.readLine().trimmed(), QByteArray("open"));
    QCOMPARE(lockHolder(held), holder.processId());

    frmMain main;
    main.show();
    answerLogIn(mine, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, mine);
    const QByteArray before = fileBytes(held);

    // Open, delete and change password: each refused before any password.
    MsgBox::clearShownForTesting();
    QVERIFY(!chooseAndSeeIfAsked<frmOpenDiary>(1, held));
    QVERIFY(!chooseAndSeeIfAsked<frmDeleteDiary>(18, held));
    QVERIFY(!chooseAndSeeIfAsked<frmChangePassword>(20, held));
    const QList<MsgBox::Shown> shown = MsgBox::shownForTesting();
    QCOMPARE(shown.size(), 3);
    for (const MsgBox::Shown& box : shown) {
        QCOMPARE(box.text, Refusal);
        QCOMPARE(box.title, QStringLiteral("Quorvel"));
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr); // every chain ended
    QCOMPARE(publicDiaryPath, mine);                      // the diary open here stays open
    QCOMPARE(main.lblTitle->text().trimmed(), QStringLiteral("Open here"));
    QCOMPARE(fileBytes(held), before);
    QVERIFY(!QFileInfo::exists(draftPathFor(held)));
    QCOMPARE(lockHolder(held), holder.processId());

    // The holder dies: its lock is taken over without a word.
    ::kill(pid_t(holder.processId()), SIGKILL);
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(QFileInfo::exists(DiaryLock::lockPathFor(held)));
    MsgBox::clearShownForTesting();
    answerLogIn(held, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, held);
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    QCOMPARE(lockHolder(held), QCoreApplication::applicationPid());
    QVERIFY(!QFileInfo::exists(DiaryLock::lockPathFor(mine))); // the diary left behind is free

    Run_Command(16);
    QVERIFY(!QFileInfo::exists(DiaryLock::lockPathFor(held)));
}

void TestOneDiary::changesFromOutsideShowOrCloseTheSession() {
    TempProgramFolder folder;
    const QString diary = makeDiary("Anna", "Synced", "pw", 2);
    // Two more entries, as another machine would save them.
    const QString elsewhere = folder.dataPath() + "/elsewhere.bin";
    QVERIFY(QFile::copy(diary, elsewhere));
    publicDiaryPath = elsewhere;
    QVERIFY(Save_Entry("03.03.2026 10:00:00", "from the laptop", "one", 0, 0).ok());
    QVERIFY(Save_Entry("04.03.2026 10:00:00", "from the phone", "two", 1, 1).ok());
    publicDiaryPath.clear();
    const QByteArray records = fileBytes(elsewhere).mid(222 + 2 * 4084);
    QVERIFY(QFile::remove(elsewhere));
    const QString first = folder.dataPath() + "/first.rec";
    const QString second = folder.dataPath() + "/second.rec";
    {
        QFile f(first);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(records.left(4084));
        QFile g(second);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(records.mid(4084));
    }

    frmMain main;
    main.show();
    answerLogIn(diary, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    QTest::keyClicks(main.txtEntry, "half a thought");

    // Appended in place, then put in place by a rename as sync programs do.
    shell(R"(cat "$1" >> "$2")", {first, diary});
    QTRY_COMPARE_WITH_TIMEOUT(main.lstEntriesModel->rowCount(), 3, 2000);
    QCOMPARE(main.lblEntryNumber->text(), QStringLiteral("4"));
    shell(R"(cp "$2" "$2.part" && cat "$1" >> "$2.part" && mv "$2.part" "$2")", {second, diary});
    QTRY_COMPARE_WITH_TIMEOUT(main.lstEntriesModel->rowCount(), 4, 2000);
    QCOMPARE(main.lblEntryNumber->text(), QStringLiteral("5"));
    QCOMPARE(main.txtEntry->toPlainText(), QStringLiteral("half a thought"));
    QCOMPARE(publicDiaryPath, diary);

    // The password changed on another machine: the session closes, the text
    // is kept as the diary's draft.
    MsgBox::clearShownForTesting();
    const qint64 length = QFileInfo(diary).size();
    shell(R"(printf new | dd of="$1" bs=1 seek=52 conv=notrunc 2>/dev/null)", {diary});
    QTRY_VERIFY_WITH_TIMEOUT(publicDiaryPath.isEmpty(), 3000);
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.contains("was changed by another program"));
    QCOMPARE(QFileInfo(diary).size(), length);
    const DraftReading kept = readDraftOf(diary);
    QCOMPARE(int(kept.state), int(DraftState::Ready));
    QCOMPARE(kept.draft.text, QStringLiteral("half a thought"));
    QVERIFY(!QFileInfo::exists(DiaryLock::lockPathFor(diary)));

    // Back in with the new password (the draft declined), then another diary
    // is put in its place: Save Entry refuses it, and the session closes.
    const QString other = makeDiaryWithEntries("Anna", "Synced", "01.01.2030 00:00:00", "new", {});
    MsgBox::clearShownForTesting();
    MsgBox::queueAnswer(MsgBox::Answer::No);
    answerLogIn(diary, "new");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    QTest::keyClicks(main.txtEntry, "second thought");
    shell(R"(cp "$1" "$2.part" && mv "$2.part" "$2")", {other, diary});
    const QByteArray replaced = fileBytes(diary);
    const StorageStatus saved = Save_Entry("05.03.2026 10:00:00", "into the other", "no", 0, 0);
    QVERIFY(!saved.ok());
    QVERIFY2(saved.description.contains("no longer the diary that was opened"), qPrintable(saved.description));
    QTRY_VERIFY_WITH_TIMEOUT(publicDiaryPath.isEmpty(), 3000);
    QVERIFY(MsgBox::shownForTesting().last().text.contains("replaced by a different diary"));
    QCOMPARE(fileBytes(diary), replaced);
    QCOMPARE(main.txtEntry->toPlainText(), QStringLiteral("second thought"));
    QVERIFY(readDraftOf(diary).state != DraftState::Ready); // no draft tied to the other diary
}

void TestOneDiary::aDiaryThatCannotHoldALockOpensForReadingOnly() {
    TempProgramFolder folder;
    // A name so long that "<name>.lock" is one character too many.
    const QString diary = folder.dataPath() + QLatin1Char('/') + QString(251, QLatin1Char('x')) + ".PDD";
    QVERIFY(QFile::rename(makeDiary("Anna", "Read only", "pw", 2), diary));
    const QByteArray before = fileBytes(diary);
    const QString readOnly = QStringLiteral(
        "The folder of this diary cannot hold a lock file (file name too long), so this diary opens for reading "
        "only: its entries can be read, searched and exported, but Save Entry, a password change and keeping a "
        "draft are refused. What you type stays in the Entry Composer.");

    frmMain main;
    main.show();
    MsgBox::clearShownForTesting();
    answerLogIn(diary, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    QCOMPARE(main.lstEntriesModel->rowCount(), 2);
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(MsgBox::shownForTesting().first().text, readOnly);

    // Typed, kept as no draft (said once), and refused by Save Entry: the
    // composer keeps it all.
    QTest::keyClicks(main.txtTopic, "topic");
    QTest::keyClicks(main.txtEntry, "words to keep");
    QTRY_COMPARE_WITH_TIMEOUT(MsgBox::shownForTesting().size(), 2, 3000);
    QCOMPARE(MsgBox::shownForTesting().last().text, readOnly);
    Run_Command(2);
    QCOMPARE(MsgBox::shownForTesting().size(), 3);
    QCOMPARE(MsgBox::shownForTesting().last().text, readOnly);
    QCOMPARE(main.txtTopic->text(), QStringLiteral("topic"));
    QCOMPARE(main.txtEntry->toPlainText(), QStringLiteral("words to keep"));
    QVERIFY(main.fraComposer->isVisible());

    // The password change is refused before any password is asked.
    QVERIFY(!chooseAndSeeIfAsked<frmChangePassword>(20, diary));
    QCOMPARE(MsgBox::shownForTesting().size(), 4);
    QCOMPARE(MsgBox::shownForTesting().last().text, readOnly);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(publicDiaryPath, diary);
    QCOMPARE(fileBytes(diary), before);
    QCOMPARE(QDir(folder.dataPath()).entryList(QDir::Files).size(), 1); // no lock, no draft
}

void TestOneDiary::locksOfACrashOrOfAnotherComputerAreTakenOver() {
    TempProgramFolder folder;
    const QString diary = makeDiary("Anna", "Synced", "pw", 1);
    const QString lockPath = DiaryLock::lockPathFor(diary);
    const auto writeLock = [&lockPath](const QByteArray& bytes, const QDateTime& time) {
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(bytes);
        QVERIFY(lock.flush());
        QVERIFY(lock.setFileTime(time, QFileDevice::FileModificationTime));
    };
    frmMain main;
    main.show();

    // Empty: a crash between making the lock and writing it. Taken over.
    writeLock({}, QDateTime::currentDateTime().addSecs(-60));
    MsgBox::clearShownForTesting();
    answerLogIn(diary, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    QCOMPARE(lockHolder(diary), QCoreApplication::applicationPid());
    Run_Command(16);

    // Another computer's, copied here by a sync program: asked, No leaves it.
    const QByteArray laptop = "4242\nquorvel\nlaptop\nnot-this-machine\n";
    writeLock(laptop, QDateTime(QDate::currentDate(), QTime(14, 2)));
    MsgBox::queueAnswer(MsgBox::Answer::No);
    QVERIFY(!chooseAndSeeIfAsked<frmOpenDiary>(1, diary));
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(MsgBox::shownForTesting().first().text,
             QStringLiteral("This diary is marked open on laptop since 14:02. Open it here anyway?"));
    QCOMPARE(fileBytes(lockPath), laptop);
    QVERIFY(publicDiaryPath.isEmpty());

    // Yes takes it over.
    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    answerLogIn(diary, "pw");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, diary);
    QCOMPARE(MsgBox::shownForTesting().size(), 2);
    QCOMPARE(lockHolder(diary), QCoreApplication::applicationPid());
    Run_Command(16);
    QVERIFY(!QFileInfo::exists(lockPath));
}

// The everyday case of a diary without lock file, which root cannot show
// (it writes through permission bits): a window of "nobody" on its diary in
// its own data folder, which it made read-only (the file stays writable).
void TestOneDiary::anOrdinaryUsersReadOnlyFolderOpensForReadingOnly() {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody || QStandardPaths::findExecutable("runuser").isEmpty())
        QSKIP("needs root, runuser and the user nobody");
    TempProgramFolder folder; // its DATA is root's: the window passes it over
    const auto toNobody = [nobody](const QString& path) {
        return ::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
    };
    const QString home = folder.path() + "/home";
    const QString data = home + "/quorvel/DATA";
    QVERIFY(QDir().mkpath(data));
    QVERIFY(toNobody(home) && toNobody(home + "/quorvel") && toNobody(data));
    const QString diary = data + "/diary.PDD";
    QVERIFY(QFile::rename(makeDiary("Anna", "Shared", "pw", 1), diary));
    QVERIFY(toNobody(diary));
    QVERIFY(QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner));
    const auto enter = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(folder.path(), enter));
    const QByteArray before = fileBytes(diary);
    // A copy nobody may run, wherever the build is.
    const QString holder = folder.path() + "/holder";
    QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SESSION_HOLDER), holder));
    QVERIFY(QFile::setPermissions(holder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));

    QProcess window;
    window.start("runuser",
                 {"-u", "nobody", "--", "env", "QT_QPA_PLATFORM=offscreen", "HOME=" + home, "XDG_DATA_HOME=" + home,
                  "XDG_CONFIG_HOME=" + home, holder, folder.path(), diary, "pw", "try-save"});
    QVERIFY(window.waitForFinished(30000));
    const QString out = QString::fromUtf8(window.readAllStandardOutput());
    QVERIFY2(window.exitCode() == 0, qPrintable(out + window.readAllStandardError()));
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("open"));
    QCOMPARE(lines.value(1), QStringLiteral("not saved"));
    // Told at the log-in, at the draft and at Save Entry; the text stays.
    const QString told = QStringLiteral("box: The folder of this diary cannot hold a lock file (permission denied), "
                                        "so this diary opens for reading only");
    QCOMPARE(lines.filter(told).size(), 3);
    QCOMPARE(lines.last(), QStringLiteral("composer: words to keep"));
    QCOMPARE(fileBytes(diary), before);
    QCOMPARE(QDir(data).entryList(QDir::Files), QStringList{"diary.PDD"});
}

QTEST_MAIN(TestOneDiary)
#include "tst_one_diary.moc"
