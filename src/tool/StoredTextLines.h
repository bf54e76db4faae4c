#pragma once

#include <QGlyphRun>
#include <QList>
#include <QRawFont>

#include <array>

class QFont;
class QPaintDevice;

// Breaks a stored entry text into lines and gives each line as a glyph run,
// without the general text layout: the text is Windows-1252, so each stored
// byte is one character with one glyph and one advance, looked up in a
// 256-entry table. Line breaks (CR LF, a lone CR or LF) end a line, lines
// break after blanks, a word longer than the line anywhere; tabs go to the
// next stop. This is what makes a book of 30000 entries affordable.
class StoredTextLines {
public:
    // font at the device's resolution; width of a line and tab stop distance
    // in device dots.
    StoredTextLines(const QFont& font, const QPaintDevice* device, double lineWidth, double tabStop);

    double ascent() const { return ascent_; }
    double lineHeight() const { return lineHeight_; }

    // Lays out a scrambled stored text field (padding blanks already cut).
    void layOut(const char* text, qsizetype length);
    int lineCount() const { return int(lines_.size()); }
    // Line i as a glyph run positioned from x 0 on the baseline y 0.
    QGlyphRun line(int i) const;

private:
    struct Line {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    double advanceAt(unsigned char byte, double x) const;

    QRawFont font_;
    std::array<quint32, 256> glyph_{};
    std::array<double, 256> advance_{};
    double lineWidth_ = 0;
    double tabStop_ = 0;
    double ascent_ = 0;
    double lineHeight_ = 0;
    const char* text_ = nullptr;
    QList<Line> lines_;
};
