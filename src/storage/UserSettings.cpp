#include "UserSettings.h"

std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quorvel"),
                                       QStringLiteral("quorvel"));
}
