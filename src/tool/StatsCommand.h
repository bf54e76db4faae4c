#pragma once

#include <QStringList>

// quorvel-tool stats FILE [--csv] [--password-file FILE]: the ratings of a
// diary month by month, as the Entry Statisticals charts show them.
int runStats(const QStringList& arguments);
