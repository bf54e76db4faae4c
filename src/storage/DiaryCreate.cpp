#include "mFile.h"

#include "DiaryCrypto.h"
#include "DiaryNaming.h"
#include "NewFileBeside.h"
#include "PasswordRules.h"
#include "ProgramFolder.h"
#include "RawFile.h"
#include "StorageGlobals.h"
#include "StoredText.h"
#include "mString.h"

#include <QDir>
#include <QLocale>
#include <QThread>
#include <QTime>

#include <sodium.h>

#include <cmath>

namespace {

// Reads a number the way the old Val() did: digits with at most one "." as
// decimal point, stopping at the first character it cannot use.
double parseDotNumber(const QString& text) {
    QString digits;
    bool seenPoint = false;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128) {
            digits.append(c);
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
            digits.append(c);
        } else {
            break;
        }
    }
    return digits.toDouble();
}

QString numberText(double value, const QLocale& locale) {
    return locale.toString(value, 'g', 7);
}

float secondsSinceMidnight() {
    const int ms = QTime::currentTime().msecsSinceStartOfDay();
    return static_cast<float>(ms / 10) / 100.0f;
}

} // namespace

QString clockFileStem(float seconds, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    const double hundredths = std::round(static_cast<double>(seconds) * 100.0) / 100.0;
    return numberText(parseDotNumber(numberText(hundredths, plain)), plain);
}

StorageStatus publishUnderClockName(NewFileBeside& file, const QString& folder, QString& path) {
    const QDir dir(folder);
    for (;;) {
        path = dir.filePath(clockFileStem(secondsSinceMidnight(), QLocale()) + QStringLiteral(".PDD"));
        bool nameTaken = false;
        const StorageStatus named = file.commitAsNew(path, &nameTaken);
        if (named.ok() || !nameTaken)
            return named;
        QThread::msleep(10);
    }
}

namespace {

StorageStatus writeNewDiary(const DiaryHeader& header, QString* createdPath);

StorageStatus encodeHeader(const QString& owner, const QString& password, const QString& title,
                           const QString& timeOfBegin, DiaryHeader& header) {
    for (auto [text, field] : {std::pair{&owner, &header.Owner}, std::pair{&password, &header.Password},
                               std::pair{&title, &header.Title}, std::pair{&timeOfBegin, &header.TimeOfBegin}}) {
        const StorageStatus encoded = encodeForStorage(*text, *field);
        if (!encoded.ok())
            return encoded;
    }
    return StorageStatus::success();
}

} // namespace

StorageStatus Create_Diary_File(const QString& owner, const QString& password, const QString& title,
                                const QString& timeOfBegin, QString* createdPath) {
    DiaryHeader header;
    header.Mark = 1;
    const StorageStatus encoded = encodeHeader(owner, password, title, timeOfBegin, header);
    if (!encoded.ok())
        return encoded;
    return writeNewDiary(header, createdPath);
}

StorageStatus createEncryptedDiaryFile(const QString& owner, const QString& password, const QString& title,
                                       const QString& timeOfBegin, QString* createdPath,
                                       const DiaryCrypto::KdfParams& params) {
    QByteArray field;
    const StorageStatus keyed = newEncryptedPasswordField(password, field, params);
    if (!keyed.ok())
        return keyed;
    return createEncryptedDiaryWithField(owner, field, title, timeOfBegin, createdPath);
}

StorageStatus newEncryptedPasswordField(const QString& password, QByteArray& field,
                                        const DiaryCrypto::KdfParams& params) {
    QByteArray secret;
    if (const QString refusal = PasswordRules::refusal(trimBlanks(password), true, &secret); !refusal.isEmpty())
        return StorageStatus::failure(StorageErrors::InvalidArgument, refusal);
    const bool made = DiaryCrypto::newKey(secret, params, field) != nullptr;
    sodium_memzero(secret.data(), size_t(secret.size()));
    if (!made)
        return StorageStatus::failure(StorageErrors::OutOfMemory,
                                      QStringLiteral("Out of memory (deriving the diary's key)"));
    return StorageStatus::success();
}

StorageStatus createEncryptedDiaryWithField(const QString& owner, const QByteArray& passwordField,
                                            const QString& title, const QString& timeOfBegin, QString* createdPath) {
    DiaryHeader header;
    header.Mark = DiaryCrypto::EncryptedMark;
    const StorageStatus encoded = encodeHeader(owner, QString(), title, timeOfBegin, header);
    if (!encoded.ok())
        return encoded;
    header.Password = passwordField;
    return writeNewDiary(header, createdPath);
}

namespace {

StorageStatus writeNewDiary(const DiaryHeader& header, QString* createdPath) {
    publicHeader = DiaryHeader::fromRecord(header.toRecord().constData());

    const StorageStatus folderReady = ProgramFolder::ensureDataFolder();
    if (!folderReady.ok())
        return folderReady;
    const QDir folder(ProgramFolder::dataFolder());

    // The header is written and flushed to a file without a name first and
    // the file is named only then: a crash or a full disk never leaves a
    // diary without its complete header in the folder.
    NewFileBeside file;
    StorageStatus written = file.openIn(folder.path());
    const QByteArray record = publicHeader.toRecord();
    if (written.ok())
        written = file.file().writeAllAt(0, record.constData(), record.size());
    if (written.ok())
        written = file.file().sync();
    if (!written.ok())
        return written;

    QString path;
    const StorageStatus named = publishUnderClockName(file, folder.path(), path);
    if (!named.ok())
        return named;
    if (createdPath)
        *createdPath = path;
    return StorageStatus::success();
}

} // namespace
