#pragma once

#include "ImportedJournal.h"

#include <QByteArray>

// jrnl's JSON export (jrnl --export json): {"tags": {...}, "entries": [{"title",
// "body", "date": "YYYY-MM-DD", "time": "HH:MM", "tags": [...], "starred"}]}.
ReadResult readJrnl(QByteArray json, ImportedJournal& journal);
