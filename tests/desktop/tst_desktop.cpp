// The built program on a real desktop, driven with the keyboard only and read
// only as the desktop shows it. Built twice: tst_desktop runs it on X11 (Xvfb
// with openbox, xdotool, xprop), tst_wayland on Wayland (headless sway,
// wtype, swaymsg, grim). It walks every end of every dialog chain and every
// popup and checks that, after a person's pause, the keyboard is back in the
// main window, and what the offscreen platform cannot show: task-bar
// entries, minimise boxes, floating dialogs, focus and place of the popups,
// stacking, outer sizes.

#ifdef QUORVEL_WAYLAND_SUITE
#include "WaylandDesktop.h"
using TheDesktop = Desktop::WaylandDesktop;
#else
#include "X11Desktop.h"
using TheDesktop = Desktop::X11Desktop;
#endif

#include "ProgramFolder.h"
#include "TestSupport.h"
#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageGlobals.h"
#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Desktop;

namespace {

// How soon the main window must be active again once a chain's last window has
// gone, and how long a window may take to come or go on a loaded machine.
constexpr int FocusBackMs = 300;
constexpr int WindowTimeoutMs = 8000;
// A popup stays about 2.1 s, plus its sound.
constexpr int PopupTimeoutMs = 15000;
// A person waits this long before the next key; a keyboard that dies 100 ms
// after a window has gone is only seen by a key typed after such a pause.
constexpr int PersonPauseMs = 500;
constexpr int LongPauseMs = 2000;
// Typed after every chain end and view switch. Should the menu bar have the
// keys, "f" opens File and "o" the Open Diary chooser; should a hidden
// composer have them, they turn up in the next entry's topic.
const QString Words = QStringLiteral("for ever");

const QString MainTitle = QStringLiteral("^TALVERONIX - Quorvel Version 4\\.0$");
const QString InfoTitle = QStringLiteral("^Info \\.\\.\\.$");
const QString CreateTitle = QStringLiteral("^Create New Diary$");
const QString AlertTitle = QStringLiteral("^Alert$");
const QString MessageTitle = QStringLiteral("^Quorvel$");
const QString OpenTitle = QStringLiteral("^Open Existant Diary$");
const QString PasswordTitle = QStringLiteral("^Enter Password$");
const QString FindTitle = QStringLiteral("^Find Phrase$");
const QString ExportTitle = QStringLiteral("^Export$");
const QString DeleteTitle = QStringLiteral("^Delete Existant Diary$");
const QString DeletePasswordTitle = QStringLiteral("^Enter password to delete diary$");
const QString SureTitle = QStringLiteral("^Do You want to delete this Diary\\?$");
const QString ChangeTitle = QStringLiteral("^Change Diary Password$");
const QString OldPasswordTitle = QStringLiteral("^Enter Old Password$");
const QString NewPasswordTitle = QStringLiteral("^Enter New Password$");
const QString ImportTitle = QStringLiteral("^Import Diary$");
const QString ImportedTitle = QStringLiteral("^Import$");
const QString EncryptTitle = QStringLiteral("^Encrypt Diary$");
const QString PlainTitle = QStringLiteral("^Make Diary Plain$");
const QString PreferencesTitle = QStringLiteral("^Preferences$");
const QString MergePasswordTitle = QStringLiteral("^Merge Sync Copy$");

// Stops the test function at the first failed check inside a helper.
#define STEP(call)                                                                                                     \
    do {                                                                                                               \
        call;                                                                                                          \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (false)

} // namespace

class tst_desktop : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

#ifdef QUORVEL_WAYLAND_SUITE
    void centreDoesNoHarm();
#else
    void mainWindowKeepsMinimumAndCentres();
#endif
    void aboutBoxAndQuitQuestion();
    void createChain();
    void noDiaryOpenPopup();
    void logInChain();
    void findChain();
    void exportChain();
    void searchChain();
    void fiveSavesInARow();
    void spellingFromTheKeyboard();
    void encryptionChain();
    void mergeChain();
    void typingAfterViewSwitches();
    void preferencesChain();
    void screenLockChain();
    void deleteChain();
    void changePasswordChain();
    void importChain();

private:
    // --- reading the desktop ---
    WindowId waitForActive(const QString& titleRegex, int timeoutMs = WindowTimeoutMs);
    void waitGone(const QString& titleRegex, int timeoutMs = WindowTimeoutMs);
    void expectActiveSoon(WindowId window, const QString& what);
    void expectFixedDialog(WindowId dialog, const QString& what);

    // --- chain ends ---
    // The chain's windows have gone; within FocusBackMs the main window is
    // active; words typed after a person's pause open nothing, and a shortcut
    // typed then acts.
    void expectChainEnded(const QStringList& chainTitles, int pauseMs = PersonPauseMs);
    // The given dialog of the chain is active again within FocusBackMs.
    void expectBackIn(const QString& dialogTitle, const QString& closedTitle);
    // A popup comes without taking the focus, stands above the window it was
    // shown over and goes.
    void expectPopupThenChainEnd(const QStringList& chainTitles, int pauseMs = PersonPauseMs);
    void waitPopupGone();

    // --- moving about ---
    WindowId openCreateDialog();
    // Opens a chooser with its shortcut (or menu keys) and selects the diary of owner.
    WindowId openChooser(const QString& keys, const QString& titleRegex, const QString& owner, bool skipOpen);
    int chooserRow(const QString& owner, bool skipOpen) const;
    // The topic of the open diary's last entry, as stored.
    QString lastTopic() const;
    // The diary file of owner in DATA.
    QString diaryOf(const QString& owner) const;

    QTemporaryDir scratch_;
    std::unique_ptr<TestSupport::TempProgramFolder> folder_;
    std::unique_ptr<TheDesktop> desktop_;
    QProcess* program_ = nullptr;
    WindowId main_ = 0;
    QString openDiaryPath_;
    bool infoChecked_ = false;
};

// ---------------------------------------------------------------------------

void tst_desktop::initTestCase() {
    QVERIFY(scratch_.isValid());
    // The program folder: the executable and its sound, with a DATA folder of
    // diaries made through the storage core.
    folder_ = std::make_unique<TestSupport::TempProgramFolder>();
    const QString programFolder = folder_->path();
    const QString built = QStringLiteral(QUORVEL_EXECUTABLE);
    QVERIFY2(QFile::copy(built, programFolder + "/quorvel"), qPrintable("cannot copy " + built));
    QFile::copy(QFileInfo(built).dir().filePath("s1.wav"), programFolder + "/s1.wav");
    TestSupport::makeDiary("Anna", "Book A", "alpha", 3);
    TestSupport::makeDiary("Bert", "Book B", "beta");
    TestSupport::makeDiary("Cora", "Book C", "gamma");

    desktop_ = std::make_unique<TheDesktop>();
    QVERIFY2(desktop_->start(scratch_.path()), qPrintable(desktop_->error()));
    desktop_->handOver(programFolder);
    program_ = desktop_->startProgram(programFolder + "/quorvel", programFolder);
    QVERIFY2(program_->waitForStarted(10000), "quorvel does not start");
    main_ = waitForActive(MainTitle, 20000);
    QVERIFY2(main_ != 0, "the main window does not become the active window");
}

// A test function that failed half-way may leave dialogs open: close them, so
// that the next one starts at the main window.
void tst_desktop::init() {
    for (int i = 0; i < 6 && main_ && desktop_->activeWindow() != main_; ++i) {
        waitUntil([&] { return !desktop_->popupShown(); }, PopupTimeoutMs);
        desktop_->key("Escape");
        waitUntil([&] { return desktop_->activeWindow() == main_; }, 1000);
    }
    QCOMPARE(desktop_->title(desktop_->activeWindow()), desktop_->title(main_));
}

void tst_desktop::cleanupTestCase() {
    if (program_ && program_->state() == QProcess::Running && main_ && desktop_->activeWindow() == main_) {
        // Ctrl+Q, then Yes (the default button): the program ends.
        desktop_->key("ctrl+q");
        if (waitForActive(MessageTitle))
            desktop_->key("Return");
        QVERIFY2(program_->waitForFinished(10000), "the program does not end after Quit and Yes");
    }
    desktop_.reset(); // kills whatever still runs
    folder_.reset();
}

// ---------------------------------------------------------------------------

// Polls the active window's title (one tool call a turn: the machine may be
// loaded), then takes its id.
WindowId tst_desktop::waitForActive(const QString& titleRegex, int timeoutMs) {
    const QRegularExpression title(titleRegex);
    if (!waitUntil([&] { return title.match(desktop_->activeTitle()).hasMatch(); }, timeoutMs))
        return 0;
    const WindowId active = desktop_->activeWindow();
    return title.match(desktop_->title(active)).hasMatch() ? active : 0;
}

void tst_desktop::waitGone(const QString& titleRegex, int timeoutMs) {
    const bool gone = waitUntil([&] { return desktop_->visibleWindows(titleRegex).isEmpty(); }, timeoutMs);
    QVERIFY2(gone, qPrintable("still open: " + titleRegex));
}

void tst_desktop::expectActiveSoon(WindowId window, const QString& what) {
    QElapsedTimer clock;
    clock.start();
    const bool active = waitUntil([&] { return desktop_->activeWindow() == window; }, FocusBackMs);
    QVERIFY2(active, qPrintable(QStringLiteral("%1 is not the active window %2 ms after the chain end; active: \"%3\"")
                                    .arg(what)
                                    .arg(clock.elapsed())
                                    .arg(desktop_->title(desktop_->activeWindow()))));
}

void tst_desktop::expectFixedDialog(WindowId dialog, const QString& what) {
    const QString fault = desktop_->fixedDialogFault(dialog);
    QVERIFY2(fault.isEmpty(), qPrintable(what + ": " + fault));
}

// The keyboard check after a chain end: F12 (Info) is a main-window shortcut
// whose effect the desktop shows - a new window "Info ..." becomes active.
// Escape closes it again, which is itself the end of the About box chain.
void tst_desktop::expectChainEnded(const QStringList& chainTitles, int pauseMs) {
    if (!chainTitles.isEmpty())
        STEP(waitGone(chainTitles.join('|')));
    STEP(expectActiveSoon(main_, "the main window"));
    QThread::msleep(pauseMs);
    STEP(expectActiveSoon(main_, "the main window (after a pause)"));
    desktop_->type(Words);
    QThread::msleep(FocusBackMs);
    STEP(expectActiveSoon(main_, "the main window (after typing \"" + Words + "\")"));
    desktop_->key("F12");
    const WindowId info = waitForActive(InfoTitle);
    QVERIFY2(info != 0, qPrintable(QStringLiteral("F12 typed %1 ms after the chain end and \"%2\" does not open "
                                                  "the Info box (a menu took the letters?)")
                                       .arg(pauseMs)
                                       .arg(Words)));
    if (!infoChecked_) {
        STEP(expectFixedDialog(info, "Info ..."));
        infoChecked_ = true;
    }
    desktop_->key("Escape");
    STEP(waitGone(InfoTitle));
    STEP(expectActiveSoon(main_, "the main window (after the Info box)"));
}

void tst_desktop::waitPopupGone() {
    const bool gone = waitUntil([&] { return !desktop_->popupShown(); }, PopupTimeoutMs);
    QVERIFY2(gone, "the popup does not go");
}

void tst_desktop::expectBackIn(const QString& dialogTitle, const QString& closedTitle) {
    STEP(waitGone(closedTitle));
    QElapsedTimer clock;
    clock.start();
    const QRegularExpression title(dialogTitle);
    QString active;
    const bool back = waitUntil(
        [&] {
            active = desktop_->activeTitle();
            return title.match(active).hasMatch();
        },
        FocusBackMs);
    if (back)
        return;
    const QString then = active;
    const qint64 missedAt = clock.elapsed();
    // Tells apart a slow return from one to the wrong window.
    const bool later = waitUntil([&] { return title.match(desktop_->activeTitle()).hasMatch(); }, 3000);
    QFAIL(qPrintable(
        QStringLiteral("%1 is not the active window %2 ms after %3 closed; active: \"%4\"; %5")
            .arg(dialogTitle, QString::number(missedAt), closedTitle, then,
                 later ? QStringLiteral("it is after %1 ms").arg(clock.elapsed()) : QStringLiteral("nor 3 s later"))));
}

void tst_desktop::expectPopupThenChainEnd(const QStringList& chainTitles, int pauseMs) {
    QVERIFY2(waitUntil([&] { return desktop_->popupShown(); }, PopupTimeoutMs), "no popup appears");
    const QString fault = desktop_->quietPopupFault(main_);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    STEP(waitPopupGone());
    STEP(expectChainEnded(chainTitles, pauseMs));
}

WindowId tst_desktop::openCreateDialog() {
    desktop_->key("alt+f");
    desktop_->key("n");
    return waitForActive(CreateTitle);
}

// The row of owner's diary in a chooser: files in name order, the open diary
// left out of the delete chooser.
int tst_desktop::chooserRow(const QString& owner, bool skipOpen) const {
    QList<DiaryFileName> files;
    listDiaryFiles(ProgramFolder::dataFolder(), files);
    int row = 0;
    for (const DiaryFileName& file : files) {
        if (skipOpen && file.fullPath == openDiaryPath_)
            continue;
        if (trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Owner)) == owner)
            return row;
        ++row;
    }
    return -1;
}

QString tst_desktop::diaryOf(const QString& owner) const {
    QList<DiaryFileName> files;
    listDiaryFiles(ProgramFolder::dataFolder(), files);
    for (const DiaryFileName& file : files)
        if (trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Owner)) == owner)
            return file.fullPath;
    return {};
}

QString tst_desktop::lastTopic() const {
    EntryText entry;
    if (!readEntry(openDiaryPath_, countEntriesInFile(openDiaryPath_), entry).ok())
        return QStringLiteral("(unreadable)");
    return trimBlanks(entry.topic);
}

WindowId tst_desktop::openChooser(const QString& keys, const QString& titleRegex, const QString& owner, bool skipOpen) {
    for (const QString& k : keys.split(' '))
        desktop_->key(k);
    const WindowId chooser = waitForActive(titleRegex);
    if (chooser == 0)
        return 0;
    const int row = chooserRow(owner, skipOpen);
    QString moves = "Home";
    for (int i = 0; i < row; ++i)
        moves += " Down";
    desktop_->key(moves);
    return chooser;
}

// ---------------------------------------------------------------------------

#ifdef QUORVEL_WAYLAND_SUITE
// No program places its own windows on Wayland: Window > Center does nothing
// there, and leaves the keyboard where it was.
void tst_desktop::centreDoesNoHarm() {
    desktop_->key("ctrl+m");
    STEP(expectChainEnded({}));
    QCOMPARE(program_->state(), QProcess::Running);
}
#else
// The window manager cannot make the main window smaller than its minimum
// outer size, and Window > Center centres it on the screen by its outer size.
void tst_desktop::mainWindowKeepsMinimumAndCentres() {
    const QSize minimum(qCeil(12400 / 15.0), qCeil(9500 / 15.0)); // outer, in pixels
    desktop_->resizeClient(main_, 300, 200);
    // The window shrinks as far as it may; at no moment is it seen smaller
    // than the minimum (a window manager that ignored the size hints would
    // show 300 x 200 until the window's own layout pass grew it again).
    QRect outer;
    QSize smallest(INT_MAX, INT_MAX);
    const bool shrunk = waitUntil(
        [&] {
            outer = desktop_->outerGeometry(main_);
            smallest = smallest.boundedTo(outer.size());
            return outer.width() <= minimum.width() + 1 && outer.height() <= minimum.height() + 1;
        },
        WindowTimeoutMs);
    QVERIFY2(shrunk, qPrintable(QStringLiteral("outer size %1x%2, not the minimum %3x%4")
                                    .arg(outer.width())
                                    .arg(outer.height())
                                    .arg(minimum.width())
                                    .arg(minimum.height())));
    QVERIFY2(smallest.width() >= minimum.width() && smallest.height() >= minimum.height(),
             qPrintable(QStringLiteral("outer size %1x%2 below the minimum %3x%4")
                            .arg(smallest.width())
                            .arg(smallest.height())
                            .arg(minimum.width())
                            .arg(minimum.height())));

    desktop_->moveWindow(main_, 5, 7);
    QVERIFY(waitUntil([&] { return desktop_->outerGeometry(main_).left() <= 10; }, WindowTimeoutMs));
    desktop_->key("ctrl+m");
    const QSize screen = desktop_->screenSize();
    const bool centred = waitUntil(
        [&] {
            outer = desktop_->outerGeometry(main_);
            return qAbs(outer.left() - (screen.width() - outer.width()) / 2) <= 1 &&
                   qAbs(outer.top() - (screen.height() - outer.height()) / 2) <= 1;
        },
        WindowTimeoutMs);
    QVERIFY2(centred, qPrintable(QStringLiteral("outer rectangle %1,%2 %3x%4 is not centred on %5x%6")
                                     .arg(outer.left())
                                     .arg(outer.top())
                                     .arg(outer.width())
                                     .arg(outer.height())
                                     .arg(screen.width())
                                     .arg(screen.height())));
}
#endif

// The About box (F12, Escape) and the quit question answered No.
void tst_desktop::aboutBoxAndQuitQuestion() {
    STEP(expectChainEnded({}));
    desktop_->key("ctrl+q");
    const WindowId question = waitForActive(MessageTitle);
    QVERIFY2(question != 0, "Ctrl+Q does not ask the quit question");
    STEP(expectFixedDialog(question, "the quit question"));
    desktop_->key("Escape"); // No
    STEP(expectChainEnded({MessageTitle}));
    QCOMPARE(program_->state(), QProcess::Running);
}

// Each refusal message gives the focus back to the create dialog; cancelled
// and created end at the main window (created through the Open Diary chooser,
// cancelled there).
void tst_desktop::createChain() {
    WindowId create = openCreateDialog();
    QVERIFY2(create != 0, "File > New Diary does not open the create dialog");
    STEP(expectFixedDialog(create, "Create New Diary"));

    // Owner and title missing.
    desktop_->key("Return");
    QVERIFY2(waitForActive(AlertTitle) != 0, "no message for the missing owner and title");
    desktop_->key("Return");
    STEP(expectBackIn(CreateTitle, AlertTitle));

    // Passwords that differ.
    desktop_->type("Dora");
    desktop_->key("Tab");
    desktop_->type("Book D");
    desktop_->key("Tab");
    desktop_->type("one");
    desktop_->key("Tab");
    desktop_->type("two");
    desktop_->key("Return");
    QVERIFY2(waitForActive(AlertTitle) != 0, "no message for the unconfirmed password");
    desktop_->key("Return");
    STEP(expectBackIn(CreateTitle, AlertTitle));

    // No password: the focus stayed in the confirmation box; empty both boxes.
    desktop_->key("ctrl+a BackSpace shift+Tab ctrl+a BackSpace");
    desktop_->key("Return");
    QVERIFY2(waitForActive(AlertTitle) != 0, "no message for the missing password");
    desktop_->key("Return");
    STEP(expectBackIn(CreateTitle, AlertTitle));

    // Cancelled.
    desktop_->key("Escape");
    STEP(expectChainEnded({CreateTitle}));

    // Created: the Open Diary chooser follows; cancelled there.
    create = openCreateDialog();
    QVERIFY(create != 0);
    desktop_->type("Dora");
    desktop_->key("Tab");
    desktop_->type("Book D");
    desktop_->key("Tab");
    desktop_->type("delta");
    desktop_->key("Tab");
    desktop_->type("delta");
    desktop_->key("Return");
    const WindowId chooser = waitForActive(OpenTitle);
    QVERIFY2(chooser != 0, "the Open Diary chooser does not follow a created diary");
    STEP(expectFixedDialog(chooser, "Open Existant Diary"));
    QVERIFY(chooserRow("Dora", false) >= 0);
    desktop_->key("Escape");
    STEP(expectChainEnded({CreateTitle, OpenTitle}));
}

// Entry Browser with no diary open: "NO DIARY OPEN", straight from the main
// window; the keyboard is still there half a second and two seconds later.
void tst_desktop::noDiaryOpenPopup() {
    for (const int pause : {PersonPauseMs, LongPauseMs}) {
        desktop_->key("F4");
        STEP(expectPopupThenChainEnd({}, pause));
    }
}

// The Open Diary chooser chosen, the log-in refused and allowed (each with its
// popup, which takes no focus).
void tst_desktop::logInChain() {
    QVERIFY(openChooser("alt+f o", OpenTitle, "Anna", false) != 0);
    desktop_->key("Return");
    const WindowId password = waitForActive(PasswordTitle);
    QVERIFY2(password != 0, "no password dialog for the chosen diary");
    STEP(expectFixedDialog(password, "Enter Password"));
    desktop_->type("wrong");
    desktop_->key("Return");
    STEP(expectPopupThenChainEnd({PasswordTitle, OpenTitle}));

    QVERIFY(openChooser("alt+f o", OpenTitle, "Anna", false) != 0);
    desktop_->key("Return");
    QVERIFY(waitForActive(PasswordTitle) != 0);
    desktop_->type("alpha");
    desktop_->key("Return");
    // LOGIN ALLOWED, then the Entry Composer: what is typed next is the topic.
    QVERIFY2(waitUntil([&] { return desktop_->popupShown(); }, PopupTimeoutMs), "no popup appears");
    STEP(waitPopupGone());
    STEP(waitGone(PasswordTitle + '|' + OpenTitle));
    STEP(expectActiveSoon(main_, "the main window"));
    QThread::msleep(PersonPauseMs);
    desktop_->type("heron over the water");
    desktop_->key("F6");
    STEP(expectPopupThenChainEnd({}));
    // Anna's diary is open now: the delete chooser leaves it out.
    openDiaryPath_ = diaryOf("Anna");
    QCOMPARE(lastTopic(), QStringLiteral("heron over the water"));
}

// Find with a hit (the dialog closes itself), and with no hit, then cancelled.
void tst_desktop::findChain() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    desktop_->key("ctrl+f");
    const WindowId find = waitForActive(FindTitle);
    QVERIFY2(find != 0, "Ctrl+F does not open Find Phrase");
    STEP(expectFixedDialog(find, "Find Phrase"));
    desktop_->type("text 2");
    desktop_->key("Return");
    STEP(expectChainEnded({FindTitle}));

    desktop_->key("ctrl+f");
    QVERIFY(waitForActive(FindTitle) != 0);
    desktop_->type("no such phrase"); // replaces the offered, selected phrase
    desktop_->key("Return");
    // Nothing is found: the dialog stays, still active, until cancelled.
    QVERIFY(waitForActive(FindTitle) != 0);
    desktop_->key("Escape");
    STEP(expectChainEnded({FindTitle}));
}

// File > Export ... by its keys over the open diary: the dialog holds the
// keyboard, and Escape gives it back to the main window.
void tst_desktop::exportChain() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    desktop_->key("ctrl+shift+e");
    const WindowId dialog = waitForActive(ExportTitle);
    QVERIFY2(dialog != 0, "Ctrl+Shift+E does not open Export");
    STEP(expectFixedDialog(dialog, "Export"));
    desktop_->key("Escape");
    STEP(expectChainEnded({ExportTitle}));
}

// Entry Search from the keyboard: F9, words, Enter opens the first result
// in Entry Reading. Its topic, copied there and pasted into a new entry,
// shows which entry Reading holds.
void tst_desktop::searchChain() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    desktop_->key("F9");
    QThread::msleep(PersonPauseMs);
    desktop_->type("text 2");
    desktop_->key("Return");
    STEP(expectChainEnded({}));
    for (const char* k : {"shift+Tab", "Home", "shift+End", "ctrl+c", "F3", "ctrl+h", "F6"})
        desktop_->key(QString::fromLatin1(k));
    STEP(expectPopupThenChainEnd({}));
    QCOMPARE(lastTopic(), QStringLiteral("Topic 2"));
}

// Five entries saved one after the other (F3, F6): after each "ENTRY SAVED"
// the keyboard is still the main window's, half a second or two seconds on.
void tst_desktop::fiveSavesInARow() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    const qint32 before = countEntriesInFile(openDiaryPath_);
    for (int save = 0; save < 5; ++save) {
        desktop_->key("F3");
        desktop_->type(QStringLiteral("saved %1").arg(save + 1));
        desktop_->key("F6");
        // The words typed in the Entry Browser after the popup must not wait
        // in the hidden composer for the next entry.
        STEP(expectPopupThenChainEnd({}, save % 2 ? LongPauseMs : PersonPauseMs));
        QCOMPARE(lastTopic(), QStringLiteral("saved %1").arg(save + 1));
    }
    QCOMPARE(countEntriesInFile(openDiaryPath_), before + 5);
}

// A misspelt topic corrected from the keyboard: Shift+F10 opens the context
// menu with the first suggestion ready, Enter takes it (English: the C locale).
void tst_desktop::spellingFromTheKeyboard() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    desktop_->key("F3");
    QThread::msleep(PersonPauseMs);
    desktop_->type("Tuesdy");
    QThread::msleep(PersonPauseMs);
    desktop_->key("shift+F10");
    QThread::msleep(PersonPauseMs);
    desktop_->key("Return");
    QThread::msleep(PersonPauseMs);
    desktop_->key("F6");
    STEP(expectPopupThenChainEnd({}));
    QCOMPARE(lastTopic(), QStringLiteral("Tuesday"));
}

// Every view switch from the keyboard, by shortcut and by menu, then Close
// Diary: after each, words typed after a person's pause open no menu and
// reach no hidden control; the last entry saved holds only its own topic.
void tst_desktop::typingAfterViewSwitches() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    for (const char* keys : {"F4", "alt+v r", "F8", "alt+v d", "F5", "F2", "alt+v b"}) {
        for (const QString& k : QString::fromLatin1(keys).split(QLatin1Char(' ')))
            desktop_->key(k);
        STEP(expectChainEnded({}));
    }
    desktop_->key("F3");
    QThread::msleep(PersonPauseMs);
    desktop_->type("last words");
    desktop_->key("F6");
    STEP(expectPopupThenChainEnd({}));
    QCOMPARE(lastTopic(), QStringLiteral("last words"));
    desktop_->key("F7");
    STEP(expectChainEnded({}));
    openDiaryPath_.clear();
}

// The delete chain: its chooser cancelled, then its three ends.
void tst_desktop::deleteChain() {
    QVERIFY(openChooser("ctrl+d", DeleteTitle, "Cora", true) != 0);
    STEP(expectFixedDialog(desktop_->activeWindow(), "Delete Existant Diary"));
    desktop_->key("Escape");
    STEP(expectChainEnded({DeleteTitle}));

    // 1. Cancel in the password dialog: two dialogs close.
    QVERIFY(openChooser("ctrl+d", DeleteTitle, "Cora", true) != 0);
    desktop_->key("Return");
    const WindowId password = waitForActive(DeletePasswordTitle);
    QVERIFY2(password != 0, "no password dialog in the delete chain");
    STEP(expectFixedDialog(password, "Enter password to delete diary"));
    desktop_->key("Escape");
    STEP(expectChainEnded({DeletePasswordTitle, DeleteTitle}));

    // 2. Cancel in the confirmation: three dialogs close.
    QVERIFY(openChooser("ctrl+d", DeleteTitle, "Cora", true) != 0);
    desktop_->key("Return");
    QVERIFY(waitForActive(DeletePasswordTitle) != 0);
    desktop_->type("gamma");
    desktop_->key("Tab");
    desktop_->type("gamma");
    desktop_->key("Return");
    const WindowId sure = waitForActive(SureTitle);
    QVERIFY2(sure != 0, "no confirmation after the right password");
    STEP(expectFixedDialog(sure, "Do You want to delete this Diary?"));
    desktop_->key("Escape");
    STEP(expectChainEnded({SureTitle, DeletePasswordTitle, DeleteTitle}));
    QVERIFY(chooserRow("Cora", true) >= 0);

    // 3. Deleted: the popup, then the three dialogs close.
    QVERIFY(openChooser("ctrl+d", DeleteTitle, "Cora", true) != 0);
    desktop_->key("Return");
    QVERIFY(waitForActive(DeletePasswordTitle) != 0);
    desktop_->type("gamma");
    desktop_->key("Tab");
    desktop_->type("gamma");
    desktop_->key("Return");
    QVERIFY(waitForActive(SureTitle) != 0);
    desktop_->key("Return");
    // KILL ALLOWED, then a message says where the diary went (the trash, or
    // gone for good where no trash can take it).
    QVERIFY2(waitUntil([&] { return desktop_->popupShown(); }, PopupTimeoutMs), "no popup appears");
    const QString fault = desktop_->quietPopupFault(main_);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    STEP(waitPopupGone());
    const WindowId where = waitForActive(MessageTitle);
    QVERIFY2(where != 0, "no message says where the deleted diary went");
    STEP(expectFixedDialog(where, "the message after the deletion"));
    desktop_->key("Return");
    STEP(expectChainEnded({MessageTitle, SureTitle, DeletePasswordTitle, DeleteTitle}));
    QCOMPARE(chooserRow("Cora", true), -1);
}

// The change-password chain's five ends.
void tst_desktop::changePasswordChain() {
    // 1. Cancel in the chooser.
    QVERIFY(openChooser("ctrl+p", ChangeTitle, "Bert", false) != 0);
    STEP(expectFixedDialog(desktop_->activeWindow(), "Change Diary Password"));
    desktop_->key("Escape");
    STEP(expectChainEnded({ChangeTitle}));

    // 2. Cancel in the old-password dialog: back in the chooser.
    QVERIFY(openChooser("ctrl+p", ChangeTitle, "Bert", false) != 0);
    desktop_->key("Return");
    const WindowId old = waitForActive(OldPasswordTitle);
    QVERIFY2(old != 0, "no old-password dialog");
    STEP(expectFixedDialog(old, "Enter Old Password"));
    desktop_->key("Escape");
    STEP(expectBackIn(ChangeTitle, OldPasswordTitle));

    // 3. Cancel in the new-password dialog: back in the old-password dialog.
    desktop_->key("Return");
    QVERIFY(waitForActive(OldPasswordTitle) != 0);
    desktop_->type("beta");
    desktop_->key("Tab");
    desktop_->type("beta");
    desktop_->key("Return");
    const WindowId fresh = waitForActive(NewPasswordTitle);
    QVERIFY2(fresh != 0, "no new-password dialog after the right old password");
    STEP(expectFixedDialog(fresh, "Enter New Password"));
    desktop_->key("Escape");
    STEP(expectBackIn(OldPasswordTitle, NewPasswordTitle));

    // 4. The new password confirmed: all three dialogs close at once.
    desktop_->key("Return"); // the old password is still typed in
    QVERIFY(waitForActive(NewPasswordTitle) != 0);
    desktop_->type("epsilon");
    desktop_->key("Tab");
    desktop_->type("epsilon");
    desktop_->key("Return");
    STEP(expectChainEnded({NewPasswordTitle, OldPasswordTitle, ChangeTitle}));

    // 5. A wrong old password: the popup, and the chain is over.
    QVERIFY(openChooser("ctrl+p", ChangeTitle, "Bert", false) != 0);
    desktop_->key("Return");
    QVERIFY(waitForActive(OldPasswordTitle) != 0);
    desktop_->type("beta"); // the old one, no longer right
    desktop_->key("Tab");
    desktop_->type("beta");
    desktop_->key("Return");
    STEP(expectPopupThenChainEnd({OldPasswordTitle, ChangeTitle}));
}

// File › Import ... from the keyboard: Escape closes the empty dialog; a jrnl
// export imported ends in the summary message and the Open Diary chooser,
// which lists the new diary.
void tst_desktop::importChain() {
    const QString journal = folder_->path() + "/journal.json";
    {
        QFile file(journal);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"tags": {}, "entries": [{"date": "2024-03-01", "time": "09:30", "title": "First day.",
                      "body": "Rain.", "tags": [], "starred": false}]})");
    }
    desktop_->key("ctrl+shift+i");
    WindowId dialog = waitForActive(ImportTitle);
    QVERIFY2(dialog != 0, "Ctrl+Shift+I does not open the import dialog");
    STEP(expectFixedDialog(dialog, "Import Diary"));
    desktop_->key("Escape");
    STEP(expectChainEnded({ImportTitle}));

    desktop_->key("alt+f i");
    QVERIFY2(waitForActive(ImportTitle) != 0, "File > Import ... does not open the import dialog");
    // Source (jrnl), file, "...", owner, title, the password twice.
    desktop_->key("Tab");
    desktop_->type(journal);
    desktop_->key("Tab Tab");
    desktop_->type("Eva");
    desktop_->key("Tab");
    desktop_->type("Book E");
    desktop_->key("Tab");
    desktop_->type("epsilon");
    desktop_->key("Tab");
    desktop_->type("epsilon");
    desktop_->key("Return");
    QVERIFY2(waitForActive(ImportedTitle) != 0, "no summary after the import");
    desktop_->key("Return");
    const WindowId chooser = waitForActive(OpenTitle);
    QVERIFY2(chooser != 0, "the Open Diary chooser does not follow an imported diary");
    QVERIFY(chooserRow("Eva", false) >= 0);
    desktop_->key("Escape");
    STEP(expectChainEnded({ImportTitle, ImportedTitle, OpenTitle}));
}

// Whether the diary file's header marks it encrypted.
static bool fileIsEncrypted(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray record = file.read(222);
    return record.size() == 222 && DiaryCrypto::isEncrypted(DiaryHeader::fromRecord(record.constData()));
}

// Options > Encryption ... from the keyboard: the open plain diary is
// encrypted with a new passphrase typed twice, then made plain again with
// it; each rewrite ends with its message, after which the keyboard is the
// main window's. The session goes on: an entry typed and saved afterwards
// lands in the file.
void tst_desktop::encryptionChain() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    QVERIFY(!fileIsEncrypted(openDiaryPath_));
    const QString passphrase = QStringLiteral("heron over the water");
    desktop_->key("ctrl+shift+k");
    const WindowId encrypt = waitForActive(EncryptTitle);
    QVERIFY2(encrypt != 0, "Ctrl+Shift+K does not open Encrypt Diary");
    STEP(expectFixedDialog(encrypt, "Encrypt Diary"));
    QThread::msleep(PersonPauseMs);
    desktop_->type(passphrase);
    desktop_->key("Tab");
    desktop_->type(passphrase);
    desktop_->key("Return");
    QVERIFY2(waitForActive(MessageTitle, 60000) != 0, "no message after encrypting");
    desktop_->key("Return");
    STEP(expectChainEnded({EncryptTitle, MessageTitle}));
    QVERIFY2(fileIsEncrypted(openDiaryPath_), "the diary is not encrypted");

    desktop_->key("ctrl+shift+k");
    QVERIFY2(waitForActive(PlainTitle) != 0, "Ctrl+Shift+K does not offer to make the encrypted diary plain");
    QThread::msleep(PersonPauseMs);
    desktop_->type(passphrase);
    desktop_->key("Return");
    QVERIFY2(waitForActive(MessageTitle, 60000) != 0, "no message after making the diary plain");
    desktop_->key("Return");
    STEP(expectChainEnded({PlainTitle, MessageTitle}));
    QVERIFY2(!fileIsEncrypted(openDiaryPath_), "the diary is still encrypted");

    desktop_->key("F3");
    QThread::msleep(PersonPauseMs);
    // The topic may hold the words typed at the chain ends: typed over.
    desktop_->key("Home");
    desktop_->key("shift+End");
    desktop_->type("after the rewrite");
    desktop_->key("F6");
    STEP(expectPopupThenChainEnd({}));
    QCOMPARE(lastTopic(), QStringLiteral("after the rewrite"));
}

// Options > Preferences ... by its shortcut: the dialog holds the keyboard,
// and Escape gives it back to the main window. Opened again, the lock is
// turned on for plain diaries too (Tab to its box, Space, Enter saves).
void tst_desktop::preferencesChain() {
    desktop_->key("ctrl+comma");
    const WindowId dialog = waitForActive(PreferencesTitle);
    QVERIFY2(dialog != 0, "Ctrl+, does not open Preferences");
    STEP(expectFixedDialog(dialog, "Preferences"));
    desktop_->key("Escape");
    STEP(expectChainEnded({PreferencesTitle}));

    desktop_->key("ctrl+comma");
    QVERIFY(waitForActive(PreferencesTitle) != 0);
    QThread::msleep(PersonPauseMs);
    desktop_->key("Tab");
    desktop_->key("space");
    desktop_->key("Return");
    STEP(expectChainEnded({PreferencesTitle}));
}

// The screen locks while a dialog of the diary is open over an unsaved
// entry: the dialog goes, the diary closes and the keyboard is the main
// window's; the next log-in offers the entry back, and it saves.
void tst_desktop::screenLockChain() {
    const QString password = QStringLiteral("heron over the water"); // since encryptionChain
    // Anna's diary again (typingAfterViewSwitches closed it); the log-in ends
    // in the Entry Composer, where the words go into the topic.
    QVERIFY(openChooser("alt+f o", OpenTitle, "Anna", false) != 0);
    desktop_->key("Return");
    QVERIFY(waitForActive(PasswordTitle) != 0);
    desktop_->type(password);
    desktop_->key("Return");
    QVERIFY2(waitUntil([&] { return desktop_->popupShown(); }, PopupTimeoutMs), "no popup after the log-in");
    STEP(waitPopupGone());
    STEP(waitGone(PasswordTitle + '|' + OpenTitle));
    STEP(expectActiveSoon(main_, "the main window"));
    openDiaryPath_ = diaryOf("Anna");
    QThread::msleep(PersonPauseMs);
    desktop_->type("left on the desk");
    desktop_->key("ctrl+f");
    QVERIFY2(waitForActive(FindTitle) != 0, "Ctrl+F does not open Find Phrase");
    QVERIFY2(desktop_->lockScreen(), "dbus-send cannot reach the desktop's session bus");
    STEP(expectChainEnded({FindTitle}));

    QVERIFY(openChooser("alt+f o", OpenTitle, "Anna", false) != 0);
    desktop_->key("Return");
    QVERIFY2(waitForActive(PasswordTitle) != 0, "no password dialog for the diary closed by the lock");
    QThread::msleep(PersonPauseMs);
    desktop_->type(password);
    desktop_->key("Return");
    QVERIFY2(waitForActive(MessageTitle, PopupTimeoutMs) != 0, "the unsaved entry is not offered back");
    desktop_->key("Return"); // Yes, restore it
    STEP(waitPopupGone());   // LOGIN ALLOWED, if it still stands
    STEP(waitGone(MessageTitle + '|' + PasswordTitle + '|' + OpenTitle));
    STEP(expectActiveSoon(main_, "the main window"));
    desktop_->key("F6");
    STEP(expectPopupThenChainEnd({}));
    QCOMPARE(lastTopic(), QStringLiteral("left on the desk"));
    desktop_->key("F7");
    STEP(expectChainEnded({}));
    openDiaryPath_.clear();
}

// A sync program's conflict copy of the open diary, holding one entry the
// diary lacks, chosen in Open Diary from the keyboard: the merge question,
// the password, the count, the offer of the trash, each answered with
// Enter; afterwards the entry is in the diary, the copy is gone and the
// keyboard is the main window's.
void tst_desktop::mergeChain() {
    QVERIFY2(!openDiaryPath_.isEmpty(), "needs the diary opened by logInChain");
    const QFileInfo diary(openDiaryPath_);
    const QString copy = diary.absolutePath() + "/" + diary.completeBaseName() +
                         ".sync-conflict-20261209-101010-ABCDEFG.PDD";
    QVERIFY(QFile::copy(openDiaryPath_, copy));
    // The sync program writes as the diary's owner (on sway the program runs
    // as an ordinary user, this test as root).
    struct stat owner {};
    QVERIFY(::stat(QFile::encodeName(openDiaryPath_).constData(), &owner) == 0);
    QVERIFY(::chown(QFile::encodeName(copy).constData(), owner.st_uid, owner.st_gid) == 0);
    publicDiaryPath = copy; // the other machine's entry, written into the copy
    Read_Header_Field(copy, 1);
    const bool written = Save_Entry("09.12.2026 10:10:10", "from the laptop", "written on the other machine", 0, 0).ok();
    publicDiaryPath.clear();
    QVERIFY(written);
    const qint32 before = countEntriesInFile(openDiaryPath_);

    // The chooser lists the diary and its copy, both Anna's: from the first
    // of Anna's rows down to the copy's.
    QVERIFY(openChooser("alt+f o", OpenTitle, "Anna", false) != 0);
    QList<DiaryFileName> files;
    listDiaryFiles(ProgramFolder::dataFolder(), files);
    int copyRow = -1;
    for (int row = 0; row < files.size(); ++row)
        if (QFileInfo(files.at(row).fullPath) == QFileInfo(copy))
            copyRow = row;
    QVERIFY(copyRow >= 0);
    for (int row = chooserRow("Anna", false); row < copyRow; ++row)
        desktop_->key("Down");
    desktop_->key("Return");
    QVERIFY2(waitForActive(MessageTitle) != 0, "choosing the conflict copy asks nothing");
    desktop_->key("Return"); // Yes, merge
    QVERIFY2(waitForActive(MergePasswordTitle) != 0, "no password asked for the merge");
    QThread::msleep(PersonPauseMs);
    desktop_->type("heron over the water"); // the plain diary's password since encryptionChain
    desktop_->key("Return");
    QVERIFY2(waitForActive(MessageTitle, 30000) != 0, "no count after the merge");
    desktop_->key("Return");
    QVERIFY2(waitForActive(MessageTitle) != 0, "the trash is not offered");
    desktop_->key("Return"); // Yes, to the trash
    if (!waitUntil([&] { return !QFile::exists(copy); }, 5000) && waitForActive(MessageTitle, 2000))
        desktop_->key("Return"); // a desktop without a trash says the copy was deleted
    STEP(expectChainEnded({MessageTitle, MergePasswordTitle, OpenTitle}));
    QVERIFY2(!QFile::exists(copy), "the copy is still in DATA");
    QCOMPARE(countEntriesInFile(openDiaryPath_), before + 1);
    bool found = false;
    for (qint32 n = 1; n <= before + 1 && !found; ++n) {
        EntryText entry;
        found = readEntry(openDiaryPath_, n, entry).ok() && trimBlanks(entry.topic) == "from the laptop";
    }
    QVERIFY2(found, "the copy's entry is not in the diary");
}

QTEST_GUILESS_MAIN(tst_desktop)
#include "tst_desktop.moc"
