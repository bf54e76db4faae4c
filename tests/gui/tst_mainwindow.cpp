#include "MainWindowFixture.h"

#include "ClickableLabel.h"
#include "ComposerEdits.h"
#include "EntryDisplay.h"
#include "MainLayout.h"
#include "ProgramFolder.h"
#include "mApplication.h"
#include "mFile.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStringListModel>
#include <QTemporaryDir>

// Receives the documents the program asks the desktop to open.
class DocumentRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// Start-up, menus, left menu, layout, window commands, browsing and the
// entry display of the main window.
class TestMainWindow : public QObject {
    Q_OBJECT
    MainWindowFixture f;

private slots:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void startUpState();
    void startUpNamesADataFolderThatCannotBeMade();
    void menuItemsAndShortcuts_data();
    void menuItemsAndShortcuts();
    void leftMenuIndexesAreCommandCodes();
    void leftMenuClickRunsItsCode();
    void optionGroupsAndReadingControls();
    void statisticsRowsStartWithADash();
    void workedExampleOfTheLayout();
    void layoutAppliedToTheControls();
    void minimumSizeSnapsBack();
    void windowCommands();
    void helpManualsOpenThroughTheDesktop();
    void shortcutsWinOverTextBoxes();
    void backAndForwardStopAtBothEnds();
    void readingShowsTheEntrysTagsAsLinks();
    void openSelectedEntry();
    void ratingOutsideTheRangeChecksNothing();
    void staleListWalkIsDropped();
};

void TestMainWindow::startUpNamesADataFolderThatCannotBeMade() {
    f.stop();
    // A program folder the user may not write into sends the diaries to the
    // per-user folder; a file stands where that folder's parent should be.
    QTemporaryDir dir;
    const QString blocker = dir.filePath("share");
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("file") == 4);
    }
    ProgramFolder::setPathForTesting(dir.filePath("no-program"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
    const QString folder = ProgramFolder::dataFolder();
    MsgBox::clearShownForTesting();
    std::make_unique<frmMain>().reset();
    const QList<MsgBox::Shown> shown = MsgBox::shownForTesting();
    qunsetenv("XDG_DATA_HOME");
    ProgramFolder::setPathForTesting(QString());

    QVERIFY(folder.startsWith(blocker + "/"));
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().text.contains(folder), qPrintable(shown.first().text));
    QCOMPARE(shown.first().title, QString("Quorvel"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"share"}); // nothing else written
    f.start();
    QVERIFY(MsgBox::shownForTesting().isEmpty()); // a folder that can be made is not reported
}

void TestMainWindow::startUpState() {
    frmMain* w = f.window.get();
    QCOMPARE(frmMain::instance(), w);
    QCOMPARE(w->windowTitle(), QStringLiteral("TALVERONIX - Quorvel Version 4.0"));
    QCOMPARE(w->frameGeometry().size(), QSize(1032, 776)); // 15480 x 11640 twips
    QVERIFY(QDir(f.folder->path()).exists(QStringLiteral("DATA")));
    QCOMPARE(w->lblDialogTitle->text(), QStringLiteral(" Diary Workbench"));
    QCOMPARE(f.frames(), QStringLiteral("----"));
    QCOMPARE(w->lblTitle->text(), QString());
    QCOMPARE(w->lblWhichOwner->text(), QString());
    for (QWidget* frame : {static_cast<QWidget*>(w->fraComposer), static_cast<QWidget*>(w->fraEntryBrowser),
                           static_cast<QWidget*>(w->fraEntryReading), static_cast<QWidget*>(w->fraStaticticals)})
        QCOMPARE(frame->pos(), QPoint(139, 32)); // 2085, 480 twips
    QCOMPARE(w->pgbProgressBottom->x(), 3);
    QCOMPARE(w->lblEntryHeader->text(), QStringLiteral(" Number    Date/Time                 Topic"));
    QCOMPARE(w->StatusBar1->height(), 21);
    // Centred on the (offscreen 800 x 600) screen, which is smaller: negative place.
    const QRect screen = w->screen()->geometry();
    const QPoint centred((screen.width() - 1032) / 2, (screen.height() - 776) / 2);
    QVERIFY(centred.x() < 0);
    // (the offscreen platform may shift a window by its 2-pixel frame)
    QVERIFY2((w->frameGeometry().topLeft() - centred).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(w->frameGeometry().x()).arg(w->frameGeometry().y())));
    // Every control carries its name.
    for (const char* name :
         {"lblDialogTitle", "fraMenuLeft", "txtTopic", "txtEntry", "lstEntries", "txtREADINGEntry", "cmdSaveEntry",
          "cmdShowEntry", "cmdForward", "cmdBack", "cmdGotoWorkbench", "pgbProgressBottom", "pnlWhichOwner", "pnlTitle",
          "StatusBar1", "lblStatisticals_DS_COUNT", "optWellness_3", "optREADINGLove_0"})
        QVERIFY2(w->findChild<QObject*>(QString::fromLatin1(name)), name);
    // Picture buttons are named for assistive tools.
    QCOMPARE(w->cmdSaveEntry->accessibleName(), QStringLiteral("Save Entry"));
    QVERIFY(!w->cmdBack->toolTip().isEmpty());
}

void TestMainWindow::menuItemsAndShortcuts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<int>("code");
    QTest::newRow("new") << "mnuFileNewDiary"
                         << "&New Diary"
                         << "" << 0;
    QTest::newRow("open") << "mnuFileOpenDiary"
                          << "&Open Diary"
                          << "" << 1;
    QTest::newRow("save") << "mnuFileSaveEntry"
                          << "&Save Entry"
                          << "F6" << 2;
    QTest::newRow("import") << "mnuFileImport"
                            << "&Import ..."
                            << "Ctrl+Shift+I" << 23;
    QTest::newRow("close") << "mnuFileCloseDiary"
                           << "&Close Diary"
                           << "F7" << 16;
    QTest::newRow("delete diary") << "mnuFileCloseDeleteDiary"
                                  << "&Delete Diary"
                                  << "Ctrl+D" << 18;
    QTest::newRow("quit") << "mnuFileQuit"
                          << "&Quit"
                          << "Ctrl+Q" << 3;
    QTest::newRow("cut") << "mnuEditCut"
                         << "&Cut"
                         << "Ctrl+X" << 6;
    QTest::newRow("copy") << "mnuEditCopy"
                          << "&Copy"
                          << "Ctrl+C" << 7;
    QTest::newRow("paste") << "mnuEditPaste"
                           << "&Paste"
                           << "Ctrl+H" << 8;
    QTest::newRow("delete") << "mnuEditDelete"
                            << "&Delete"
                            << "Ctrl+E" << 17;
    QTest::newRow("find") << "mnuEditFind"
                          << "&Find ..."
                          << "Ctrl+F" << 9;
    QTest::newRow("workbench") << "mnuViewWorkbench"
                               << "&Diary Workbench"
                               << "F2" << 10;
    QTest::newRow("composer") << "mnuViewComposer"
                              << "Entry &Composer"
                              << "F3" << 11;
    QTest::newRow("browser") << "mnuViewEntryBrowser"
                             << "Entry &Browser"
                             << "F4" << 12;
    QTest::newRow("reading") << "mnuViewEntryReading"
                             << "Entry &Reading"
                             << "F5" << 13;
    QTest::newRow("statisticals") << "mnuViewEntryStatiscical"
                                  << "Entry &Statisticals"
                                  << "F8" << 19;
    QTest::newRow("export") << "mnuFileExport"
                            << "&Export ..."
                            << "Ctrl+Shift+E" << 22;
    QTest::newRow("password") << "mnuOptionsChangePassword"
                              << "&Password"
                              << "Ctrl+P" << 20;
    QTest::newRow("preferences") << "mnuOptionsPreferences"
                                 << "P&references ..."
                                 << "Ctrl+," << 25;
    QTest::newRow("info") << "mnuHelpInfo"
                          << "&Info"
                          << "F12" << 15;
    QTest::newRow("minimized") << "mnuWindowMinimized"
                               << "&Minimized"
                               << "Ctrl+I" << -1;
    QTest::newRow("normal") << "mnuWindowNormalSize"
                            << "&Normal Size"
                            << "Ctrl+N" << -1;
    QTest::newRow("maximized") << "mnuWindowMaximized"
                               << "&Maximized"
                               << "Ctrl+A" << -1;
    QTest::newRow("center") << "mnuWindowCenter"
                            << "&Center"
                            << "Ctrl+M" << -1;
    QTest::newRow("manual de") << "mnuHelpHelpManualDeutsch"
                               << "Manual (Deutsch)"
                               << "" << -1;
    QTest::newRow("manual en") << "mnuHelpHelpManualEnglish"
                               << "Manual (English)"
                               << "" << -1;
}

void TestMainWindow::menuItemsAndShortcuts() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    QFETCH(int, code);
    auto* action = f.window->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), shortcut);
    QCOMPARE(action->property("CommandCode").isValid() ? action->property("CommandCode").toInt() : -1, code);
}

void TestMainWindow::leftMenuIndexesAreCommandCodes() {
    const QMap<int, QString> expected = {
        {0, " New Diary"},     {1, " Open Diary"}, {16, " Close Diary"}, {2, " Save Entry"}, {18, " Delete Diary"},
        {3, " Quit"},          {6, " Cut"},        {7, " Copy"},         {8, " Paste"},      {17, " Delete"},
        {9, " Find ..."},      {10, " Workbench"}, {11, " Compose"},     {12, " Browser"},   {13, " Reading"},
        {19, " Statisticals"}, {20, " Password"},  {14, " Help"},        {15, " Info"}};
    int present = 0;
    for (int i = 0; i <= 20; ++i) {
        ClickableLabel* item = f.window->lblLeftMenu[size_t(i)];
        if (!expected.contains(i)) {
            QVERIFY(!item);
            continue;
        }
        QVERIFY(item);
        ++present;
        QCOMPARE(item->index(), i);
        QCOMPARE(item->text(), expected.value(i));
        QCOMPARE(item->cursor().shape(), f.window->lblLeftMenu[0]->cursor().shape());
        QCOMPARE(item->cursor().pixmap().cacheKey(), f.window->lblLeftMenu[0]->cursor().pixmap().cacheKey());
    }
    QCOMPARE(present, 19);
    QCOMPARE(f.window->lblLeftMenu[0]->cursor().shape(), Qt::BitmapCursor); // the picture from the resources
}

void TestMainWindow::leftMenuClickRunsItsCode() {
    f.openDiary(1);
    QTest::mouseClick(f.window->lblLeftMenu[12], Qt::LeftButton);
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Browser"));
    QTest::mouseClick(f.window->lblLeftMenu[19], Qt::LeftButton);
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Statisticals"));
    QTest::mouseClick(f.window->lblLeftMenu[10], Qt::LeftButton);
    QCOMPARE(f.frames(), QStringLiteral("----"));
    // Help (14) passes its own code: with no dialogs quiet it shows no popup.
    publicDiaryPath.clear();
    QTest::mouseClick(f.window->lblLeftMenu[13], Qt::LeftButton);
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::NoDiaryOpen});
}

void TestMainWindow::optionGroupsAndReadingControls() {
    const QStringList wellness = {"healthy", "balanced", "ill", "none"};
    const QStringList love = {"in love", "lucky", "love sick", "none"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(f.window->optWellness->button(i)->text(), wellness.at(i));
        QCOMPARE(f.window->optREADINGWellness->button(i)->text(), wellness.at(i));
        QCOMPARE(f.window->optLove->button(i)->text(), love.at(i));
        QCOMPARE(f.window->optREADINGLove->button(i)->text(), love.at(i));
        QVERIFY(!f.window->optREADINGWellness->button(i)->isEnabled());
        QVERIFY(!f.window->optREADINGLove->button(i)->isEnabled());
        if (i > 0) // left to right in index order
            QVERIFY(f.window->optWellness->button(i)->x() > f.window->optWellness->button(i - 1)->x());
    }
    QCOMPARE(f.window->optWellness->checkedId(), 3);
    QCOMPARE(f.window->optLove->checkedId(), 3);
    QVERIFY(f.window->txtREADINGTopic->isReadOnly());
    QVERIFY(f.window->txtREADINGEntry->isReadOnly());
    QCOMPARE(f.window->txtREADINGEntry->palette().color(QPalette::Base), QColor(192, 192, 192));
    QCOMPARE(f.window->txtTopic->maxLength(), 60);
}

void TestMainWindow::statisticsRowsStartWithADash() {
    QCOMPARE(f.window->label[0]->text(), QStringLiteral(" Number of Entries:"));
    QCOMPARE(f.window->label[2]->text(), QStringLiteral(" Diary Title"));
    QCOMPARE(f.window->label[3]->text(), QStringLiteral(" Numer of healthy days:"));
    QCOMPARE(f.window->label[11]->text(), QStringLiteral(" Date of Building:"));
    QCOMPARE(f.window->label[10]->text(), QStringLiteral(" none entered:"));
    for (QLabel* value : {f.window->lblStatisticals_DS_COUNT, f.window->lblStatisticals_DIARY_OWNER,
                          f.window->lblStatisticals_DIARY_TITLE, f.window->lblStatisticals_DATE_OF_BUILD,
                          f.window->lblStatisticals_HEALTH[0], f.window->lblStatisticals_LOVE[3]})
        QCOMPARE(value->text(), QStringLiteral(" -"));
    QCOMPARE(f.window->lblStatistical_Health->text(), QStringLiteral(" Health Data"));
}

void TestMainWindow::workedExampleOfTheLayout() {
    const MainLayout l = computeMainLayout(12400, 9500, false);
    QCOMPARE(l.frameWidth, 10080);
    QCOMPARE(l.frameHeight, 7950);
    QCOMPARE(l.txtTopicWidth, 8080);
    QCOMPARE(l.txtEntryWidth, 8080);
    QCOMPARE(l.txtEntryHeight, 5200);
    QCOMPARE(l.picWellnessTop, 6820);
    QCOMPARE(l.picLoveTop, 7270);
    QCOMPARE(l.picLoveWidth, 9780);
    QCOMPARE(l.cmdSaveEntryLeft, 7635);
    QCOMPARE(l.picEntryNumberLeft, 7175);
    QCOMPARE(l.lstEntriesWidth, 8980);
    QCOMPARE(l.lstEntriesHeight, 6200);
    QCOMPARE(l.cmdShowEntryLeft, 7765);
    QCOMPARE(l.cmdShowEntryTop, 7235);
    QCOMPARE(l.txtREADINGEntryHeight, 5000);
    QCOMPARE(l.picREADINGWellnessTop, 6620);
    QCOMPARE(l.picREADINGLoveTop, 7070);
    QCOMPARE(l.picREADINGWellnessWidth, 9880);
    QCOMPARE(l.picREADINGLoveWidth, 9880);
    QCOMPARE(l.cmdGotoWorkbenchLeft, 7585);
    QCOMPARE(l.cmdForwardLeft, 7585);
    QCOMPARE(l.cmdBackLeft, 8650);
    QCOMPARE(l.menuLeftHeight, 7950);
    QCOMPARE(l.progressWidth, 6200);
    QCOMPARE(l.progressTop, 8560);
    QCOMPARE(l.ownerLeft, 6305);
    QCOMPARE(l.titleLeft, 8570);
    // Frames span 2085 .. W - 235, the title panel ends at W - 335.
    QCOMPARE(2085 + l.frameWidth, 12400 - 235);
    QCOMPARE(l.titleLeft + 3495, 12400 - 335);
    // Minimized: only the bottom row.
    const MainLayout m = computeMainLayout(2400, 500, true);
    QCOMPARE(m.frameWidth, 0);
    QCOMPARE(m.progressWidth, -3800);
}

void TestMainWindow::layoutAppliedToTheControls() {
    frmMain* w = f.window.get();
    w->setOuterSizeTwips(13500, 9900);
    QCOMPARE(w->frameGeometry().size(), QSize(900, 660));
    const MainLayout l = computeMainLayout(13500, 9900, false);
    QCOMPARE(w->fraComposer->size(), QSize(twipsToPx(l.frameWidth), twipsToPx(l.frameHeight)));
    QCOMPARE(w->fraStaticticals->size(), w->fraComposer->size());
    QCOMPARE(w->fraMenuLeft->height(), twipsToPx(l.frameHeight));
    QCOMPARE(w->txtEntry->geometry(), QRect(124, 98, twipsToPx(l.txtEntryWidth), twipsToPx(l.txtEntryHeight)));
    QCOMPARE(w->picLove->y(), twipsToPx(l.picLoveTop));
    QCOMPARE(w->cmdSaveEntry->x() + w->cmdSaveEntry->width(), w->picLove->width()); // flush right
    QCOMPARE(w->lstEntries->size(), QSize(twipsToPx(l.lstEntriesWidth), twipsToPx(l.lstEntriesHeight)));
    QCOMPARE(w->cmdShowEntry->pos(), QPoint(twipsToPx(l.cmdShowEntryLeft), twipsToPx(l.cmdShowEntryTop)));
    QCOMPARE(w->txtREADINGEntry->height(), twipsToPx(9900 - 4500));
    QCOMPARE(w->cmdForward->x(), w->cmdGotoWorkbench->x());
    QCOMPARE(w->cmdBack->x(), w->cmdForward->x() + w->cmdForward->width());
    QCOMPARE(w->pgbProgressBottom->geometry(), QRect(3, twipsToPx(l.progressTop), twipsToPx(l.progressWidth), 16));
    QCOMPARE(w->pnlTitle->x(), twipsToPx(l.titleLeft));
    QCOMPARE(w->lblDialogTitle->width(), twipsToPx(13500 - 230));
    // Wider: only the horizontal rules move.
    w->setOuterSizeTwips(18000, 9900);
    QCOMPARE(w->cmdForward->x(), twipsToPx(18000 - 1920 - 400 - 2145 - 350));
    QCOMPARE(w->txtEntry->height(), twipsToPx(l.txtEntryHeight));
}

void TestMainWindow::minimumSizeSnapsBack() {
    frmMain* w = f.window.get();
    w->resize(300, 200);
    QCOMPARE(w->frameGeometry().size(), QSize(827, 634)); // 12400 x 9500 twips, rounded up
    w->setOuterSizeTwips(15000, 4500);
    QCOMPARE(w->frameGeometry().size(), QSize(1000, 634));
    w->setOuterSizeTwips(7500, 10500);
    QCOMPARE(w->frameGeometry().size(), QSize(827, 700));
    // At the minimum the controls stand where the worked example puts them.
    w->setOuterSizeTwips(12400, 9500);
    QCOMPARE(w->cmdSaveEntry->x(), twipsToPx(12405 - 1920 - 400 - 2000 + 1700 - 2145));
    QCOMPARE(w->fraComposer->width(), twipsToPx(12405 - 2320));
}

void TestMainWindow::windowCommands() {
    frmMain* w = f.window.get();
    // Normal Size asks for 12120 x 9120, which the minimum turns into 12400 x 9500.
    w->mnuWindowNormalSize->trigger();
    QCOMPARE(w->frameGeometry().size(), QSize(827, 634));
    w->move(0, 0);
    w->mnuWindowCenter->trigger();
    const QRect screen = w->screen()->geometry();
    const QPoint centred((screen.width() - 827) / 2, (screen.height() - 634) / 2);
    QVERIFY((w->frameGeometry().topLeft() - centred).manhattanLength() <= 2);

    w->mnuWindowMaximized->trigger();
    QVERIFY(w->isMaximized());
    const QPoint maximizedAt = w->pos();
    w->mnuWindowCenter->trigger(); // does nothing while maximized
    QCOMPARE(w->pos(), maximizedAt);
    w->mnuWindowMinimized->trigger();
    QVERIFY(w->isMinimized());
    w->mnuWindowNormalSize->trigger();
    QVERIFY(!w->isMinimized() && !w->isMaximized());
    QCOMPARE(w->frameGeometry().size(), QSize(827, 634));
}

void TestMainWindow::helpManualsOpenThroughTheDesktop() {
    DocumentRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    f.window->mnuHelpHelpManualDeutsch->trigger();
    f.window->mnuHelpHelpManualEnglish->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    const QString manuals = QDir(ProgramFolder::path()).filePath(QStringLiteral("manual/"));
    QCOMPARE(recorder.opened.size(), 2);
    QCOMPARE(recorder.opened.at(0).toLocalFile(), manuals + QStringLiteral("manual_quorvel_R1_V4_deutsch.pdf"));
    QCOMPARE(recorder.opened.at(1).toLocalFile(), manuals + QStringLiteral("manual_quorvel_R1_V4_english.pdf"));
}

void TestMainWindow::shortcutsWinOverTextBoxes() {
    f.openDiary(1);
    Run_Command(11);
    QLineEdit* topic = f.window->txtTopic;
    topic->setText(QStringLiteral("abcdef"));
    topic->setFocus();
    QCOMPARE(QApplication::focusWidget(), topic);

    // Ctrl+E deletes the selection (not "end of line").
    topic->setSelection(0, 2);
    QTest::keyClick(topic, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(topic->text(), QStringLiteral("cdef"));
    // Ctrl+H pastes (not backspace).
    QApplication::clipboard()->setText(QStringLiteral("XY"));
    topic->setCursorPosition(4);
    QTest::keyClick(topic, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(topic->text(), QStringLiteral("cdefXY"));
    // F-keys switch views from inside a text box.
    QTest::keyClick(topic, Qt::Key_F4);
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Browser"));
    Run_Command(11);
    // Ctrl+A maximizes (not select all), also from the multi-line box.
    f.window->txtEntry->setFocus();
    f.window->txtEntry->setPlainText(QStringLiteral("text"));
    QTest::keyClick(f.window->txtEntry, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(f.window->isMaximized());
    QVERIFY(!f.window->txtEntry->textCursor().hasSelection());
}

void TestMainWindow::backAndForwardStopAtBothEnds() {
    f.openDiary(3);
    Run_Command(13);
    QLabel* number = f.window->lblREADINGEntryNumber;
    QCOMPARE(number->text(), QStringLiteral(" 1"));
    QCOMPARE(f.window->txtREADINGTopic->text(), QStringLiteral("Topic 1").leftJustified(60));
    QVERIFY(f.window->txtREADINGEntry->toPlainText().startsWith(QStringLiteral("Text 1")));
    QCOMPARE(f.window->lblREADINGDateTime->text(), QStringLiteral("02.01.2026 10:01:00 "));
    QTest::mouseClick(f.window->cmdBack, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral(" 1"));
    QTest::mouseClick(f.window->cmdForward, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral(" 2"));
    QCOMPARE(f.window->optREADINGWellness->checkedId(), 2);
    QCOMPARE(f.window->optREADINGLove->checkedId(), 3);
    QTest::mouseClick(f.window->cmdForward, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral(" 3"));
    QTest::mouseClick(f.window->cmdForward, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral(" 3"));
    QVERIFY(f.window->txtREADINGEntry->toPlainText().startsWith(QStringLiteral("Text 3")));
    QTest::mouseClick(f.window->cmdBack, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral(" 2"));
    // A number without the blank (as a search hit writes it) reads the same.
    number->setText(QStringLiteral("3"));
    QTest::mouseClick(f.window->cmdBack, Qt::LeftButton);
    QCOMPARE(number->text(), QStringLiteral(" 2"));
}

void TestMainWindow::readingShowsTheEntrysTagsAsLinks() {
    f.openDiary(0);
    QVERIFY(Save_Entry("02.01.2026 10:00:00", "#Garden day", "Met #anna by the lake.\r\nNot a tag: a#b", 1, 1).ok());
    QVERIFY(Save_Entry("03.01.2026 10:00:00", "Plain", "No tags here.", 1, 1).ok());
    Run_Command(13);
    QLabel* tags = f.window->lblREADINGTags;
    QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 1"));
    QVERIFY(tags->isVisible());
    QCOMPARE(tags->text(), QStringLiteral("<a href=\"#garden\">#garden</a> <a href=\"#anna\">#anna</a>"));
    QVERIFY(tags->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
    // In the date/time row, clear of the date/time and of the entry number.
    QCOMPARE(tags->y(), f.window->lblREADINGDateTime->y());
    QVERIFY(tags->x() > f.window->lblREADINGDateTime->geometry().right());
    QVERIFY(tags->geometry().right() < f.window->picREADINGEntryNumber->x());
    QTest::mouseClick(f.window->cmdForward, Qt::LeftButton);
    QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 2"));
    QVERIFY(tags->isHidden());
    QVERIFY(tags->text().isEmpty());
}

void TestMainWindow::openSelectedEntry() {
    f.openDiary(3);
    Run_Command(13);
    Run_Command(12);
    // No row selected: the reading view comes with what it held.
    f.window->lstEntries->clearSelection();
    QTest::mouseClick(f.window->cmdShowEntry, Qt::LeftButton);
    QCOMPARE(f.frames(), QStringLiteral("--R-"));
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Reading"));
    QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 1"));

    Run_Command(12);
    QListView* list = f.window->lstEntries;
    list->setCurrentIndex(f.window->lstEntriesModel->index(2));
    QTest::mouseClick(f.window->cmdShowEntry, Qt::LeftButton);
    QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 3"));

    Run_Command(12);
    const QRect row = list->visualRect(f.window->lstEntriesModel->index(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(f.frames(), QStringLiteral("--R-"));
    QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 2"));
}

void TestMainWindow::ratingOutsideTheRangeChecksNothing() {
    const QString path = f.openDiary(2);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(222 + 4084 + 4080)); // wellness of entry 2
        const char seven[2] = {7, 0};
        QCOMPARE(file.write(seven, 2), qint64(2));
    }
    Run_Command(13);
    QCOMPARE(f.window->optREADINGWellness->checkedId(), 1);
    QTest::mouseClick(f.window->cmdForward, Qt::LeftButton);
    QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 2"));
    QCOMPARE(f.window->optREADINGWellness->checkedId(), -1);
    QCOMPARE(f.window->optREADINGLove->checkedId(), 3);
    QTest::mouseClick(f.window->cmdBack, Qt::LeftButton);
    QCOMPARE(f.window->optREADINGWellness->checkedId(), 1); // still exclusive afterwards
}

void TestMainWindow::staleListWalkIsDropped() {
    const QString big = f.openDiary(1);
    QFile file(big);
    QVERIFY(file.resize(DiaryFormat::entryOffset(5001)));
    const QString small = TestSupport::makeDiary(QStringLiteral("Bo"), QStringLiteral("B"), QStringLiteral("x"), 2);
    // A command that arrives while the big list is being filled fills the
    // list with the other diary; the older walk must not overwrite it.
    QTimer::singleShot(0, [small] {
        publicDiaryPath = small;
        Show_Entries(small, 1, 1);
    });
    Show_Entries(big, 1, 1);
    QCOMPARE(f.window->lstEntriesModel->rowCount(), 2);
    QCOMPARE(f.window->pgbProgressBottom->value(), 0);
    // Alone, the big walk fills all its rows.
    publicDiaryPath = big;
    Show_Entries(big, 1, 1);
    QCOMPARE(f.window->lstEntriesModel->rowCount(), 5000);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
