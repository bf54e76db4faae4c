#pragma once

#include "ImportedJournal.h"

// RedNotebook's data folder: one file a month, YYYY-MM.txt, a YAML mapping
// from the day of the month to {text: ..., <category>: {<item>: null}, ...}.
// PATH may also name one month file. Each day is one entry at midnight; its
// "Tags" category gives the tags, other categories a line "Category: item".
ReadResult readRedNotebook(const QString& path, ImportedJournal& journal);

// One month file's text; fileName ("2024-01.txt") gives the month.
ReadResult readRedNotebookMonth(const QByteArray& yaml, const QString& fileName, ImportedJournal& journal);
