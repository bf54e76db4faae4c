#include "DiaryBulkCreate.h"

#include "DiaryNaming.h"
#include "NewFileBeside.h"
#include "mString.h"

using namespace DiaryFormat;

StorageStatus createDiaryWithEntries(const QString& folder, const DiaryHeader& header, const QList<DiaryEntry>& entries,
                                     QString* createdPath, const DiaryCrypto::DiaryKey* key,
                                     const std::function<bool(qsizetype written)>& goOn) {
    if (entries.size() > MaxEntries)
        return StorageStatus::failure(
            StorageErrors::InvalidArgument,
            QStringLiteral("%1 entries are more than a diary holds (30000)").arg(entries.size()));

    DiaryHeader first = header;
    first.Mark = key ? DiaryCrypto::EncryptedMark : DiaryCrypto::PlainMark;
    if (key)
        first.Password = key->passwordField();
    const QByteArray headerRecord = first.toRecord();
    DiaryCrypto::RecordBinding binding(headerRecord);
    QByteArray sealed(EntrySize, '\0');

    // Written and flushed under no name, then named like any new diary: a
    // failure or a crash part-way leaves nothing in the folder.
    NewFileBeside file;
    StorageStatus status = file.openIn(folder);
    if (!status.ok())
        return status;

    status = file.file().writeAllAt(0, headerRecord.constData(), HeaderSize);
    qint64 offset = HeaderSize;

    // Entries go out in blocks of about 1 MB.
    constexpr qsizetype recordsPerBlock = 256;
    QByteArray block;
    block.reserve(recordsPerBlock * EntrySize);
    for (qsizetype i = 0; status.ok() && i < entries.size(); ++i) {
        const DiaryEntry& entry = entries.at(i);
        if (key) {
            binding.setEntry(qint64(i) + 1);
            const QByteArray plain =
                DiaryCrypto::plainRecord(entry.DateTime, entry.Topic, entry.Entry, entry.Wellness, entry.Love);
            DiaryCrypto::sealRecord(*key, binding, plain.constData(), sealed.data());
            block.append(sealed);
        } else {
            DiaryEntry stored = entry;
            Scramble_Text(stored.Topic, 1);
            Scramble_Text(stored.Entry, 1);
            block.append(stored.toRecord());
        }
        if (block.size() >= recordsPerBlock * EntrySize || i + 1 == entries.size()) {
            status = file.file().writeAllAt(offset, block.constData(), block.size());
            offset += block.size();
            block.clear();
            if (status.ok() && goOn && !goOn(i + 1))
                status = StorageStatus::failure(StorageErrors::InvalidArgument, QStringLiteral("stopped before the end"));
        }
    }
    if (status.ok())
        status = file.file().sync();
    QString path;
    if (status.ok())
        status = publishUnderClockName(file, folder, path);
    if (!status.ok())
        return status;
    if (createdPath)
        *createdPath = path;
    return StorageStatus::success();
}
