#include "StorageStatus.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

StorageStatus StorageStatus::fromErrno(int errnum, const QString& path) {
    using namespace StorageErrors;
    int number = PathFileAccess;
    QString kind = QCoreApplication::translate("StorageStatus", "Path/File access error");
    switch (errnum) {
    case ENOENT:
        number = FileNotFound;
        kind = QCoreApplication::translate("StorageStatus", "File not found");
        break;
    case ENOTDIR:
        number = PathNotFound;
        kind = QCoreApplication::translate("StorageStatus", "Path not found");
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = PermissionDenied;
        kind = QCoreApplication::translate("StorageStatus", "Permission denied");
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        number = DiskFull;
        kind = QCoreApplication::translate("StorageStatus", "Disk full");
        break;
    case EIO:
        number = DeviceIoError;
        kind = QCoreApplication::translate("StorageStatus", "Device I/O error");
        break;
    default:
        break;
    }
    return failure(number,
                   QStringLiteral("%1 (%2): %3").arg(kind, QString::fromLocal8Bit(std::strerror(errnum)), path));
}
