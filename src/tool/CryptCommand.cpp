#include "CryptCommand.h"

#include "Cp1252.h"
#include "DiaryCrypto.h"
#include "DiaryLock.h"
#include "DiaryFormat.h"
#include "DiaryRewrite.h"
#include "DraftCarry.h"
#include "EntryDraft.h"
#include "PasswordPrompt.h"
#include "PasswordRules.h"
#include "ToolCommon.h"
#include "ToolLock.h"
#include "mFile.h"
#include "mString.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <sodium.h>

#include <cstring>

using namespace DiaryFormat;

namespace {

// The entries whose stored text reaches beyond what an encrypted record holds.
QList<qint32> textsTooLong(const QString& path, qint32 count, QString* error) {
    QList<qint32> tooLong;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return tooLong;
    }
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

int convert(const QStringList& arguments, bool encrypt) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        encrypt ? QStringLiteral(
                      "Encrypts a plain diary in place: a new salt and key, every entry sealed with\n"
                      "XChaCha20-Poly1305. decrypt gives the plain file back.\n"
                      "It asks for the diary's password, then for a new one (twice on the terminal, or\n"
                      "--new-password-file): the plain file holds its password in plain text, so every\n"
                      "earlier copy of it (backups, a sync program's history) would give a key made\n"
                      "from that password away. The new one may be a passphrase of up to 256\n"
                      "characters. --keep-password keeps the old one anyway, with a warning.")
                : QStringLiteral("Turns an encrypted diary back into a plain one in place. Its password must\n"
                                 "fit the plain header (at most 50 characters); change a longer one first."));
    const QCommandLineOption passwordOption(QStringLiteral("password-file"),
                                            QStringLiteral("Read the password from the first line of FILE (- for "
                                                           "standard input)."),
                                            QStringLiteral("FILE"));
    parser.addOption(passwordOption);
    const QCommandLineOption breakLock = breakLockOption();
    parser.addOption(breakLock);
    const QCommandLineOption newPasswordOption(
        QStringLiteral("new-password-file"),
        QStringLiteral("Read the new password from the first line of FILE (- for standard input)."),
        QStringLiteral("FILE"));
    const QCommandLineOption keepOption(
        QStringLiteral("keep-password"),
        QStringLiteral("Keep the old password; earlier plain copies of the diary give it away."));
    if (encrypt)
        parser.addOptions({newPasswordOption, keepOption});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The diary (.PDD)."));
    const int parsed = parseCommandLine(parser, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;
    const bool keepPassword = encrypt && parser.isSet(keepOption);
    const bool hasNewPasswordFile = encrypt && parser.isSet(newPasswordOption);
    if (keepPassword && hasNewPasswordFile) {
        complain(QStringLiteral("--keep-password and --new-password-file exclude each other"));
        return ExitCode::Usage;
    }
    if (hasNewPasswordFile && parser.value(newPasswordOption) == QLatin1String("-") &&
        parser.value(passwordOption) == QLatin1String("-")) {
        complain(QStringLiteral("only one of the passwords can come from standard input"));
        return ExitCode::Usage;
    }
    const QString path = parser.positionalArguments().at(0);

    // Held until the new file has replaced the old one: a window may be
    // writing the diary.
    const std::unique_ptr<DiaryLock> lock = lockForWriting(path, parser.isSet(breakLock));
    if (!lock)
        return ExitCode::FileError;
    // An unsaved entry that a stopped run carried over becomes the diary's draft.
    bool settled = false;
    if (settleCarriedDraft(path, &settled).ok() && settled)
        complain(QStringLiteral("the unsaved entry carried over by an interrupted run is now the draft of %1")
                     .arg(printable(path)));

    DiaryHeader header;
    QString password;
    const QString passwordFile = parser.value(passwordOption);
    const int ended = PasswordPrompt::readDiaryPassword(path, parser.isSet(passwordOption) ? &passwordFile : nullptr,
                                                        header, password);
    if (ended >= 0)
        return ended;
    if (DiaryCrypto::isEncrypted(header) == encrypt) {
        complain(QStringLiteral("%1 is already %2").arg(printable(path), encrypt ? "encrypted" : "plain"));
        return ExitCode::Refused;
    }
    if (const int refused = PasswordPrompt::unlockDiary(path, password); refused >= 0)
        return refused;
    const qint64 length = QFileInfo(path).size();
    if (length < HeaderSize || (length - HeaderSize) % EntrySize != 0) {
        complain(QStringLiteral("%1 ends with a cut-off entry; see quorvel-tool check").arg(printable(path)));
        return ExitCode::Refused;
    }
    const auto count = static_cast<qint32>((length - HeaderSize) / EntrySize);

    QByteArray secret;
    DiaryCrypto::passwordBytes(password, secret);
    if (!encrypt && secret.size() > PasswordWidth) {
        complain(QStringLiteral("the password of %1 is %2 characters long; a plain diary's password holds at most "
                                "%3: change it first (nothing was changed)")
                     .arg(printable(path))
                     .arg(secret.size())
                     .arg(PasswordWidth));
        return ExitCode::Refused;
    }
    DiaryCrypto::KeyPtr oldKey = DiaryCrypto::currentOpenKey();
    DiaryCrypto::KeyPtr newKey;
    if (encrypt) {
        QString error;
        const QList<qint32> tooLong = textsTooLong(path, count, &error);
        if (!error.isEmpty()) {
            complain(printable(error));
            return ExitCode::FileError;
        }
        if (!tooLong.isEmpty()) {
            QStringList numbers;
            for (const qint32 n : tooLong)
                numbers << QString::number(n);
            complain(QStringLiteral("entries longer than %1 characters cannot be encrypted: %2")
                         .arg(DiaryCrypto::TextWidth)
                         .arg(numbers.join(QStringLiteral(", "))));
            return ExitCode::Refused;
        }
        QByteArray newSecret;
        if (keepPassword) {
            complain(QStringLiteral("warning: --keep-password: the key comes from the password that %1 holds in "
                                    "plain text; every earlier copy of the file (backups, sync history) gives it away")
                         .arg(printable(path)));
            // decrypt rebuilds the password field from the password as
            // typed; a field the log-in trims differently (leading blanks,
            // say) would not come back byte for byte.
            if (fixedWidth(secret, PasswordWidth) != header.Password)
                complain(QStringLiteral("warning: the stored password field of %1 holds blanks or bytes a typed "
                                        "password does not give back; decrypt will store the password as typed")
                             .arg(printable(path)));
            newSecret = secret;
        } else {
            const QString newPasswordFile = parser.value(newPasswordOption);
            if (const int refused = PasswordPrompt::readNewPassword(
                    hasNewPasswordFile ? &newPasswordFile : nullptr, QStringLiteral("New password: "),
                    PasswordRules::PassphraseMaxLength, true, newSecret,
                    QStringLiteral("the new password: --new-password-file FILE (or --keep-password)"));
                refused >= 0)
                return refused;
            if (newSecret == secret)
                complain(QStringLiteral("warning: the new password is the old one, which earlier copies of %1 "
                                        "hold in plain text")
                             .arg(printable(path)));
        }
        QByteArray field;
        newKey = DiaryCrypto::newKey(newSecret, DiaryCrypto::defaultKdfParams(), field);
        sodium_memzero(newSecret.data(), size_t(newSecret.size()));
        if (!newKey) {
            complain(QStringLiteral("out of memory deriving the key"));
            return ExitCode::FileError;
        }
    }

    QByteArray oldHeader;
    QByteArray newHeader;
    std::unique_ptr<DiaryCrypto::RecordBinding> binding;
    QByteArray plain(DiaryCrypto::PlainSize, '\0');
    QList<qint32> damaged;
    DraftCarry draft;
    DiaryRewrite rewrite;
    rewrite.header = [&](QByteArray& record) {
        oldHeader = record;
        writeInt16LE(record.data(), encrypt ? DiaryCrypto::EncryptedMark : DiaryCrypto::PlainMark);
        record.replace(PasswordOffset, PasswordWidth,
                       encrypt ? newKey->passwordField() : fixedWidth(secret, PasswordWidth));
        newHeader = record;
        binding = std::make_unique<DiaryCrypto::RecordBinding>(encrypt ? newHeader : oldHeader);
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
            damaged << n;
            return StorageStatus::failure(StorageErrors::DamagedEntry, QString());
        }
        DiaryEntry entry = DiaryCrypto::entryFromPlain(plain.constData());
        Scramble_Text(entry.Topic, 1);
        Scramble_Text(entry.Entry, 1);
        const QByteArray record = entry.toRecord();
        std::memcpy(out, record.constData(), size_t(EntrySize));
        return StorageStatus::success();
    };
    const StorageStatus written = rewriteDiary(path, rewrite);
    if (!written.ok())
        draft.abandon();
    if (!damaged.isEmpty()) {
        complain(QStringLiteral("entry %1 of %2 is damaged; nothing was changed").arg(damaged.first()).arg(printable(path)));
        return ExitCode::ProblemsFound;
    }
    if (!written.ok()) {
        complain(QStringLiteral("%1; nothing was changed").arg(printable(written.description)));
        return ExitCode::FileError;
    }
    const StorageStatus carried = draft.finish();
    if (!carried.ok()) {
        complain(QStringLiteral("%1 is %2 now, but: %3")
                     .arg(printable(path), encrypt ? "encrypted" : "plain", printable(carried.description)));
        return ExitCode::FileError;
    }
    return ExitCode::Ok;
}

} // namespace

int runEncrypt(const QStringList& arguments) {
    return convert(arguments, true);
}

int runDecrypt(const QStringList& arguments) {
    return convert(arguments, false);
}
