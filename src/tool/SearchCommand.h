#pragma once

#include <QStringList>

// quorvel-tool search DIARY [QUERY] [filters] [--json] [--password-file F]:
// the entries the Entry Search would list, through the same query parser and
// walk as the window.
int runSearch(const QStringList& arguments);

// quorvel-tool tags DIARY [--password-file F]: the diary's tags, most used
// first, each with the number of entries that carry it.
int runTags(const QStringList& arguments);
