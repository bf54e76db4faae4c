#pragma once

#include <QString>

#include <functional>

// Runs slow work (deriving a diary's key) on a thread of its own while the
// window goes on painting and running its timers: a busy cursor, statusLine
// in the main window's status bar. Keys and clicks wait until the work is
// done (the local event loop takes no user input), so the modal chain that
// called this goes on exactly where it left off, with its dialogs alive.
// work must not touch widgets.
void runWhileBusy(const QString& statusLine, const std::function<void()>& work);
