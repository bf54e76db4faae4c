#include "DiaryBulkCreate.h"

#include "DiaryNaming.h"
#include "RawFile.h"
#include "mString.h"

using namespace DiaryFormat;

StorageStatus createDiaryWithEntries(const QString& folder, const DiaryHeader& header, const QList<DiaryEntry>& entries,
                                     QString* createdPath) {
    if (entries.size() > MaxEntries)
        return StorageStatus::failure(
            StorageErrors::InvalidArgument,
            QStringLiteral("%1 entries are more than a diary holds (30000)").arg(entries.size()));

    DiaryHeader first = header;
    first.Mark = 1;

    // Written and flushed under no name, then named like any new diary: a
    // failure or a crash part-way leaves nothing in the folder.
    RawFile file;
    StorageStatus status = file.createUnnamed(folder);
    if (!status.ok())
        return status;

    status = file.writeAllAt(0, first.toRecord().constData(), HeaderSize);
    qint64 offset = HeaderSize;

    // Entries go out in blocks of about 1 MB.
    constexpr qsizetype recordsPerBlock = 256;
    QByteArray block;
    block.reserve(recordsPerBlock * EntrySize);
    for (qsizetype i = 0; status.ok() && i < entries.size(); ++i) {
        DiaryEntry stored = entries.at(i);
        Scramble_Text(stored.Topic, 1);
        Scramble_Text(stored.Entry, 1);
        block.append(stored.toRecord());
        if (block.size() >= recordsPerBlock * EntrySize || i + 1 == entries.size()) {
            status = file.writeAllAt(offset, block.constData(), block.size());
            offset += block.size();
            block.clear();
        }
    }
    if (status.ok())
        status = file.sync();
    QString path;
    if (status.ok())
        status = publishUnderClockName(file, folder, path);
    file.close();
    if (!status.ok())
        return status;
    syncFolder(folder);
    if (createdPath)
        *createdPath = path;
    return StorageStatus::success();
}
