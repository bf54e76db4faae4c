#include "mFile.h"

#include "Cp1252.h"
#include "DiaryKeying.h"
#include "OpenedDiary.h"
#include "RawFile.h"
#include "StorageGlobals.h"
#include "StoredText.h"
#include "mString.h"

#include <limits>

using namespace DiaryFormat;

namespace {
// A save holds the file's lock for one record and its flush: milliseconds.
constexpr int SaveLockWaitMs = 10000;
} // namespace

StorageStatus Save_Entry(const QString& dateTime, const QString& topic, const QString& text, qint16 wellness,
                         qint16 love) {
    DiaryEntry entry;
    for (auto [source, field] :
         {std::pair{&dateTime, &entry.DateTime}, std::pair{&topic, &entry.Topic}, std::pair{&text, &entry.Entry}}) {
        const StorageStatus encoded = encodeForStorage(*source, *field);
        if (!encoded.ok())
            return encoded;
    }
    const QByteArray readableTopic = entry.Topic;
    const QByteArray readableText = entry.Entry;
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
    // Another process saving into this diary at the same moment waits here,
    // so the end found below is still the end when the record is written.
    const StorageStatus locked = file.lockForWriting(SaveLockWaitMs);
    if (!locked.ok())
        return locked;
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
    DiaryKeying keying;
    const StorageStatus keyed = keyingOf(file, keying);
    if (!keyed.ok())
        return keyed;
    QByteArray out = record;
    if (keying.encrypted) {
        if (readableText.size() > DiaryCrypto::TextWidth)
            return StorageStatus::failure(StorageErrors::InvalidArgument,
                                          QStringLiteral("An encrypted diary's entry holds at most %1 characters")
                                              .arg(DiaryCrypto::TextWidth));
        // Sealed for the place it is written to, under a fresh nonce.
        const QByteArray plain =
            DiaryCrypto::plainRecord(entry.DateTime, readableTopic, readableText, wellness, love);
        DiaryCrypto::RecordBinding binding(keying.headerRecord);
        binding.setEntry((offset - HeaderSize) / EntrySize + 1);
        DiaryCrypto::sealRecord(*keying.key, binding, plain.constData(), out.data());
    }
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

    DiaryKeying keying;
    const StorageStatus keyed = keyingOf(file, keying);
    if (!keyed.ok())
        return keyed;
    DiaryEntry entry;
    if (keying.encrypted) {
        // Authenticated before anything of it is used.
        DiaryCrypto::RecordBinding binding(keying.headerRecord);
        binding.setEntry(n);
        QByteArray plain(DiaryCrypto::PlainSize, '\0');
        if (!DiaryCrypto::openRecord(*keying.key, binding, record.constData(), plain.data()))
            return StorageStatus::failure(StorageErrors::DamagedEntry,
                                          QStringLiteral("Entry %1 is damaged and cannot be read").arg(n));
        entry = DiaryCrypto::entryFromPlain(plain.constData());
    } else {
        entry = DiaryEntry::fromRecord(record.constData());
        Scramble_Text(entry.Topic, 2);
        Scramble_Text(entry.Entry, 2);
    }
    publicEntry = entry;
    out.dateTime = Cp1252::decode(entry.DateTime);
    out.topic = Cp1252::decode(entry.Topic);
    out.text = Cp1252::decode(entry.Entry);
    out.wellness = entry.Wellness;
    out.love = entry.Love;
    return StorageStatus::success();
}

bool passwordMatches(const QString& path, const QString& candidate, StorageStatus* status, DiaryCrypto::KeyPtr* key) {
    if (key)
        key->reset();
    RawFile file;
    StorageStatus result = file.open(path, RawFile::Mode::Read);
    char record[HeaderSize];
    if (result.ok())
        result = file.readExactAt(0, record, HeaderSize);
    if (status)
        *status = result;
    if (!result.ok())
        return false;
    const DiaryHeader header = DiaryHeader::fromRecord(record);
    if (!DiaryCrypto::isEncrypted(header))
        return trimBlanks(Cp1252::decode(header.Password)) == candidate;
    QByteArray secret;
    if (!encodeForStorage(candidate, secret).ok())
        return false;
    QString refusal;
    DiaryCrypto::KeyPtr derived = DiaryCrypto::unlock(secret, header.Password, &refusal);
    if (!refusal.isEmpty()) {
        if (status)
            *status = StorageStatus::failure(StorageErrors::CostRefused, refusal);
        return false;
    }
    if (key)
        *key = derived;
    return derived != nullptr;
}
