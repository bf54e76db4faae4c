#include "PdfBook.h"

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "DiaryPart.h"
#include "ExportFormats.h"
#include "StoredTextLines.h"
#include "mString.h"

#include <QDate>
#include <QFontMetricsF>
#include <QIODevice>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <array>
#include <utility>

using namespace DiaryFormat;

namespace {

constexpr int Resolution = 600; // dots per inch of the painter's coordinates

double millimetres(double mm) {
    return mm * Resolution / 25.4;
}

// Stored byte -> character, with and without unscrambling: Windows-1252 as
// stored, control characters other than tab (a damaged file) as U+FFFD.
struct CharTables {
    std::array<char16_t, 256> plain{};
    std::array<char16_t, 256> unscrambled{};
};

const CharTables& charTables() {
    static const CharTables tables = [] {
        CharTables t;
        const unsigned char* unscramble = unscrambleTable();
        const auto character = [](int byte) {
            const char16_t u = Cp1252::decode(QByteArray(1, char(byte))).at(0).unicode();
            const bool control = (u < 0x20 && u != '\t') || (u >= 0x7F && u <= 0x9F);
            return control ? char16_t(0xFFFD) : u;
        };
        for (int b = 0; b < 256; ++b) {
            t.plain[size_t(b)] = character(b);
            t.unscrambled[size_t(b)] = character(unscramble[b]);
        }
        return t;
    }();
    return tables;
}

// A fixed-width field without its padding blanks. Line breaks (CR LF, a lone
// CR or LF) become line separators, which the text layout breaks at.
QString fieldText(const char* field, int width, bool scrambled) {
    qsizetype n = width;
    while (n > 0 && field[n - 1] == ' ')
        --n;
    const std::array<char16_t, 256>& table = scrambled ? charTables().unscrambled : charTables().plain;
    QString text;
    text.resize(n);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype length = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(field[i]);
        if (b == '\r' || b == '\n') {
            out[length++] = QChar::LineSeparator;
            if (b == '\r' && i + 1 < n && field[i + 1] == '\n')
                ++i;
            continue;
        }
        out[length++] = table[b];
    }
    text.truncate(length);
    return text;
}

QFont bookFont(double points, bool bold = false, bool italic = false) {
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // Whole-dot advances (at 600 dpi no one sees the rounding) make the
    // page streams, where Qt writes every glyph with its own position, about
    // a fifth shorter and the book faster; no kerning: less work per line.
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

const QColor ink(0x22, 0x22, 0x22);
const QColor grey(0x66, 0x66, 0x66);

} // namespace

bool parseBookPageSize(const QString& name, BookPageSize& size) {
    const QString n = name.toLower();
    if (n == QLatin1String("a4"))
        size = BookPageSize::A4;
    else if (n == QLatin1String("letter"))
        size = BookPageSize::Letter;
    else
        return false;
    return true;
}

PdfBook::PdfBook(QIODevice& device, BookPageSize pageSize, QList<BookOpeningPage> openingPages)
    : device_(device), writer_(std::make_unique<QPdfWriter>(&device)), openingPages_(std::move(openingPages)),
      bodyFont_(bookFont(10.5)), headingFont_(bookFont(12.5, true)), metaFont_(bookFont(8.5, false, true)),
      monthFont_(bookFont(20)), runningFont_(bookFont(8, false, true)), titleFont_(bookFont(28)) {
    writer_->setResolution(Resolution);
    writer_->setPageSize(QPageSize(pageSize == BookPageSize::Letter ? QPageSize::Letter : QPageSize::A4));
    writer_->setPageMargins(QMarginsF(22, 14, 22, 14), QPageLayout::Millimeter);
    writer_->setCreator(QStringLiteral("Quorvel"));
}

PdfBook::~PdfBook() = default;

double PdfBook::lineSpacing(const QFont& font) const {
    return QFontMetricsF(font, writer_.get()).lineSpacing();
}

void PdfBook::begin(const QByteArray& headerRecord, const ExportPlan& plan, qint32 diaryEntries) {
    plan_ = &plan;
    diaryTitle_ = fieldText(headerRecord.constData() + TitleOffset, TitleWidth, false);
    writer_->setTitle(diaryTitle_);
    writer_->setPdfVersion(QPagedPaintDevice::PdfVersion_1_6);
    painter_ = std::make_unique<QPainter>(writer_.get());

    const QRectF page = writer_->pageLayout().paintRectPixels(Resolution);
    width_ = page.width();
    pageHeight_ = page.height();
    top_ = millimetres(12);
    bottom_ = pageHeight_ - millimetres(10);
    body_ = std::make_unique<StoredTextLines>(bodyFont_, writer_.get(), width_, millimetres(10));

    paintTitlePage(headerRecord, plan, diaryEntries);
    for (const BookOpeningPage& paintPage : std::as_const(openingPages_)) {
        newPage(true);
        painter_->save();
        paintPage(*painter_, QRectF(0, top_, width_, bottom_ - top_));
        painter_->restore();
    }
}

void PdfBook::paintTitlePage(const QByteArray& headerRecord, const ExportPlan& plan, qint32 diaryEntries) {
    newPage(false);
    const char* h = headerRecord.constData();
    QPainter& p = *painter_;
    const int centred = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    QRectF box(0, pageHeight_ * 0.3, width_, pageHeight_ * 0.25);
    p.setPen(ink);
    p.setFont(titleFont_);
    QRectF used = p.boundingRect(box, centred, diaryTitle_);
    p.drawText(box, centred, diaryTitle_);
    box.setTop(used.bottom() + millimetres(8));
    p.setFont(bookFont(15, false, true));
    p.drawText(box, centred, fieldText(h + OwnerOffset, OwnerWidth, false));

    QString facts =
        QString::number(plan.entries) + (plan.entries == 1 ? QStringLiteral(" entry") : QStringLiteral(" entries"));
    if (plan.entries != diaryEntries)
        facts += QStringLiteral(" of ") + QString::number(diaryEntries);
    facts += QStringLiteral("\nDiary begun ") + fieldText(h + TimeOfBeginOffset, TimeOfBeginWidth, false);
    facts += QStringLiteral("\nBook made ") + QDate::currentDate().toString(Qt::ISODate);
    p.setPen(grey);
    p.setFont(bookFont(10));
    p.drawText(QRectF(0, pageHeight_ * 0.7, width_, pageHeight_ * 0.2), centred, facts);
}

void PdfBook::newPage(bool withHeader) {
    if (started_) {
        writer_->newPage();
        ++page_;
    }
    started_ = true;
    y_ = top_;
    if (withHeader)
        paintHeaderAndFooter();
}

void PdfBook::paintHeaderAndFooter() {
    QPainter& p = *painter_;
    p.setFont(runningFont_);
    p.setPen(grey);
    const double line = lineSpacing(runningFont_);
    p.drawText(QRectF(0, 0, width_ * 0.6, line), Qt::AlignLeft | Qt::AlignVCenter, diaryTitle_);
    p.drawText(QRectF(width_ * 0.6, 0, width_ * 0.4, line), Qt::AlignRight | Qt::AlignVCenter, sectionTitle_);
    p.setPen(QPen(QColor(0xAA, 0xAA, 0xAA), millimetres(0.2)));
    p.drawLine(QPointF(0, line + millimetres(1.5)), QPointF(width_, line + millimetres(1.5)));
    p.setPen(grey);
    p.drawText(QRectF(0, pageHeight_ - line, width_, line), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::number(page_ + 1));
}

void PdfBook::startSection(const QString& title) {
    sectionTitle_ = title;
    newPage(true);
    contents_.append(Contents{title, page_});
    y_ += millimetres(10);
    paintText(title, monthFont_, ink);
    y_ += millimetres(6);
}

void PdfBook::paintText(const QString& text, const QFont& font, const QColor& color, int keepLines) {
    QTextLayout layout(text, font, writer_.get());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tab stops are given at 96 dots per inch, whatever the device.
    option.setTabStopDistance(millimetres(10) * 96 / Resolution);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    double height = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width_);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();

    painter_->setPen(color);
    const double leading = lineSpacing(font) * 0.18;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const double step = line.height() + leading;
        const double needed = step * (i == 0 ? 1 + keepLines : 1);
        if (y_ + needed > bottom_ && y_ > top_)
            newPage(true);
        line.draw(painter_.get(), QPointF(0, y_ - line.y()));
        y_ += step;
    }
}

void PdfBook::entry(qint32 number, const char* record) {
    if (nextSection_ < plan_->sections.size() && plan_->sections.at(nextSection_).firstEntry == number)
        startSection(sectionTitle(plan_->sections.at(nextSection_++)));
    else if (y_ > top_)
        y_ += lineSpacing(bodyFont_) * 1.2;

    const QString topic = fieldText(record + TopicOffset, TopicWidth, true);
    paintText(QString::number(number) + QStringLiteral("\u2003") + topic, headingFont_, ink, 3);
    const QString when =
        fieldText(record + DateTimeOffset, DateTimeWidth, false) + QStringLiteral("  \u00B7  wellness: ") +
        QString::fromLatin1(wellnessCaption(readInt16LE(record + WellnessOffset))) +
        QStringLiteral("  \u00B7  love: ") + QString::fromLatin1(loveCaption(readInt16LE(record + LoveOffset)));
    paintText(when, metaFont_, grey, 2);
    y_ += millimetres(1.5);
    paintStoredText(record + TextOffset, EntryWidth);
}

void PdfBook::paintStoredText(const char* field, int width) {
    qsizetype length = width;
    while (length > 0 && field[length - 1] == ' ')
        --length;
    body_->layOut(field, length);
    painter_->setPen(ink);
    const double step = body_->lineHeight() + lineSpacing(bodyFont_) * 0.18;
    for (int i = 0; i < body_->lineCount(); ++i) {
        if (y_ + step > bottom_ && y_ > top_)
            newPage(true);
        const QGlyphRun run = body_->line(i);
        if (!run.glyphIndexes().isEmpty())
            painter_->drawGlyphRun(QPointF(0, y_ + body_->ascent()), run);
        y_ += step;
    }
}

void PdfBook::paintContents() {
    sectionTitle_ = QStringLiteral("Contents");
    newPage(true);
    y_ += millimetres(10);
    paintText(sectionTitle_, monthFont_, ink);
    y_ += millimetres(6);
    QPainter& p = *painter_;
    const double line = lineSpacing(bodyFont_) * 1.4;
    for (const Contents& item : std::as_const(contents_)) {
        if (y_ + line > bottom_)
            newPage(true);
        p.setFont(bodyFont_);
        p.setPen(ink);
        p.drawText(QRectF(0, y_, width_ * 0.8, line), Qt::AlignLeft | Qt::AlignVCenter, item.title);
        p.drawText(QRectF(width_ * 0.8, y_, width_ * 0.2, line), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(item.page + 1));
        y_ += line;
    }
}

bool PdfBook::end(QString* error) {
    if (!painter_ || !painter_->isActive()) {
        *error = QStringLiteral("cannot paint the PDF book");
        return false;
    }
    paintContents();
    if (!painter_->end()) {
        *error = QStringLiteral("cannot finish the PDF book");
        return false;
    }
    painter_.reset();
    writer_.reset();
    // Qt's writer may close the device when it is done.
    if (!device_.isOpen() && !device_.open(QIODevice::ReadWrite)) {
        *error = device_.errorString();
        return false;
    }
    QList<PdfOutlineItem> outline;
    for (const Contents& item : std::as_const(contents_))
        outline.append(PdfOutlineItem{item.title, item.page});
    if (!appendPdfOutline(device_, outline, error)) {
        *error = QStringLiteral("the PDF book was not written completely: %1").arg(*error);
        return false;
    }
    return true;
}
