#pragma once

#include <QList>
#include <QStyledItemDelegate>

class QFontMetrics;

// Draws tab-separated list lines in columns at fixed tab stops, as a list
// box with tab stops does. Stops are in dialog units: a quarter of the list
// font's average character width. One stop means a stop every so many units;
// none means the list default of 32 units.
class TabStopDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TabStopDelegate(const QList<qint16>& stops, QObject* parent = nullptr);

    void setStops(const QList<qint16>& stops) { stops_ = stops; }
    const QList<qint16>& stops() const { return stops_; }

    // Left edge in pixels of every tab field of the line, for this font.
    QList<int> fieldPositions(const QString& line, const QFontMetrics& metrics) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QList<qint16> stops_;
};
