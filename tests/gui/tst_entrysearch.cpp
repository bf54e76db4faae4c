// Entry Search in a real main window on a diary written for the test (known
// dates, ratings and tags), driven with the keyboard: F9, typing, filters,
// Enter into Entry Reading and the arrows through the results; and the
// window's results beside quorvel-tool's for the same query.

#include "MainWindowFixture.h"

#include "DiaryCrypto.h"
#include "EntrySearchView.h"
#include "SearchResults.h"
#include "mApplication.h"
#include "mFile.h"
#include "storage/ToolRun.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace {

const QList<TestSupport::EntryValues> Entries = {
    {"01.03.2024 08:00:00", "Garden day", "Planted roses with Anna. #Garden", 0, 1},
    {"02.03.2024 09:00:00", "Work", "Long meeting. #office #garden", 2, 3},
    {"02.03.2025 10:00:00", "Cafe", "Met ANNA at the cafe. #friends", 1, 0},
    {"sometime", "Undated", "Anna called about the roses.", 2, 2},
    {"05.03.2025 10:00:00", "Roses again", "Pruned the old roses.", 0, 0},
};

} // namespace

class TestEntrySearch : public QObject {
    Q_OBJECT
private slots:
    void init() { f.start(); }
    void cleanup() { f.stop(); }
    void f9ShowsTheViewAndTypingLists();
    void enterOpensReadingAndTheArrowsStepThroughResults();
    void windowAndToolGiveTheSameResults();

private:
    // Logs in through the chooser and the password dialog.
    void logIn(const QString& path, const QString& password) {
        TestSupport::answerLogIn(path, password);
        Run_Command(1);
        QCOMPARE(publicDiaryPath, path);
        QTRY_VERIFY(!QApplication::activeModalWidget()); // the log-in popup is gone
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    }
    EntrySearchView* view() const { return f.window->fraEntrySearch; }
    // The entry numbers listed, once the walk is over.
    QList<qint32> listed() const {
        QList<qint32> numbers;
        if (!QTest::qWaitFor([this] { return !view()->searching(); }, 5000))
            return {-1};
        for (int row = 0; row < view()->lstSearchResultsModel->rowCount(); ++row)
            numbers << view()->lstSearchResultsModel->entryAt(row);
        return numbers;
    }
    void pressF9() {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : f.window.get(), Qt::Key_F9);
    }

    MainWindowFixture f;
};

void TestEntrySearch::f9ShowsTheViewAndTypingLists() {
    const QString diary = TestSupport::makeDiaryWithEntries("Ann", "Days", "01.03.2024 08:00:00", "pw", Entries);
    logIn(diary, "pw");
    pressF9();
    QVERIFY(view()->isVisible());
    QCOMPARE(f.window->lblDialogTitle->text(), QString(" Entry Search"));
    QTRY_COMPARE(QApplication::focusWidget(), view()->txtSearchQuery);
    QCOMPARE(listed(), (QList<qint32>{1, 2, 3, 4, 5})); // no query, no filter: every entry

    QTest::keyClicks(QApplication::focusWidget(), "anna");
    QCOMPARE(listed(), (QList<qint32>{1, 3, 4}));
    QCOMPARE(view()->lblSearchCount->text(), QString("3 entries"));
    // A filter narrows: ill only; then a date leaves the undated entry out.
    view()->chkSearchWellness[2]->click();
    QCOMPARE(listed(), (QList<qint32>{4}));
    QCOMPARE(view()->lblSearchCount->text(), QString("1 entry"));
    view()->chkSearchWellness[2]->click();
    view()->dtpSearchTo->setDate(QDate(2025, 12, 31));
    QCOMPARE(listed(), (QList<qint32>{1, 3}));
    // The query and filters stay while the diary is open; closing forgets them.
    Run_Command(10);
    Run_Command(21);
    QCOMPARE(view()->txtSearchQuery->text(), QString("anna"));
    QCOMPARE(listed(), (QList<qint32>{1, 3}));
    Run_Command(16);
    QVERIFY(view()->txtSearchQuery->text().isEmpty());
    QCOMPARE(view()->lstSearchResultsModel->rowCount(), 0);
    QVERIFY(view()->isHidden());
}

void TestEntrySearch::enterOpensReadingAndTheArrowsStepThroughResults() {
    const QString diary = TestSupport::makeDiaryWithEntries("Ann", "Days", "01.03.2024 08:00:00", "pw", Entries);
    logIn(diary, "pw");
    pressF9();
    QTRY_COMPARE(QApplication::focusWidget(), view()->txtSearchQuery);
    // Enter at once, before the pause is over: the first result opens.
    QTest::keyClicks(view()->txtSearchQuery, "roses");
    QTest::keyClick(view()->txtSearchQuery, Qt::Key_Return);
    QTRY_VERIFY(f.window->fraEntryReading->isVisible());
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("1"));
    QCOMPARE(f.window->lblDialogTitle->text(), QString(" Entry Reading"));
    QVERIFY(view()->isHidden());
    QTRY_COMPARE(QApplication::focusWidget(), f.window->txtREADINGEntry);
    QTest::keyClick(f.window->txtREADINGEntry, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), f.window->txtREADINGTopic);
    QCOMPARE(listed(), (QList<qint32>{1, 4, 5}));

    f.window->cmdForward->click();
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("4"));
    f.window->cmdForward->click();
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("5"));
    f.window->cmdForward->click(); // the last result
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("5"));
    f.window->cmdBack->click();
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("4"));

    // Back in the search, the list stands on the entry read; Enter there opens it.
    pressF9();
    QTRY_COMPARE(QApplication::focusWidget(), view()->txtSearchQuery);
    QCOMPARE(view()->lstSearchResults->currentIndex().row(), 1);
    view()->lstSearchResults->setFocus();
    QTest::keyClick(view()->lstSearchResults, Qt::Key_Down);
    QTest::keyClick(view()->lstSearchResults, Qt::Key_Return);
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("5"));

    // Through the Browser, the arrows walk the whole diary again.
    Run_Command(12);
    f.window->lstEntries->setCurrentIndex(f.window->lstEntriesModel->index(1));
    QTest::keyClick(f.window->lstEntries, Qt::Key_Return);
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("2"));
    f.window->cmdForward->click();
    QCOMPARE(f.window->lblREADINGEntryNumber->text().trimmed(), QString("3"));
}

void TestEntrySearch::windowAndToolGiveTheSameResults() {
    // A plain diary and an encrypted one: the window walks with the open key.
    QString encrypted;
    QVERIFY(createEncryptedDiaryFile("Bea", "pw", "Sealed", "01.03.2024 08:00:00", &encrypted,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(encrypted, "pw", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = encrypted;
    for (const TestSupport::EntryValues& e : Entries)
        QVERIFY(Save_Entry(e.dateTime, e.topic, e.text, e.wellness, e.love).ok());
    publicDiaryPath.clear();
    DiaryCrypto::clearOpenKey();
    const QString plain = TestSupport::makeDiaryWithEntries("Ann", "Days", "01.03.2024 08:00:00", "pw", Entries);

    for (const QString& diary : {plain, encrypted}) {
        logIn(diary, "pw");
        pressF9();
        QTRY_COMPARE(QApplication::focusWidget(), view()->txtSearchQuery);
        QTest::keyClicks(view()->txtSearchQuery, "roses -pruned");
        view()->chkSearchLove[1]->click(); // lucky
        view()->chkSearchLove[2]->click(); // love sick
        view()->dtpSearchTo->setDate(QDate(2025, 12, 31));
        const QList<qint32> numbers = listed();
        QString window;
        for (int row = 0; row < view()->lstSearchResultsModel->rowCount(); ++row)
            window += view()->lstSearchResultsModel->data(view()->lstSearchResultsModel->index(row), Qt::DisplayRole)
                          .toString() +
                      '\n';
        const ToolRun run = runTool({"search", diary, "--password-file", "-", "--love", "lucky,love sick", "--to",
                                     "2025-12-31", "--", "roses -pruned"},
                                    "pw\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(numbers, QList<qint32>{1});
        QCOMPARE(window, QString::fromUtf8(run.out));
        Run_Command(16);
    }
}

QTEST_MAIN(TestEntrySearch)
#include "tst_entrysearch.moc"
