#pragma once

#include <QString>

struct EntryText;

// Display side of the diary walks: they write straight into frmMain.

// Mode 1: fill lstEntries with one line per entry (bulk, progress bar moving).
// Mode 2: show entry `number` in the Entry Reading controls; a number outside
// 1..count changes nothing. Other modes do nothing.
void Show_Entries(const QString& path, qint32 number, int mode);

// Shows one entry in the Entry Reading controls (ratings outside 0..3 check
// no option); the number caption stands as given.
void Fill_Reading_Controls(const QString& numberCaption, const EntryText& entry);

// Fills the Entry Statisticals view for publicDiaryPath.
void Show_Statistics();

// Searches the entry texts from startEntry and shows the hit in the reading
// view with the phrase selected; remembers the hit in publicLastFoundEntry.
void Find_Phrase(const QString& path, const QString& phrase, qint32 startEntry);
