#include "DiaryRewrite.h"

#include "DiaryFormat.h"
#include "NewFileBeside.h"
#include "RawFile.h"

#include <cerrno>
#include <vector>

using namespace DiaryFormat;

StorageStatus rewriteDiary(const QString& path, const DiaryRewrite& rewrite) {
    RawFile old;
    StorageStatus status = old.open(path, RawFile::Mode::Read);
    if (!status.ok())
        return status;
    const qint64 length = old.size();
    if (length < 0)
        return StorageStatus::fromErrno(errno, path);
    QByteArray header(HeaderSize, '\0');
    status = old.readExactAt(0, header.data(), HeaderSize);
    if (status.ok() && rewrite.header)
        status = rewrite.header(header);
    if (!status.ok())
        return status;

    NewFileBeside beside;
    status = beside.openFor(path);
    if (!status.ok())
        return status;
    const RawFile& fresh = beside.file();
    const auto giveUp = [&](const StorageStatus& why) {
        beside.abandon();
        return why;
    };
    status = fresh.writeAllAt(0, header.constData(), HeaderSize);
    if (!status.ok())
        return giveUp(status);

    const qint64 whole = (length - HeaderSize) / EntrySize;
    if (whole > MaxEntries)
        return giveUp(StorageStatus::failure(StorageErrors::PathFileAccess,
                                             QStringLiteral("Path/File access error (longer than a diary): %1").arg(path)));
    const auto count = static_cast<qint32>(qMax<qint64>(whole, 0));
    constexpr qint32 Block = 256;
    std::vector<char> in(size_t(Block) * EntrySize);
    std::vector<char> out(in.size());
    for (qint32 first = 1; first <= count; first += Block) {
        const qint32 records = qMin(Block, count - first + 1);
        const qint64 bytes = qint64(records) * EntrySize;
        status = old.readExactAt(entryOffset(first), in.data(), bytes);
        for (qint32 r = 0; status.ok() && r < records; ++r)
            status = rewrite.record(first + r, in.data() + qsizetype(r) * EntrySize, out.data() + qsizetype(r) * EntrySize);
        if (status.ok())
            status = fresh.writeAllAt(entryOffset(first), out.data(), bytes);
        if (!status.ok())
            return giveUp(status);
        if (rewrite.progress)
            rewrite.progress(first + records - 1, count);
    }
    const qint64 tailAt = entryOffset(qint64(count) + 1);
    if (length > tailAt && length >= HeaderSize) {
        QByteArray tail(length - tailAt, '\0');
        status = old.readExactAt(tailAt, tail.data(), tail.size());
        if (status.ok())
            status = fresh.writeAllAt(tailAt, tail.constData(), tail.size());
        if (!status.ok())
            return giveUp(status);
    }
    status = fresh.sync();
    if (!status.ok())
        return giveUp(status);
    return beside.commit();
}
