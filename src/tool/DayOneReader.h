#pragma once

#include "ImportedJournal.h"

// Day One's JSON export: the .zip it comes in (every journal's .json inside
// is read) or one such .json. {"metadata": {...}, "entries": [{"uuid",
// "creationDate": "...Z", "timeZone", "text" (Markdown), "tags", "starred",
// "photos", ...}]}.
ReadResult readDayOne(const QString& path, ImportedJournal& journal);

// One journal's JSON; source names it in messages ("Journal.json").
ReadResult readDayOneJson(QByteArray json, const QString& source, ImportedJournal& journal);
