// The Find dialog and the phrase search it runs, driven through the
// dispatcher (command 9) on real diaries in a temporary program folder.

#include "support/GuiTestSupport.h"

#include "ComposerEdits.h"
#include "EntryDisplay.h"
#include "MsgBox.h"
#include "StorageGlobals.h"
#include "frmFindPhrase.h"
#include "frmMain.h"
#include "mApplication.h"
#include "mFile.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

#include <memory>

namespace {

struct Entry {
    QString topic;
    QString text;
    qint16 wellness = 1;
    qint16 love = 2;
};

// A diary holding exactly these entries (texts as stored: CR LF line breaks).
QString diaryWith(const QList<Entry>& entries, const QString& title = QStringLiteral("Days")) {
    QString path;
    if (!Create_Diary_File("Ann", "pw", title, "01.01.2026 10:00:00", &path).ok())
        qFatal("cannot create a diary");
    const QString previous = publicDiaryPath;
    publicDiaryPath = path;
    int i = 0;
    for (const Entry& e : entries) {
        ++i;
        if (!Save_Entry(QString("0%1.02.2026 08:00:00").arg(i % 10), e.topic, e.text, e.wellness, e.love).ok())
            qFatal("cannot save an entry");
    }
    publicDiaryPath = previous;
    return path;
}

// Six entries; "Zebra" stands in the texts of 2 and 5 only.
QList<Entry> sixWithZebras() {
    QList<Entry> entries;
    for (int i = 1; i <= 6; ++i)
        entries.append({QString("Topic %1").arg(i),
                        i == 2 || i == 5 ? QString("Day %1 with a zebra crossing").arg(i) : QString("Day %1").arg(i),
                        qint16(i % 4), qint16((i + 1) % 4)});
    return entries;
}

// What one showing of the dialog looked like and did.
struct Round {
    QString offered;         // text in txtFindPhrase at load
    QString offeredSelected; // its selected part
    bool stayedOpen = false; // still shown after the search
};

} // namespace

class TestFindPhrase : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dialogLooksAsDesigned();
    void hitsWalkForwardAndStartAgain();
    void phraseTwiceInOneEntryMovesOn();
    void capitalsFindSmallLetters();
    void phraseOnlyInTopicIsNotFound();
    void emptyPhraseIsFoundAtTheStartEntry();
    void blanksAroundAreSearchedTrimmedButRemembered();
    void positionCarriesIntoAnotherDiary();
    void cancelKeepsThePosition();
    void enterSearchesAndEscapeCancels();
    void selectionLandsAfterLineBreaks();
    void selectionLandsAfterLettersOutsideAscii_data();
    void selectionLandsAfterLettersOutsideAscii();
    void ratingOutsideRangeChecksNoOption();
    void emptyDiaryLeavesDialogOpen();

private:
    // Opens Find through the dispatcher, types `typed` (unless null) and
    // clicks cmdFindPhrase; a dialog left open is then cancelled.
    Round search(const QString& typed = QString());

    std::unique_ptr<TestSupport::TempProgramFolder> folder_;
    std::unique_ptr<frmMain> main_;
};

void TestFindPhrase::init() {
    TestSupport::quietDialogs();
    MsgBox::clearShownForTesting();
    folder_ = std::make_unique<TestSupport::TempProgramFolder>();
    publicLastFoundEntry = 0;
    main_ = std::make_unique<frmMain>();
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
}

void TestFindPhrase::cleanup() {
    main_.reset();
    folder_.reset();
    publicLastFoundEntry = 0;
}

Round TestFindPhrase::search(const QString& typed) {
    Round round;
    TestSupport::whenModal<frmFindPhrase>([&round, typed](frmFindPhrase* dialog) {
        round.offered = dialog->txtFindPhrase->text();
        round.offeredSelected = dialog->txtFindPhrase->selectedText();
        if (!typed.isNull())
            dialog->txtFindPhrase->setText(typed);
        QTest::mouseClick(dialog->cmdFindPhrase, Qt::LeftButton);
        round.stayedOpen = dialog->isVisible();
        if (round.stayedOpen)
            QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    });
    Run_Command(9);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return round;
}

void TestFindPhrase::dialogLooksAsDesigned() {
    publicDiaryPath = diaryWith(sixWithZebras());
    bool checked = false;
    TestSupport::whenModal<frmFindPhrase>([this, &checked](frmFindPhrase* dialog) {
        // A failed check returns early: the dialog must close all the same.
        const auto closeDialog = qScopeGuard([dialog] { dialog->reject(); });
        QCOMPARE(dialog->windowTitle(), QString("Find Phrase"));
        QCOMPARE(dialog->lblDialogTitle->text(), QString(" Find Phrase"));
        QCOMPARE(dialog->lblDialogTitle->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(dialog->lblDialogTitle->palette().color(QPalette::WindowText), QColor(192, 192, 192));
        QCOMPARE(dialog->Labe1->text(), QString("Enter Phrase:"));
        for (QPushButton* button : {dialog->cmdFindPhrase, dialog->cmdCancel}) {
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->icon().isNull());
            QVERIFY(!button->toolTip().isEmpty());
            QCOMPARE(button->accessibleName(), button->toolTip());
        }
        QVERIFY(dialog->cmdFindPhrase->isDefault());
        // Fixed size, owned by the main window and centred over it.
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QCOMPARE(dialog->parentWidget(), main_.get());
        QVERIFY(dialog->windowFlags() & Qt::Dialog);
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
        const QPoint offset = dialog->frameGeometry().center() - main_->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() < 40, qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
        QCOMPARE(frmFindPhrase::instance(), dialog);
        QTRY_COMPARE(QApplication::focusWidget(), dialog->txtFindPhrase);
        checked = true;
    });
    Run_Command(9);
    QVERIFY(checked);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(frmFindPhrase::instance(), nullptr); // unloaded: the next showing starts afresh
}

void TestFindPhrase::hitsWalkForwardAndStartAgain() {
    publicDiaryPath = diaryWith(sixWithZebras());

    Round first = search("zebra");
    QCOMPARE(first.offered, QString()); // nothing searched yet
    QVERIFY(!first.stayedOpen);
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("2")); // no leading blank after a search
    QCOMPARE(main_->lblREADINGDateTime->text(), QString("02.02.2026 08:00:00 "));
    QCOMPARE(main_->txtREADINGTopic->text().trimmed(), QString("Topic 2"));
    QCOMPARE(main_->optREADINGWellness->checkedId(), 2);
    QCOMPARE(main_->optREADINGLove->checkedId(), 3);
    QVERIFY(main_->fraEntryReading->isVisibleTo(main_.get()));
    QVERIFY(main_->fraComposer->isHidden());
    QVERIFY(main_->fraEntryBrowser->isHidden());
    QVERIFY(main_->fraStaticticals->isHidden());
    QCOMPARE(main_->lblDialogTitle->text(), QString(" Diary Workbench")); // the title is left alone
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectedText(), QString("zebra"));
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectionStart(), 13);
    QTRY_COMPARE(main_->focusWidget(), main_->txtREADINGEntry);

    // The phrase is offered again, selected; searching on finds entry 5.
    Round second = search();
    QCOMPARE(second.offered, QString("zebra"));
    QCOMPARE(second.offeredSelected, QString("zebra"));
    QCOMPARE(publicLastFoundEntry, 5);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("5"));

    // Past the last hit: nothing shown, the dialog stays, the position resets.
    Round third = search();
    QVERIFY(third.stayedOpen);
    QCOMPARE(publicLastFoundEntry, 0);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("5"));
    QVERIFY(MsgBox::shownForTesting().isEmpty()); // nothing is said either

    Round fourth = search();
    QVERIFY(!fourth.stayedOpen);
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("2"));
}

void TestFindPhrase::phraseTwiceInOneEntryMovesOn() {
    publicDiaryPath = diaryWith({{"a", "echo and echo again"}, {"b", "silence"}, {"c", "one echo"}});
    search("echo");
    QCOMPARE(publicLastFoundEntry, 1);
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectionStart(), 0); // the first occurrence
    search("echo");
    QCOMPARE(publicLastFoundEntry, 3); // not the second occurrence in entry 1
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectionStart(), 4);
}

void TestFindPhrase::capitalsFindSmallLetters() {
    publicDiaryPath = diaryWith({{"x", "nothing"}, {"y", "the quick brown fox"}});
    search("QUICK Brown");
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectedText(), QString("quick brown")); // as stored
}

void TestFindPhrase::phraseOnlyInTopicIsNotFound() {
    publicDiaryPath = diaryWith({{"Secret plans", "nothing here"}, {"Other", "Secre t"}});
    publicLastFoundEntry = 0;
    main_->lblREADINGEntryNumber->setText("untouched");
    const Round round = search("secret");
    QVERIFY(round.stayedOpen);
    QCOMPARE(publicLastFoundEntry, 0);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("untouched"));
    QVERIFY(main_->fraEntryReading->isHidden());
}

void TestFindPhrase::emptyPhraseIsFoundAtTheStartEntry() {
    publicDiaryPath = diaryWith(sixWithZebras());
    search("");
    QCOMPARE(publicLastFoundEntry, 1);
    QVERIFY(!main_->txtREADINGEntry->textCursor().hasSelection());
    QCOMPARE(main_->txtREADINGEntry->textCursor().position(), 0);
    search("   "); // blanks only: the same empty phrase, from the next entry
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("2"));
}

void TestFindPhrase::blanksAroundAreSearchedTrimmedButRemembered() {
    publicDiaryPath = diaryWith({{"a", "a red fox"}, {"b", "red  fox"}});
    search("  red fox ");
    QCOMPARE(publicLastFoundEntry, 1);
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectedText(), QString("red fox"));
    QCOMPARE(main_->txtEntry->property("tag").toString(), QString("  red fox "));
    const Round next = search();
    QCOMPARE(next.offered, QString("  red fox "));
    QCOMPARE(next.offeredSelected, QString("  red fox "));
    QVERIFY(next.stayedOpen); // entry 2 has two blanks between the words
}

void TestFindPhrase::positionCarriesIntoAnotherDiary() {
    const QString first = diaryWith(sixWithZebras(), "First");
    QList<Entry> other = sixWithZebras(); // zebras in 2 and 5 here too
    other[0].text = "zebra at the start";
    const QString second = diaryWith(other, "Second");
    publicDiaryPath = first;
    search("zebra");
    QCOMPARE(publicLastFoundEntry, 2);
    publicDiaryPath = second; // another diary is opened; the position stays
    search("zebra");
    QCOMPARE(publicLastFoundEntry, 5); // entry 1 of the second diary is skipped
}

void TestFindPhrase::cancelKeepsThePosition() {
    publicDiaryPath = diaryWith(sixWithZebras());
    search("zebra");
    QCOMPARE(publicLastFoundEntry, 2);
    bool cancelled = false;
    TestSupport::whenModal<frmFindPhrase>([&cancelled](frmFindPhrase* dialog) {
        dialog->txtFindPhrase->setText("something else");
        QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
        cancelled = !dialog->isVisible();
    });
    Run_Command(9);
    QVERIFY(cancelled);
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->txtEntry->property("tag").toString(), QString("zebra")); // only a search remembers
    search();
    QCOMPARE(publicLastFoundEntry, 5);
}

void TestFindPhrase::enterSearchesAndEscapeCancels() {
    publicDiaryPath = diaryWith(sixWithZebras());
    TestSupport::whenModal<frmFindPhrase>([](frmFindPhrase* dialog) {
        QTest::keyClicks(dialog->txtFindPhrase, "Zebra");
        QTest::keyClick(dialog->txtFindPhrase, Qt::Key_Return);
    });
    Run_Command(9);
    QCOMPARE(publicLastFoundEntry, 2);

    bool typedOver = false;
    TestSupport::whenModal<frmFindPhrase>([&typedOver](frmFindPhrase* dialog) {
        // The offered phrase is selected, so typing replaces it.
        QTest::keyClicks(dialog->txtFindPhrase, "day 6");
        typedOver = dialog->txtFindPhrase->text() == "day 6";
        QTest::keyClick(dialog->txtFindPhrase, Qt::Key_Escape);
    });
    Run_Command(9);
    QVERIFY(typedOver);
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->lblREADINGEntryNumber->text(), QString("2"));
}

void TestFindPhrase::selectionLandsAfterLineBreaks() {
    const QString text = "First line\r\nsecond line\r\n\r\n\r\nthe Lighthouse stands\r\nLighthouse again";
    publicDiaryPath = diaryWith({{"t", "no light"}, {"t", text}});
    search("lighthouse");
    QCOMPARE(publicLastFoundEntry, 2);
    const QTextCursor cursor = main_->txtREADINGEntry->textCursor();
    QCOMPARE(cursor.selectedText(), QString("Lighthouse"));
    QCOMPARE(cursor.selectionStart(), static_cast<int>(QString("First line\nsecond line\n\n\nthe ").size()));
    QCOMPARE(cursor.blockNumber(), 4);
}

void TestFindPhrase::selectionLandsAfterLettersOutsideAscii_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("after umlauts") << QString::fromUtf8("Äpfel, Öl und Bär\r\nam Strand: Muscheln") << "muscheln"
                                   << "Muscheln";
    QTest::newRow("accented capitals") << QString::fromUtf8("Ça va? Élan vital und Süße") << QString::fromUtf8("élan")
                                       << QString::fromUtf8("Élan");
    QTest::newRow("phrase with umlaut") << QString::fromUtf8("Grüße aus\r\nMÜNCHEN heute")
                                        << QString::fromUtf8("münchen") << QString::fromUtf8("MÜNCHEN");
}

void TestFindPhrase::selectionLandsAfterLettersOutsideAscii() {
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    publicDiaryPath = diaryWith({{"t", text}});
    search(typed);
    QCOMPARE(publicLastFoundEntry, 1);
    QCOMPARE(main_->txtREADINGEntry->textCursor().selectedText(), stored);
}

void TestFindPhrase::ratingOutsideRangeChecksNoOption() {
    publicDiaryPath = diaryWith({{"ok", "fine day", 0, 0}, {"odd", "odd day", 7, -1}});
    search("fine");
    QCOMPARE(main_->optREADINGWellness->checkedId(), 0);
    search("odd");
    QCOMPARE(publicLastFoundEntry, 2);
    QCOMPARE(main_->optREADINGWellness->checkedButton(), nullptr);
    QCOMPARE(main_->optREADINGLove->checkedButton(), nullptr);
}

void TestFindPhrase::emptyDiaryLeavesDialogOpen() {
    publicDiaryPath = diaryWith({});
    publicLastFoundEntry = 4;
    const Round round = search("");
    QVERIFY(round.stayedOpen);
    QCOMPARE(publicLastFoundEntry, 4); // an empty diary changes nothing
    QVERIFY(main_->fraEntryReading->isHidden());
}

QTEST_MAIN(TestFindPhrase)
#include "tst_findphrase.moc"
