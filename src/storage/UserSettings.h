#pragma once

#include <QSettings>

#include <memory>

// The user's own settings, ~/.config/quorvel/quorvel.conf (never in DATA).
// Every value has a default, so a missing file changes nothing.
std::unique_ptr<QSettings> openUserSettings();

namespace SettingKeys {
inline constexpr char BackupsEnabled[] = "backups/enabled";     // bool, default true
inline constexpr char BackupsFolder[] = "backups/folder";       // path, default beside DATA
inline constexpr char LockMinutes[] = "lock/minutes";           // 0 (off) or 1-120, default 10
inline constexpr char LockPlainDiaries[] = "lock/plainDiaries"; // bool, default false
} // namespace SettingKeys
