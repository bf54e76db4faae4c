#include "DiaryKindChange.h"

#include "DiaryFormat.h"
#include "DiaryRewrite.h"
#include "DraftCarry.h"
#include "EntryCountMemory.h"
#include "OpenedDiary.h"
#include "StorageGlobals.h"
#include "mFile.h"
#include "mString.h"

#include <QFile>

#include <sodium.h>

#include <cstring>
#include <memory>

using namespace DiaryFormat;

namespace DiaryKindChange {

QList<qint32> textsTooLong(const QString& path, QString* error) {
    QList<qint32> tooLong;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return tooLong;
    }
    const qint64 length = file.size();
    const auto count = qint32(length < HeaderSize ? 0 : (length - HeaderSize) / EntrySize);
    const QByteArray blanks(EntryWidth - DiaryCrypto::TextWidth, ' ');
    for (qint32 n = 1; n <= count; ++n) {
        if (!file.seek(entryOffset(n) + TextOffset + DiaryCrypto::TextWidth)) {
            *error = file.errorString();
            break;
        }
        if (file.read(blanks.size()) != blanks)
            tooLong << n;
    }
    return tooLong;
}

StorageStatus change(const QString& path, const Request& request, Outcome& outcome) {
    outcome = Outcome();
    const bool encrypt = request.encrypt;
    const DiaryCrypto::KeyPtr& oldKey = request.oldKey;
    const DiaryCrypto::KeyPtr& newKey = request.newKey;
    QByteArray secret;
    if (!encrypt) {
        DiaryCrypto::passwordBytes(request.password, secret);
        if (!oldKey || secret.size() > PasswordWidth) {
            outcome.refused = true;
            return StorageStatus::failure(
                StorageErrors::InvalidArgument,
                QStringLiteral("the password holds more than %1 characters").arg(PasswordWidth));
        }
    } else if (!newKey) {
        outcome.refused = true;
        return StorageStatus::failure(StorageErrors::InvalidArgument, QStringLiteral("no key for the new password"));
    }

    std::unique_ptr<DiaryCrypto::RecordBinding> binding;
    QByteArray plain(DiaryCrypto::PlainSize, '\0');
    DraftCarry draft;
    DiaryRewrite rewrite;
    rewrite.header = [&](QByteArray& record) {
        outcome.oldHeader = record;
        writeInt16LE(record.data(), encrypt ? DiaryCrypto::EncryptedMark : DiaryCrypto::PlainMark);
        record.replace(PasswordOffset, PasswordWidth,
                       encrypt ? newKey->passwordField() : fixedWidth(secret, PasswordWidth));
        outcome.newHeader = record;
        binding = std::make_unique<DiaryCrypto::RecordBinding>(encrypt ? outcome.newHeader : outcome.oldHeader);
        // The unsaved entry is made ready for the new kind before the rename.
        return draft.prepare(path, oldKey.get(), newKey.get(), encrypt ? newKey->passwordField() : QByteArray());
    };
    rewrite.record = [&](qint32 n, const char* in, char* out) {
        binding->setEntry(n);
        if (encrypt) {
            DiaryEntry entry = DiaryEntry::fromRecord(in);
            Scramble_Text(entry.Topic, 2);
            Scramble_Text(entry.Entry, 2);
            const QByteArray readable =
                DiaryCrypto::plainRecord(entry.DateTime, entry.Topic, entry.Entry, entry.Wellness, entry.Love);
            DiaryCrypto::sealRecord(*newKey, *binding, readable.constData(), out);
            return StorageStatus::success();
        }
        if (!DiaryCrypto::openRecord(*oldKey, *binding, in, plain.data())) {
            if (outcome.damagedEntry == 0)
                outcome.damagedEntry = n;
            return StorageStatus::failure(StorageErrors::DamagedEntry, QString());
        }
        DiaryEntry entry = DiaryCrypto::entryFromPlain(plain.constData());
        Scramble_Text(entry.Topic, 1);
        Scramble_Text(entry.Entry, 1);
        const QByteArray record = entry.toRecord();
        std::memcpy(out, record.constData(), size_t(EntrySize));
        return StorageStatus::success();
    };
    rewrite.progress = request.progress;
    const StorageStatus written = rewriteDiary(path, rewrite);
    sodium_memzero(plain.data(), size_t(plain.size()));
    if (!secret.isEmpty())
        sodium_memzero(secret.data(), size_t(secret.size()));
    if (!written.ok()) {
        draft.abandon();
        return written;
    }
    outcome.draftCarried = draft.finish();
    return written;
}

void sessionFollows(const QString& path, const Outcome& outcome, const DiaryCrypto::KeyPtr& newKey) {
    const DiaryHeader header = DiaryHeader::fromRecord(outcome.newHeader.constData());
    publicHeader = header;
    OpenedDiary::headerRewritten(path, header);
    if (DiaryCrypto::isEncrypted(header)) {
        DiaryCrypto::setOpenKey(newKey);
        EntryCountMemory::remember(header, countEntriesInFile(path));
    } else {
        DiaryCrypto::clearOpenKey();
    }
}

} // namespace DiaryKindChange
