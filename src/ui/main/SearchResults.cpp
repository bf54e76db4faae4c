#include "SearchResults.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(hits_.size());
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= hits_.size())
        return {};
    const SearchHit& h = hits_.at(index.row());
    if (role == Qt::DisplayRole)
        return QString::number(h.entry) + QLatin1Char('\t') + h.dateTime + QLatin1Char('\t') + h.topic +
               QLatin1Char('\t') + h.context;
    if (role == Qt::ToolTipRole)
        return h.topic;
    return {};
}

void SearchResultsModel::append(const QList<SearchHit>& hits) {
    if (hits.isEmpty())
        return;
    const int first = int(hits_.size());
    beginInsertRows({}, first, first + int(hits.size()) - 1);
    hits_.append(hits);
    endInsertRows();
}

void SearchResultsModel::clear() {
    beginResetModel();
    hits_.clear();
    endResetModel();
}

int SearchResultsModel::rowOfEntry(qint32 entry) const {
    // The walk yields the entries in ascending order.
    const auto found = std::lower_bound(hits_.cbegin(), hits_.cend(), entry,
                                        [](const SearchHit& h, qint32 wanted) { return h.entry < wanted; });
    return found != hits_.cend() && found->entry == entry ? int(found - hits_.cbegin()) : -1;
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
    const SearchHit& hit = model_->hit(index.row());

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
    column(hit.dateTime, plain.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")), Qt::AlignLeft);
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
