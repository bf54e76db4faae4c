#include "SearchResults.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const SearchHit h = hit(index.row());
    if (role == Qt::ToolTipRole)
        return h.topic;
    return QString::number(h.entry) + QLatin1Char('\t') + h.dateTime + QLatin1Char('\t') + h.topic +
           QLatin1Char('\t') + h.context;
}

FoundRow FoundRow::from(const SearchHit& h) {
    const QByteArray dateTime = h.dateTime.toUtf8();
    const QByteArray topic = h.topic.toUtf8();
    return FoundRow{h.entry,
                    h.hitFrom,
                    h.hitLength,
                    quint16(dateTime.size()),
                    quint16(dateTime.size() + topic.size()),
                    dateTime + topic + h.context.toUtf8()};
}

SearchHit FoundRow::hit() const {
    SearchHit h;
    h.entry = entry;
    h.hitFrom = hitFrom;
    h.hitLength = hitLength;
    const char* bytes = texts.constData();
    h.dateTime = QString::fromUtf8(bytes, topicAt);
    h.topic = QString::fromUtf8(bytes + topicAt, contextAt - topicAt);
    h.context = QString::fromUtf8(bytes + contextAt, texts.size() - contextAt);
    return h;
}

void SearchResultsModel::append(const QList<FoundRow>& rows) {
    if (rows.isEmpty())
        return;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    rows_.append(rows);
    endInsertRows();
}

void SearchResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int SearchResultsModel::rowOfEntry(qint32 entry) const {
    // The walk yields the entries in ascending order.
    const auto found = std::lower_bound(rows_.cbegin(), rows_.cend(), entry,
                                        [](const FoundRow& r, qint32 wanted) { return r.entry < wanted; });
    return found != rows_.cend() && found->entry == entry ? int(found - rows_.cbegin()) : -1;
}

SearchHitDelegate::SearchHitDelegate(const SearchResultsModel* model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

void SearchHitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    if (index.row() >= model_->rowCount())
        return;
    const SearchHit hit = model_->hit(index.row());

    painter->save();
    const bool selected = opt.state & QStyle::State_Selected;
    painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics plain(opt.font);
    QFont boldFont = opt.font;
    boldFont.setBold(true);
    const QFontMetrics bold(boldFont);
    const int gap = plain.horizontalAdvance(QStringLiteral("  "));
    QRect r = opt.rect.adjusted(3, 0, -3, 0);
    const auto column = [&](const QString& text, int width, Qt::Alignment align) {
        const QRect cell(r.left(), r.top(), qMin(width, r.width()), r.height());
        painter->drawText(cell, int(align | Qt::AlignVCenter), plain.elidedText(text, Qt::ElideRight, cell.width()));
        r.setLeft(r.left() + width + gap);
    };
    column(QString::number(hit.entry), plain.horizontalAdvance(QStringLiteral("30000")), Qt::AlignRight);
    // A blank to spare: elision cuts a text exactly as wide as its cell.
    column(hit.dateTime, plain.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00 ")), Qt::AlignLeft);
    column(hit.topic, plain.horizontalAdvance(QLatin1Char('x')) * 22, Qt::AlignLeft);

    // The context: before the hit, the hit in bold, after it; cut at the right edge.
    QString before = hit.context;
    QString found;
    QString after;
    if (hit.hitFrom >= 0 && hit.hitFrom <= hit.context.size()) {
        before = hit.context.left(hit.hitFrom);
        found = hit.context.mid(hit.hitFrom, hit.hitLength);
        after = hit.context.mid(hit.hitFrom + hit.hitLength);
    }
    const int baseline = r.top() + (r.height() + plain.ascent() - plain.descent()) / 2;
    int x = r.left();
    const int right = r.right();
    for (const auto& [part, metrics, font] :
         {std::tuple{before, &plain, &opt.font}, {found, &bold, &boldFont}, {after, &plain, &opt.font}}) {
        if (part.isEmpty() || x >= right)
            continue;
        const QString shown = metrics->elidedText(part, Qt::ElideRight, right - x);
        painter->setFont(*font);
        painter->drawText(x, baseline, shown);
        x += metrics->horizontalAdvance(shown);
    }
    painter->restore();
}
