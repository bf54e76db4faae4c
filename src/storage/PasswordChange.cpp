#include "mFile.h"

#include "DiaryCrypto.h"
#include "DiaryRewrite.h"
#include "DraftCarry.h"
#include "EntryCountMemory.h"
#include "EntryDraft.h"
#include "OpenedDiary.h"
#include "PasswordRules.h"
#include "RawFile.h"
#include "StorageGlobals.h"
#include "StoredText.h"
#include "mString.h"

#include <sodium.h>

#include <cstring>
#include <memory>

using namespace DiaryFormat;

namespace {

// A new salt and key, and every record sealed anew under them. A record that
// does not verify under the old key cannot be read, so it is carried over
// as it is (and stays damaged).
StorageStatus changeEncryptedPassword(const QString& path, const QString& newPassword,
                                      const DiaryCrypto::KeyPtr& oldKey,
                                      const std::function<void(qint32, qint32)>& progress,
                                      const DiaryCrypto::KeyPtr& preparedKey) {
    QByteArray secret;
    if (const QString refusal = PasswordRules::refusal(trimBlanks(newPassword), true, &secret); !refusal.isEmpty())
        return StorageStatus::failure(StorageErrors::InvalidArgument, refusal);
    // A draft a stopped change left waiting is this diary's draft first.
    settleCarriedDraft(path);
    DiaryCrypto::KeyPtr newKey;
    QByteArray oldHeader;
    QByteArray newHeader;
    DraftCarry draft;
    DiaryRewrite rewrite;
    rewrite.header = [&](QByteArray& header) {
        const DiaryHeader read = DiaryHeader::fromRecord(header.constData());
        if (!DiaryCrypto::isEncrypted(read) || !oldKey || oldKey->passwordField() != read.Password)
            return StorageStatus::failure(StorageErrors::DiaryLocked,
                                          QStringLiteral("The old password of %1 was not proven").arg(path));
        DiaryCrypto::HeaderSecrets secrets;
        DiaryCrypto::parsePasswordField(read.Password, secrets);
        QByteArray field;
        newKey = preparedKey ? preparedKey : DiaryCrypto::newKey(secret, secrets.params, field);
        field = newKey ? newKey->passwordField() : QByteArray();
        if (!newKey)
            return StorageStatus::failure(StorageErrors::OutOfMemory,
                                          QStringLiteral("Out of memory (deriving the diary's key)"));
        oldHeader = header;
        header.replace(PasswordOffset, PasswordWidth, field);
        newHeader = header;
        // The unsaved entry is sealed for the new key before the new diary
        // takes the old one's place.
        return draft.prepare(path, oldKey.get(), newKey.get(), field);
    };
    QByteArray plain(DiaryCrypto::PlainSize, '\0');
    std::unique_ptr<DiaryCrypto::RecordBinding> oldBinding;
    std::unique_ptr<DiaryCrypto::RecordBinding> newBinding;
    rewrite.record = [&](qint32 n, const char* in, char* out) {
        if (!oldBinding) {
            oldBinding = std::make_unique<DiaryCrypto::RecordBinding>(oldHeader);
            newBinding = std::make_unique<DiaryCrypto::RecordBinding>(newHeader);
        }
        oldBinding->setEntry(n);
        newBinding->setEntry(n);
        if (DiaryCrypto::openRecord(*oldKey, *oldBinding, in, plain.data()))
            DiaryCrypto::sealRecord(*newKey, *newBinding, plain.constData(), out);
        else
            std::memcpy(out, in, EntrySize);
        return StorageStatus::success();
    };
    rewrite.progress = progress;
    const StorageStatus result = rewriteDiary(path, rewrite);
    sodium_memzero(plain.data(), size_t(plain.size()));
    if (!result.ok()) {
        draft.abandon();
        return result;
    }
    publicHeader = DiaryHeader::fromRecord(newHeader.constData());
    OpenedDiary::headerRewritten(path, publicHeader);
    EntryCountMemory::passwordChanged(DiaryHeader::fromRecord(oldHeader.constData()).Password, publicHeader.Password);
    // The open diary goes on with the new key, any other open diary keeps its own.
    const DiaryCrypto::KeyPtr before = DiaryCrypto::currentOpenKey();
    if (before && before->passwordField() == oldKey->passwordField())
        DiaryCrypto::setOpenKey(newKey);
    const StorageStatus carried = draft.finish();
    if (!carried.ok())
        return StorageStatus::failure(carried.number,
                                      QStringLiteral("The new password is in place. %1.").arg(carried.description));
    return result;
}

} // namespace

DiaryCrypto::KeyPtr keyForNewPassword(const QString& newPassword, const DiaryCrypto::KeyPtr& oldKey) {
    QByteArray secret;
    DiaryCrypto::HeaderSecrets secrets;
    if (!oldKey || !PasswordRules::refusal(trimBlanks(newPassword), true, &secret).isEmpty() ||
        !DiaryCrypto::parsePasswordField(oldKey->passwordField(), secrets))
        return {};
    QByteArray field;
    DiaryCrypto::KeyPtr key = DiaryCrypto::newKey(secret, secrets.params, field);
    sodium_memzero(secret.data(), size_t(secret.size()));
    return key;
}

StorageStatus Write_New_Password(const QString& path, const QString& newPassword, const DiaryCrypto::KeyPtr& oldKey,
                                 const std::function<void(qint32, qint32)>& progress,
                                 const DiaryCrypto::KeyPtr& newKey) {
    {
        RawFile probe;
        if (probe.open(path, RawFile::Mode::Read).ok() && probe.size() >= HeaderSize) {
            char head[HeaderSize];
            if (probe.readExactAt(0, head, HeaderSize).ok() && DiaryCrypto::isEncrypted(DiaryHeader::fromRecord(head))) {
                probe.close();
                return changeEncryptedPassword(path, newPassword, oldKey, progress, newKey);
            }
        }
    }
    QByteArray password;
    if (const QString refusal = PasswordRules::refusal(trimBlanks(newPassword), false, &password); !refusal.isEmpty())
        return StorageStatus::failure(StorageErrors::InvalidArgument, refusal);

    RawFile file;
    StorageStatus result = file.open(path, RawFile::Mode::ReadWrite);
    if (!result.ok())
        return result;
    // The header is read from the chosen file itself, so only that file's
    // password changes, whatever header was read last.
    char record[HeaderSize];
    result = file.readExactAt(0, record, HeaderSize);
    if (!result.ok())
        return result;
    DiaryHeader header = DiaryHeader::fromRecord(record);
    header.Password = fixedWidth(password, PasswordWidth);
    const QByteArray changed = header.toRecord();
    result = file.writeAllAt(0, changed.constData(), changed.size());
    if (result.ok())
        result = file.sync();
    if (!result.ok()) {
        // Put back whatever part of the old header the failed write reached.
        file.writeAllAt(0, record, HeaderSize);
        file.sync();
        return result;
    }
    publicHeader = header;
    OpenedDiary::headerRewritten(path, header);
    return result;
}

QString cutToStoredPassword(const QString& typed) {
    return typed.left(PasswordWidth);
}
