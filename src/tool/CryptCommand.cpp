#include "CryptCommand.h"

#include "Cp1252.h"
#include "DiaryCrypto.h"
#include "DiaryLock.h"
#include "DiaryFormat.h"
#include "DiaryKindChange.h"
#include "DraftCarry.h"
#include "PasswordPrompt.h"
#include "PasswordRules.h"
#include "ToolCommon.h"
#include "ToolLock.h"
#include "mFile.h"
#include "mString.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <sodium.h>


using namespace DiaryFormat;

namespace {

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
        const QList<qint32> tooLong = DiaryKindChange::textsTooLong(path, &error);
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

    DiaryKindChange::Request request;
    request.encrypt = encrypt;
    request.password = password;
    request.oldKey = oldKey;
    request.newKey = newKey;
    DiaryKindChange::Outcome outcome;
    const StorageStatus written = DiaryKindChange::change(path, request, outcome);
    if (outcome.damagedEntry > 0) {
        complain(QStringLiteral("entry %1 of %2 is damaged; nothing was changed").arg(outcome.damagedEntry).arg(printable(path)));
        return ExitCode::ProblemsFound;
    }
    if (!written.ok()) {
        complain(QStringLiteral("%1; nothing was changed").arg(printable(written.description)));
        return outcome.refused ? ExitCode::Refused : ExitCode::FileError;
    }
    const StorageStatus& carried = outcome.draftCarried;
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
