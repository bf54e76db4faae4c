#pragma once

#include "DiaryFormat.h"

#include <QByteArray>
#include <QString>

// How many entries each encrypted diary held when it was last open on this
// machine, kept in the user's own settings (~/.config/quorvel/quorvel.conf),
// never beside the diary, and keyed by the diary's salt. The format cannot
// tell whole entries cut off its end, or an older copy of the whole file,
// from the real thing; this memory lets a log-in notice that the diary holds
// fewer entries than it did here.
namespace EntryCountMemory {

// The count remembered for this encrypted diary's header, or -1 (none, or a plain diary).
qint32 recalled(const DiaryHeader& header);
// Remembers the count for this encrypted diary (plain ones are left out).
void remember(const DiaryHeader& header, qint32 entries);
// A password change took a new salt: the count goes with it.
void passwordChanged(const QByteArray& oldPasswordField, const QByteArray& newPasswordField);

// The warning for a log-in to a diary that now holds fewer entries than
// remembered, or "" when it holds as many or more.
QString fewerEntriesWarning(const DiaryHeader& header, qint32 entries);

} // namespace EntryCountMemory
