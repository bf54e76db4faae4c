#include "mFile.h"

#include "Cp1252.h"
#include "OpenedDiary.h"
#include "RawFile.h"
#include "StorageGlobals.h"
#include "StoredText.h"
#include "mString.h"

#include <limits>

using namespace DiaryFormat;

StorageStatus Save_Entry(const QString& dateTime, const QString& topic, const QString& text, qint16 wellness,
                         qint16 love) {
    DiaryEntry entry;
    for (auto [source, field] :
         {std::pair{&dateTime, &entry.DateTime}, std::pair{&topic, &entry.Topic}, std::pair{&text, &entry.Entry}}) {
        const StorageStatus encoded = encodeForStorage(*source, *field);
        if (!encoded.ok())
            return encoded;
    }
    Scramble_Text(entry.Topic, 1);
    Scramble_Text(entry.Entry, 1);
    entry.Wellness = wellness;
    entry.Love = love;
    const QByteArray record = entry.toRecord();
    publicEntry = DiaryEntry::fromRecord(record.constData());

    if (!isDiaryOpen())
        return StorageStatus::failure(StorageErrors::FileNotFound, QStringLiteral("No diary is open"));

    // Opened without creating: a vanished diary must not come back as a file
    // without header.
    RawFile file;
    const StorageStatus opened = file.open(publicDiaryPath, RawFile::Mode::ReadWrite);
    if (!opened.ok())
        return opened;
    const qint64 oldLength = file.size();
    if (oldLength < 0)
        return StorageStatus::fromErrno(errno, publicDiaryPath);
    if (oldLength < HeaderSize)
        return StorageStatus::failure(
            StorageErrors::PathFileAccess,
            QStringLiteral("Path/File access error (no diary header): %1").arg(publicDiaryPath));
    // Still the diary that was opened? Checked through this same open, so a
    // file put in its place since cannot take the entry.
    char header[HeaderSize];
    StorageStatus same = file.readExactAt(0, header, HeaderSize);
    if (same.ok())
        same = OpenedDiary::checkSameDiary(publicDiaryPath, header);
    if (!same.ok())
        return same;

    // The record goes where the length rule puts it, but never beyond the
    // last entry the count shows: a partial record of 1821 to 2042 bytes
    // (left by a save that was cut off) is not counted, yet rounds the rule's
    // place one record further, which would leave a gap that turns it into
    // an entry nobody saved. A partial record that does count stays what it
    // reads as: the space up to the new record is filled with blanks, as the
    // readers pad it, instead of zeros.
    const qint64 count = entryCountForLength(oldLength);
    if (count >= MaxEntries)
        return StorageStatus::failure(
            StorageErrors::MarginReached,
            QStringLiteral("You have reached the margin of 30000 entries! (%1 holds %2)").arg(publicDiaryPath).arg(count));
    const qint64 offset = qMin(appendOffsetForLength(oldLength), entryOffset(count + 1));
    QByteArray out = record;
    qint64 writeAt = offset;
    if (offset > oldLength) {
        out.prepend(QByteArray(offset - oldLength, ' '));
        writeAt = oldLength;
    }
    StorageStatus written = file.writeAllAt(writeAt, out.constData(), out.size());
    if (written.ok())
        written = file.sync();
    if (!written.ok()) {
        // A record that did not reach the disk whole is taken back.
        file.truncate(oldLength);
        file.sync();
    }
    return written;
}

QString Read_Header_Field(const QString& path, int selector, StorageStatus* status) {
    publicHeader = DiaryHeader();
    RawFile file;
    StorageStatus result = file.open(path, RawFile::Mode::Read);
    char record[HeaderSize];
    if (result.ok())
        result = file.readExactAt(0, record, HeaderSize);
    if (status)
        *status = result;
    if (!result.ok())
        return QString();
    publicHeader = DiaryHeader::fromRecord(record);
    switch (selector) {
    case HeaderField::Owner:
        return Cp1252::decode(publicHeader.Owner);
    case HeaderField::Title:
        return Cp1252::decode(publicHeader.Title);
    case HeaderField::Password:
        return Cp1252::decode(publicHeader.Password);
    case HeaderField::TimeOfBegin:
        return Cp1252::decode(publicHeader.TimeOfBegin);
    default:
        return QString();
    }
}

qint32 countEntriesInFile(const QString& path) {
    if (trimBlanks(path).isEmpty())
        return 0;
    RawFile file;
    if (!file.open(path, RawFile::Mode::Read).ok())
        return 0;
    const qint64 length = file.size();
    if (length < 0)
        return 0;
    return static_cast<qint32>(qMin<qint64>(entryCountForLength(length), std::numeric_limits<qint32>::max()));
}

qint32 Count_Entries() {
    return countEntriesInFile(publicDiaryPath);
}

StorageStatus readEntry(const QString& path, qint32 n, EntryText& out) {
    RawFile file;
    const StorageStatus opened = file.open(path, RawFile::Mode::Read);
    if (!opened.ok())
        return opened;
    const qint64 count = entryCountForLength(file.size());
    if (n < 1 || n > count)
        return StorageStatus::failure(StorageErrors::InvalidArgument,
                                      QStringLiteral("There is no entry %1 in %2").arg(n).arg(path));
    // A partial last record (a damaged file) reads as blanks where it ends.
    QByteArray record(EntrySize, ' ');
    if (file.readAt(entryOffset(n), record.data(), EntrySize) < 0)
        return StorageStatus::fromErrno(errno, path);

    DiaryEntry entry = DiaryEntry::fromRecord(record.constData());
    Scramble_Text(entry.Topic, 2);
    Scramble_Text(entry.Entry, 2);
    publicEntry = entry;
    out.dateTime = Cp1252::decode(entry.DateTime);
    out.topic = Cp1252::decode(entry.Topic);
    out.text = Cp1252::decode(entry.Entry);
    out.wellness = entry.Wellness;
    out.love = entry.Love;
    return StorageStatus::success();
}
