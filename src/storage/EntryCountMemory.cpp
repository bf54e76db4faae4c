#include "EntryCountMemory.h"

#include "DiaryCrypto.h"
#include "UserSettings.h"

#include <QCoreApplication>

namespace {

// The settings key of an encrypted diary: its salt, which no other diary shares.
QString keyFor(const QByteArray& passwordField) {
    DiaryCrypto::HeaderSecrets secrets;
    if (!DiaryCrypto::parsePasswordField(passwordField, secrets))
        return {};
    return QStringLiteral("EncryptedDiaries/%1/entries").arg(QString::fromLatin1(secrets.salt.toHex()));
}

} // namespace

namespace EntryCountMemory {

qint32 recalled(const DiaryHeader& header) {
    const QString key = DiaryCrypto::isEncrypted(header) ? keyFor(header.Password) : QString();
    if (key.isEmpty())
        return -1;
    bool ok = false;
    const qint32 count = openUserSettings()->value(key, -1).toInt(&ok);
    return ok ? count : -1;
}

void remember(const DiaryHeader& header, qint32 entries) {
    const QString key = DiaryCrypto::isEncrypted(header) ? keyFor(header.Password) : QString();
    if (key.isEmpty() || entries < 0)
        return;
    const auto settings = openUserSettings();
    if (settings->value(key, -1).toInt() != entries)
        settings->setValue(key, entries);
}

void passwordChanged(const QByteArray& oldPasswordField, const QByteArray& newPasswordField) {
    const QString from = keyFor(oldPasswordField);
    const QString to = keyFor(newPasswordField);
    if (from.isEmpty() || to.isEmpty())
        return;
    const auto settings = openUserSettings();
    const QVariant count = settings->value(from);
    if (!count.isValid())
        return;
    settings->setValue(to, count);
    settings->remove(from.chopped(QStringLiteral("/entries").size()));
}

QString fewerEntriesWarning(const DiaryHeader& header, qint32 entries) {
    const qint32 before = recalled(header);
    if (before < 0 || entries >= before)
        return {};
    return QCoreApplication::translate("EntryCountMemory", "This diary held %1 entries when it was last open on this computer, but now holds only %2.\n"
                          "Entries may have been cut off its end, or an older copy of the diary (from a backup or a "
                          "sync program) may have replaced it. Keep any other copy of it until you have looked.")
        .arg(before)
        .arg(entries);
}

} // namespace EntryCountMemory
