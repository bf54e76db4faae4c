#include "StorageStatus.h"

#include <cerrno>
#include <cstring>

StorageStatus StorageStatus::fromErrno(int errnum, const QString& path) {
    using namespace StorageErrors;
    int number = PathFileAccess;
    QString kind = QStringLiteral("Path/File access error");
    switch (errnum) {
    case ENOENT:
        number = FileNotFound;
        kind = QStringLiteral("File not found");
        break;
    case ENOTDIR:
        number = PathNotFound;
        kind = QStringLiteral("Path not found");
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = PermissionDenied;
        kind = QStringLiteral("Permission denied");
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        number = DiskFull;
        kind = QStringLiteral("Disk full");
        break;
    case EIO:
        number = DeviceIoError;
        kind = QStringLiteral("Device I/O error");
        break;
    default:
        break;
    }
    return failure(number,
                   QStringLiteral("%1 (%2): %3").arg(kind, QString::fromLocal8Bit(std::strerror(errnum)), path));
}
