#include "UserSettings.h"

std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorvel"),
                                       QStringLiteral("quorvel"));
}
