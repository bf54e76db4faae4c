#pragma once

// The Windows side of the owner/organisation and system-information services.
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QString>

namespace Platform::Windows {
// The value "RegisteredOwner" or "RegisteredOrganization" of the current
// version key (the 95 or the NT family's); empty when it cannot be read.
QString registeredValue(const char* valueName);
// Starts MSINFO32 as the registry locates it; false when it cannot.
bool startSystemInformation();
} // namespace Platform::Windows
#endif
