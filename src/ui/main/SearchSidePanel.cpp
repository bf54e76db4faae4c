#include "SearchSidePanel.h"

SearchSidePanel::SearchSidePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlSearchSide"));
}

void SearchSidePanel::showSummary(const QList<TagCount>&, const QMap<QDate, qint32>&, const QDate&) {}

void SearchSidePanel::clearSummary() {}
