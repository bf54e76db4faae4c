#pragma once

#include "BookOpeningPages.h"
#include "PdfOutline.h"

#include <QByteArray>
#include <QFont>
#include <QList>
#include <QString>

#include <memory>

class QIODevice;
class QPainter;
class StoredTextLines;
class QPdfWriter;
class QRectF;
struct ExportPlan;

enum class BookPageSize { A4, Letter };

// "a4" or "letter", in any letter case.
bool parseBookPageSize(const QString& name, BookPageSize& size);

// The diary as a printable PDF book, painted with Qt's own printing classes:
// a title page, the opening pages, then every month on a new page with its
// heading, the entries one after the other (an entry's text flows on over
// as many pages as it needs), and the contents with page numbers at the end.
// Every page but the title page has a running header (the diary's title and
// the month) and its number at the foot. The months are the bookmarks of the
// PDF's outline. Each entry is laid out and painted on its own, so memory
// stays the same whatever the length of the diary. Needs a QApplication (the
// opening pages draw charts).
class PdfBook {
public:
    // device: open for reading and writing; the book is written from its start.
    PdfBook(QIODevice& device, BookPageSize pageSize, QList<BookOpeningPage> openingPages);
    ~PdfBook();
    PdfBook(const PdfBook&) = delete;
    PdfBook& operator=(const PdfBook&) = delete;

    void begin(const QByteArray& headerRecord, const ExportPlan& plan, qint32 diaryEntries);
    // One 4084-byte record as stored (scrambled); numbers in the plan's order.
    void entry(qint32 number, const char* record);
    // Paints the contents, finishes the PDF and adds its outline.
    bool end(QString* error);

private:
    struct Contents {
        QString title;
        int page = 0;
    };

    void newPage(bool withHeader);
    void paintHeaderAndFooter();
    void startSection(const QString& title);
    void paintTitlePage(const QByteArray& headerRecord, const ExportPlan& plan, qint32 diaryEntries);
    void paintContents();
    // Lays out text in font across the body's width and paints it line by
    // line from the current position, going on to new pages as needed.
    // keepLines: lines that must still fit below the first one (so that a
    // heading is never left alone at the foot of a page).
    void paintText(const QString& text, const QFont& font, const QColor& color, int keepLines = 0);
    // The same for an entry's stored text (scrambled, padded), through the
    // quicker line breaker for stored text.
    void paintStoredText(const char* field, int width);
    double lineSpacing(const QFont& font) const;

    QIODevice& device_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<StoredTextLines> body_;
    QList<BookOpeningPage> openingPages_;
    const ExportPlan* plan_ = nullptr;
    qsizetype nextSection_ = 0;

    QFont bodyFont_, headingFont_, metaFont_, monthFont_, runningFont_, titleFont_;
    double width_ = 0;      // of the body
    double top_ = 0;        // first line of the body
    double bottom_ = 0;     // last line of the body ends above it
    double pageHeight_ = 0; // of the painter's page
    double y_ = 0;          // where the next line goes
    int page_ = 0;          // counted from 0
    bool started_ = false;  // the first page is in use
    QString diaryTitle_;
    QString sectionTitle_;
    QList<Contents> contents_;
};
