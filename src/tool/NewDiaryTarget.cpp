#include "NewDiaryTarget.h"

#include "ProgramFolder.h"
#include "ToolCommon.h"

#include <QFileInfo>

int newDiaryFolder(const QString& given, QString& folder) {
    folder = given;
    if (folder.isEmpty()) {
        const StorageStatus made = ProgramFolder::ensureDataFolder();
        if (!made.ok()) {
            complain(printable(made.description));
            return ExitCode::FileError;
        }
        folder = ProgramFolder::dataFolder();
    } else if (!QFileInfo(folder).isDir()) {
        complain(QStringLiteral("%1 is not a folder").arg(printable(folder)));
        return ExitCode::FileError;
    }
    return -1;
}

int newDiaryKey(bool encrypted, const QByteArray& password, DiaryCrypto::KeyPtr& key) {
    key.reset();
    if (!encrypted)
        return -1;
    QByteArray field;
    key = DiaryCrypto::newKey(password, DiaryCrypto::defaultKdfParams(), field);
    if (!key) {
        complain(QStringLiteral("import failed, nothing was written: out of memory deriving the key"));
        return ExitCode::FileError;
    }
    return -1;
}
