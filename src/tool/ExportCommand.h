#pragma once

#include "ExportFormats.h"

#include <QString>
#include <QStringList>

// quorvel-tool export FILE --format json|markdown|csv|text [-o OUT]
//                          [--password-file FILE]
int runExport(const QStringList& arguments);

// The export itself, once the password is known (also used by the benchmark).
// Returns an exit code; messages go to stderr.
int exportDiary(const QString& path, ExportFormat format, const QString& outputPath, const QString& password);
