#pragma once

#include <QStringList>

// quorvel-tool search DIARY [QUERY] [filters] [--json] [--password-file F]:
// the entries a query and filters keep, through the storage core's entry
// search (query parser and walk).
int runSearch(const QStringList& arguments);

// quorvel-tool tags DIARY [--password-file F]: the diary's tags, most used
// first, each with the number of entries that carry it.
int runTags(const QStringList& arguments);
