#pragma once

#include <QByteArray>
#include <QtGlobal>

// The diary file: one 222-byte header record, then 4084-byte entry records.
// Integers are 16-bit little-endian; text fields are Windows-1252 bytes,
// left-aligned and blank-padded to their width.
namespace DiaryFormat {
constexpr qint64 HeaderSize = 222;
constexpr qint64 EntrySize = 4084;
constexpr qint32 MaxEntries = 30000;

constexpr int OwnerWidth = 50;
constexpr int PasswordWidth = 50;
constexpr int TitleWidth = 100;
constexpr int TimeOfBeginWidth = 20;

constexpr int DateTimeWidth = 20;
constexpr int TopicWidth = 60;
constexpr int EntryWidth = 4000;

// Offsets inside the records.
constexpr int OwnerOffset = 2;
constexpr int PasswordOffset = 52;
constexpr int TitleOffset = 102;
constexpr int TimeOfBeginOffset = 202;
constexpr int DateTimeOffset = 0;
constexpr int TopicOffset = 20;
constexpr int TextOffset = 80;
constexpr int WellnessOffset = 4080;
constexpr int LoveOffset = 4082;

// Mood ratings: the index of the chosen option button; 3 means "none".
constexpr qint16 RatingNone = 3;

// File offset of entry n (counted from 1).
constexpr qint64 entryOffset(qint64 n) {
    return HeaderSize + (n - 1) * EntrySize;
}

// a / b rounded to the nearest whole number, a tie going to the even one.
qint64 roundedQuotient(qint64 a, qint64 b);

// Number of entries of a file of this length: (length - 222) / 4084, rounded,
// never below 0. A partial last record longer than half a record counts.
qint64 entryCountForLength(qint64 fileLength);

// Where the next record goes: (length / 4084 rounded) * 4084 + 222.
qint64 appendOffsetForLength(qint64 fileLength);

// Cut or blank-pad to exactly width bytes.
QByteArray fixedWidth(const QByteArray& text, int width);
} // namespace DiaryFormat

struct DiaryHeader {
    qint16 Mark = 0;
    QByteArray Owner;       // 50
    QByteArray Password;    // 50
    QByteArray Title;       // 100
    QByteArray TimeOfBegin; // 20

    // The 222 bytes of the record, every field cut or padded to its width.
    QByteArray toRecord() const;
    // Reads a 222-byte record; fields come back at full width.
    static DiaryHeader fromRecord(const char* record);
};

struct DiaryEntry {
    QByteArray DateTime; // 20, plain
    QByteArray Topic;    // 60, scrambled on file
    QByteArray Entry;    // 4000, scrambled on file
    qint16 Wellness = DiaryFormat::RatingNone;
    qint16 Love = DiaryFormat::RatingNone;

    // The 4084 bytes of the record; fields are written as they are held
    // (the caller scrambles), cut or padded to width.
    QByteArray toRecord() const;
    static DiaryEntry fromRecord(const char* record);
};

// 16-bit little-endian integers inside records.
qint16 readInt16LE(const char* at);
void writeInt16LE(char* at, qint16 value);
