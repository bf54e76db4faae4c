#pragma once

#include <QStringList>

// quorvel-tool list [FOLDER]: one line per diary, tab-separated: file name,
// owner, title, number of entries, time of begin. Never the password.
int runList(const QStringList& arguments);
