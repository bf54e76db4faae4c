#pragma once

#include <QStringList>

// quorvel-tool merge DIARY OTHER [--password-file FILE]
int runMerge(const QStringList& arguments);
