#include "RecordBlocks.h"

#include "DiaryWalks.h"

#include <cerrno>
#include <cstring>

using namespace DiaryFormat;

// Opens the diary and tells how many entries its length gives; for an
// encrypted diary also its header and open key. A file longer than a full
// diary (written elsewhere, or a damaged length) is walked as far as the
// margin, and the status says that the rest is not.
StorageStatus openForWalk(const QString& path, RawFile& file, qint32& count, DiaryKeying& keying) {
    count = 0;
    StorageStatus opened = file.open(path, RawFile::Mode::Read);
    if (opened.ok())
        opened = keyingOf(file, keying);
    if (!opened.ok())
        return opened;
    const qint64 entries = entryCountForLength(file.size());
    count = static_cast<qint32>(qMin<qint64>(entries, MaxEntries));
    if (entries > MaxEntries)
        return StorageStatus::failure(StorageErrors::MarginReached,
                                      QStringLiteral("%1 holds %2 entries, more than the margin of %3: only the "
                                                     "first %3 are read")
                                          .arg(path)
                                          .arg(entries)
                                          .arg(MaxEntries));
    return StorageStatus::success();
}

// Reads up to `length` bytes; what lies past the end of a damaged file reads
// as blanks.
bool readPadded(const RawFile& file, qint64 offset, char* buffer, qint64 length) {
    const qint64 n = file.readAt(offset, buffer, length);
    if (n < 0)
        return false;
    if (n < length)
        std::memset(buffer + n, ' ', static_cast<size_t>(length - n));
    return true;
}

bool startWalk(const QString& path, RawFile& file, qint32& count, DiaryKeying& keying, StorageStatus* status) {
    const StorageStatus opened = openForWalk(path, file, count, keying);
    if (status)
        *status = opened;
    return walkedAsFarAsTheMargin(opened) && count >= 1;
}

void endWalk(bool walked, const QString& path, StorageStatus* status) {
    if (!walked && status)
        *status = StorageStatus::fromErrno(errno, path);
}
