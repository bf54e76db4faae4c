#pragma once

#include <QByteArray>
#include <QString>

// What a diary's password may be, for every face that takes a new one (the
// create and change dialogs, the tool's imports and encrypt). A plain
// diary's password is stored in its 50-character header field; an encrypted
// diary's is never stored, so a passphrase of several words fits.
namespace PasswordRules {

constexpr int PlainMaxLength = 50;
constexpr int PassphraseMaxLength = 256;

int maxLength(bool encrypted);

// Why password (already trimmed of blanks) cannot be a diary's password:
// empty, longer than the diary's kind allows (the limit is named, nothing is
// ever cut), or holding a character Windows-1252 lacks. Empty when it can;
// bytes (when given) then holds its Windows-1252 bytes.
QString refusal(const QString& password, bool encrypted, QByteArray* bytes = nullptr);

} // namespace PasswordRules
