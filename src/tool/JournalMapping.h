#pragma once

#include "DiaryFormat.h"
#include "ImportedJournal.h"

#include <QList>
#include <QString>
#include <QStringList>

// Fits imported journal entries into diary entries:
// - in date/time order, the date/time written "dd.MM.yyyy hh:mm:ss";
// - the title as the topic; a title longer than the topic holds is cut there
//   ("…") and kept whole as the first line of the text;
// - the text with CR LF line breaks, then lines naming attachments, then the
//   tags as "#tag"; a text longer than an entry holds continues in further
//   entries with the same date/time, their topics marked "(2/3)", "(3/3)"
//   (the first "(1/3)"), cut at a line break or blank where one is near;
// - every character Windows-1252 cannot hold (and control characters other
//   than tab and line breaks) written as a mark "[U+1F600]";
// - ratings none; entries with nothing in them left out.
struct JournalMapping {
    QList<DiaryEntry> entries; // Windows-1252 bytes, not padded, not scrambled
    int written = 0;           // imported entries written (whole or in parts)
    int split = 0;             // imported entries written as several diary entries
    int marked = 0;            // characters written as marks
    int empty = 0;             // imported entries left out as empty
    int markedEntries = 0;     // imported entries holding marks
    QStringList firstMarked;   // the first few of them: "entry 3 (02.01.2024 10:00:00): U+1F600"
    bool tooMany = false;      // more than a diary holds: the mapping stopped there
};

// Sorts journal.entries by date/time (stable, so entries of one moment keep
// the export's order) and maps them; a text holds at most textWidth
// characters (an encrypted diary's records hold fewer). Stops with tooMany as
// soon as the entries would not fit in one diary.
JournalMapping mapJournal(ImportedJournal& journal, qsizetype textWidth = DiaryFormat::EntryWidth);

// The closing line: what was read and written, split, marked and left out.
QString importSummary(const ImportedJournal& journal, const JournalMapping& mapping);
