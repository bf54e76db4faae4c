#pragma once

#include "MoodMonths.h"

#include <QWidget>

#include <memory>

class QChart;
class QChartView;
class QLabel;
class QPainter;
class QRectF;

// The charts of the moods over time: for each month (quarter, year) of a
// diary a stacked bar of the four ratings of one mood. Usable without the main
// window: build a chart from month data, or draw one into any painter (a
// printed or PDF page). Qt Charts needs a QApplication.
enum class Mood { Wellness, Love };

// "Wellness by month" / "Love by month": the chart's accessible name.
QString moodChartName(Mood mood);
// The title shown above the bars; it names the period the bars stand for.
QString moodChartTitle(Mood mood, MoodPeriod period);
// The chart's data in words, for screen readers: each bar's counts per rating.
QString moodChartDescription(Mood mood, const MoodTimeline& timeline);
// "Mar 2026: healthy 4, balanced 2, ill 0, none 1".
QString moodBarSummary(Mood mood, const MoodTimeline& timeline, int bar);

// Builds the chart of one mood; without dated entries it says "No entries yet".
std::unique_ptr<QChart> buildMoodChart(Mood mood, const MoodTimeline& timeline);
// Puts the timeline's bars into a chart made by buildMoodChart (replacing its
// old ones).
void fillMoodChart(QChart* chart, Mood mood, const MoodTimeline& timeline);
// Draws the chart of one mood into target, with the "undated: N" line beneath
// it when some entries have no readable date.
void renderMoodChart(QPainter* painter, const QRectF& target, Mood mood, const MoodTimeline& timeline);

// The chart as a control: the chart, a tool tip with the counts of the bar
// under the mouse, the "undated: N" line beneath, and the accessible name and
// description.
class MoodChartView : public QWidget {
    Q_OBJECT
public:
    MoodChartView(Mood mood, QWidget* parent);
    ~MoodChartView() override;

    void setTimeline(const MoodTimeline& timeline);
    const MoodTimeline& timeline() const { return timeline_; }
    QChart* chart() const;
    QLabel* undatedLine() const { return undated_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectToolTips();
    void fitToHeight();

    Mood mood_;
    MoodTimeline timeline_;
    QChartView* view_ = nullptr;
    QLabel* undated_ = nullptr;
    bool low_ = false; // laid out for a low height
};
