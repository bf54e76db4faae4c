#pragma once

#include <QStringList>

// quorvel-tool check [FOLDER|FILE]: every problem of the diary files, one per
// line, then a summary line. Exit code 1 when anything was found.
int runCheck(const QStringList& arguments);
