#pragma once

#include <QString>

// Services the program takes from the operating system. Linux implementation
// in Platform_linux.cpp; Windows code stays behind Q_OS_WIN.
namespace Platform {
// Plays the sound file to its end (bounded wait); the system's default sound
// (a beep) when the file or the audio device is missing.
void playSoundSync(const QString& wavPath);
// Asks the desktop to open a document with its viewer; the result is not checked.
void openDocument(const QString& path);
// Registered owner and organisation of the system ("" when there is none).
QString registeredOwner();
QString registeredOrganization();
// Starts the system information tool; false when none is available.
bool startSystemInformation();
} // namespace Platform
