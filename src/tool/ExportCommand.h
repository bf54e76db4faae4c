#pragma once

#include "ExportRun.h"

#include <QString>
#include <QStringList>

// quorvel-tool export FILE --format json|markdown|csv|text|html|pdf [-o OUT]
//                          [--password-file FILE] [--entries N-M]
//                          [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                          [--page-size a4|letter]
int runExport(const QStringList& arguments);

// runExport once the password is known, its warnings and failure said on
// stderr (also used by the benchmark). Returns the exit code.
int exportDiary(const QString& path, const ExportOptions& options, const QString& password);
