#pragma once

#include <QList>
#include <QString>

class QIODevice;

// One bookmark of a PDF's outline: its title and the page it opens
// (counted from 0).
struct PdfOutlineItem {
    QString title;
    int page = 0;
};

// Gives a finished PDF an outline (bookmarks shown beside the pages) by
// appending an incremental update: the outline objects, a new catalog that
// names them and asks viewers to show them, a cross-reference section for
// those objects and a trailer pointing back at the old one. The bytes already
// written stay as they are. file: open for reading and writing, at any
// position. False with *error when the file is not a complete PDF this can
// follow (a classic cross-reference table, as Qt's PDF writer makes), also
// when there are no items.
bool appendPdfOutline(QIODevice& file, const QList<PdfOutlineItem>& items, QString* error);
