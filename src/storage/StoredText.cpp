#include "StoredText.h"

#include "Cp1252.h"

StorageStatus encodeForStorage(const QString& text, QByteArray& out) {
    bool ok = false;
    out = Cp1252::encode(text, &ok);
    if (!ok)
        return StorageStatus::failure(StorageErrors::InvalidArgument,
                                      QStringLiteral("The text holds characters that cannot be stored"));
    return StorageStatus::success();
}
