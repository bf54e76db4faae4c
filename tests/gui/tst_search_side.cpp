// Entry Search's side panel: the diary's tags, the calendar with its marked
// days and the "On this day" line, filled with known data and used with the
// mouse and the keyboard.

#include "SearchSidePanel.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QDate Today(2026, 12, 9);

QMap<QDate, qint32> knownDays() {
    return {{QDate(2024, 12, 9), 2}, {QDate(2025, 12, 9), 1}, {QDate(2026, 3, 1), 4}, {QDate(2026, 12, 9), 1}};
}

QList<TagCount> knownTags() {
    return {TagCount{QStringLiteral("garden"), 3}, TagCount{QStringLiteral("anna"), 1}};
}

// The calendar's cell for day in the month shown.
QModelIndex cellOf(QAbstractItemView* view, int day) {
    const QAbstractItemModel* model = view->model();
    for (int row = 1; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QModelIndex index = model->index(row, column);
            const bool thisMonth = !(row == 1 && index.data().toInt() > 7) && !(row >= 5 && index.data().toInt() < 15);
            if (thisMonth && index.data().toInt() == day)
                return index;
        }
    }
    return {};
}

} // namespace

class TestSearchSide : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void summaryShowsTagsDaysAndEarlierYears();
    void clicksAndEnterChooseTagsAndDays();
    void pageKeysStepMonthsAndYears();
    void onThisDayListsTheEarlierYears();
    void clearSummaryLeavesNothing();

private:
    QWidget* window_ = nullptr;
    QLineEdit* query_ = nullptr;
    SearchSidePanel* panel_ = nullptr;
    QListWidget* tags_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QAbstractItemView* days_ = nullptr;
    QLabel* onThisDay_ = nullptr;
};

void TestSearchSide::init() {
    window_ = new QWidget;
    auto* layout = new QVBoxLayout(window_);
    query_ = new QLineEdit(window_);
    panel_ = new SearchSidePanel(window_);
    layout->addWidget(query_);
    layout->addWidget(panel_);
    window_->resize(400, 700);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    tags_ = panel_->findChild<QListWidget*>(QStringLiteral("lstSearchTags"));
    calendar_ = panel_->findChild<QCalendarWidget*>(QStringLiteral("calSearch"));
    onThisDay_ = panel_->findChild<QLabel*>(QStringLiteral("lblOnThisDay"));
    QVERIFY(tags_ && calendar_ && onThisDay_);
    days_ = calendar_->findChild<QAbstractItemView*>();
    QVERIFY(days_);
}

void TestSearchSide::cleanup() {
    delete window_;
    window_ = nullptr;
}

void TestSearchSide::summaryShowsTagsDaysAndEarlierYears() {
    query_->setFocus();
    QTRY_VERIFY(query_->hasFocus());
    panel_->showSummary(knownTags(), knownDays(), Today);
    QVERIFY(query_->hasFocus()); // the panel takes no focus by itself

    QCOMPARE(tags_->count(), 2);
    QCOMPARE(tags_->item(0)->text(), QStringLiteral("#garden (3)"));
    QCOMPARE(tags_->item(1)->text(), QStringLiteral("#anna (1)"));

    QCOMPARE(calendar_->dateTextFormat(QDate(2026, 3, 1)).fontWeight(), int(QFont::Bold));
    QVERIFY(calendar_->dateTextFormat(QDate(2026, 3, 2)).fontWeight() != int(QFont::Bold));

    calendar_->setCurrentPage(2026, 3);
    const QModelIndex first = cellOf(days_, 1);
    QVERIFY(first.isValid());
    const QPoint at = days_->visualRect(first).center();
    QHelpEvent tip(QEvent::ToolTip, at, days_->viewport()->mapToGlobal(at));
    QApplication::sendEvent(days_->viewport(), &tip);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("4 entries"));

    QCOMPARE(onThisDay_->isVisible(), true);
    QVERIFY(onThisDay_->text().contains(QStringLiteral("On this day: 2024, 2025")));
}

void TestSearchSide::clicksAndEnterChooseTagsAndDays() {
    panel_->showSummary(knownTags(), knownDays(), Today);
    QSignalSpy tagSpy(panel_, &SearchSidePanel::tagChosen);
    QSignalSpy daySpy(panel_, &SearchSidePanel::dayChosen);

    QTest::mouseClick(tags_->viewport(), Qt::LeftButton, {}, tags_->visualItemRect(tags_->item(1)).center());
    QCOMPARE(tagSpy.count(), 1);
    QCOMPARE(tagSpy.at(0).at(0).toString(), QStringLiteral("anna"));
    tags_->setFocus();
    tags_->setCurrentRow(0);
    QTest::keyClick(tags_, Qt::Key_Return);
    QCOMPARE(tagSpy.count(), 2);
    QCOMPARE(tagSpy.at(1).at(0).toString(), QStringLiteral("garden"));

    calendar_->setCurrentPage(2026, 3);
    QTest::mouseClick(days_->viewport(), Qt::LeftButton, {}, days_->visualRect(cellOf(days_, 1)).center());
    QCOMPARE(daySpy.count(), 1);
    QCOMPARE(daySpy.at(0).at(0).toDate(), QDate(2026, 3, 1));
    days_->setFocus();
    QTest::keyClick(days_, Qt::Key_Right);
    QTest::keyClick(days_, Qt::Key_Enter);
    QCOMPARE(daySpy.count(), 2);
    QCOMPARE(daySpy.at(1).at(0).toDate(), QDate(2026, 3, 2));
}

void TestSearchSide::pageKeysStepMonthsAndYears() {
    calendar_->setSelectedDate(QDate(2026, 3, 1));
    days_->setFocus();
    QTest::keyClick(days_, Qt::Key_PageDown);
    QCOMPARE(calendar_->monthShown(), 4);
    QTest::keyClick(days_, Qt::Key_PageUp);
    QTest::keyClick(days_, Qt::Key_PageUp);
    QCOMPARE(calendar_->monthShown(), 2);
    QTest::keyClick(days_, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(calendar_->yearShown(), 2025);
    QCOMPARE(calendar_->monthShown(), 2);
    QTest::keyClick(days_, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(calendar_->yearShown(), 2026);
}

void TestSearchSide::onThisDayListsTheEarlierYears() {
    panel_->showSummary(knownTags(), knownDays(), Today);
    QSignalSpy spy(panel_, &SearchSidePanel::daysChosen);
    QTest::mouseClick(onThisDay_, Qt::LeftButton, {}, QPoint(8, onThisDay_->fontMetrics().height() / 2));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QList<QDate>>(), (QList<QDate>{QDate(2024, 12, 9), QDate(2025, 12, 9)}));

    panel_->showSummary(knownTags(), knownDays(), QDate(2026, 12, 10));
    QCOMPARE(onThisDay_->text(), QStringLiteral("Nothing on this day in earlier years."));
}

void TestSearchSide::clearSummaryLeavesNothing() {
    panel_->showSummary(knownTags(), knownDays(), Today);
    panel_->clearSummary();
    QCOMPARE(tags_->count(), 0);
    QVERIFY(calendar_->dateTextFormat(QDate(2026, 3, 1)).fontWeight() != int(QFont::Bold));
    QVERIFY(onThisDay_->text().isEmpty());
}

QTEST_MAIN(TestSearchSide)
#include "tst_search_side.moc"
