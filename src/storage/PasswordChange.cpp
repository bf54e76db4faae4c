#include "mFile.h"

#include "OpenedDiary.h"
#include "RawFile.h"
#include "StorageGlobals.h"
#include "StoredText.h"
#include "mString.h"

using namespace DiaryFormat;

StorageStatus Write_New_Password(const QString& path, const QString& newPassword) {
    QByteArray password;
    const StorageStatus encoded = encodeForStorage(trimBlanks(newPassword), password);
    if (!encoded.ok())
        return encoded;

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
