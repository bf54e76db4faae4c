#pragma once

#include "EntrySearch.h"

#include <QAbstractListModel>
#include <QList>
#include <QStyledItemDelegate>

// Entry Search's results: one row per entry, in the diary's order; rows are
// added in batches while the walk goes on.
class SearchResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    // Display: "number, tab, date/time, tab, topic, tab, context".
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const QList<SearchHit>& hits);
    void clear();
    const SearchHit& hit(int row) const { return hits_.at(row); }
    // The row of the entry; -1 when it is not among the results.
    int rowOfEntry(qint32 entry) const;

private:
    QList<SearchHit> hits_;
};

// Draws a result in columns: number, date/time, topic, and the context with
// the hit in bold.
class SearchHitDelegate : public QStyledItemDelegate {
public:
    SearchHitDelegate(const SearchResultsModel* model, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const SearchResultsModel* model_;
};
