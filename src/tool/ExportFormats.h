#pragma once

#include <QByteArray>
#include <QString>

class Output;

// The four export formats. Each writes straight from the stored records:
// topic and text unscrambled, Windows-1252 turned into UTF-8, trailing
// blanks of every fixed-width field left out (they are only padding).
enum class ExportFormat { Json, Markdown, Csv, Text };

bool parseExportFormat(const QString& name, ExportFormat& format);

// Caption of a rating (wellness 0 "healthy" ..., love 0 "in love" ...;
// 3 "none"); a value outside 0 to 3 reads "unknown (7)".
QByteArray wellnessCaption(qint16 value);
QByteArray loveCaption(qint16 value);

class DiaryExporter {
public:
    DiaryExporter(ExportFormat format, Output& output);

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
    qint32 entryCount_ = 0;
};
