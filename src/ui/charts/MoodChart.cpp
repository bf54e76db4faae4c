#include "MoodChart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QCursor>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLegend>
#include <QPainter>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace {

// Marks the text item that says "No entries yet" among the chart's children.
constexpr int NoteKey = 0;
const QString NoteTag = QStringLiteral("moodChartNote");

const std::array<QString, 4>& captionsOf(Mood mood) {
    return mood == Mood::Wellness ? wellnessCaptions() : loveCaptions();
}

// Three colours from a palette made for colour-blind readers whose lightness
// rises steadily (dark purple, teal, yellow), so they also stay apart in grey
// scale; good days are light, bad ones dark. "none" is no colour at all but a
// grey hatching, told apart at a glance.
QBrush ratingBrush(int rating) {
    switch (rating) {
    case 0:
        return QColor(0xFD, 0xE7, 0x25);
    case 1:
        return QColor(0x21, 0x91, 0x8C);
    case 2:
        return QColor(0x44, 0x01, 0x54);
    default:
        break;
    }
    return QBrush(QColor(0x70, 0x70, 0x70), Qt::BDiagPattern);
}

QString periodWord(MoodPeriod period) {
    switch (period) {
    case MoodPeriod::Month:
        return QCoreApplication::translate("MoodChart", "month");
    case MoodPeriod::Quarter:
        return QCoreApplication::translate("MoodChart", "quarter");
    case MoodPeriod::Year:
        break;
    }
    return QCoreApplication::translate("MoodChart", "year");
}

QString emptyText(const MoodTimeline& timeline) {
    return timeline.undated > 0 ? QCoreApplication::translate("MoodChart", "No dated entries") : QCoreApplication::translate("MoodChart", "No entries yet");
}

QString undatedText(const MoodTimeline& timeline) {
    return QCoreApplication::translate("MoodChart", "undated: %1").arg(timeline.undated);
}

QFont sizedFont(qreal pointSize, bool bold = false) {
    QFont font;
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QGraphicsSimpleTextItem* noteOf(QChart* chart) {
    for (QGraphicsItem* child : chart->childItems()) {
        if (child->data(NoteKey).toString() == NoteTag)
            return static_cast<QGraphicsSimpleTextItem*>(child);
    }
    return nullptr;
}

void centreNote(QChart* chart) {
    if (QGraphicsSimpleTextItem* note = noteOf(chart)) {
        const QRectF area = chart->plotArea();
        const QRectF text = note->boundingRect();
        note->setPos(area.center() - QPointF(text.width() / 2, text.height() / 2));
    }
}

// Whole-number steps of 1, 2 or 5 times a power of ten, about four of them.
void setCountRange(QValueAxis* axis, qint32 highest) {
    qint32 step = 1;
    for (qint32 power = 1; step * 4 < highest; power *= 10) {
        for (const qint32 factor : {1, 2, 5}) {
            step = factor * power;
            if (step * 4 >= highest)
                break;
        }
    }
    const qint32 top = qMax(step, (highest + step - 1) / step * step);
    axis->setRange(0, top);
    axis->setTickCount(top / step + 1);
    axis->setLabelFormat(QStringLiteral("%d"));
}

} // namespace

QString moodChartName(Mood mood) {
    return mood == Mood::Wellness ? QCoreApplication::translate("MoodChart", "Wellness by month") : QCoreApplication::translate("MoodChart", "Love by month");
}

QString moodChartTitle(Mood mood, MoodPeriod period) {
    return QCoreApplication::translate("MoodChart", "%1 by %2")
        .arg(mood == Mood::Wellness ? QCoreApplication::translate("MoodChart", "Wellness") : QCoreApplication::translate("MoodChart", "Love"), periodWord(period));
}

QString moodBarSummary(Mood mood, const MoodTimeline& timeline, int bar) {
    if (bar < 0 || size_t(bar) >= timeline.bars.size())
        return {};
    const MoodBar& b = timeline.bars[size_t(bar)];
    const std::array<qint32, 4>& counts = mood == Mood::Wellness ? b.tally.wellness : b.tally.love;
    QStringList parts;
    for (size_t k = 0; k < 4; ++k)
        parts << QStringLiteral("%1 %2").arg(QCoreApplication::translate("frmMain", captionsOf(mood)[k].toUtf8().constData())).arg(counts[k]);
    return moodBarLabel(timeline.period, b.first) + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

QString moodChartDescription(Mood mood, const MoodTimeline& timeline) {
    const QString title = moodChartTitle(mood, timeline.period);
    QStringList sentences;
    if (timeline.bars.empty()) {
        sentences << title + QStringLiteral(": ") + emptyText(timeline) + QLatin1Char('.');
    } else {
        sentences << QCoreApplication::translate("MoodChart", "%1, from %2 to %3, counts of days per rating.")
                         .arg(title, moodBarLabel(timeline.period, timeline.bars.front().first),
                              moodBarLabel(timeline.period, timeline.bars.back().first));
        for (int bar = 0; size_t(bar) < timeline.bars.size(); ++bar)
            sentences << moodBarSummary(mood, timeline, bar) + QLatin1Char('.');
    }
    if (timeline.undated > 0)
        sentences << QCoreApplication::translate("MoodChart", "Entries without a readable date: %1.").arg(timeline.undated);
    return sentences.join(QLatin1Char(' '));
}

std::unique_ptr<QChart> buildMoodChart(Mood mood, const MoodTimeline& timeline) {
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setTitleFont(sizedFont(9, true));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(sizedFont(8));
    chart->legend()->setContentsMargins(0, 4, 0, 4);
    auto* note = new QGraphicsSimpleTextItem(chart.get());
    note->setData(NoteKey, NoteTag);
    note->setFont(sizedFont(11, true));
    note->setBrush(QColor(0x50, 0x50, 0x50));
    QChart* raw = chart.get();
    QObject::connect(raw, &QChart::plotAreaChanged, raw, [raw] { centreNote(raw); });
    fillMoodChart(raw, mood, timeline);
    return chart;
}

void fillMoodChart(QChart* chart, Mood mood, const MoodTimeline& timeline) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(moodChartTitle(mood, timeline.period));
    const bool empty = timeline.bars.empty();
    if (QGraphicsSimpleTextItem* note = noteOf(chart)) {
        note->setText(emptyText(timeline));
        note->setVisible(empty);
        centreNote(chart);
    }
    chart->legend()->setVisible(!empty);
    if (empty)
        return;

    auto* series = new QStackedBarSeries(chart);
    series->setBarWidth(0.8);
    const QPen outline(QColor(0x30, 0x30, 0x30), 0.5);
    for (size_t k = 0; k < 4; ++k) {
        auto* set = new QBarSet(QCoreApplication::translate("frmMain", captionsOf(mood)[k].toUtf8().constData()), series);
        set->setBrush(ratingBrush(int(k)));
        set->setPen(outline);
        QList<qreal> values;
        values.reserve(qsizetype(timeline.bars.size()));
        for (const MoodBar& bar : timeline.bars)
            values << (mood == Mood::Wellness ? bar.tally.wellness[k] : bar.tally.love[k]);
        set->append(values);
        series->append(set);
    }
    chart->addSeries(series);

    QStringList labels;
    qint32 highest = 0;
    for (const MoodBar& bar : timeline.bars) {
        labels << moodBarLabel(timeline.period, bar.first);
        const auto& counts = mood == Mood::Wellness ? bar.tally.wellness : bar.tally.love;
        highest = qMax(highest, counts[0] + counts[1] + counts[2] + counts[3]);
    }
    auto* periods = new QBarCategoryAxis(chart);
    periods->append(labels);
    periods->setLabelsFont(sizedFont(7.5));
    // Beyond a few bars their names stand upright, so none is cut short.
    periods->setLabelsAngle(labels.size() > 6 ? -90 : 0);
    periods->setGridLineVisible(false);
    chart->addAxis(periods, Qt::AlignBottom);
    series->attachAxis(periods);

    auto* days = new QValueAxis(chart);
    setCountRange(days, highest);
    days->setLabelsFont(sizedFont(7.5));
    days->setTitleText(QCoreApplication::translate("MoodChart", "days"));
    days->setTitleFont(sizedFont(7.5));
    chart->addAxis(days, Qt::AlignLeft);
    series->attachAxis(days);
}

void renderMoodChart(QPainter* painter, const QRectF& target, Mood mood, const MoodTimeline& timeline) {
    QRectF chartArea = target;
    if (timeline.undated > 0) {
        const qreal line = painter->fontMetrics().height() * 1.5;
        chartArea.setBottom(target.bottom() - line);
        painter->drawText(QRectF(target.left(), chartArea.bottom(), target.width(), line),
                          Qt::AlignLeft | Qt::AlignVCenter, undatedText(timeline));
    }
    QGraphicsScene scene;
    QChart* chart = buildMoodChart(mood, timeline).release();
    scene.addItem(chart); // the scene owns it from here
    const QRectF source(QPointF(0, 0), chartArea.size());
    chart->setGeometry(source);
    chart->layout()->activate();
    scene.render(painter, chartArea, source);
}

MoodChartView::MoodChartView(Mood mood, QWidget* parent) : QWidget(parent), mood_(mood) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    view_ = new QChartView(buildMoodChart(mood, timeline_).release(), this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFrameShape(QFrame::NoFrame);
    layout->addWidget(view_, 1);
    undated_ = new QLabel(this);
    undated_->setObjectName(QStringLiteral("lblUndated"));
    undated_->setVisible(false);
    layout->addWidget(undated_);
    setAccessibleName(moodChartName(mood));
    view_->setAccessibleName(moodChartName(mood));
    setTimeline(timeline_);
}

MoodChartView::~MoodChartView() = default;

QChart* MoodChartView::chart() const {
    return view_->chart();
}

void MoodChartView::setTimeline(const MoodTimeline& timeline) {
    timeline_ = timeline;
    fillMoodChart(view_->chart(), mood_, timeline_);
    undated_->setText(undatedText(timeline_));
    fitToHeight();
    connectToolTips();
    const QString description = moodChartDescription(mood_, timeline_);
    setAccessibleDescription(description);
    view_->setAccessibleDescription(description);
}

void MoodChartView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitToHeight();
}

// A low chart (the window near its smallest) keeps its bars readable: the
// legend moves beside the plot in a smaller type, the undated count joins the
// title and the period names give way; the tool tip and the description still
// name every bar.
void MoodChartView::fitToHeight() {
    if (!view_ || !undated_)
        return; // still being built
    constexpr int LowHeight = 200;
    const bool low = height() < LowHeight;
    QChart* chart = view_->chart();
    if (low != low_) { // each of these lays the chart out anew
        low_ = low;
        chart->legend()->setAlignment(low ? Qt::AlignRight : Qt::AlignBottom);
        chart->legend()->setFont(sizedFont(low ? 6 : 8));
        chart->legend()->setContentsMargins(0, low ? 0 : 4, 0, low ? 0 : 4);
        chart->setMargins(low ? QMargins(2, 0, 2, 0) : QMargins(4, 4, 4, 4));
    }
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal))
        axis->setLabelsVisible(!low);
    const bool undated = timeline_.undated > 0;
    undated_->setVisible(undated && !low);
    const QString title = moodChartTitle(mood_, timeline_.period);
    chart->setTitle(undated && low ? title + QStringLiteral(" (%1)").arg(undatedText(timeline_)) : title);
}

void MoodChartView::connectToolTips() {
    for (QAbstractSeries* series : view_->chart()->series()) {
        auto* bars = qobject_cast<QStackedBarSeries*>(series);
        if (!bars)
            continue;
        connect(bars, &QAbstractBarSeries::hovered, this, [this](bool inside, int index, QBarSet*) {
            if (inside)
                QToolTip::showText(QCursor::pos(), moodBarSummary(mood_, timeline_, index), view_);
            else
                QToolTip::hideText();
        });
    }
}
