#pragma once

#include <QString>

// Where export takes the diary's password from.
namespace PasswordPrompt {

// Asks on the controlling terminal (/dev/tty) with echo switched off, so the
// password is neither shown nor taken from redirected input. The terminal is
// restored also when the user presses Ctrl+C. False when there is no terminal.
bool askOnTerminal(const QString& prompt, QString& password, QString* error);

// The first line of the file ("-": standard input), without its line break.
bool readFromFile(const QString& path, QString& password, QString* error);

// The log-in rule: both sides trimmed of blanks, compared case-sensitively.
bool matches(const QString& typed, const QString& stored);

} // namespace PasswordPrompt
