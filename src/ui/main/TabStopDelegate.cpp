#include "TabStopDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {

// The average character width behind dialog units: the mean advance of the
// 52 letters, as the classic dialog base unit is measured.
double averageCharWidth(const QFontMetrics& metrics) {
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return metrics.horizontalAdvance(letters) / 52.0;
}

} // namespace

TabStopDelegate::TabStopDelegate(const QList<qint16>& stops, QObject* parent)
    : QStyledItemDelegate(parent), stops_(stops) {}

QList<int> TabStopDelegate::fieldPositions(const QString& line, const QFontMetrics& metrics) const {
    const double unit = averageCharWidth(metrics) / 4.0;
    const QStringList fields = line.split(QLatin1Char('\t'));
    QList<int> positions;
    int x = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            // The next stop to the right of where the text ended.
            int next = -1;
            if (stops_.size() == 1 || stops_.isEmpty()) {
                const double step = (stops_.isEmpty() || stops_.first() <= 0 ? 32 : stops_.first()) * unit;
                next = int(std::floor(x / step + 1.0) * step);
            } else {
                for (const qint16 stop : stops_) {
                    const int px = int(std::lround(stop * unit));
                    if (px > x) {
                        next = px;
                        break;
                    }
                }
                if (next < 0) // past the last stop: one blank apart
                    next = x + metrics.horizontalAdvance(QLatin1Char(' '));
            }
            x = next;
        }
        positions.append(x);
        x += metrics.horizontalAdvance(fields.at(i));
    }
    return positions;
}

void TabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString line = opt.text;
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    const QRect area = opt.rect.adjusted(margin, 0, -margin, 0);
    const QFontMetrics metrics(opt.font);
    const QList<int> positions = fieldPositions(line, metrics);
    const QStringList fields = line.split(QLatin1Char('\t'));

    painter->save();
    painter->setClipRect(area);
    painter->setFont(opt.font);
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QRect cell(area.left() + positions.at(i), area.top(), area.width(), area.height());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fields.at(i));
    }
    painter->restore();
}
