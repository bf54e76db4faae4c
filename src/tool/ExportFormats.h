#pragma once

#include <QByteArray>
#include <QString>

class Output;

// The export formats. Each writes straight from the stored records: topic and
// text unscrambled, Windows-1252 turned into UTF-8, trailing blanks of every
// fixed-width field left out (they are only padding). Json, Markdown, Csv and
// Text are written by DiaryExporter; the two books (Html, Pdf) by HtmlBook
// and PdfBook.
enum class ExportFormat { Json, Markdown, Csv, Text, Html, Pdf };

bool parseExportFormat(const QString& name, ExportFormat& format);

// Caption of a rating (wellness 0 "healthy" ..., love 0 "in love" ...;
// 3 "none"); a value outside 0 to 3 reads "unknown (7)".
QByteArray wellnessCaption(qint16 value);
QByteArray loveCaption(qint16 value);

// Appends a fixed-width field as HTML text (UTF-8, the five markup characters
// as entities, control characters other than tab and line feed as U+FFFD),
// without its padding blanks. scrambled: the field is stored scrambled (topic,
// text); textBreaks: every CR LF, lone CR and lone LF becomes one line feed.
void appendHtmlField(QByteArray& out, const char* field, int width, bool scrambled, bool textBreaks);

class DiaryExporter {
public:
    DiaryExporter(ExportFormat format, Output& output);

    // The JSON's "password" when the header does not hold it (an encrypted
    // diary's passphrase, whole); set before begin().
    void setPassword(const QByteArray& bytes) { password_ = bytes; }
    void begin(const QString& fileName, const QByteArray& headerRecord, qint32 entryCount);
    // One 4084-byte record as stored (scrambled).
    void entry(qint32 number, const char* record);
    void end();

private:
    void jsonEntry(qint32 number, const char* record);
    void textEntry(qint32 number, const char* record);
    void markdownEntry(qint32 number, const char* record);
    void csvEntry(qint32 number, const char* record);

    ExportFormat format_;
    Output& output_;
    QByteArray& out_;
    qint32 written_ = 0;
    QByteArray password_;
};
