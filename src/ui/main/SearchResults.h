#pragma once

#include "EntrySearch.h"

#include <QAbstractListModel>
#include <QList>
#include <QStyledItemDelegate>

// One result kept small (30000 of them may stand beside the Entry Browser's
// list, and wait between the walk and the window): the three texts as one
// UTF-8 block.
struct FoundRow {
    qint32 entry = 0;
    qint32 hitFrom = -1;
    qint32 hitLength = 0;
    quint16 topicAt = 0; // bytes of the block: date/time, topic, context
    quint16 contextAt = 0;
    QByteArray texts;

    static FoundRow from(const SearchHit& hit);
    SearchHit hit() const;
};

// Entry Search's results: one row per entry, in the diary's order; rows are
// added in batches while the walk goes on.
class SearchResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    // Display: "number, tab, date/time, tab, topic, tab, context".
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const QList<FoundRow>& rows);
    void clear();
    SearchHit hit(int row) const { return rows_.at(row).hit(); }
    qint32 entryAt(int row) const { return rows_.at(row).entry; }
    // The row of the entry; -1 when it is not among the results.
    int rowOfEntry(qint32 entry) const;

private:
    QList<FoundRow> rows_;
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
