#pragma once

#include "DiaryFormat.h"
#include "DiaryKeying.h"
#include "RawFile.h"
#include "StorageStatus.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Whole-file reading and checking of diary files, for the companion tool
// (check, list, export). Nothing here touches the storage globals.

// Reads one diary file that stays open for a whole walk. Opening never
// blocks: a name that is a pipe, a device, a socket or a folder is refused
// before anything is read from it (the failure says which it is).
class DiaryFileReader {
public:
    StorageStatus open(const QString& path);
    void close();
    qint64 length() const { return length_; }
    // Whole entry records in the file; a cut-off last record is not counted.
    qint32 wholeEntries() const;

    // The 222-byte header; fails when the file is shorter.
    StorageStatus readHeader(DiaryHeader& header);
    StorageStatus readHeaderRecord(QByteArray& record);
    // count whole entry records from entry first (counted from 1), back to back.
    // An encrypted diary whose key is open reads as a plain one would (topic
    // and text scrambled, text padded to 4000); a record that does not verify
    // reads as blank fields with no ratings and is named by damaged().
    StorageStatus readEntryRecords(qint32 first, qint32 count, QByteArray& out);

    bool encrypted() const { return keying_.encrypted; }
    bool unlocked() const { return keying_.key != nullptr; }
    // The entries of the last readEntryRecords that did not verify.
    const QList<qint32>& damaged() const { return damaged_; }

private:
    DiaryKeying keying_;
    QList<qint32> damaged_;
    RawFile file_;
    qint64 length_ = 0;
    QString path_;
};

// The text fields of the two records and what may stand in them.
namespace DiaryText {
enum class Field { Owner, Password, Title, TimeOfBegin, DateTime, Topic, Text };

int width(Field field);
// The field's name as the tool shows it ("owner", "date/time", ...).
QString name(Field field);

// True when a stored byte may stand in the field: no control characters at
// all in the header fields and the date/time, a tab in the topic, tab, CR
// and LF in the text; never DEL or the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
bool isTextByte(unsigned char byte, Field field);

// Why the text cannot be stored in the field (a character Windows-1252 cannot
// hold, a byte that is not text there, longer than the field), or an empty
// string when it can; encoded then holds the stored bytes (not yet padded).
QString refusal(const QString& text, Field field, QByteArray* encoded);
// The same with another bound on the length (an encrypted diary's password,
// which its header does not hold).
QString refusal(const QString& text, Field field, QByteArray* encoded, int maxLength);
} // namespace DiaryText

// One thing wrong with a diary file. entry 0 means the file or its header.
struct DiaryProblem {
    qint32 entry = 0;
    QString description;
};

struct DiaryInspection {
    bool readable = false; // the file could be opened and read
    qint64 length = 0;
    qint32 wholeEntries = 0;
    QList<DiaryProblem> problems;
};

// Looks at every byte of the file that belongs to a field: the length rule
// 222 + 4084 × n, ratings outside 0 to 3, bytes that are not text where text
// belongs, an empty owner or title; a file that cannot be read (a folder, a
// pipe, a dangling link, no permission) is one problem.
DiaryInspection inspectDiaryFile(const QString& path);
