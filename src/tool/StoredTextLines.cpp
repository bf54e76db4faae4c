#include "StoredTextLines.h"

#include "Cp1252.h"
#include "mString.h"

#include <QFont>
#include <QPaintDevice>

#include <cmath>

StoredTextLines::StoredTextLines(const QFont& font, const QPaintDevice* device, double lineWidth, double tabStop)
    : lineWidth_(lineWidth), tabStop_(tabStop) {
    font_ = QRawFont::fromFont(font);
    font_.setPixelSize(font.pointSizeF() * device->logicalDpiY() / 72.0);
    const unsigned char* unscramble = unscrambleTable();
    for (int b = 0; b < 256; ++b) {
        char16_t c = Cp1252::decode(QByteArray(1, char(unscramble[b]))).at(0).unicode();
        const bool control = (c < 0x20) || (c >= 0x7F && c <= 0x9F);
        if (control)
            c = font_.supportsCharacter(QChar(0xFFFD)) ? char16_t(0xFFFD) : char16_t('?');
        const QList<quint32> glyphs = font_.glyphIndexesForString(QString(QChar(c)));
        glyph_[size_t(b)] = glyphs.value(0);
        const QList<QPointF> advances = font_.advancesForGlyphIndexes(QList<quint32>{glyph_[size_t(b)]});
        advance_[size_t(b)] = std::round(advances.value(0).x());
    }
    ascent_ = std::round(font_.ascent());
    lineHeight_ = std::round(font_.ascent() + font_.descent());
}

double StoredTextLines::advanceAt(unsigned char byte, double x) const {
    if (byte == '\t')
        return (std::floor(x / tabStop_) + 1) * tabStop_ - x;
    return advance_[byte];
}

void StoredTextLines::layOut(const char* text, qsizetype length) {
    text_ = text;
    lines_.clear();
    qsizetype i = 0;
    while (i < length) {
        qsizetype paragraphEnd = i;
        while (paragraphEnd < length && text[paragraphEnd] != '\r' && text[paragraphEnd] != '\n')
            ++paragraphEnd;
        // Greedy lines over the paragraph.
        qsizetype start = i;
        qsizetype breakAfter = -1; // just after the last blank of the line
        double x = 0;
        qsizetype j = start;
        while (j < paragraphEnd) {
            const auto b = static_cast<unsigned char>(text[j]);
            const double advance = advanceAt(b, x);
            if (b != ' ' && x + advance > lineWidth_ && j > start) {
                const qsizetype end = breakAfter > start ? breakAfter : j;
                lines_.append(Line{start, end});
                start = j = end;
                breakAfter = -1;
                x = 0;
                continue;
            }
            x += advance;
            ++j;
            if (b == ' ')
                breakAfter = j;
        }
        lines_.append(Line{start, paragraphEnd});
        i = paragraphEnd;
        if (i < length)
            i += (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') ? 2 : 1;
        if (i == length && paragraphEnd < length)
            lines_.append(Line{length, length}); // the text ends with a line break
    }
}

QGlyphRun StoredTextLines::line(int i) const {
    const Line& l = lines_.at(i);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(l.end - l.start);
    positions.reserve(l.end - l.start);
    double x = 0;
    for (qsizetype k = l.start; k < l.end; ++k) {
        const auto b = static_cast<unsigned char>(text_[k]);
        if (b != '\t') {
            glyphs.append(glyph_[b]);
            positions.append(QPointF(x, 0));
        }
        x += advanceAt(b, x);
    }
    QGlyphRun run;
    run.setRawFont(font_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return run;
}
