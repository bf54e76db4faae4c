#include "BookOpeningPages.h"

#include "MoodChart.h"
#include "MoodMonths.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

QList<BookOpeningPage> bookOpeningPages(const MoodTimeline& moods, const MoodChartPainter& drawChart) {
    const MoodChartPainter draw = drawChart ? drawChart : [](QPainter& painter, const QRectF& target, Mood mood,
                                                             const MoodTimeline& timeline) {
        renderMoodChart(&painter, target, mood, timeline);
    };
    // The page keeps its own copy: it is painted after the caller is gone.
    return {[moods, draw](QPainter& painter, const QRectF& pageRect) {
        QFont heading(QStringLiteral("DejaVu Serif"));
        heading.setPointSizeF(20);
        painter.setFont(heading);
        painter.setPen(QColor(0x22, 0x22, 0x22));
        const QString title = QStringLiteral("Mood over time");
        const double line = QFontMetricsF(heading, painter.device()).lineSpacing();
        const QRectF titleBox(pageRect.left(), pageRect.top() + line * 0.6, pageRect.width(), line);
        painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, title);

        // The charts lay out their type in screen pixels: they are drawn at
        // 96 dots per inch and scaled up to the page's resolution.
        const double scale = painter.device()->logicalDpiX() / 96.0;
        const QRectF area(pageRect.left() / scale, (titleBox.bottom() + line * 0.8) / scale, pageRect.width() / scale,
                          (pageRect.bottom() - titleBox.bottom() - line * 0.8) / scale);
        painter.scale(scale, scale);
        QFont small;
        small.setPixelSize(12); // the "undated: N" line beneath a chart
        painter.setFont(small);
        const double gap = 16;
        const double height = (area.height() - gap) / 2;
        draw(painter, QRectF(area.left(), area.top(), area.width(), height), Mood::Wellness, moods);
        draw(painter, QRectF(area.left(), area.top() + height + gap, area.width(), height), Mood::Love, moods);
    }};
}
