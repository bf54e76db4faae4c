// The diary management dialogs walked through their real modal chains on
// real files in a temporary program folder: create, the three choosers, the
// log-in password, the delete chain and the change-password chain.

#include "DialogLaunch.h"
#include "DiaryBackups.h"
#include "GuiTestSupport.h"
#include "MsgBox.h"
#include "Popups.h"
#include "StorageGlobals.h"
#include "frmAreYouShure.h"
#include "frmBackups.h"
#include "frmChangePassword.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "frmEnterNewPassword.h"
#include "frmEnterOldPassword.h"
#include "frmEnterPassword.h"
#include "frmNewDiary.h"
#include "frmOpenDiary.h"
#include "mApplication.h"
#include "mFile.h"
#include "mString.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestSupport;

namespace {

QStringList messages() {
    QStringList texts;
    for (const MsgBox::Shown& shown : MsgBox::shownForTesting())
        texts << shown.text;
    return texts;
}

QStringList lines(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// Types into a box found by its object name.
QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void type(QWidget* dialog, const char* box, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(box);
    QVERIFY2(edit, box);
    for (const QChar c : text) {
        // keyClicks knows Latin-1 keys only; other characters come as text.
        if (c.unicode() < 0x100)
            QTest::keyClick(edit, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void click(QWidget* dialog, const char* button) {
    auto* b = dialog->findChild<QPushButton*>(button);
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

// A double click as a user gives it: a click, then the double click.
void doubleClick(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

bool noChainOpen() {
    return !QApplication::activeModalWidget() && !frmOpenDiary::instance() && !frmDeleteDiary::instance() &&
           !frmChangePassword::instance() && !frmEnterPassword::instance() && !frmDeleteEnterPassword::instance() &&
           !frmAreYouShure::instance() && !frmEnterOldPassword::instance() && !frmEnterNewPassword::instance() &&
           !frmNewDiary::instance();
}

// Replaces a diary file by a folder of the same name: every read or write
// of it fails from then on, even for root.
void turnIntoFolder(const QString& path) {
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
}

} // namespace

class TestDiaryDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { quietDialogs(); }
    void init() {
        // A failed check inside a dialog leaves its chain open: close it
        // after a while so that the next test still runs.
        rescue_.start();
        folder_ = std::make_unique<TempProgramFolder>();
        MsgBox::clearShownForTesting();
        PopupSettings::clearShownForTesting();
    }
    void cleanup() {
        rescue_.stop();
        QVERIFY(noChainOpen());
        folder_.reset();
    }

    // --- create ----------------------------------------------------------
    void createDiaryLeadsToChooserWithTheNewLine();
    void createDiaryDesign();
    void createDiaryValidationMessages_data();
    void createDiaryValidationMessages();
    void createDiaryPasswordBoxesHoldTwentyCharacters();
    void dialogBoxesRefuseCharactersTheFileCannotHold();
    void createEncryptedDiaryTakesAPassphrase();
    void createDiaryCutsLongOwnerAndTrimsPassword();
    void createDiaryFailureShowsErrorBoxOnly();

    // --- choosers ----------------------------------------------------------
    void chooserListsDiariesInFileOrder();
    void chooserEmptyFolder();
    void damagedFilesAreReportedAndTheRestListed();
    void changePasswordChooserStopsAtFirstFailure();
    void deleteChooserNeverListsTheOpenDiary();
    void deleteChooserWithOnlyTheOpenDiaryCloses();
    void backupRestoredFromOpenDiaryBesideTheOld();

    // --- log-in -------------------------------------------------------------
    void logInOutcomes_data();
    void logInOutcomes();
    void logInByDoubleClickAndCancel();
    void vanishedDiaryDuringLogInShowsErrorBox();

    // --- delete chain ------------------------------------------------------
    void deleteChainCancelInPasswordDialog();
    void deleteChainMismatchAndWrongPasswords();
    void deleteChainCancelInConfirmation();
    void deleteChainDeletes();
    void deleteChainEmptyPassword();
    void deleteFailureShowsErrorBoxNotKillAllowed();
    void deleteWithoutTrashDeletesForGood();

    // --- change-password chain -------------------------------------------
    void changeChainCancelInChooser();
    void changeChainCancelsStepBack();
    void changeChainWrongOldPasswordEndsChain();
    void changeChainStoresNewPassword();
    void changeChainRefusesEmptyAndTooLongNewPasswords();
    void changeChainWriteFailureShowsErrorBox();

private:
    // Log-in through frmOpenDiary with the line `row` and the typed password;
    // true when the chain reached frmEnterPassword.
    bool logIn(int row, const QString& password);

    std::unique_ptr<TempProgramFolder> folder_;
    QTimer rescue_;
    TempHome home_; // the desktop's trash of the test's own

public:
    TestDiaryDialogs() {
        rescue_.setInterval(15000);
        connect(&rescue_, &QTimer::timeout, this, [] {
            for (int i = 0; i < 10 && QApplication::activeModalWidget(); ++i) {
                QWidget* stuck = QApplication::activeModalWidget();
                qWarning("closing %s left open by a failed check", stuck->metaObject()->className());
                stuck->close();
                QCoreApplication::processEvents();
            }
        });
    }
};

// ============================================================================
// create

void TestDiaryDialogs::createDiaryLeadsToChooserWithTheNewLine() {
    makeDiary("Anna", "First year", "pw");
    QStringList chooserLines;
    bool newDiaryGone = false;
    whenModal<frmNewDiary>([](frmNewDiary* d) {
        type(d, "txtOwner", "  Bert ");
        type(d, "txtDiaryTitle", "Travels");
        type(d, "txtPasswort", "secret");
        type(d, "txtPasswortReenter", "secret ");
        QTest::keyClick(d->txtPasswortReenter, Qt::Key_Return);
    });
    whenModal<frmOpenDiary>([&](frmOpenDiary* d) {
        newDiaryGone = frmNewDiary::instance() == nullptr;
        chooserLines = lines(d->lstExistantDiaries);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Escape);
    });
    Show_frmNewDiary();
    QVERIFY(newDiaryGone);
    QCOMPARE(chooserLines.size(), 2);
    QVERIFY(chooserLines.contains("1\tAnna\tFirst year") || chooserLines.contains("2\tAnna\tFirst year"));
    QVERIFY(chooserLines.last().endsWith("\tBert\tTravels") || chooserLines.first().endsWith("\tBert\tTravels"));
    QVERIFY(messages().isEmpty());

    QList<DiaryFileName> files;
    QVERIFY(listDiaryFiles(folder_->dataPath(), files).ok());
    QCOMPARE(files.size(), 2);
    for (const DiaryFileName& file : files) {
        if (trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Owner)) != "Bert")
            continue;
        QCOMPARE(Read_Header_Field(file.fullPath, HeaderField::Password).size(), 50);
        QCOMPARE(trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Password)), QString("secret"));
        QVERIFY(QRegularExpression(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)")
                    .match(trimBlanks(Read_Header_Field(file.fullPath, HeaderField::TimeOfBegin)))
                    .hasMatch());
    }
}

void TestDiaryDialogs::createDiaryDesign() {
    whenModal<frmNewDiary>([](frmNewDiary* d) {
        QCOMPARE(d->windowTitle(), QString("Create New Diary"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Create New Diary"));
        QCOMPARE(d->lblDialogTitle->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(d->lblDialogTitle->palette().color(QPalette::WindowText), QColor(192, 192, 192));
        QVERIFY(!(d->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QVERIFY(
            QRegularExpression(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$)").match(d->lblTimeOfBegin->text()).hasMatch());
        QCOMPARE(d->txtPasswort->echoMode(), QLineEdit::Password);
        QCOMPARE(d->txtPasswortReenter->echoMode(), QLineEdit::Password);
        QTRY_COMPARE(QApplication::focusWidget(), d->txtOwner);
        QVERIFY(!d->chkEncrypt->isChecked());
        QCOMPARE(d->chkEncrypt->text(), QString("Encrypt the entries"));
        // Keyboard order: owner, title, password, confirmation, encrypt, create, cancel.
        const QList<QWidget*> order = {d->txtDiaryTitle, d->txtPasswort, d->txtPasswortReenter, d->chkEncrypt,
                                       d->cmdCreateDiary, d->cmdCancel};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QVERIFY(!d->cmdCreateDiary->toolTip().isEmpty());
        QVERIFY(!d->cmdCreateDiary->accessibleName().isEmpty());
        QVERIFY(!d->cmdCreateDiary->icon().isNull());
        QTest::keyClick(d, Qt::Key_Escape);
    });
    Show_frmNewDiary();
    QVERIFY(frmNewDiary::instance() == nullptr);
    QList<DiaryFileName> files;
    QVERIFY(listDiaryFiles(folder_->dataPath(), files).ok());
    QVERIFY(files.isEmpty());
}

void TestDiaryDialogs::createDiaryValidationMessages_data() {
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    const QString missing = "There was not entered all required informations!";
    const QString notConfirmed = "The Password was not confirmed right!";
    QTest::newRow("owner of blanks") << "   "
                                     << "Title"
                                     << "pw"
                                     << "pw" << missing;
    QTest::newRow("title empty, passwords not looked at") << "Anna"
                                                          << ""
                                                          << "a"
                                                          << "b" << missing;
    QTest::newRow("one character differs") << "Anna"
                                           << "Title"
                                           << "secret"
                                           << "secreT" << notConfirmed;
    QTest::newRow("only letter case differs") << "Anna"
                                              << "Title"
                                              << "ABC"
                                              << "abc" << notConfirmed;
    QTest::newRow("both empty") << "Anna"
                                << "Title"
                                << ""
                                << ""
                                << "Please enter a password!";
    QTest::newRow("both blanks") << "Anna"
                                 << "Title"
                                 << "  "
                                 << " "
                                 << "Please enter a password!";
    QTest::newRow("tab in owner") << "An\tna"
                                  << "Title"
                                  << "pw"
                                  << "pw"
                                  << "Owner and Diary Title must not contain tabs, line breaks or other control "
                                     "characters!";
    QTest::newRow("line break in title") << "Anna"
                                         << "Ti\ntle"
                                         << "pw"
                                         << "pw"
                                         << "Owner and Diary Title must not contain tabs, line breaks or other "
                                            "control characters!";
    QTest::newRow("outside Windows-1252") << QString::fromUtf8("Анна") << "Title"
                                          << "pw"
                                          << "pw"
                                          << QString::fromUtf8("These characters cannot be stored in a diary: "
                                                               "Ана\nPlease use other characters.");
}

void TestDiaryDialogs::createDiaryValidationMessages() {
    QFETCH(QString, owner);
    QFETCH(QString, title);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    bool stayedOpen = false;
    whenModal<frmNewDiary>([&](frmNewDiary* d) {
        // setText: a tab or line break cannot be typed into a line box, but can be pasted.
        d->txtOwner->setText(owner);
        d->txtDiaryTitle->setText(title);
        d->txtPasswort->setText(password);
        d->txtPasswortReenter->setText(confirmation);
        d->txtPasswortReenter->setFocus();
        click(d, "cmdCreateDiary");
        stayedOpen = d->isVisible() && QApplication::activeModalWidget() == d;
        // No field is cleared and the focus stays.
        QCOMPARE(d->txtOwner->text(), owner);
        QCOMPARE(d->txtPasswort->text(), password);
        QCOMPARE(d->txtPasswortReenter->text(), confirmation);
        click(d, "cmdCancel");
    });
    Show_frmNewDiary();
    QVERIFY(stayedOpen);
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(MsgBox::shownForTesting().first().text, message);
    QCOMPARE(MsgBox::shownForTesting().first().title, QString("Alert"));
    QList<DiaryFileName> files;
    QVERIFY(listDiaryFiles(folder_->dataPath(), files).ok());
    QVERIFY(files.isEmpty());
}

void TestDiaryDialogs::dialogBoxesRefuseCharactersTheFileCannotHold() {
    QString owner;
    QString password;
    QString pasted;
    whenModal<frmNewDiary>([&](frmNewDiary* d) {
        type(d, "txtOwner", QString::fromUtf8("Anna \u2603 Ω"));
        type(d, "txtPasswort", QString::fromUtf8("pw\u2603"));
        QApplication::clipboard()->setText(QString::fromUtf8("Jahr \u2603"));
        d->txtDiaryTitle->setFocus();
        d->txtDiaryTitle->paste();
        owner = d->txtOwner->text();
        password = d->txtPasswort->text();
        pasted = d->txtDiaryTitle->text();
        click(d, "cmdCancel");
    });
    Show_frmNewDiary();
    QCOMPARE(owner, QString("Anna  ")); // the snowman and the omega were refused
    QCOMPARE(password, QString("pw"));
    QCOMPARE(pasted, QString()); // a paste holding such a character is refused whole
}

void TestDiaryDialogs::createDiaryPasswordBoxesHoldTwentyCharacters() {
    whenModal<frmNewDiary>([](frmNewDiary* d) {
        type(d, "txtPasswort", "123456789012345678901");
        type(d, "txtPasswortReenter", "abcdefghijklmnopqrstu");
        QCOMPARE(d->txtPasswort->text(), QString("12345678901234567890"));
        QCOMPARE(d->txtPasswortReenter->text(), QString("abcdefghijklmnopqrst"));
        click(d, "cmdCancel");
    });
    Show_frmNewDiary();
}

void TestDiaryDialogs::createEncryptedDiaryTakesAPassphrase() {
    const QString passphrase = "correct horse battery staple and a few more words to be safe";
    whenModal<frmNewDiary>([&](frmNewDiary* d) {
        type(d, "txtOwner", "Anna");
        type(d, "txtDiaryTitle", "Sealed");
        QTest::keyClick(d->chkEncrypt, Qt::Key_Space);
        type(d, "txtPasswort", passphrase);
        type(d, "txtPasswortReenter", passphrase);
        QCOMPARE(d->txtPasswort->text(), passphrase);
        click(d, "cmdCreateDiary");
    });
    whenModal<frmOpenDiary>([](frmOpenDiary* d) { click(d, "cmdCancel"); });
    Show_frmNewDiary();
    QVERIFY(messages().isEmpty());
    QList<DiaryFileName> files;
    QVERIFY(listDiaryFiles(folder_->dataPath(), files).ok());
    QCOMPARE(files.size(), 1);
    QVERIFY(passwordMatches(files.first().fullPath, passphrase));
    QVERIFY(!passwordMatches(files.first().fullPath, passphrase.left(50)));
}

void TestDiaryDialogs::createDiaryCutsLongOwnerAndTrimsPassword() {
    const QString owner = QString(60, 'o');
    whenModal<frmNewDiary>([&](frmNewDiary* d) {
        type(d, "txtOwner", owner);
        d->txtDiaryTitle->setText(QString::fromUtf8("Tagebuch für Müller €")); // keyClicks takes ASCII only
        type(d, "txtPasswort", " pw");
        type(d, "txtPasswortReenter", "pw  ");
        click(d, "cmdCreateDiary");
    });
    whenModal<frmOpenDiary>([](frmOpenDiary* d) { click(d, "cmdCancel"); });
    Show_frmNewDiary();
    QList<DiaryFileName> files;
    QVERIFY(listDiaryFiles(folder_->dataPath(), files).ok());
    QCOMPARE(files.size(), 1);
    QCOMPARE(Read_Header_Field(files[0].fullPath, HeaderField::Owner), QString(50, 'o'));
    QCOMPARE(trimBlanks(Read_Header_Field(files[0].fullPath, HeaderField::Title)),
             QString::fromUtf8("Tagebuch für Müller €"));
    QCOMPARE(trimBlanks(Read_Header_Field(files[0].fullPath, HeaderField::Password)), QString("pw"));
}

void TestDiaryDialogs::createDiaryFailureShowsErrorBoxOnly() {
    // A plain file where the data folder should be: the diary cannot be made.
    const QString data = folder_->dataPath();
    QVERIFY(QDir(data).removeRecursively());
    QFile blocker(data);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    bool stayedOpen = false;
    whenModal<frmNewDiary>([&](frmNewDiary* d) {
        type(d, "txtOwner", "Anna");
        type(d, "txtDiaryTitle", "T");
        type(d, "txtPasswort", "pw");
        type(d, "txtPasswortReenter", "pw");
        click(d, "cmdCreateDiary");
        stayedOpen = QApplication::activeModalWidget() == d;
        click(d, "cmdCancel");
    });
    Show_frmNewDiary();
    QVERIFY(stayedOpen);
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(MsgBox::shownForTesting().first().title, QString("Quorvel"));
    QVERIFY(MsgBox::shownForTesting().first().text.contains("frmNewDiary --> cmdCreateDiary_Click"));
    QVERIFY(!MsgBox::shownForTesting().first().text.startsWith("0\t"));
}

// ============================================================================
// choosers

void TestDiaryDialogs::chooserListsDiariesInFileOrder() {
    const QStringList paths = {makeDiary("Anna", "One", "a"), makeDiary("   Bert", "Two  ", "b"),
                               makeDiary("Cleo", "Three", "c")};
    QStringList sorted = paths;
    std::sort(sorted.begin(), sorted.end());
    whenModal<frmOpenDiary>([&](frmOpenDiary* d) {
        QCOMPARE(d->windowTitle(), QString("Open Existant Diary"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Open Existant Diary"));
        QCOMPARE(d->lblEntryHeader->text(), QString(" Number     Owner                          Title"));
        QCOMPARE(d->Labe1->text(), QString("Diaries:"));
        QCOMPARE(d->lstExistantDiaries->count(), 3);
        QCOMPARE(lines(d->lstFilePath), sorted);
        QVERIFY(!d->lstFilePath->isVisible());
        for (int i = 0; i < 3; ++i) {
            const QString owner = trimBlanks(Read_Header_Field(sorted[i], HeaderField::Owner));
            const QString title = trimBlanks(Read_Header_Field(sorted[i], HeaderField::Title));
            QCOMPARE(d->lstExistantDiaries->item(i)->text(), QString("%1\t%2\t%3").arg(i + 1).arg(owner, title));
        }
        QCOMPARE(d->selectedRow(), 0);
        QCOMPARE(d->lblwhichlistlndex->text(), QString("1/3"));
        QTRY_COMPARE(QApplication::focusWidget(), d->lstExistantDiaries);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_End);
        QCOMPARE(d->lblwhichlistlndex->text(), QString("3/3"));
        QCOMPARE(d->selectedPath(), sorted[2]);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Up);
        QCOMPARE(d->lblwhichlistlndex->text(), QString("2/3"));
        QCOMPARE(d->lstFilePath->currentRow(), 1);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->cmdOpenDiary);
        QTest::keyClick(d->cmdOpenDiary, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->cmdCancel);
        QTest::keyClick(d->cmdCancel, Qt::Key_Space);
    });
    Show_frmOpenDiary();

    // The change-password chooser also names the selected file in lblWhichFile.
    whenModal<frmChangePassword>([&](frmChangePassword* d) {
        QCOMPARE(d->windowTitle(), QString("Change Diary Password"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Change Diary Password"));
        QCOMPARE(d->lblWhichFile->text(), sorted[0]);
        QVERIFY(!d->lblWhichFile->isVisible());
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Down);
        QCOMPARE(d->lblWhichFile->text(), sorted[1]);
        QCOMPARE(d->lblwhichlistlndex->text(), QString("2/3"));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    Show_frmChangePassword();
}

// Open Diary › Backups ...: the chosen diary's backup, restored with the
// keyboard, becomes a new diary beside the old one, which stays as it was;
// the chooser lists and selects the new one.
void TestDiaryDialogs::backupRestoredFromOpenDiaryBesideTheOld() {
    const QString diary = makeDiary("Ann", "Days", "pw", 2);
    QVERIFY(DiaryBackups::makeBackup(diary, QDateTime(QDate(2026, 12, 1), QTime(10, 0))).ok());
    publicDiaryPath = diary;
    QVERIFY(Save_Entry("05.01.2026 10:00:00", "Later", "After the backup", 3, 3).ok());
    publicDiaryPath.clear();
    const QByteArray before = readFile(diary);
    QString restored;
    whenModal<frmOpenDiary>([&](frmOpenDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 1);
        QTRY_COMPARE(QApplication::focusWidget(), d->lstExistantDiaries);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->cmdBackups);
        whenModal<frmBackups>([](frmBackups* b) {
            QCOMPARE(b->lstBackups->topLevelItemCount(), 1);
            QCOMPARE(b->lstBackups->topLevelItem(0)->text(0), QString("2026-12-01 10:00:00"));
            QCOMPARE(b->lstBackups->topLevelItem(0)->text(1), QString("2"));
            QTRY_COMPARE(QApplication::focusWidget(), b->lstBackups);
            QTest::keyClick(b->lstBackups, Qt::Key_Return);
        });
        QTest::keyClick(d->cmdBackups, Qt::Key_Space);
        QCOMPARE(QApplication::activeModalWidget(), d);
        QCOMPARE(d->lstExistantDiaries->count(), 2);
        restored = d->selectedPath();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    Show_frmOpenDiary();
    QVERIFY(!restored.isEmpty());
    QVERIFY(QFileInfo(restored).fileName() != QFileInfo(diary).fileName());
    QCOMPARE(readFile(diary), before);
    QCOMPARE(countEntriesInFile(restored), 2);
    StorageStatus status;
    QCOMPARE(trimBlanks(Read_Header_Field(restored, HeaderField::Title, &status)),
             "Days (restored " + QDate::currentDate().toString(Qt::ISODate) + ")");
    QCOMPARE(messages(),
             QStringList{"The backup was restored as a new diary in the file " + QFileInfo(restored).fileName() + "."});
}

void TestDiaryDialogs::chooserEmptyFolder() {
    // Open: the label keeps its first text, confirming does nothing.
    whenModal<frmOpenDiary>([](frmOpenDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 0);
        QCOMPARE(d->lblwhichlistlndex->text(), QString());
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
        QCOMPARE(QApplication::activeModalWidget(), d);
        click(d, "cmdOpenDiary");
        QCOMPARE(QApplication::activeModalWidget(), d);
        click(d, "cmdCancel");
    });
    Show_frmOpenDiary();
    // Delete and change password: confirming closes the chooser.
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) {
        QCOMPARE(d->lblwhichlistlndex->text(), QString("1/1"));
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    Show_frmDeleteDiary();
    whenModal<frmChangePassword>([](frmChangePassword* d) { click(d, "cmdChangePassword"); });
    Show_frmChangePassword();
    QVERIFY(messages().isEmpty());
}

void TestDiaryDialogs::damagedFilesAreReportedAndTheRestListed() {
    const QString data = folder_->dataPath();
    const QString good1 = makeDiary("Anna", "One", "a");
    const QString good2 = makeDiary("Bert", "Two", "b");
    // "!" sorts before the clock-number names of the good diaries, letters after.
    QFile empty(data + "/!empty.PDD");
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QVERIFY(QDir().mkdir(data + "/a_folder.PDD"));
    QVERIFY(QFile::link(data + "/nowhere", data + "/b_dangling.pdd"));
    QCOMPARE(::mkfifo(QFile::encodeName(data + "/c_pipe.PDD").constData(), 0600), 0);
    QFile shortFile(data + "/d_short.PDD");
    QVERIFY(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("\x01\x00Someone", 9);
    shortFile.close();

    QStringList listed;
    QStringList listedPaths;
    whenModal<frmOpenDiary>([&](frmOpenDiary* d) {
        listed = lines(d->lstExistantDiaries);
        listedPaths = lines(d->lstFilePath);
        QCOMPARE(d->lblwhichlistlndex->text(), QString("1/2"));
        QCOMPARE(d->fileFiles->count(), 7);
        click(d, "cmdCancel");
    });
    QElapsedTimer clock;
    clock.start();
    Show_frmOpenDiary();
    QVERIFY2(clock.elapsed() < 3000, "a named pipe must not block the listing");
    // The good files keep their place in the folder listing as their number.
    QCOMPARE(listed.size(), 2);
    QCOMPARE(QSet<QString>(listed.begin(), listed.end()), (QSet<QString>{"2\tAnna\tOne", "3\tBert\tTwo"}));
    QCOMPARE(QSet<QString>(listedPaths.begin(), listedPaths.end()), (QSet<QString>{good1, good2}));
    // One error box names every unreadable file.
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    const QString box = MsgBox::shownForTesting().first().text;
    for (const char* name : {"!empty.PDD", "a_folder.PDD", "b_dangling.pdd", "c_pipe.PDD", "d_short.PDD"})
        QVERIFY2(box.contains(name), name);
    QVERIFY(!box.contains(QFileInfo(good1).fileName()));
    QVERIFY(!box.contains(QFileInfo(good2).fileName()));

    // The delete chooser reports and lists the same way.
    MsgBox::clearShownForTesting();
    whenModal<frmDeleteDiary>([&](frmDeleteDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 2);
        click(d, "cmdCancel");
    });
    Show_frmDeleteDiary();
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
}

void TestDiaryDialogs::changePasswordChooserStopsAtFirstFailure() {
    const QString data = folder_->dataPath();
    makeDiary("Anna", "One", "a");
    // Sorts after the clock-number name of Anna's diary, before "z".
    QVERIFY(QDir().mkdir(data + "/y.PDD"));
    QVERIFY(QFile::copy(makeDiary("Bert", "Two", "b"), data + "/z.PDD"));
    whenModal<frmChangePassword>([](frmChangePassword* d) {
        // The two clock-number diaries sort before y.PDD; z.PDD after it is not read.
        QCOMPARE(d->lstExistantDiaries->count(), 2);
        QCOMPARE(d->lstFilePath->count(), d->lstExistantDiaries->count());
        for (const QString& path : lines(d->lstFilePath))
            QVERIFY(!path.endsWith("/z.PDD"));
        QCOMPARE(d->selectedRow(), -1); // nothing selected
        QCOMPARE(d->lblwhichlistlndex->text(), QString());
        QCOMPARE(d->lblWhichFile->text(), QString());
        // Confirming with nothing selected does nothing.
        click(d, "cmdChangePassword");
        QCOMPARE(QApplication::activeModalWidget(), d);
        click(d, "cmdCancel");
    });
    Show_frmChangePassword();
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    const QString box = MsgBox::shownForTesting().first().text;
    // Number, description, then two empty texts.
    QVERIFY(box.endsWith("\t\t\t\t"));
    QCOMPARE(box.count('\t'), 5);
    QVERIFY(!box.startsWith("0\t"));
}

void TestDiaryDialogs::deleteChooserNeverListsTheOpenDiary() {
    QStringList paths = {makeDiary("Anna", "One", "a"), makeDiary("Bert", "Two", "b"), makeDiary("Cleo", "Three", "c")};
    std::sort(paths.begin(), paths.end());
    publicDiaryPath = paths[1];
    whenModal<frmDeleteDiary>([&](frmDeleteDiary* d) {
        QCOMPARE(d->windowTitle(), QString("Delete Existant Diary"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Delete Existant Diary"));
        QCOMPARE(d->lstExistantDiaries->count(), 2);
        QVERIFY(d->lstExistantDiaries->item(0)->text().startsWith("1\t"));
        QVERIFY(d->lstExistantDiaries->item(1)->text().startsWith("3\t"));
        QCOMPARE(lines(d->lstFilePath), (QStringList{paths[0], paths[2]}));
        QCOMPARE(d->lblwhichlistlndex->text(), QString("1/2"));
        click(d, "cmdCancel");
    });
    Show_frmDeleteDiary();
    // The other two choosers list it.
    whenModal<frmOpenDiary>([](frmOpenDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 3);
        click(d, "cmdCancel");
    });
    Show_frmOpenDiary();
    QCOMPARE(publicDiaryPath, paths[1]);
}

void TestDiaryDialogs::deleteChooserWithOnlyTheOpenDiaryCloses() {
    publicDiaryPath = makeDiary("Anna", "One", "a");
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 0);
        QCOMPARE(d->lblwhichlistlndex->text(), QString("1/1"));
        click(d, "cmdOpenDiary");
    });
    Show_frmDeleteDiary();
    QVERIFY(QFile::exists(publicDiaryPath));
}

// ============================================================================
// log-in (without the main window: the outcome is publicDiaryPath and the popup)

bool TestDiaryDialogs::logIn(int row, const QString& password) {
    bool reached = false;
    whenModal<frmOpenDiary>([row](frmOpenDiary* d) {
        d->lstExistantDiaries->setCurrentRow(row);
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmEnterPassword>([&](frmEnterPassword* d) {
        reached = true;
        QTRY_COMPARE(QApplication::focusWidget(), d->txtPassword);
        QTest::keyClicks(d->txtPassword, password);
        QTest::keyClick(d->txtPassword, Qt::Key_Return);
    });
    Show_frmOpenDiary();
    return reached;
}

void TestDiaryDialogs::logInOutcomes_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("right") << "Secret" << true;
    QTest::newRow("blanks around are trimmed") << "  Secret " << true;
    QTest::newRow("letter case counts") << "secret" << false;
    QTest::newRow("wrong") << "Other" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("longer than 50 never matches") << "Secret" + QString(50, 'x') << false;
    QTest::newRow("a password set longer than 50 matches as set") << "LONG" << true;
}

void TestDiaryDialogs::logInOutcomes() {
    QFETCH(QString, typed);
    QFETCH(bool, allowed);
    const QString before = makeDiary("Zoe", "Old", "z");
    const QString path = makeDiary("Anna", "Mine", "Secret");
    const QString longPassword = "Long password " + QString(50, 'l') + " end";
    if (typed == "LONG") {
        // A header that holds the first 50 characters of a longer password
        // (as the change chain of earlier versions stored it).
        QVERIFY(Write_New_Password(path, longPassword.left(50)).ok());
        typed = longPassword;
    }
    publicDiaryPath = before;
    QStringList sorted = {before, path};
    std::sort(sorted.begin(), sorted.end());
    QVERIFY(logIn(sorted.indexOf(path), typed));
    QCOMPARE(publicDiaryPath, allowed ? path : QString());
    QCOMPARE(PopupSettings::shownForTesting(),
             QList<PopupKind>{allowed ? PopupKind::LoginAllowed : PopupKind::AccessDenied});
    QVERIFY(messages().isEmpty());
}

void TestDiaryDialogs::logInByDoubleClickAndCancel() {
    makeDiary("   Anna", "My year", "pw");
    QString owner;
    QString name;
    whenModal<frmOpenDiary>([](frmOpenDiary* d) {
        QListWidget* list = d->lstExistantDiaries;
        doubleClick(list, 0);
    });
    whenModal<frmEnterPassword>([&](frmEnterPassword* d) {
        QCOMPARE(d->windowTitle(), QString("Enter Password"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Enter Password"));
        owner = d->lblDiaryOwner->text();
        name = d->lblDiaryName->text();
        QTest::keyClicks(d->txtPassword, "pw");
        QTest::keyClick(d, Qt::Key_Escape);
    });
    Show_frmOpenDiary();
    QCOMPARE(owner, QString("Anna"));
    QCOMPARE(name, QString("My year"));
    QVERIFY(publicDiaryPath.isEmpty());
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
}

void TestDiaryDialogs::vanishedDiaryDuringLogInShowsErrorBox() {
    const QString open = makeDiary("Zoe", "Open one", "z");
    const QString path = makeDiary("Anna", "Mine", "pw");
    publicDiaryPath = open;
    whenModal<frmOpenDiary>([&](frmOpenDiary* d) {
        d->lstExistantDiaries->setCurrentRow(lines(d->lstFilePath).indexOf(path));
        click(d, "cmdOpenDiary");
    });
    whenModal<frmEnterPassword>([&](frmEnterPassword* d) {
        QVERIFY(QFile::remove(path)); // gone between listing and log-in
        QTest::keyClicks(d->txtPassword, "pw");
        click(d, "cmdOpenDiary");
    });
    Show_frmOpenDiary();
    QVERIFY(publicDiaryPath.isEmpty());
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.startsWith("53\t"));
    QVERIFY(MsgBox::shownForTesting().first().text.contains("mApplication --> Run_Session_Action"));
}

// ============================================================================
// delete chain

void TestDiaryDialogs::deleteChainCancelInPasswordDialog() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    QString owner;
    QString title;
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return); });
    whenModal<frmDeleteEnterPassword>([&](frmDeleteEnterPassword* d) {
        QCOMPARE(d->windowTitle(), QString("Enter password to delete diary"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Enter Password"));
        QCOMPARE(d->Label1->text(), QString("Confrim Password:"));
        owner = d->lblWhichOwner->text();
        title = d->lblWhichTitle->text();
        QTRY_COMPARE(QApplication::focusWidget(), d->txtPassword1);
        click(d, "cmdCancel");
    });
    Show_frmDeleteDiary();
    QCOMPARE(owner, QString("Anna"));
    QCOMPARE(title, QString("Mine"));
    QVERIFY(QFile::exists(path));
}

void TestDiaryDialogs::deleteChainMismatchAndWrongPasswords() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { click(d, "cmdOpenDiary"); });
    whenModal<frmDeleteEnterPassword>([&](frmDeleteEnterPassword* d) {
        // Confirmation differs: message, both boxes emptied, focus in the first.
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pW");
        QTest::keyClick(d->txtPassword2, Qt::Key_Tab);
        click(d, "cmdPasswordCorrect");
        QCOMPARE(messages(), QStringList{"The Password was not confirmed right!"});
        QCOMPARE(MsgBox::shownForTesting().first().title, QString("Quorvel"));
        QVERIFY(d->txtPassword1->text().isEmpty());
        QVERIFY(d->txtPassword2->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), d->txtPassword1);
        // Wrong password: popup, the dialog stays with the text kept.
        type(d, "txtPassword1", "nope");
        type(d, "txtPassword2", "nope");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
        QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::AccessDenied});
        QCOMPARE(QApplication::activeModalWidget(), d);
        QCOMPARE(d->txtPassword1->text(), QString("nope"));
        // The right password with a trailing blank is refused here.
        d->txtPassword1->setText("pw ");
        d->txtPassword2->setText("pw ");
        click(d, "cmdPasswordCorrect");
        QCOMPARE(PopupSettings::shownForTesting().size(), 2);
        QCOMPARE(QApplication::activeModalWidget(), d);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    Show_frmDeleteDiary();
    QVERIFY(QFile::exists(path));
}

void TestDiaryDialogs::deleteChainCancelInConfirmation() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { click(d, "cmdOpenDiary"); });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) {
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pw");
        click(d, "cmdPasswordCorrect");
    });
    whenModal<frmAreYouShure>([&](frmAreYouShure* d) {
        QCOMPARE(d->windowTitle(), QString("Do You want to delete this Diary?"));
        QCOMPARE(d->lblDialogTitle->text(), QString(" Are You Shure?"));
        QTRY_COMPARE(QApplication::focusWidget(), d->cmdDeleteDiary);
        QTest::keyClick(d->cmdDeleteDiary, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->cmdCancel);
        QTest::keyClick(d->cmdCancel, Qt::Key_Space);
    });
    Show_frmDeleteDiary();
    QVERIFY(QFile::exists(path));
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
}

void TestDiaryDialogs::deleteChainDeletes() {
    makeDiary("Zoe", "Other", "z");
    const QString path = makeDiary("Anna", "Mine", "pw");
    const QString stem = QFileInfo(path).completeBaseName();
    const QString draft = path.chopped(4) + ".draft";
    const QString lock = path.chopped(4) + ".lock";
    for (const QString& companion : {draft, lock}) {
        QFile file(companion);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    whenModal<frmDeleteDiary>([&](frmDeleteDiary* d) {
        d->lstExistantDiaries->setCurrentRow(lines(d->lstFilePath).indexOf(path));
        QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return);
    });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) {
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pw");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    whenModal<frmAreYouShure>([&](frmAreYouShure* d) {
        QCOMPARE(d->lblWhichOwner->text(), QString("Anna"));
        QCOMPARE(d->lblWhichTitle->text(), QString("Mine"));
        QCOMPARE(d->lblFileName->text(), path);
        QCOMPARE(d->lblFileName->toolTip(), path);
        QTest::keyClick(d->cmdDeleteDiary, Qt::Key_Return);
    });
    Show_frmDeleteDiary();
    QVERIFY(!QFile::exists(path));
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::KillAllowed});
    QCOMPARE(messages(), QStringList{"The diary \"Mine\" was moved to the trash; you can restore it from there."});
    // The diary, its draft and its lock wait in the trash, each with the
    // record of where it came from.
    const QDir trash(home_.dataHome() + "/Trash");
    for (const QString& original : {path, draft, lock}) {
        const QString name = QFileInfo(original).fileName();
        QVERIFY2(!QFile::exists(original), qPrintable(original));
        QVERIFY2(trash.exists("files/" + name), qPrintable(name));
        QFile info(trash.filePath("info/" + name + ".trashinfo"));
        QVERIFY2(info.open(QIODevice::ReadOnly), qPrintable(name));
        QVERIFY(info.readAll().contains("Path=" + QUrl::toPercentEncoding(original, "/")));
    }
    QVERIFY(QFileInfo(trash.filePath("files/" + stem + ".PDD")).size() > 0);
    whenModal<frmOpenDiary>([](frmOpenDiary* d) {
        QCOMPARE(d->lstExistantDiaries->count(), 1);
        QVERIFY(d->lstExistantDiaries->item(0)->text().endsWith("\tZoe\tOther"));
        click(d, "cmdCancel");
    });
    Show_frmOpenDiary();
}

void TestDiaryDialogs::deleteChainEmptyPassword() {
    const QString path = makeDiary("Anna", "Mine", ""); // as earlier versions could leave it
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { click(d, "cmdOpenDiary"); });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) { click(d, "cmdPasswordCorrect"); });
    whenModal<frmAreYouShure>([](frmAreYouShure* d) { click(d, "cmdDeleteDiary"); });
    Show_frmDeleteDiary();
    QVERIFY(!QFile::exists(path));
}

void TestDiaryDialogs::deleteFailureShowsErrorBoxNotKillAllowed() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { click(d, "cmdOpenDiary"); });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) {
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pw");
        click(d, "cmdPasswordCorrect");
    });
    whenModal<frmAreYouShure>([&](frmAreYouShure* d) {
        turnIntoFolder(path); // cannot be deleted as a diary file any more
        click(d, "cmdDeleteDiary");
    });
    Show_frmDeleteDiary();
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.contains("frmAreYouShure --> cmdDeleteDiary_Click"));
}

// Where no trash can be made, the diary and its draft are deleted as before,
// and nothing of them is left anywhere else.
void TestDiaryDialogs::deleteWithoutTrashDeletesForGood() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    const QString draft = path.chopped(4) + ".draft";
    QFile(draft).open(QIODevice::WriteOnly);
    QVERIFY(QDir().mkpath(home_.dataHome()));
    QDir(home_.dataHome() + "/Trash").removeRecursively();
    QFile blocker(home_.dataHome() + "/Trash"); // a file: the trash cannot be made
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    QTemporaryDir workingFolder;
    const QString before = QDir::currentPath();
    QDir::setCurrent(workingFolder.path());
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { click(d, "cmdOpenDiary"); });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) {
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pw");
        click(d, "cmdPasswordCorrect");
    });
    whenModal<frmAreYouShure>([](frmAreYouShure* d) { click(d, "cmdDeleteDiary"); });
    Show_frmDeleteDiary();
    QDir::setCurrent(before);
    QVERIFY(QFile::remove(blocker.fileName()));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!QFile::exists(draft));
    QVERIFY(QDir(workingFolder.path()).isEmpty());
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::KillAllowed});
    QCOMPARE(messages(),
             QStringList{
                 QString("The diary \"Mine\" was deleted: no trash could take it, so the file %1 is gone.").arg(path)});
}

// ============================================================================
// change-password chain

void TestDiaryDialogs::changeChainCancelInChooser() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    whenModal<frmChangePassword>([](frmChangePassword* d) { click(d, "cmdCancel"); });
    Show_frmChangePassword();
    QCOMPARE(trimBlanks(Read_Header_Field(path, HeaderField::Password)), QString("pw"));
}

void TestDiaryDialogs::changeChainCancelsStepBack() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    makeDiary("Zoe", "Other", "z");
    int chosen = -1;
    int selectedAfter = -1;
    bool backInOld = false;
    whenModal<frmChangePassword>([&](frmChangePassword* d) {
        d->lstExistantDiaries->setCurrentRow(lines(d->lstFilePath).indexOf(path));
        chosen = d->selectedRow();
        QCOMPARE(d->lblwhichlistlndex->text(), QString("%1/2").arg(chosen + 1));
        QCOMPARE(d->lblWhichFile->text(), path);
        click(d, "cmdChangePassword");
    });
    whenModal<frmEnterOldPassword>([&](frmEnterOldPassword* old) {
        QCOMPARE(old->windowTitle(), QString("Enter Old Password"));
        QCOMPARE(old->lblDialogTitle->text(), QString(" Enter Old Password"));
        QCOMPARE(old->lblWhichTitle->text(), QString("Mine"));
        QCOMPARE(old->lblWhichOwner->text(), QString("Anna"));
        // Old password and confirmation differ: message, texts kept.
        type(old, "txtPassword1", "pw");
        type(old, "txtPassword2", "px");
        click(old, "cmdPasswordCorrect");
        QCOMPARE(messages(), QStringList{"Please confirm the password correctly!"});
        QCOMPARE(MsgBox::shownForTesting().first().title, QString("Quorvel"));
        QCOMPARE(old->txtPassword2->text(), QString("px"));
        QCOMPARE(QApplication::activeModalWidget(), old);
        old->txtPassword2->setText("pw");
        QTest::keyClick(old->txtPassword2, Qt::Key_Return);
    });
    whenModal<frmEnterNewPassword>([&](frmEnterNewPassword* fresh) {
        QCOMPARE(fresh->windowTitle(), QString("Enter New Password"));
        QCOMPARE(fresh->lblDialogTitle->text(), QString(" Enter New Password"));
        // New password and confirmation differ: message, boxes emptied.
        type(fresh, "txtPassword1", "new");
        type(fresh, "txtPassword2", "New");
        click(fresh, "cmdPasswordCorrect");
        QCOMPARE(messages().last(), QString("The Password was not confirmed right!"));
        QVERIFY(fresh->txtPassword1->text().isEmpty());
        QVERIFY(fresh->txtPassword2->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), fresh->txtPassword1);
        type(fresh, "txtPassword1", "new");
        // Cancel: back in the old-password dialog with its texts kept...
        whenModal<frmEnterOldPassword>([&](frmEnterOldPassword* old) {
            backInOld = old->txtPassword1->text() == "pw" && old->txtPassword2->text() == "pw";
            // ...and its cancel goes back to the chooser, selection kept.
            whenModal<frmChangePassword>([&](frmChangePassword* d) {
                selectedAfter = d->selectedRow();
                click(d, "cmdCancel");
            });
            click(old, "cmdCancel");
        });
        QTest::keyClick(fresh, Qt::Key_Escape);
    });
    Show_frmChangePassword();
    QVERIFY(backInOld);
    QVERIFY(chosen >= 0);
    QCOMPARE(selectedAfter, chosen);
    QCOMPARE(trimBlanks(Read_Header_Field(path, HeaderField::Password)), QString("pw"));
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
}

void TestDiaryDialogs::changeChainWrongOldPasswordEndsChain() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    whenModal<frmChangePassword>([](frmChangePassword* d) { QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return); });
    whenModal<frmEnterOldPassword>([](frmEnterOldPassword* d) {
        // The right password with a leading blank is refused here.
        type(d, "txtPassword1", " pw");
        type(d, "txtPassword2", " pw");
        click(d, "cmdPasswordCorrect");
    });
    Show_frmChangePassword();
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::AccessDenied});
    QCOMPARE(trimBlanks(Read_Header_Field(path, HeaderField::Password)), QString("pw"));
}

void TestDiaryDialogs::changeChainStoresNewPassword() {
    const QString path = makeDiary("Anna", "Mine", "old", 2);
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    whenModal<frmChangePassword>([](frmChangePassword* d) { doubleClick(d->lstExistantDiaries, 0); });
    whenModal<frmEnterOldPassword>([](frmEnterOldPassword* d) {
        type(d, "txtPassword1", "old");
        type(d, "txtPassword2", "old");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    whenModal<frmEnterNewPassword>([](frmEnterNewPassword* d) {
        type(d, "txtPassword1", "  Fresh one ");
        type(d, "txtPassword2", "  Fresh one ");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    Show_frmChangePassword();
    QVERIFY(messages().isEmpty());
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.mid(52, 50), QByteArray("Fresh one").leftJustified(50, ' '));
    QCOMPARE(after.left(52), before.left(52));
    QCOMPARE(after.mid(102), before.mid(102));

    // Only the new password opens it now.
    QVERIFY(logIn(0, "old"));
    QVERIFY(publicDiaryPath.isEmpty());
    QVERIFY(logIn(0, "Fresh one"));
    QCOMPARE(publicDiaryPath, path);
    QCOMPARE(PopupSettings::shownForTesting(), (QList<PopupKind>{PopupKind::AccessDenied, PopupKind::LoginAllowed}));
}

void TestDiaryDialogs::changeChainRefusesEmptyAndTooLongNewPasswords() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    const QByteArray before = readFile(path);
    whenModal<frmChangePassword>([](frmChangePassword* d) { click(d, "cmdChangePassword"); });
    whenModal<frmEnterOldPassword>([](frmEnterOldPassword* d) {
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pw");
        click(d, "cmdPasswordCorrect");
    });
    whenModal<frmEnterNewPassword>([](frmEnterNewPassword* d) {
        click(d, "cmdPasswordCorrect");
        QCOMPARE(messages(), QStringList{"Please enter a password!"});
        // A plain header holds 50 characters: a longer password is refused, not cut.
        const QString tooLong = QString(51, 'p');
        d->txtPassword1->setText(tooLong);
        d->txtPassword2->setText(tooLong);
        click(d, "cmdPasswordCorrect");
        QCOMPARE(messages().size(), 2);
        QCOMPARE(messages().last(),
                 QString("The password is 51 characters long; a plain diary's password holds at most 50."));
        QCOMPARE(QApplication::activeModalWidget(), d);
        whenModal<frmEnterOldPassword>([](frmEnterOldPassword* old) {
            whenModal<frmChangePassword>([](frmChangePassword* chooser) { click(chooser, "cmdCancel"); });
            click(old, "cmdCancel");
        });
        click(d, "cmdCancel");
    });
    Show_frmChangePassword();
    QCOMPARE(readFile(path), before);
}

void TestDiaryDialogs::changeChainWriteFailureShowsErrorBox() {
    const QString path = makeDiary("Anna", "Mine", "pw");
    whenModal<frmChangePassword>([](frmChangePassword* d) { click(d, "cmdChangePassword"); });
    whenModal<frmEnterOldPassword>([](frmEnterOldPassword* d) {
        type(d, "txtPassword1", "pw");
        type(d, "txtPassword2", "pw");
        click(d, "cmdPasswordCorrect");
    });
    whenModal<frmEnterNewPassword>([&](frmEnterNewPassword* d) {
        turnIntoFolder(path);
        type(d, "txtPassword1", "new");
        type(d, "txtPassword2", "new");
        click(d, "cmdPasswordCorrect");
    });
    Show_frmChangePassword();
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.contains("frmEnterNewPassword --> cmdPasswordCorrect_Click"));
    QVERIFY(!MsgBox::shownForTesting().first().text.startsWith("0\t"));
}

QTEST_MAIN(TestDiaryDialogs)
#include "tst_diarydialogs.moc"
