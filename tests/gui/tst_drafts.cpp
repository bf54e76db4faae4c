// The composer's unsaved entry kept as a draft through the real main window:
// written within two seconds of typing, removed by Save Entry, Close Diary
// and Delete Diary, kept by Quit, offered back at the next log-in (Yes
// restores, No discards), following the diary a log-in opens, and damaged or
// foreign drafts reported once and set aside, never offered.

#include "ComposerEdits.h"
#include "DiaryCrypto.h"
#include "DiaryLock.h"
#include "DraftKeeper.h"
#include "EntryDraft.h"
#include "GuiTestSupport.h"
#include "IdleLock.h"
#include "MsgBox.h"
#include "Popups.h"
#include "StorageGlobals.h"
#include "UserSettings.h"
#include "frmAreYouShure.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "frmEnterPassword.h"
#include "frmMain.h"
#include "frmOpenDiary.h"
#include "frmPreferences.h"
#include "mApplication.h"
#include "mFile.h"
#include "mString.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStringListModel>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace TestSupport;

namespace {

// Logs into the diary at path through the real chooser and password dialog.
void logIn(const QString& path, const QString& password) {
    answerLogIn(path, password);
    Run_Command(1);
}

DraftState stateOf(const QString& diary) {
    return readDraftOf(diary).state;
}

QStringList shownTexts() {
    QStringList texts;
    for (const MsgBox::Shown& shown : MsgBox::shownForTesting())
        texts << shown.text;
    return texts;
}

// A file size limit (RLIMIT_FSIZE stops root too) stands for a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

} // namespace

class TestDrafts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        quietDialogs();
        // A session bus of the test's own, for the desktop's screen lock.
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (bus_.waitForStarted() && bus_.waitForReadyRead(5000))
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus_.readLine().trimmed());
    }
    void init() {
        folder_ = std::make_unique<TempProgramFolder>();
        publicDiaryPath.clear();
        startWindow();
    }
    void cleanup() {
        QVERIFY(!QApplication::activeModalWidget());
        main_.reset();
        publicDiaryPath.clear();
        folder_.reset();
    }

    void typingIsDraftedAndSaveEntryRemovesIt();
    void nextLogInOffersTheDraftYesRestoresNoDiscards();
    void quitAsksAndKeepsTheLatestDraft();
    void damagedOrForeignDraftIsReportedOnceAndSetAside();
    void logInOverOpenDiaryTakesTheDraftAlong();
    void closeAndDeleteRemoveTheDraft();
    void draftThatCannotBeWrittenIsToldOnceAndQuitAsks();
    void draftOfTheLastEntryIsRemovedNotOffered();
    void draftOutlivesAPasswordChangedElsewhere();
    void draftsKeepWorkingAfterAPasswordChangeHere();
    void idleEncryptedDiaryClosesKeepingTheDraftSealed();
    void lockedScreenClosesTheEncryptedDiary();
    void preferencesAreSavedAndTheLockTakesThemAtOnce();
    void cleanupTestCase() {
        if (bus_.state() != QProcess::NotRunning) {
            bus_.kill();
            bus_.waitForFinished();
        }
    }

private:
    QProcess bus_;
    void startWindow() {
        MsgBox::clearShownForTesting();
        main_ = std::make_unique<frmMain>();
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }
    // Ends the window as a crash would: nothing pending is written.
    void crashWindow() {
        main_.reset();
        publicDiaryPath.clear();
    }
    void typeEntry(const QString& topic, const QString& text) {
        QTest::keyClicks(main_->txtTopic, topic);
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(main_->txtEntry, Qt::Key_Return);
            QTest::keyClicks(main_->txtEntry, lines.at(i));
        }
    }

    TempHome home_; // Delete Diary fills a trash of the test's own
    std::unique_ptr<TempProgramFolder> folder_;
    std::unique_ptr<frmMain> main_;
};

void TestDrafts::typingIsDraftedAndSaveEntryRemovesIt() {
    const QString diary = makeDiary("Ann", "Days", "pw", 1);
    logIn(diary, "pw");
    QVERIFY(shownTexts().isEmpty()); // no draft, no question
    QCOMPARE(stateOf(diary), DraftState::None);

    typeEntry("Snow", "It snowed all day.");
    main_->optWellness->button(1)->click();
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(readDraftOf(diary).draft == main_->draftKeeper->composerContent(), 2000);
    qInfo("draft on disk %lld ms after the last change", static_cast<long long>(clock.elapsed()));
    const EntryDraft draft = readDraftOf(diary).draft;
    QCOMPARE(draft.topic, QString("Snow"));
    QCOMPARE(draft.text, QString("It snowed all day."));
    QCOMPARE(draft.wellness, qint16(1));
    QCOMPARE(draft.love, qint16(3));
    QCOMPARE(draft.dateTime, main_->lblDateTime->text());

    // A ratings-only composer still holds something unsaved; an empty one not.
    main_->txtTopic->clear();
    main_->txtEntry->clear();
    QTRY_VERIFY_WITH_TIMEOUT(readDraftOf(diary).draft.text.isEmpty(), 2000);
    QCOMPARE(stateOf(diary), DraftState::Ready);
    main_->optWellness->button(3)->click();
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(diary), DraftState::None, 2000);

    typeEntry("Rain", "Then it rained.");
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(diary).draft.text, QString("Then it rained."), 2000);
    Run_Command(2);
    QCOMPARE(PopupSettings::shownForTesting().last(), PopupKind::EntrySaved);
    QCOMPARE(countEntriesInFile(diary), 2);
    main_->draftKeeper->flushNow();
    QCOMPARE(stateOf(diary), DraftState::None);
    QTest::qWait(DraftKeeper::MaxWaitMs + 100);
    QCOMPARE(stateOf(diary), DraftState::None); // the cleared composer writes nothing back
}

void TestDrafts::nextLogInOffersTheDraftYesRestoresNoDiscards() {
    const QString diary = makeDiary("Ann", "Days", "pw");
    logIn(diary, "pw");
    main_->lblDateTime->setText("03.04.2025 05:06:07");
    typeEntry("Half a story", "Once upon a time there was a diary\nwith two lines");
    main_->optLove->button(2)->click();
    const EntryDraft typed = main_->draftKeeper->composerContent();
    QTRY_VERIFY_WITH_TIMEOUT(readDraftOf(diary).draft == typed, 2000);
    crashWindow();

    startWindow();
    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    logIn(diary, "pw");
    QCOMPARE(PopupSettings::shownForTesting().last(), PopupKind::LoginAllowed);
    const QList<MsgBox::Shown> shown = MsgBox::shownForTesting();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QString("Quorvel"));
    QCOMPARE(int(shown.first().buttons), int(MsgBox::Buttons::YesNo));
    QVERIFY2(shown.first().text.contains("03.04.2025 05:06:07"), qPrintable(shown.first().text));
    QVERIFY2(shown.first().text.contains("Half a story Once upon a time"), qPrintable(shown.first().text));
    QCOMPARE(main_->draftKeeper->composerContent(), typed);
    QCOMPARE(main_->lblDateTime->text(), QString("03.04.2025 05:06:07"));
    QCOMPARE(main_->txtEntry->toPlainText(), QString("Once upon a time there was a diary\nwith two lines"));
    QCOMPARE(main_->optLove->checkedId(), 2);
    QCOMPARE(main_->lblEntryNumber->text(), QString("1"));
    // Saved as restored, with its original date/time.
    Run_Command(2);
    EntryText saved;
    QVERIFY(readEntry(diary, 1, saved).ok());
    QCOMPARE(trimBlanks(saved.dateTime), QString("03.04.2025 05:06:07"));
    QCOMPARE(trimBlanks(saved.topic), QString("Half a story"));
    main_->draftKeeper->flushNow();
    QCOMPARE(stateOf(diary), DraftState::None);

    // No discards the draft and leaves the composer empty.
    Run_Command(11);
    typeEntry("Another", "to be thrown away");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(diary), DraftState::Ready, 2000);
    crashWindow();
    startWindow();
    MsgBox::queueAnswer(MsgBox::Answer::No);
    logIn(diary, "pw");
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(stateOf(diary), DraftState::None);
    QVERIFY(main_->txtTopic->text().isEmpty());
    QVERIFY(main_->txtEntry->toPlainText().isEmpty());
    QCOMPARE(countEntriesInFile(diary), 1);
}

void TestDrafts::quitAsksAndKeepsTheLatestDraft() {
    const QString diary = makeDiary("Ann", "Days", "pw");
    logIn(diary, "pw");
    typeEntry("Late", "typed just before quitting");
    // Quit right away, before the draft's pause is over: No keeps the window.
    MsgBox::queueAnswer(MsgBox::Answer::No);
    Run_Command(3);
    QVERIFY(main_->isVisible());
    QCOMPARE(shownTexts().last(), QString("Do you want to quit this application?"));
    QTest::keyClicks(main_->txtEntry, " and more");
    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    Run_Command(3);
    QVERIFY(!main_->isVisible());
    const DraftReading reading = readDraftOf(diary);
    QCOMPARE(reading.state, DraftState::Ready);
    QCOMPARE(reading.draft.text, QString("typed just before quitting and more"));
}

void TestDrafts::damagedOrForeignDraftIsReportedOnceAndSetAside() {
    const QString a = makeDiary("Ann", "Days", "a");
    const QString b = makeDiary("Bob", "Nights", "b");
    QFile noise(draftPathFor(a));
    QVERIFY(noise.open(QIODevice::WriteOnly));
    noise.write("QVDRAFT\x01 this is not what a draft holds");
    noise.close();
    logIn(a, "a");
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(int(MsgBox::shownForTesting().first().buttons), int(MsgBox::Buttons::Ok));
    QVERIFY(shownTexts().first().contains("cannot be restored"));
    QVERIFY(shownTexts().first().contains(".damaged-draft"));
    QVERIFY(QFile::exists(a.chopped(4) + ".damaged-draft"));
    QCOMPARE(stateOf(a), DraftState::None);
    QVERIFY(main_->txtEntry->toPlainText().isEmpty());

    // A's intact draft put in B's place: never offered to B.
    typeEntry("For A", "only for A");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(a), DraftState::Ready, 2000);
    crashWindow();
    QVERIFY(QFile::rename(draftPathFor(a), draftPathFor(b)));
    startWindow();
    logIn(b, "b");
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(int(MsgBox::shownForTesting().first().buttons), int(MsgBox::Buttons::Ok));
    QVERIFY(main_->txtEntry->toPlainText().isEmpty());
    QCOMPARE(stateOf(b), DraftState::None);

    // A folder in the draft's place: reported once, then gone from the way.
    QVERIFY(QDir().mkdir(draftPathFor(a)));
    logIn(a, "a");
    logIn(a, "a");
    QCOMPARE(MsgBox::shownForTesting().size(), 2);
    QCOMPARE(stateOf(a), DraftState::None);
}

void TestDrafts::logInOverOpenDiaryTakesTheDraftAlong() {
    const QString a = makeDiary("Ann", "Days", "a");
    const QString b = makeDiary("Bob", "Nights", "b", 2);
    logIn(a, "a");
    typeEntry("Wandering", "typed while A was open");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(a), DraftState::Ready, 2000);
    logIn(b, "b");
    QVERIFY(shownTexts().isEmpty());
    QCOMPARE(main_->txtEntry->toPlainText(), QString("typed while A was open"));
    main_->draftKeeper->flushNow();
    QCOMPARE(stateOf(a), DraftState::None);
    QCOMPARE(readDraftOf(b).state, DraftState::Ready);
    QCOMPARE(readDraftOf(b).draft.text, QString("typed while A was open"));

    // A wrong password leaves the draft where it was; nothing is written
    // while no diary is open.
    logIn(a, "wrong");
    QVERIFY(!isDiaryOpen());
    QTest::keyClicks(main_->txtEntry, " more");
    QTest::qWait(DraftKeeper::MaxWaitMs + 100);
    main_->draftKeeper->flushNow();
    QCOMPARE(stateOf(a), DraftState::None);
    const EntryDraft kept = readDraftOf(b).draft;
    QCOMPARE(kept.text, QString("typed while A was open"));

    // Back into B with more typed: B's older draft is offered, No keeps the
    // composer, and its content becomes B's draft.
    logIn(b, "b");
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QCOMPARE(main_->txtEntry->toPlainText(), QString("typed while A was open more"));
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(b).draft.text, QString("typed while A was open more"), 2000);

    // A wrong password, then B again: the composer still shows B's draft, so
    // nothing is asked.
    logIn(a, "wrong");
    QVERIFY(!isDiaryOpen());
    MsgBox::clearShownForTesting();
    logIn(b, "b");
    QVERIFY(shownTexts().isEmpty());
    QCOMPARE(main_->txtEntry->toPlainText(), QString("typed while A was open more"));
    QCOMPARE(main_->lblDateTime->text(), readDraftOf(b).draft.dateTime);
}

void TestDrafts::closeAndDeleteRemoveTheDraft() {
    const QString a = makeDiary("Ann", "Days", "a");
    logIn(a, "a");
    typeEntry("Closing", "soon closed");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(a), DraftState::Ready, 2000);
    Run_Command(16);
    main_->draftKeeper->flushNow();
    QCOMPARE(stateOf(a), DraftState::None);

    // A draft left by a crash goes with its diary when that is deleted
    // (from another diary: the open one is not offered for deleting).
    logIn(a, "a");
    typeEntry("Deleting", "soon deleted");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(a), DraftState::Ready, 2000);
    crashWindow();
    startWindow();
    const QString b = makeDiary("Bob", "Nights", "b");
    logIn(b, "b");
    whenModal<frmDeleteDiary>([](frmDeleteDiary* d) { QTest::keyClick(d->lstExistantDiaries, Qt::Key_Return); });
    whenModal<frmDeleteEnterPassword>([](frmDeleteEnterPassword* d) {
        QTest::keyClicks(d->txtPassword1, "a");
        QTest::keyClicks(d->txtPassword2, "a");
        QTest::keyClick(d->txtPassword2, Qt::Key_Return);
    });
    whenModal<frmAreYouShure>([](frmAreYouShure* d) { QTest::keyClick(d->cmdDeleteDiary, Qt::Key_Return); });
    Run_Command(18);
    QCOMPARE(PopupSettings::shownForTesting().last(), PopupKind::KillAllowed);
    QVERIFY(!QFile::exists(a));
    main_->draftKeeper->flushNow();
    QVERIFY(!QFile::exists(draftPathFor(a)));
    // Only the open diary and its lock are left.
    QCOMPARE(QDir(folder_->dataPath()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{QFileInfo(b).fileName(), QFileInfo(DiaryLock::lockPathFor(b)).fileName()}));
}

void TestDrafts::draftThatCannotBeWrittenIsToldOnceAndQuitAsks() {
    const QString diary = makeDiary("Ann", "Days", "pw");
    logIn(diary, "pw");
    {
        const FileSizeLimit full(0);
        typeEntry("Lost?", "not while the window tells");
        QTRY_COMPARE_WITH_TIMEOUT(shownTexts().size(), 1, 3000);
        QVERIFY(shownTexts().first().contains("cannot be kept as a draft"));
        QTest::keyClicks(main_->txtEntry, " and more");
        QTest::qWait(DraftKeeper::MaxWaitMs + 250);
        QCOMPARE(shownTexts().size(), 1); // once, not at every keystroke
        QCOMPARE(stateOf(diary), DraftState::None);

        // Quit asks again before the words are lost; No keeps the window.
        MsgBox::queueAnswer(MsgBox::Answer::Yes);
        MsgBox::queueAnswer(MsgBox::Answer::No);
        Run_Command(3);
        QVERIFY(main_->isVisible());
        QCOMPARE(shownTexts().size(), 3);
        QVERIFY(shownTexts().last().contains("kept nowhere"));
    }
    // With room again the draft is written, and Quit needs one Yes.
    QTest::keyClicks(main_->txtEntry, "!");
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(diary).draft.text, QString("not while the window tells and more!"), 3000);
    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    Run_Command(3);
    QVERIFY(!main_->isVisible());
    QCOMPARE(shownTexts().size(), 4);
}

void TestDrafts::draftOfTheLastEntryIsRemovedNotOffered() {
    const QString diary = makeDiaryWithEntries("Ann", "Days", "01.01.2026 10:00:00", "pw",
                                               {{"02.01.2026 09:00:00", "Saved", "Its draft stayed", 1, 2}});
    DraftOwner owner;
    QVERIFY(draftOwnerOf(diary, owner).ok());
    // What a save leaves when its draft could not be removed.
    EntryDraft draft{"02.01.2026 09:00:00", "Saved ", "Its draft stayed", 1, 2};
    QByteArray bytes;
    QVERIFY(DraftFormat::encode(draft, owner, bytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(diary), bytes).ok());
    logIn(diary, "pw");
    QVERIFY(shownTexts().isEmpty());
    QCOMPARE(stateOf(diary), DraftState::None);
    QVERIFY(main_->txtTopic->text().isEmpty());
}

namespace {
QString encryptedDiary(const QString& password) {
    QString path;
    if (!createEncryptedDiaryFile("Ann", password, "Sealed", "01.01.2026 10:00:00", &path,
                                  DiaryCrypto::cheapestKdfParams())
             .ok())
        qFatal("cannot create an encrypted diary");
    return path;
}
} // namespace

void TestDrafts::draftOutlivesAPasswordChangedElsewhere() {
    const QString diary = encryptedDiary("old");
    // The same diary with another password, as another computer would make it.
    const QString elsewhere = folder_->path() + "/elsewhere.PDD";
    QVERIFY(QFile::copy(diary, elsewhere));
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(elsewhere, "old", nullptr, &key));
    QVERIFY(Write_New_Password(elsewhere, "new", key).ok());
    DiaryCrypto::clearOpenKey();

    logIn(diary, "old");
    typeEntry("Half", "a thought");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(diary), DraftState::Ready, 3000);
    // A sync program puts the changed copy in place.
    QCOMPARE(::rename(QFile::encodeName(elsewhere).constData(), QFile::encodeName(diary).constData()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(publicDiaryPath.isEmpty(), 3000);
    QVERIFY(shownTexts().last().contains("kept and offered at the next log-in"));

    MsgBox::clearShownForTesting();
    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    logIn(diary, "new");
    QCOMPARE(publicDiaryPath, diary);
    QCOMPARE(shownTexts().size(), 1);
    QVERIFY(shownTexts().first().contains("Do you want to restore it?"));
    QCOMPARE(main_->txtTopic->text(), QString("Half"));
    QCOMPARE(main_->txtEntry->toPlainText(), QString("a thought"));
    // Kept on disk again, under the new key.
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(diary).draft.text, QString("a thought"), 3000);
    QCOMPARE(stateOf(diary), DraftState::Ready);
}

void TestDrafts::draftsKeepWorkingAfterAPasswordChangeHere() {
    const QString diary = encryptedDiary("old");
    logIn(diary, "old");
    typeEntry("Before", "the change");
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(diary), DraftState::Ready, 3000);
    // What Options > Password does on the open diary.
    QVERIFY(Write_New_Password(diary, "new", DiaryCrypto::currentOpenKey()).ok());
    QCOMPARE(stateOf(diary), DraftState::Ready);
    QTest::keyClicks(main_->txtEntry, " and after");
    QTRY_COMPARE_WITH_TIMEOUT(readDraftOf(diary).draft.text, QString("the change and after"), 3000);
    QVERIFY(shownTexts().isEmpty());
}

// An encrypted diary left alone closes itself: nothing of it stays in any
// widget or the clipboard, the composer's text waits as a sealed draft and
// comes back at the next log-in.
void TestDrafts::idleEncryptedDiaryClosesKeepingTheDraftSealed() {
    // A plain diary stays open by default.
    const QString plain = makeDiary("Ann", "Plain", "p");
    logIn(plain, "p");
    IdleLock::setTimeoutForTesting(200);
    QTest::mouseClick(main_->StatusBar1, Qt::LeftButton);
    QTest::qWait(600);
    QCOMPARE(publicDiaryPath, plain);
    IdleLock::setTimeoutForTesting(0);

    QString diary;
    QVERIFY(
        createEncryptedDiaryFile("Ann", "pw", "Days", "01.01.2026 10:00:00", &diary, DiaryCrypto::cheapestKdfParams())
            .ok());
    logIn(diary, "pw");
    QVERIFY(Save_Entry("02.01.2026 10:00:00", "Hidden topic", "Hidden text", 3, 3).ok());
    Run_Command(12); // the browser lists the entry
    QVERIFY(main_->lstEntriesModel->stringList().join("").contains("Hidden topic"));
    Run_Command(11);
    IdleLock::setTimeoutForTesting(3000); // the last 750 ms count down
    QTest::keyClicks(main_->txtTopic, "Secret plan");
    QTest::keyClicks(main_->txtEntry, "secret words");
    QGuiApplication::clipboard()->setText("secret words");
    // The countdown of the last moments: a mouse move stops it.
    QTRY_VERIFY_WITH_TIMEOUT(main_->StatusBar1->currentMessage().startsWith("The diary closes in 1 second without use"),
                             5000);
    QTest::mouseMove(main_->txtEntry, QPoint(5, 5));
    QTest::mouseMove(main_->txtEntry, QPoint(9, 9));
    QVERIFY(main_->StatusBar1->currentMessage().isEmpty());
    QCOMPARE(publicDiaryPath, diary);
    QTRY_VERIFY_WITH_TIMEOUT(publicDiaryPath.isEmpty(), 5000);
    IdleLock::setTimeoutForTesting(0);

    const auto holds = [](const QString& text) {
        return text.contains("secret", Qt::CaseInsensitive) || text.contains("Hidden");
    };
    for (const QLineEdit* edit : main_->findChildren<QLineEdit*>())
        QVERIFY2(!holds(edit->text()), qPrintable(edit->objectName()));
    for (const QPlainTextEdit* edit : main_->findChildren<QPlainTextEdit*>())
        QVERIFY2(!holds(edit->toPlainText()), qPrintable(edit->objectName()));
    for (const QLabel* label : main_->findChildren<QLabel*>())
        QVERIFY2(!holds(label->text()), qPrintable(label->objectName()));
    QVERIFY(!holds(main_->lstEntriesModel->stringList().join("")));
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QCOMPARE(main_->StatusBar1->currentMessage(), QString("The diary was closed after 10 minutes without use."));
    QFile draft(draftPathFor(diary));
    QVERIFY(draft.open(QIODevice::ReadOnly));
    const QByteArray sealed = draft.readAll();
    QVERIFY(!sealed.isEmpty());
    QVERIFY(!sealed.contains("ecret"));

    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    logIn(diary, "pw");
    QCOMPARE(publicDiaryPath, diary);
    QCOMPARE(main_->txtEntry->toPlainText(), QString("secret words"));
    QCOMPARE(main_->txtTopic->text(), QString("Secret plan"));
}

// The desktop says the screen locked: the encrypted diary closes at once,
// its unsaved entry kept sealed.
void TestDrafts::lockedScreenClosesTheEncryptedDiary() {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no dbus-daemon");
    QString diary;
    QVERIFY(createEncryptedDiaryFile("Ann", "pw", "Days", "01.01.2026 10:00:00", &diary,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    logIn(diary, "pw");
    QTest::keyClicks(main_->txtEntry, "secret words");
    QGuiApplication::clipboard()->setText("secret");
    QProcess send;
    send.start("dbus-send", {"--session", "--type=signal", "/org/freedesktop/ScreenSaver",
                             "org.freedesktop.ScreenSaver.ActiveChanged", "boolean:true"});
    QVERIFY(send.waitForFinished(5000) && send.exitCode() == 0);
    QTRY_VERIFY_WITH_TIMEOUT(publicDiaryPath.isEmpty(), 5000);
    QVERIFY(main_->txtEntry->toPlainText().isEmpty());
    QVERIFY(DiaryCrypto::currentOpenKey() == nullptr);
    QCOMPARE(main_->StatusBar1->currentMessage(), QString("The diary was closed when the screen was locked."));
    QCOMPARE(stateOf(diary), DraftState::Sealed);
    for (const QLineEdit* edit : main_->findChildren<QLineEdit*>())
        QVERIFY2(!edit->text().contains("secret"), qPrintable(edit->objectName()));
    for (const QPlainTextEdit* edit : main_->findChildren<QPlainTextEdit*>())
        QVERIFY2(!edit->toPlainText().contains("secret"), qPrintable(edit->objectName()));
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());

    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    logIn(diary, "pw");
    QCOMPARE(main_->txtEntry->toPlainText(), QString("secret words"));
}

// Options › Preferences (Ctrl+,) starts with the defaults, refuses a backups
// folder inside the data folder, saves to the user's settings and shows them
// again; Escape keeps them. The open window's lock takes a change at once:
// a plain diary, left alone by default, now closes.
void TestDrafts::preferencesAreSavedAndTheLockTakesThemAtOnce() {
    const QString plain = makeDiary("Ann", "Plain", "p");
    logIn(plain, "p");
    IdleLock::setTimeoutForTesting(400);
    const QString outside = QFileInfo(folder_->dataPath()).path() + "/Elsewhere";
    whenModal<frmPreferences>([&](frmPreferences* d) {
        QCOMPARE(d->spnLockMinutes->value(), 10);
        QCOMPARE(d->spnLockMinutes->minimum(), 0);
        QCOMPARE(d->spnLockMinutes->maximum(), 120);
        QVERIFY(!d->chkLockPlainDiaries->isChecked());
        QVERIFY(d->chkBackupsEnabled->isChecked());
        QVERIFY(d->txtBackupsFolder->text().isEmpty());
        QTRY_COMPARE(QApplication::focusWidget(), d->spnLockMinutes);
        d->spnLockMinutes->selectAll();
        QTest::keyClicks(d->spnLockMinutes, "25");
        QTest::keyClick(d->spnLockMinutes, Qt::Key_Tab);
        QTest::keyClick(d->chkLockPlainDiaries, Qt::Key_Space);
        QTest::keyClick(d->chkLockPlainDiaries, Qt::Key_Tab);
        QTest::keyClick(d->chkBackupsEnabled, Qt::Key_Space);
        QTest::keyClick(d->chkBackupsEnabled, Qt::Key_Tab);
        QTest::keyClicks(d->txtBackupsFolder, folder_->dataPath() + "/Backups");
        QTest::keyClick(d->txtBackupsFolder, Qt::Key_Return);
        QCOMPARE(QApplication::activeModalWidget(), d); // refused, said
        QVERIFY(shownTexts().value(0).startsWith("The backups folder cannot lie inside the diaries' folder"));
        d->txtBackupsFolder->clear();
        QTest::keyClicks(d->txtBackupsFolder, outside);
        QTest::keyClick(d->txtBackupsFolder, Qt::Key_Return);
    });
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QTest::keyClick(main_->txtEntry, Qt::Key_Comma, Qt::ControlModifier);
    QVERIFY(!frmPreferences::instance());
    {
        const auto settings = openUserSettings();
        QCOMPARE(settings->value(SettingKeys::LockMinutes).toInt(), 25);
        QCOMPARE(settings->value(SettingKeys::LockPlainDiaries).toBool(), true);
        QCOMPARE(settings->value(SettingKeys::BackupsEnabled).toBool(), false);
        QCOMPARE(settings->value(SettingKeys::BackupsFolder).toString(), outside);
    }
    QTRY_VERIFY_WITH_TIMEOUT(publicDiaryPath.isEmpty(), 3000);
    QCOMPARE(main_->StatusBar1->currentMessage(), QString("The diary was closed after 25 minutes without use."));
    IdleLock::setTimeoutForTesting(0);

    // Shown again as saved; a change left with Escape is not kept.
    whenModal<frmPreferences>([&](frmPreferences* d) {
        QCOMPARE(d->spnLockMinutes->value(), 25);
        QVERIFY(d->chkLockPlainDiaries->isChecked());
        QVERIFY(!d->chkBackupsEnabled->isChecked());
        QCOMPARE(d->txtBackupsFolder->text(), outside);
        d->spnLockMinutes->setValue(0);
        QCOMPARE(d->spnLockMinutes->text(), QString("Off"));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    Run_Command(25);
    QCOMPARE(openUserSettings()->value(SettingKeys::LockMinutes).toInt(), 25);
    for (const char* key : {SettingKeys::LockMinutes, SettingKeys::LockPlainDiaries, SettingKeys::BackupsEnabled,
                            SettingKeys::BackupsFolder})
        openUserSettings()->remove(key);
}

QTEST_MAIN(TestDrafts)
#include "tst_drafts.moc"
