#include "MainWindowFixture.h"

#include "ClickableLabel.h"
#include "ComposerEdits.h"
#include "DiaryFormat.h"
#include "MoodChart.h"
#include "mApplication.h"
#include "mFile.h"
#include "mString.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringListModel>

// The command dispatcher driven through the real main window and real diary
// files in a temporary program folder.
class TestCommands : public QObject {
    Q_OBJECT
    MainWindowFixture f;

private slots:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void diaryCommandsWithoutDiaryShowOnlyThePopup_data();
    void diaryCommandsWithoutDiaryShowOnlyThePopup();
    void otherCommandsWithoutDiaryShowNoPopup_data();
    void otherCommandsWithoutDiaryShowNoPopup();
    void viewCommandsSetTitleAndFrame_data();
    void viewCommandsSetTitleAndFrame();
    void composerRenewsDateAndNumberButKeepsText();
    void saveEndToEnd();
    void saveOutsideComposerDoesNothing();
    void failedSaveKeepsTheComposer_data();
    void failedSaveKeepsTheComposer();
    void limitOf30000Entries();
    void closeDiaryForgetsItAndKeepsTheTitle();
    void statisticsFillTheView();
    void cutCopyPasteDeleteOnTheFocusedBox();
    void readingRuleLeavesReadingBoxesAlone();
    void copyFromAListEmptiesTheClipboard();
    void quitAsksFirst();
    void keysFollowTheShownView();
    void keysQueuedDuringASaveWaitForIt_data();
    void keysQueuedDuringASaveWaitForIt();
};

void TestCommands::diaryCommandsWithoutDiaryShowOnlyThePopup_data() {
    QTest::addColumn<int>("code");
    for (int code : {2, 9, 11, 12, 13, 16, 19, 21})
        QTest::addRow("code %d", code) << code;
}

void TestCommands::diaryCommandsWithoutDiaryShowOnlyThePopup() {
    QFETCH(int, code);
    f.window->lblDialogTitle->setText(QStringLiteral(" Diary Workbench"));
    f.window->txtTopic->setText(QStringLiteral("kept"));
    Run_Command(code);
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::NoDiaryOpen});
    QCOMPARE(f.frames(), QStringLiteral("----"));
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Diary Workbench"));
    QCOMPARE(f.window->txtTopic->text(), QStringLiteral("kept"));
    QVERIFY(MsgBox::shownForTesting().isEmpty());
}

void TestCommands::otherCommandsWithoutDiaryShowNoPopup_data() {
    QTest::addColumn<int>("code");
    for (int code : {0, 1, 4, 5, 6, 7, 8, 10, 14, 15, 17, 18, 20, -1})
        QTest::addRow("code %d", code) << code;
}

void TestCommands::otherCommandsWithoutDiaryShowNoPopup() {
    QFETCH(int, code);
    DialogCloser closer;
    Run_Command(code);
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QVERIFY(MsgBox::shownForTesting().isEmpty());
    QCOMPARE(f.frames(), QStringLiteral("----"));
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Diary Workbench"));
    QVERIFY(f.window->isVisible());
}

void TestCommands::viewCommandsSetTitleAndFrame_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("frames");
    QTest::newRow("composer") << 11 << " Entry Compose"
                              << "C---";
    QTest::newRow("browser") << 12 << " Entry Browser"
                             << "-B--";
    QTest::newRow("reading") << 13 << " Entry Reading"
                             << "--R-";
    QTest::newRow("statisticals") << 19 << " Entry Statisticals"
                                  << "---S";
    QTest::newRow("workbench") << 10 << " Diary Workbench"
                               << "----";
}

void TestCommands::viewCommandsSetTitleAndFrame() {
    QFETCH(int, code);
    QFETCH(QString, title);
    QFETCH(QString, frames);
    f.openDiary(3);
    // From every other view to this one.
    for (int from : {10, 11, 12, 13, 19}) {
        Run_Command(from);
        Run_Command(code);
        QCOMPARE(f.window->lblDialogTitle->text(), title);
        QCOMPARE(f.frames(), frames);
        // The keys go to a control of the view now shown.
        QWidget* expected = code == 11   ? static_cast<QWidget*>(f.window->txtTopic)
                            : code == 12 ? static_cast<QWidget*>(f.window->lstEntries)
                            : code == 13 ? static_cast<QWidget*>(f.window->txtREADINGEntry)
                            : code == 19 ? nullptr
                                         : static_cast<QWidget*>(f.window->lblLeftMenu[0]);
        QTRY_VERIFY(QApplication::focusWidget() != nullptr);
        if (expected)
            QTRY_COMPARE(QApplication::focusWidget(), expected);
        else
            QTRY_VERIFY(f.window->chtWellnessByMonth->isAncestorOf(QApplication::focusWidget()));
    }
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    // The views show what they are about.
    if (code == 12)
        QCOMPARE(f.window->lstEntriesModel->rowCount(), 3);
    if (code == 13)
        QCOMPARE(f.window->lblREADINGEntryNumber->text(), QStringLiteral(" 1"));
}

void TestCommands::composerRenewsDateAndNumberButKeepsText() {
    f.openDiary(4);
    f.window->txtTopic->setText(QStringLiteral("half"));
    f.window->txtEntry->setPlainText(QStringLiteral("written"));
    f.window->lblDateTime->setText(QStringLiteral("old"));
    Run_Command(11);
    QCOMPARE(f.window->lblEntryNumber->text(), QStringLiteral("5"));
    const QString stamp = f.window->lblDateTime->text();
    QVERIFY(stamp.size() <= DiaryFormat::DateTimeWidth);
    const QDateTime when = QDateTime::fromString(stamp, QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    QVERIFY2(when.isValid(), qPrintable(stamp));
    QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTime())) < 5);
    QCOMPARE(f.window->txtTopic->text(), QStringLiteral("half"));
    QCOMPARE(f.window->txtEntry->toPlainText(), QStringLiteral("written"));
    QCOMPARE(QApplication::focusWidget(), f.window->txtTopic);
}

void TestCommands::saveEndToEnd() {
    const QString path = f.openDiary(2);
    const qint64 before = QFileInfo(path).size();
    Run_Command(11);
    const QString stamp = f.window->lblDateTime->text();
    QTest::keyClicks(f.window->txtTopic, QStringLiteral("  Trip to the sea "));
    f.window->txtEntry->setFocus();
    QTest::keyClicks(f.window->txtEntry, QStringLiteral("Sun"));
    QTest::keyClick(f.window->txtEntry, Qt::Key_Return);
    QTest::keyClicks(f.window->txtEntry, QStringLiteral("and wind"));
    f.window->optWellness->button(1)->click();
    f.window->optLove->button(0)->click();

    f.window->cmdSaveEntry->click();

    QCOMPARE(QFileInfo(path).size(), before + 4084);
    EntryText saved;
    QVERIFY(readEntry(path, 3, saved).ok());
    QCOMPARE(saved.dateTime.trimmed(), stamp);
    QCOMPARE(saved.topic.trimmed(), QStringLiteral("Trip to the sea"));
    QCOMPARE(saved.text.trimmed(), QStringLiteral("Sun\r\nand wind"));
    QCOMPARE(saved.wellness, qint16(1));
    QCOMPARE(saved.love, qint16(0));

    // Composer cleared, ratings back to "none", browser shown ending with the entry.
    QCOMPARE(f.window->lblDateTime->text(), QString());
    QCOMPARE(f.window->txtTopic->text(), QString());
    QCOMPARE(f.window->txtEntry->toPlainText(), QString());
    QCOMPARE(f.window->optWellness->checkedId(), 3);
    QCOMPARE(f.window->optLove->checkedId(), 3);
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Browser"));
    QCOMPARE(f.frames(), QStringLiteral("-B--"));
    const QStringList lines = f.window->lstEntriesModel->stringList();
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.last().startsWith(QStringLiteral(" 3\t") + stamp));
    QVERIFY(lines.last().contains(QStringLiteral("\tTrip to the sea")));
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::EntrySaved});
    QVERIFY(MsgBox::shownForTesting().isEmpty());
}

void TestCommands::saveOutsideComposerDoesNothing() {
    const QString path = f.openDiary(1);
    Run_Command(12);
    f.window->txtTopic->setText(QStringLiteral("x"));
    Run_Command(2);
    QCOMPARE(QFileInfo(path).size(), 222 + 4084);
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QCOMPARE(f.frames(), QStringLiteral("-B--"));
    QCOMPARE(f.window->txtTopic->text(), QStringLiteral("x"));
}

void TestCommands::failedSaveKeepsTheComposer_data() {
    QTest::addColumn<bool>("folderInPlace");
    QTest::newRow("file removed") << false;
    QTest::newRow("folder in its place") << true;
}

void TestCommands::failedSaveKeepsTheComposer() {
    QFETCH(bool, folderInPlace);
    const QString path = f.openDiary(1);
    Run_Command(11);
    f.window->txtTopic->setText(QStringLiteral("Topic"));
    f.window->txtEntry->setPlainText(QStringLiteral("Line one\nLine two"));
    f.window->optWellness->button(0)->click();
    f.window->optLove->button(2)->click();
    const QString stamp = f.window->lblDateTime->text();
    QVERIFY(QFile::remove(path));
    if (folderInPlace)
        QVERIFY(QDir().mkdir(path));

    Run_Command(2);

    // The error box, nothing stored, no file made, the composer as it was.
    const QList<MsgBox::Shown> boxes = MsgBox::shownForTesting();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Quorvel"));
    QVERIFY(boxes.first().text.contains(QStringLiteral("\tmApplication --> Run_Command\t\t\t")));
    QVERIFY(!boxes.first().text.startsWith(QLatin1Char('0')));
    QCOMPARE(QFileInfo(path).isFile(), false);
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    QCOMPARE(f.frames(), QStringLiteral("C---"));
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Compose"));
    QCOMPARE(f.window->lblDateTime->text(), stamp);
    QCOMPARE(f.window->txtTopic->text(), QStringLiteral("Topic"));
    QCOMPARE(f.window->txtEntry->toPlainText(), QStringLiteral("Line one\nLine two"));
    QCOMPARE(f.window->optWellness->checkedId(), 0);
    QCOMPARE(f.window->optLove->checkedId(), 2);
}

void TestCommands::limitOf30000Entries() {
    const QString path = f.openDiary(1);
    // 29999 entries: a sparse file of the right length reads as blank entries.
    QFile file(path);
    QVERIFY(file.resize(DiaryFormat::entryOffset(30000)));
    QCOMPARE(Count_Entries(), 29999);

    Run_Command(11);
    QCOMPARE(f.frames(), QStringLiteral("C---"));
    QCOMPARE(f.window->lblEntryNumber->text(), QStringLiteral("30000"));
    Run_Command(2);
    QCOMPARE(Count_Entries(), 30000);
    QCOMPARE(f.window->lstEntriesModel->rowCount(), 30000);
    QVERIFY(MsgBox::shownForTesting().isEmpty());

    Run_Command(10);
    Run_Command(11);
    const QList<MsgBox::Shown> boxes = MsgBox::shownForTesting();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("You have reached the margin of 30000 entries!"));
    QCOMPARE(boxes.first().title, QStringLiteral("Quorvel"));
    QCOMPARE(boxes.first().buttons, MsgBox::Buttons::Ok);
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Browser"));
    QCOMPARE(f.frames(), QStringLiteral("-B--"));
    QCOMPARE(f.window->lstEntriesModel->rowCount(), 30000);
    QVERIFY(f.window->lstEntriesModel->stringList().last().startsWith(QStringLiteral(" 30000\t")));
}

void TestCommands::closeDiaryForgetsItAndKeepsTheTitle() {
    f.openDiary(2);
    f.window->lblWhichOwner->setText(QStringLiteral("Ann"));
    f.window->lblTitle->setText(QStringLiteral("Days"));
    Run_Command(11);
    f.window->txtTopic->setText(QStringLiteral("t"));
    f.window->txtEntry->setPlainText(QStringLiteral("e"));
    f.window->optWellness->button(2)->click();
    Run_Command(16);
    QVERIFY(publicDiaryPath.isEmpty());
    QCOMPARE(f.frames(), QStringLiteral("----"));
    QCOMPARE(f.window->lblDialogTitle->text(), QStringLiteral(" Entry Compose"));
    QCOMPARE(f.window->lblWhichOwner->text(), QString());
    QCOMPARE(f.window->lblTitle->text(), QString());
    QCOMPARE(f.window->txtTopic->text(), QString());
    QCOMPARE(f.window->txtEntry->toPlainText(), QString());
    QCOMPARE(f.window->optWellness->checkedId(), 2); // ratings are kept
    QVERIFY(PopupSettings::shownForTesting().isEmpty());
    Run_Command(12);
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::NoDiaryOpen});
}

void TestCommands::statisticsFillTheView() {
    f.openDiary(10);
    Run_Command(19);
    QCOMPARE(f.window->lblStatisticals_DS_COUNT->text(), QStringLiteral("10"));
    QCOMPARE(f.window->lblStatisticals_DIARY_OWNER->text(), QStringLiteral("Ann").leftJustified(50));
    QCOMPARE(f.window->lblStatisticals_DIARY_TITLE->text(), QStringLiteral("Days").leftJustified(100));
    QCOMPARE(f.window->lblStatisticals_DATE_OF_BUILD->text(), QStringLiteral("01.01.2026 10:00:00 "));
    // Entry i has wellness i % 4 and love (i + 1) % 4.
    const char* wellness[] = {" 2", " 3", " 3", " 2"};
    const char* love[] = {" 2", " 2", " 3", " 3"};
    for (size_t i = 0; i < 4; ++i) {
        QCOMPARE(f.window->lblStatisticals_HEALTH[i]->text(), QString::fromLatin1(wellness[i]));
        QCOMPARE(f.window->lblStatisticals_LOVE[i]->text(), QString::fromLatin1(love[i]));
    }
    // A diary without entries sets count and header, the counters stay.
    f.openDiary(0);
    Run_Command(19);
    QCOMPARE(f.window->lblStatisticals_DS_COUNT->text(), QStringLiteral("0"));
    QCOMPARE(f.window->lblStatisticals_HEALTH[0]->text(), QStringLiteral(" 2"));
}

void TestCommands::cutCopyPasteDeleteOnTheFocusedBox() {
    f.openDiary(1);
    Run_Command(11);
    QClipboard* clipboard = QApplication::clipboard();
    QLineEdit* topic = f.window->txtTopic;
    topic->setText(QStringLiteral("Hello World"));
    topic->setFocus();
    topic->setSelection(0, 5);
    Run_Command(6);
    QCOMPARE(clipboard->text(), QStringLiteral("Hello"));
    QCOMPARE(topic->text(), QStringLiteral(" World"));

    topic->setSelection(1, 5);
    Run_Command(7);
    QCOMPARE(clipboard->text(), QStringLiteral("World"));
    QCOMPARE(topic->text(), QStringLiteral(" World"));

    topic->setSelection(0, 1);
    Run_Command(8);
    QCOMPARE(topic->text(), QStringLiteral("WorldWorld"));

    topic->setSelection(0, 5);
    Run_Command(17);
    QCOMPARE(topic->text(), QStringLiteral("World"));
    QCOMPARE(clipboard->text(), QStringLiteral("World"));

    // The text box: a pasted line break is shown plainly.
    ComposerTextEdit* text = f.window->txtEntry;
    text->setFocus();
    clipboard->setText(QStringLiteral("a\r\nb"));
    Run_Command(8);
    QCOMPARE(text->toPlainText(), QStringLiteral("a\nb"));
    text->selectAll();
    Run_Command(6);
    QCOMPARE(clipboard->text(), QStringLiteral("a\nb"));
    QCOMPARE(text->toPlainText(), QString());
}

void TestCommands::readingRuleLeavesReadingBoxesAlone() {
    f.openDiary(2);
    Run_Command(13);
    QPlainTextEdit* reading = f.window->txtREADINGEntry;
    const QString shown = reading->toPlainText();
    QVERIFY(shown.startsWith(QStringLiteral("Text 1")));
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("clip"));
    reading->setFocus();
    reading->selectAll();
    QCOMPARE(QApplication::focusWidget(), reading);

    for (int code : {6, 8, 17}) {
        Run_Command(code);
        QCOMPARE(reading->toPlainText(), shown);
        QCOMPARE(clipboard->text(), QStringLiteral("clip"));
    }
    Run_Command(7); // copying is allowed
    QCOMPARE(clipboard->text(), shown);

    QLineEdit* topic = f.window->txtREADINGTopic;
    topic->setFocus();
    topic->selectAll();
    Run_Command(6);
    QCOMPARE(topic->text(), QStringLiteral("Topic 1").leftJustified(60));
}

void TestCommands::copyFromAListEmptiesTheClipboard() {
    f.openDiary(2);
    Run_Command(12);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    f.window->lstEntries->setFocus();
    QCOMPARE(QApplication::focusWidget(), f.window->lstEntries);
    Run_Command(7);
    QCOMPARE(QApplication::clipboard()->text(), QString());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    Run_Command(6);
    QCOMPARE(QApplication::clipboard()->text(), QString());
    QCOMPARE(f.window->lstEntriesModel->rowCount(), 2);
}

void TestCommands::quitAsksFirst() {
    Run_Command(11); // a view that must survive the answer No
    MsgBox::queueAnswer(MsgBox::Answer::No);
    Run_Command(3);
    QVERIFY(f.window->isVisible());
    QList<MsgBox::Shown> boxes = MsgBox::shownForTesting();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("Do you want to quit this application?"));
    QCOMPARE(boxes.first().title, QStringLiteral("Quorvel"));
    QCOMPARE(boxes.first().buttons, MsgBox::Buttons::YesNo);

    // The close box asks the same question.
    MsgBox::queueAnswer(MsgBox::Answer::No);
    QVERIFY(!f.window->close());
    QVERIFY(f.window->isVisible());

    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    f.window->mnuFileQuit->trigger();
    QVERIFY(!f.window->isVisible());
    QCOMPARE(MsgBox::shownForTesting().size(), 3);
}

void TestCommands::keysQueuedDuringASaveWaitForIt_data() {
    QTest::addColumn<int>("second");
    QTest::newRow("F6 F6") << int(Qt::Key_F6);
    QTest::newRow("F6 F7") << int(Qt::Key_F7);
}

void TestCommands::keysQueuedDuringASaveWaitForIt() {
    QFETCH(int, second);
    const QString path = f.openDiary(1);
    Run_Command(11);
    f.window->txtTopic->setText(QStringLiteral("Queued"));
    f.window->txtEntry->setPlainText(QStringLiteral("words under pressure"));
    f.window->optWellness->button(1)->click();
    // The keys already wait in the queue when the save lets events run.
    for (const int key : {int(Qt::Key_F6), second}) {
        QCoreApplication::postEvent(f.window->txtEntry, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QCoreApplication::postEvent(f.window->txtEntry, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
    }
    Run_Command(2);
    QTest::qWait(50); // the waiting commands run now

    QCOMPARE(countEntriesInFile(path), 2); // one entry saved, no blank one after it
    EntryText saved;
    QVERIFY(readEntry(path, 2, saved).ok());
    QCOMPARE(trimBlanks(saved.topic), QStringLiteral("Queued"));
    QCOMPARE(trimBlanks(saved.text), QStringLiteral("words under pressure"));
    QCOMPARE(saved.wellness, qint16(1));
    QVERIFY(MsgBox::shownForTesting().isEmpty()); // no error box
    QCOMPARE(PopupSettings::shownForTesting().first(), PopupKind::EntrySaved);
    QCOMPARE(publicDiaryPath.isEmpty(), second == Qt::Key_F7); // F7 closed the diary after the save
}

// After a save the Browser's list has the keys, the new entry current, so
// Enter reads it; after Close Diary the left-hand menu has them, and the
// arrows walk it. Nothing typed lands in a hidden control.
void TestCommands::keysFollowTheShownView() {
    f.openDiary(3);
    Run_Command(11);
    QTRY_COMPARE(QApplication::focusWidget(), f.window->txtTopic);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("heron"));
    Run_Command(2);
    QTRY_COMPARE(QApplication::focusWidget(), f.window->lstEntries);
    QCOMPARE(f.window->lstEntries->currentIndex().row(), 3);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("zz"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(f.frames(), QStringLiteral("--R-"));
    QCOMPARE(f.window->txtREADINGTopic->text().trimmed(), QStringLiteral("heron"));
    QTRY_COMPARE(QApplication::focusWidget(), f.window->txtREADINGEntry);
    QVERIFY(f.window->txtTopic->text().isEmpty());

    Run_Command(16);
    QTRY_COMPARE(QApplication::focusWidget(), f.window->lblLeftMenu[0]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), f.window->lblLeftMenu[1]);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
