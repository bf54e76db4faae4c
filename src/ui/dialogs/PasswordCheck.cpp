#include "PasswordCheck.h"

#include "BusyWork.h"
#include "mFile.h"
#include "mString.h"

#include <QCoreApplication>

bool typedPasswordMatches(const QString& path, const QString& typed, bool encrypted, StorageStatus* status,
                          DiaryCrypto::KeyPtr* key) {
    const QString whole = trimBlanks(typed);
    if (!encrypted)
        return passwordMatches(path, trimBlanks(cutToStoredPassword(whole)), status, key);
    bool right = false;
    runWhileBusy(QCoreApplication::translate("PasswordCheck", "Checking the password ..."),
                 [&] { right = passwordMatches(path, whole, status, key); });
    return right;
}
