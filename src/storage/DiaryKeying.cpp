#include "DiaryKeying.h"

StorageStatus keyingOf(const RawFile& file, DiaryKeying& out) {
    out = DiaryKeying();
    QByteArray record(DiaryFormat::HeaderSize, '\0');
    if (file.readAt(0, record.data(), record.size()) != record.size())
        return StorageStatus::success();
    const DiaryHeader header = DiaryHeader::fromRecord(record.constData());
    if (!DiaryCrypto::isEncrypted(header))
        return StorageStatus::success();
    out.encrypted = true;
    out.headerRecord = record;
    out.key = DiaryCrypto::openKeyFor(header.Password);
    if (!out.key)
        return StorageStatus::failure(
            StorageErrors::DiaryLocked,
            QStringLiteral("The diary %1 is encrypted and its password was not given").arg(file.path()));
    return StorageStatus::success();
}
