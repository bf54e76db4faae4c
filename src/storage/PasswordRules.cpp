#include "PasswordRules.h"

#include "DiaryAudit.h"
#include "DiaryFormat.h"

#include <QCoreApplication>

static_assert(PasswordRules::PlainMaxLength == DiaryFormat::PasswordWidth);

namespace PasswordRules {

int maxLength(bool encrypted) {
    return encrypted ? PassphraseMaxLength : PlainMaxLength;
}

QString refusal(const QString& password, bool encrypted, QByteArray* bytes) {
    if (password.isEmpty())
        return QCoreApplication::translate("PasswordRules", "The password is empty; a diary needs one.");
    if (password.size() > maxLength(encrypted))
        return QCoreApplication::translate("PasswordRules", "The password is %1 characters long; %2 holds at most %3.")
            .arg(password.size())
            .arg(encrypted ? QCoreApplication::translate("PasswordRules", "an encrypted diary's password") : QCoreApplication::translate("PasswordRules", "a plain diary's password"))
            .arg(maxLength(encrypted));
    return DiaryText::refusal(password, DiaryText::Field::Password, bytes, maxLength(encrypted));
}

} // namespace PasswordRules
