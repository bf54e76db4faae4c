// Diary sessions end to end through the main window: create a diary, log in,
// compose, save, browse, read and close through Run_Command; wrong passwords,
// a log-in over an open diary, deleting and changing passwords beside it.

#include "BackupKeeper.h"
#include "ComposerEdits.h"
#include "DiaryCrypto.h"
#include "DiaryBackups.h"
#include "DiaryFormat.h"
#include "EntryDraft.h"
#include "GuiTestSupport.h"
#include "MsgBox.h"
#include "Popups.h"
#include "StorageGlobals.h"
#include "UserSettings.h"
#include "frmAreYouShure.h"
#include "frmChangePassword.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "frmEnterNewPassword.h"
#include "frmEnterOldPassword.h"
#include "frmEnterPassword.h"
#include "frmMain.h"
#include "frmNewDiary.h"
#include "frmOpenDiary.h"
#include "mApplication.h"
#include "mFile.h"
#include "mString.h"

#include <QAbstractItemModel>
#include <QButtonGroup>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

QStringList browserLines(const frmMain& main) {
    QStringList out;
    const QAbstractItemModel* model = main.lstEntries->model();
    for (int i = 0; i < model->rowCount(); ++i)
        out << model->index(i, 0).data().toString();
    return out;
}

QString newestDiary(const QString& data, const QStringList& known) {
    QList<DiaryFileName> files;
    listDiaryFiles(data, files);
    for (const DiaryFileName& file : files)
        if (!known.contains(file.fullPath))
            return file.fullPath;
    return QString();
}

} // namespace

class TestDiarySession : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        quietDialogs();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    }
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        main_ = std::make_unique<frmMain>();
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
        MsgBox::clearShownForTesting();
        PopupSettings::clearShownForTesting();
    }
    void cleanup() {
        QVERIFY(!QApplication::activeModalWidget());
        main_.reset();
        folder_.reset();
    }

    void createLogInComposeSaveBrowseReadClose();
    void wrongPasswordEndsTheOpenDiary();
    void logInOverOpenDiaryKeepsComposerText();
    void logInShowsEntriesAndNextNumber();
    void logInToAFullDiaryShowsTheMarginAndKeepsItsDraft();
    void encryptedLogInDerivesTheKeyOffTheUiThread();
    void deleteChooserLeavesOpenDiaryAlone();
    void changedPasswordOfOpenDiaryKeepsItOpen();
    void vanishedDiaryLeavesNoDiaryOpen();
    void headerAskingTooMuchEndsTheLogInWithAMessage();
    void encryptedDiaryWithFewerEntriesThanLastTimeSaysSo();
    void changedDiaryIsBackedUpWhenClosed();
    void failedBackupOffTheUiThreadNeverHoldsClosing();

private:
    QTemporaryDir settings_; // the user's settings folder (~/.config)
    TempHome home_; // Delete Diary fills a trash of the test's own
    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<frmMain> main_;
};

void TestDiarySession::createLogInComposeSaveBrowseReadClose() {
    frmMain& m = *main_;
    whenModal<frmNewDiary>([](frmNewDiary* d) {
        QTest::keyClicks(d->txtOwner, "Anna");
        QTest::keyClicks(d->txtDiaryTitle, "My year");
        QTest::keyClicks(d->txtPasswort, "Secret");
        QTest::keyClicks(d->txtPasswortReenter, "Secret");
        QTest::keyClick(d->txtPasswortReenter, Qt::Key_Return);
    });
    // The create dialog hands over to the chooser: log in there at once.
    whenModal<frmOpenDiary>([](frmOpenDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 1);
        QVERIFY(d->lstExistantDiaries->item(0)->text() == "1\tAnna\tMy year");
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmEnterPassword>([](frmEnterPassword* d) {
        QCOMPARE(d->lblDiaryOwner->text(), QString("Anna"));
        QCOMPARE(d->lblDiaryName->text(), QString("My year"));
        QTest::keyClicks(d->txtPassword, " Secret ");
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    Run_Command(0);
    const QString path = newestDiary(folder_->dataPath(), {});
    QVERIFY(!path.isEmpty());
    QCOMPARE(publicDiaryPath, path);
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::LoginAllowed});
    QCOMPARE(m.lblDialogTitle->text(), QString(" Entry Compose"));
    QVERIFY(m.fraComposer->isVisible());
    QVERIFY(!m.fraEntryBrowser->isVisible());
    QVERIFY(!m.fraEntryReading->isVisible());
    QCOMPARE(m.lblEntryNumber->text(), QString("1"));
    QVERIFY(QRegularExpression(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)").match(m.lblDateTime->text()).hasMatch());
    // Owner and title as read, with their trailing blanks.
    QCOMPARE(m.lblWhichOwner->text(), QString("Anna").leftJustified(50, ' '));
    QCOMPARE(m.lblTitle->text(), QString("My year").leftJustified(100, ' '));
    QVERIFY(browserLines(m).isEmpty());

    // Compose and save.
    auto* topic = m.findChild<QLineEdit*>("txtTopic");
    auto* text = m.findChild<QPlainTextEdit*>("txtEntry");
    QVERIFY(topic && text);
    QTest::keyClicks(topic, "First day");
    text->setPlainText("It rained.\nThen sun.");
    m.optWellness->button(1)->setChecked(true);
    m.optLove->button(0)->setChecked(true);
    Run_Command(2);
    QCOMPARE(PopupSettings::shownForTesting().last(), PopupKind::EntrySaved);
    QCOMPARE(m.lblDialogTitle->text(), QString(" Entry Browser"));
    QCOMPARE(browserLines(m).size(), 1);
    QVERIFY(browserLines(m).first().contains("First day"));
    QCOMPARE(countEntriesInFile(path), 1);

    // Read it back.
    Run_Command(13);
    QCOMPARE(m.lblDialogTitle->text(), QString(" Entry Reading"));
    QCOMPARE(trimBlanks(m.txtREADINGTopic->text()), QString("First day"));
    QVERIFY(m.txtREADINGEntry->toPlainText().startsWith("It rained.\nThen sun."));
    QCOMPARE(m.optREADINGWellness->checkedId(), 1);
    QCOMPARE(m.optREADINGLove->checkedId(), 0);

    // Close.
    Run_Command(16);
    QVERIFY(publicDiaryPath.isEmpty());
    QCOMPARE(m.lblTitle->text(), QString());
    QVERIFY(MsgBox::shownForTesting().isEmpty());
}

void TestDiarySession::wrongPasswordEndsTheOpenDiary() {
    frmMain& m = *main_;
    const QString a = makeDiary("Anna", "Diary A", "a");
    const QString b = makeDiary("Bert", "Diary B", "b");
    answerLogIn(a, "a");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, a);
    answerLogIn(b, "B"); // letter case counts
    Run_Command(1);
    QVERIFY(publicDiaryPath.isEmpty());
    QCOMPARE(PopupSettings::shownForTesting(), (QList<PopupKind>{PopupKind::LoginAllowed, PopupKind::AccessDenied}));
    // The window still shows diary A, but nothing needs it any more.
    QCOMPARE(trimBlanks(m.lblTitle->text()), QString("Diary A"));
    PopupSettings::clearShownForTesting();
    Run_Command(12);
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::NoDiaryOpen});
    QVERIFY(!frmOpenDiary::instance() && !frmEnterPassword::instance());
}

void TestDiarySession::logInOverOpenDiaryKeepsComposerText() {
    frmMain& m = *main_;
    const QString a = makeDiary("Anna", "Diary A", "a", 2);
    const QString b = makeDiary("Bert", "Diary B", "b");
    answerLogIn(a, "a");
    Run_Command(1);
    QCOMPARE(m.lblEntryNumber->text(), QString("3"));
    auto* topic = m.findChild<QLineEdit*>("txtTopic");
    auto* text = m.findChild<QPlainTextEdit*>("txtEntry");
    topic->setText("Half written");
    text->setPlainText("for whichever diary is open");
    answerLogIn(b, "b");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, b);
    QCOMPARE(topic->text(), QString("Half written"));
    QCOMPARE(text->toPlainText(), QString("for whichever diary is open"));
    QCOMPARE(m.lblEntryNumber->text(), QString("1"));
    QCOMPARE(trimBlanks(m.lblWhichOwner->text()), QString("Bert"));
    Run_Command(2);
    QCOMPARE(countEntriesInFile(b), 1);
    QCOMPARE(countEntriesInFile(a), 2);
    EntryText saved;
    QVERIFY(readEntry(b, 1, saved).ok());
    QCOMPARE(trimBlanks(saved.topic), QString("Half written"));
}

void TestDiarySession::logInShowsEntriesAndNextNumber() {
    frmMain& m = *main_;
    const QString a = makeDiary("Anna", "Busy", "a", 3);
    answerLogIn(a, "a");
    Run_Command(1);
    QCOMPARE(m.lblEntryNumber->text(), QString("4"));
    const QStringList list = browserLines(m);
    QCOMPARE(list.size(), 3);
    QVERIFY(list[0].startsWith(" 1\t"));
    QVERIFY(list[2].contains("Topic 3"));
    QVERIFY(m.fraComposer->isVisible());
    QVERIFY(!m.fraEntryBrowser->isVisible());
}

void TestDiarySession::encryptedLogInDerivesTheKeyOffTheUiThread() {
    frmMain& m = *main_;
    QString path;
    // The costs new diaries get: the key takes a good part of a second.
    QVERIFY(createEncryptedDiaryFile("Anna", "a long passphrase", "Sealed", "now", &path).ok());
    int busyTurns = 0;
    QString line;
    QTimer probe;
    probe.setInterval(5);
    connect(&probe, &QTimer::timeout, this, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        if (cursor && cursor->shape() == Qt::BusyCursor) {
            ++busyTurns;
            line = m.StatusBar1->currentMessage();
        }
    });
    probe.start();
    answerLogIn(path, "a long passphrase");
    Run_Command(1);
    probe.stop();
    QCOMPARE(publicDiaryPath, path);
    // The event loop kept turning while the key was derived.
    QVERIFY2(busyTurns >= 3, qPrintable(QString::number(busyTurns)));
    QCOMPARE(line, QString("Checking the password ..."));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(m.StatusBar1->currentMessage().isEmpty());
}

void TestDiarySession::logInToAFullDiaryShowsTheMarginAndKeepsItsDraft() {
    frmMain& m = *main_;
    const QString full = makeDiary("Anna", "Full", "a", 1);
    // 30000 entries: a sparse file of that length reads as blank entries.
    QVERIFY(QFile::resize(full, DiaryFormat::entryOffset(DiaryFormat::MaxEntries + 1)));
    DraftOwner owner;
    QVERIFY(draftOwnerOf(full, owner).ok());
    EntryDraft draft;
    draft.topic = "One too many";
    QByteArray bytes;
    QVERIFY(DraftFormat::encode(draft, owner, bytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(full), bytes).ok());

    answerLogIn(full, "a");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, full);
    QCOMPARE(MsgBox::shownForTesting().size(), 1); // no draft offered
    QCOMPARE(MsgBox::shownForTesting().first().text, QString("You have reached the margin of 30000 entries!"));
    QVERIFY(m.fraEntryBrowser->isVisible());
    QVERIFY(!m.fraComposer->isVisible());
    QCOMPARE(m.lblDialogTitle->text(), QString(" Entry Browser"));
    QCOMPARE(browserLines(m).size(), DiaryFormat::MaxEntries);
    QCOMPARE(readDraftOf(full).draft.topic, QString("One too many")); // kept for later, not lost

    // Neither the dispatcher nor storage takes a 30001st entry.
    m.fraEntryBrowser->hide();
    m.fraComposer->show();
    m.txtTopic->setText("Still here");
    Run_Command(2);
    QCOMPARE(MsgBox::shownForTesting().size(), 2);
    QCOMPARE(MsgBox::shownForTesting().last().text, QString("You have reached the margin of 30000 entries!"));
    QCOMPARE(m.txtTopic->text(), QString("Still here"));
    QCOMPARE(Save_Entry("01.01.2027", "t", "x", 3, 3).number, StorageErrors::MarginReached);
    QCOMPARE(QFileInfo(full).size(), DiaryFormat::entryOffset(DiaryFormat::MaxEntries + 1));
}

void TestDiarySession::deleteChooserLeavesOpenDiaryAlone() {
    const QString a = makeDiary("Anna", "Diary A", "a");
    const QString b = makeDiary("Bert", "Diary B", "b");
    answerLogIn(a, "a");
    Run_Command(1);
    QStringList listed;
    whenModal<frmDeleteDiary>([&](frmDeleteDiary* d) {
        for (int i = 0; i < d->lstFilePath->count(); ++i)
            listed << d->lstFilePath->item(i)->text();
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) {
        QTest::keyClicks(d->txtPassword1, "b");
        QTest::keyClicks(d->txtPassword2, "b");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    whenModal<frmAreYouShure>([](frmAreYouShure* d) { QTest::keyClick(d->cmdDeleteDiary, Qt::Key_Return); });
    Run_Command(18);
    QCOMPARE(listed, QStringList{b});
    QVERIFY(!QFile::exists(b));
    QVERIFY(QFile::exists(a));
    QCOMPARE(publicDiaryPath, a);
    QCOMPARE(PopupSettings::shownForTesting().last(), PopupKind::KillAllowed);
}

void TestDiarySession::changedPasswordOfOpenDiaryKeepsItOpen() {
    const QString a = makeDiary("Anna", "Diary A", "old");
    answerLogIn(a, "old");
    Run_Command(1);
    whenModal<frmChangePassword>([](frmChangePassword* d) { QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return); });
    whenModal<frmEnterOldPassword>([](frmEnterOldPassword* d) {
        QTest::keyClicks(d->txtPassword1, "old");
        QTest::keyClicks(d->txtPassword2, "old");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    whenModal<frmEnterNewPassword>([](frmEnterNewPassword* d) {
        QTest::keyClicks(d->txtPassword1, "new");
        QTest::keyClicks(d->txtPassword2, "new");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    Run_Command(20);
    QCOMPARE(publicDiaryPath, a);
    Run_Command(16);
    answerLogIn(a, "old");
    Run_Command(1);
    QVERIFY(publicDiaryPath.isEmpty());
    answerLogIn(a, "new");
    Run_Command(1);
    QCOMPARE(publicDiaryPath, a);
}

void TestDiarySession::vanishedDiaryLeavesNoDiaryOpen() {
    frmMain& m = *main_;
    const QString a = makeDiary("Anna", "Diary A", "a");
    const QString b = makeDiary("Bert", "Diary B", "b");
    answerLogIn(a, "a");
    Run_Command(1);
    PopupSettings::clearShownForTesting();
    whenModal<frmOpenDiary>([b](frmOpenDiary* d) {
        for (int i = 0; i < d->lstFilePath->count(); ++i)
            if (d->lstFilePath->item(i)->text() == b)
                d->lstExistantDiaries->setCurrentRow(i);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmEnterPassword>([b](frmEnterPassword* d) {
        QFile::remove(b);
        QTest::keyClicks(d->txtPassword, "b");
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    Run_Command(1);
    QVERIFY(publicDiaryPath.isEmpty());
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(MsgBox::shownForTesting().first().title, QString("Quorvel"));
    // Nothing of diary B reached the window.
    QCOMPARE(trimBlanks(m.lblTitle->text()), QString("Diary A"));
}

void TestDiarySession::headerAskingTooMuchEndsTheLogInWithAMessage() {
    QString path;
    QVERIFY(createEncryptedDiaryFile("Anna", "pw", "Year", "01.01.2026 10:00:00", &path,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    // 17 passes, one more than the program allows.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(DiaryFormat::PasswordOffset + 4));
    QCOMPARE(file.write(QByteArray("\x11\x00", 2)), 2);
    file.close();

    answerLogIn(path, "pw");
    Run_Command(1);
    QVERIFY(publicDiaryPath.isEmpty());
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.startsWith(
        "This diary asks for more passes than Quorvel allows: 17 passes to derive its key, at most 16."));
    QVERIFY(!main_->fraComposer->isVisible());
}

void TestDiarySession::encryptedDiaryWithFewerEntriesThanLastTimeSaysSo() {
    QString diary;
    QVERIFY(createEncryptedDiaryFile("Anna", "pw", "Sealed", "01.01.2026 10:00:00", &diary,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(diary, "pw", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = diary;
    for (int i = 1; i <= 3; ++i)
        QVERIFY(Save_Entry(QString("0%1.03.2026 08:15:00").arg(i), QString("Topic %1").arg(i), "text", 1, 1).ok());
    publicDiaryPath.clear();
    DiaryCrypto::clearOpenKey();

    const auto logInAndClose = [&] {
        answerLogIn(diary, "pw");
        Run_Command(1);
        QCOMPARE(publicDiaryPath, diary);
        Run_Command(16);
    };
    logInAndClose();
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    QVERIFY(QFileInfo::exists(settings_.path() + "/quorvel/quorvel.conf")); // not beside the diary
    QCOMPARE(QDir(folder_->dataPath()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // The last entry is gone, as in an older copy: the format cannot tell,
    // this machine can.
    QVERIFY(QFile::resize(diary, QFileInfo(diary).size() - DiaryFormat::EntrySize));
    logInAndClose();
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.startsWith(
        "This diary held 3 entries when it was last open on this computer, but now holds only 2."));
    logInAndClose(); // told once
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
}

// At log-in a diary without a backup of the last day gets one; closing it
// copies it again only when it changed; a backup that cannot be made is
// said once and the diary closes all the same.
void TestDiarySession::changedDiaryIsBackedUpWhenClosed() {
    const QString a = makeDiary("Anna", "Diary A", "a", 1);
    const QString b = makeDiary("Bert", "Diary B", "b", 1);
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    answerLogIn(a, "a");
    Run_Command(1);
    BackupKeeper::waitForBackups();
    QCOMPARE(DiaryBackups::listBackups(a).size(), 1);
    QCOMPARE(bytes(DiaryBackups::listBackups(a).first().path), bytes(a));

    QVERIFY(Save_Entry("03.01.2026 10:00:00", "New", "Text", 3, 3).ok());
    answerLogIn(b, "b"); // a closes, changed
    Run_Command(1);
    BackupKeeper::waitForBackups();
    QCOMPARE(countEntriesInFile(DiaryBackups::listBackups(a).first().path), 2);
    QCOMPARE(bytes(DiaryBackups::listBackups(a).first().path), bytes(a));
    QVERIFY(MsgBox::shownForTesting().isEmpty());

    // The backups folder cannot be used: said once, closing goes on.
    openUserSettings()->setValue(SettingKeys::BackupsFolder, folder_->dataPath() + "/Backups");
    QVERIFY(Save_Entry("03.01.2026 11:00:00", "New", "Text", 3, 3).ok());
    Run_Command(16);
    QVERIFY(publicDiaryPath.isEmpty());
    QTRY_COMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.startsWith(
        "The automatic backup of the diary could not be made: the backups folder"));
    answerLogIn(b, "b");
    Run_Command(1);
    QVERIFY(Save_Entry("03.01.2026 12:00:00", "New", "Text", 3, 3).ok());
    Run_Command(16);
    BackupKeeper::waitForBackups();
    QCoreApplication::processEvents();
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(!QDir(folder_->dataPath() + "/Backups").exists());
    openUserSettings()->remove(SettingKeys::BackupsFolder);
}

// The copy fails on its thread (a file stands where the backups folder
// should be, which stops root too): Close Diary is done while the copy has
// not even begun, and the failure is said once when it comes.
void TestDiarySession::failedBackupOffTheUiThreadNeverHoldsClosing() {
    BackupKeeper::forgetFailureSaidForTesting();
    const QString a = makeDiary("Anna", "Diary A", "a", 1);
    answerLogIn(a, "a");
    Run_Command(1);
    BackupKeeper::waitForBackups();
    const QString blocked = QFileInfo(folder_->dataPath()).path() + "/NotAFolder";
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    openUserSettings()->setValue(SettingKeys::BackupsFolder, blocked);
    QVERIFY(Save_Entry("03.01.2026 11:00:00", "New", "Text", 3, 3).ok());

    struct Release {
        ~Release() { BackupKeeper::holdForTesting(false); }
    } release;
    BackupKeeper::holdForTesting(true);
    Run_Command(16);
    QVERIFY(publicDiaryPath.isEmpty());
    QVERIFY(BackupKeeper::pending());
    QTest::qWait(50); // the window goes on while the copy waits
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    BackupKeeper::holdForTesting(false);
    QTRY_COMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.startsWith("The automatic backup of the diary could not be made:"));

    answerLogIn(a, "a");
    Run_Command(1);
    QVERIFY(Save_Entry("03.01.2026 12:00:00", "New", "Text", 3, 3).ok());
    Run_Command(16);
    BackupKeeper::waitForBackups();
    QCoreApplication::processEvents();
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    openUserSettings()->remove(SettingKeys::BackupsFolder);
}

QTEST_MAIN(TestDiarySession)
#include "tst_diarysession.moc"
