// The mood charts of the Entry Statisticals view: filled by the statistics
// walk, placed by the layout pass, described for screen readers, and drawn
// into any painter without the main window.

#include "MainWindowFixture.h"

#include "MainLayout.h"
#include "MoodChart.h"
#include "mApplication.h"
#include "mFile.h"

#include <QBarSet>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QStackedBarSeries>

namespace {

// The text the chart shows over an empty plot, or "" when none is shown.
QString shownNote(QChart* chart) {
    for (QGraphicsItem* child : chart->childItems()) {
        auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(child);
        if (text && text->isVisible())
            return text->text();
    }
    return {};
}

QList<qreal> barValues(QChart* chart, int rating) {
    const QList<QAbstractSeries*> series = chart->series();
    if (series.size() != 1)
        return {};
    auto* bars = qobject_cast<QStackedBarSeries*>(series.first());
    QList<qreal> values;
    if (!bars)
        return values;
    const QBarSet* set = bars->barSets().at(rating);
    for (int k = 0; k < set->count(); ++k)
        values << set->at(k);
    return values;
}

} // namespace

class TestMoodCharts : public QObject {
    Q_OBJECT
    MainWindowFixture f;

private slots:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void chartsShowTheWalkBelowTheLabels();
    void reopeningTheViewRefreshesBoth();
    void emptyDiarySaysNoEntriesYet();
    void chartDrawsIntoAnyPainter();
};

void TestMoodCharts::chartsShowTheWalkBelowTheLabels() {
    f.openDiary(10); // entry i: 02.01.2026, wellness i % 4, love (i + 1) % 4
    Run_Command(19);
    MoodChartView* wellness = f.window->findChild<MoodChartView*>(QStringLiteral("chtWellnessByMonth"));
    MoodChartView* love = f.window->findChild<MoodChartView*>(QStringLiteral("chtLoveByMonth"));
    QVERIFY(wellness && love);
    QVERIFY(wellness->isVisible() && love->isVisible());
    QCOMPARE(wellness->accessibleName(), QStringLiteral("Wellness by month"));
    QCOMPARE(love->accessibleName(), QStringLiteral("Love by month"));
    QCOMPARE(wellness->accessibleDescription(),
             QStringLiteral("Wellness by month, from Jan 2026 to Jan 2026, counts of days per rating. "
                            "Jan 2026: healthy 2, balanced 3, ill 3, none 2."));
    QVERIFY(
        love->accessibleDescription().contains(QStringLiteral("Jan 2026: in love 2, lucky 2, love sick 3, none 3.")));
    QCOMPARE(barValues(wellness->chart(), 1), QList<qreal>{3});
    QCOMPARE(barValues(love->chart(), 3), QList<qreal>{3});
    QCOMPARE(wellness->chart()->legend()->markers().size(), 4);
    QCOMPARE(shownNote(wellness->chart()), QString());
    QVERIFY(wellness->undatedLine()->isHidden());

    // Below the last row, side by side; the labels keep their places.
    const QRect lastRow = f.window->lblStatisticals_LOVE[3]->geometry();
    QCOMPARE(lastRow.topLeft(), QPoint(twipsToPx(3700), twipsToPx(5790)));
    QVERIFY(wellness->y() >= lastRow.bottom());
    QCOMPARE(love->y(), wellness->y());
    QVERIFY(love->x() > wellness->geometry().right());
    QVERIFY(love->geometry().right() < f.window->fraStaticticals->width());

    // The layout pass sizes them from the window's outer size.
    const MainLayout worked = computeMainLayout(12400, 9500, false);
    QCOMPARE(worked.moodChartWidth, 4860);
    QCOMPARE(worked.moodChartHeight, 1665);
    QCOMPARE(worked.loveChartLeft, 5115);
    f.window->setOuterSizeTwips(18000, 12000);
    const MainLayout l = computeMainLayout(18000, 12000, false);
    QCOMPARE(wellness->size(), QSize(twipsToPx(l.moodChartWidth), twipsToPx(l.moodChartHeight)));
    QCOMPARE(love->geometry(), QRect(twipsToPx(l.loveChartLeft), twipsToPx(MainDesign::MoodChartsTop),
                                     twipsToPx(l.moodChartWidth), twipsToPx(l.moodChartHeight)));
}

void TestMoodCharts::reopeningTheViewRefreshesBoth() {
    f.openDiary(2);
    Run_Command(19);
    QVERIFY(Save_Entry(QStringLiteral("2026-03-14 09:00"), QStringLiteral("T"), QStringLiteral("X"), 2, 0).ok());
    QVERIFY(Save_Entry(QStringLiteral("one day"), QStringLiteral("T"), QStringLiteral("X"), 0, 0).ok());
    Run_Command(19);
    MoodChartView* love = f.window->chtLoveByMonth;
    QCOMPARE(barValues(love->chart(), 0), (QList<qreal>{0, 0, 1})); // Jan, Feb (empty), Mar
    QVERIFY(
        love->accessibleDescription().contains(QStringLiteral("Feb 2026: in love 0, lucky 0, love sick 0, none 0.")));
    QVERIFY(love->accessibleDescription().endsWith(QStringLiteral("Entries without a readable date: 1.")));
    QCOMPARE(f.window->chtWellnessByMonth->undatedLine()->text(), QStringLiteral("undated: 1"));
    QVERIFY(f.window->chtWellnessByMonth->undatedLine()->isVisible());
    QCOMPARE(f.window->lblStatisticals_DS_COUNT->text(), QStringLiteral("4"));
    // At the smallest window the charts are low: the undated count joins the title.
    f.window->setOuterSizeTwips(MainDesign::MinWidth, MainDesign::MinHeight);
    QVERIFY(f.window->chtWellnessByMonth->undatedLine()->isHidden());
    QCOMPARE(love->chart()->title(), QStringLiteral("Love by month (undated: 1)"));
}

void TestMoodCharts::emptyDiarySaysNoEntriesYet() {
    f.openDiary(3);
    Run_Command(19);
    f.openDiary(0);
    Run_Command(19);
    for (MoodChartView* chart : {f.window->chtWellnessByMonth, f.window->chtLoveByMonth}) {
        QCOMPARE(shownNote(chart->chart()), QStringLiteral("No entries yet"));
        QVERIFY(chart->chart()->series().isEmpty());
        QVERIFY(chart->accessibleDescription().endsWith(QStringLiteral("No entries yet.")));
    }
    QCOMPARE(f.window->lblStatisticals_HEALTH[1]->text(), QStringLiteral(" 1")); // the counters stay
}

void TestMoodCharts::chartDrawsIntoAnyPainter() {
    MoodMonths months;
    months.add("05.01.2026 10:00:00 ", 0, 2);
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        renderMoodChart(&painter, QRectF(0, 0, 400, 300), Mood::Wellness, moodTimeline(months));
    }
    // The one bar is "healthy": the light yellow stands in the picture.
    bool yellow = false;
    for (int y = 0; y < page.height() && !yellow; ++y) {
        for (int x = 0; x < page.width() && !yellow; ++x)
            yellow = page.pixelColor(x, y) == QColor(0xFD, 0xE7, 0x25);
    }
    QVERIFY(yellow);
}

QTEST_MAIN(TestMoodCharts)
#include "tst_moodcharts.moc"
