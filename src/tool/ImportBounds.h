#pragma once

#include "DiaryFormat.h"

#include <QByteArray>
#include <QString>

// How much an import reads and builds, whatever its input claims: a hostile
// or broken export is refused with a message before it can take the machine.
namespace ImportBounds {

// The largest diary Quorvel writes: 30000 entries of 4084 bytes (122.5 MB).
constexpr qint64 LargestDiary = qint64(DiaryFormat::MaxEntries) * DiaryFormat::EntrySize;
// Another program's export, all its files together: the largest diary's text
// plus room for the names of attachments and the export's own markup.
constexpr qint64 MaxJournalBytes = LargestDiary + (qint64(8) << 20);
// Quorvel's own JSON export: a stored byte takes up to three in UTF-8.
constexpr qint64 MaxDiaryJsonBytes = 3 * LargestDiary + (qint64(8) << 20);
// Diaries and journals nest a few levels; a parser recurses per level.
constexpr int MaxNesting = 64;
// Objects, lists and mappings: each costs a parser far more than its two
// bytes of text. 30000 entries of a rich export hold a few hundred thousand.
constexpr qint64 MaxContainers = 1000000;
// Every value and key.
constexpr qint64 MaxValues = 8000000;
// Entries another program's export may hold: a diary takes 30000, and some
// entries are left out as empty.
constexpr qint64 MaxJournalEntries = 2 * qint64(DiaryFormat::MaxEntries);

// Why the JSON text is refused before it is parsed (empty: it is within the
// bounds); source names it in the message. longestString > 0 also bounds the
// bytes of one string.
QString jsonRefusal(const QByteArray& json, const QString& source, qint64 longestString = 0);

// The refusal of an export larger than limit bytes.
QString tooLarge(const QString& source, qint64 limit);

} // namespace ImportBounds
