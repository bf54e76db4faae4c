#pragma once

#include <QString>

struct DiaryHeader;

// Where export and stats take the diary's password from.
namespace PasswordPrompt {

// Asks on the controlling terminal (/dev/tty) with echo switched off, so the
// password is neither shown nor taken from redirected input. The terminal is
// restored also when the user presses Ctrl+C. False when there is no terminal.
bool askOnTerminal(const QString& prompt, QString& password, QString* error);

// The first line of the file ("-": standard input), without its line break.
bool readFromFile(const QString& path, QString& password, QString* error);

// Reads the diary's header (before any password is asked for), then the
// password: from *passwordFile when one is given, else on the terminal with
// a prompt that names the diary's title and owner. Returns -1 with header and
// password filled; otherwise the exit code to end with, its message said. A
// password longer than the diary's kind allows is refused with the limit
// named (exit 3), never cut.
int readDiaryPassword(const QString& path, const QString* passwordFile, DiaryHeader& header, QString& password);

// A new password: the first line of *passwordFile when one is given, else
// typed twice on the terminal after prompt. Trimmed of blanks; refused, with
// the reason said, when the two differ, when it is empty, longer than
// maxLength (the limit named, never cut) or not storable in a diary of that
// kind. Returns -1 with bytes holding its Windows-1252 bytes; otherwise the
// exit code to end with. optionHint says how else to give it, when the
// terminal cannot be asked.
int readNewPassword(const QString* passwordFile, const QString& prompt, int maxLength, bool encrypted,
                    QByteArray& bytes, const QString& optionHint = QString());

// The log-in rule: both sides trimmed of blanks, compared case-sensitively.
bool matches(const QString& typed, const QString& stored);

// Opens the diary at path with the typed password through the library's one
// door (passwordMatches), trimmed as the log-in trims it. An encrypted
// diary's key becomes the open key of this run, so the walks can read it.
// Returns -1 when it opened; otherwise the exit code to end with, its
// message said: a wrong password, a header asking for more key derivation
// than allowed (refused), a file that cannot be read.
int unlockDiary(const QString& path, const QString& password);
// Asks for the diary's password (or reads it from passwordFile) and opens
// the diary with it; -1 when it opened, else the exit code, its message said.
int askAndUnlock(const QString& path, const QString* passwordFile);

} // namespace PasswordPrompt
