#pragma once

#include <QString>
#include <QStringList>

// The parts of the owner/organisation and system-information services that
// the About box and the tests reach beyond Platform.h.
namespace Platform {

// The roots of the Windows registry that values are read from.
enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// Reads one registry value. A string comes back without its terminating zero
// character, a 32-bit number in decimal; a value of another type leaves
// `value` as it was. False (and `value` empty) when the key or the value
// cannot be read; always false where there is no registry.
bool readRegistryValue(RegistryRoot root, const QString& keyName, const QString& valueName, QString& value);

// Where there is no registry (Linux), the system information tool is the
// first of these programs found on PATH: hardinfo2, hardinfo, kinfocenter,
// gnome-system-monitor, lshw-gtk, xfce4-taskmanager.
QStringList systemInformationCandidates();

// --- test seam -----------------------------------------------------------
// Fixed answers for registeredOwner() and registeredOrganization().
void setRegisteredForTesting(const QString& owner, const QString& organization);
// Programs to look for instead of the usual ones (names or absolute paths);
// an empty list stands for a system without any of them.
void setSystemInfoCandidatesForTesting(const QStringList& candidates);
// Back to the system's own answers.
void clearSystemInfoTesting();

} // namespace Platform
