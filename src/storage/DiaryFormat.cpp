#include "DiaryFormat.h"

#include <cstring>

namespace DiaryFormat {

qint64 roundedQuotient(qint64 a, qint64 b) {
    // Floor division, then round the remainder half to even.
    qint64 q = a / b;
    qint64 r = a % b;
    if (r < 0) {
        --q;
        r += b;
    }
    if (2 * r > b || (2 * r == b && (q % 2) != 0))
        ++q;
    return q;
}

qint64 entryCountForLength(qint64 fileLength) {
    const qint64 n = roundedQuotient(fileLength - HeaderSize, EntrySize);
    return n < 0 ? 0 : n;
}

qint64 appendOffsetForLength(qint64 fileLength) {
    return roundedQuotient(fileLength, EntrySize) * EntrySize + HeaderSize;
}

QByteArray fixedWidth(const QByteArray& text, int width) {
    QByteArray out = text.left(width);
    if (out.size() < width)
        out.append(width - out.size(), ' ');
    return out;
}

} // namespace DiaryFormat

qint16 readInt16LE(const char* at) {
    const auto lo = static_cast<unsigned char>(at[0]);
    const auto hi = static_cast<unsigned char>(at[1]);
    return static_cast<qint16>(static_cast<quint16>(lo | (hi << 8)));
}

void writeInt16LE(char* at, qint16 value) {
    const auto u = static_cast<quint16>(value);
    at[0] = static_cast<char>(u & 0xFF);
    at[1] = static_cast<char>(u >> 8);
}

using namespace DiaryFormat;

namespace {
void putField(QByteArray& record, int offset, const QByteArray& text, int width) {
    std::memcpy(record.data() + offset, fixedWidth(text, width).constData(), static_cast<size_t>(width));
}
} // namespace

QByteArray DiaryHeader::toRecord() const {
    QByteArray record(HeaderSize, ' ');
    writeInt16LE(record.data(), Mark);
    putField(record, OwnerOffset, Owner, OwnerWidth);
    putField(record, PasswordOffset, Password, PasswordWidth);
    putField(record, TitleOffset, Title, TitleWidth);
    putField(record, TimeOfBeginOffset, TimeOfBegin, TimeOfBeginWidth);
    return record;
}

DiaryHeader DiaryHeader::fromRecord(const char* record) {
    DiaryHeader h;
    h.Mark = readInt16LE(record);
    h.Owner = QByteArray(record + OwnerOffset, OwnerWidth);
    h.Password = QByteArray(record + PasswordOffset, PasswordWidth);
    h.Title = QByteArray(record + TitleOffset, TitleWidth);
    h.TimeOfBegin = QByteArray(record + TimeOfBeginOffset, TimeOfBeginWidth);
    return h;
}

QByteArray DiaryEntry::toRecord() const {
    QByteArray record(EntrySize, ' ');
    putField(record, DateTimeOffset, DateTime, DateTimeWidth);
    putField(record, TopicOffset, Topic, TopicWidth);
    putField(record, TextOffset, Entry, EntryWidth);
    writeInt16LE(record.data() + WellnessOffset, Wellness);
    writeInt16LE(record.data() + LoveOffset, Love);
    return record;
}

DiaryEntry DiaryEntry::fromRecord(const char* record) {
    DiaryEntry e;
    e.DateTime = QByteArray(record + DateTimeOffset, DateTimeWidth);
    e.Topic = QByteArray(record + TopicOffset, TopicWidth);
    e.Entry = QByteArray(record + TextOffset, EntryWidth);
    e.Wellness = readInt16LE(record + WellnessOffset);
    e.Love = readInt16LE(record + LoveOffset);
    return e;
}
