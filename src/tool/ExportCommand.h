#pragma once

#include "DiaryPart.h"
#include "ExportFormats.h"
#include "PdfBook.h"

#include <QString>
#include <QStringList>

// quorvel-tool export FILE --format json|markdown|csv|text|html|pdf [-o OUT]
//                          [--password-file FILE] [--entries N-M]
//                          [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                          [--page-size a4|letter]
int runExport(const QStringList& arguments);

struct ExportOptions {
    ExportFormat format = ExportFormat::Json;
    QString outputPath; // empty or "-": standard output
    DiaryPart part;
    BookPageSize pageSize = BookPageSize::A4; // the PDF book's
};

// The export itself, once the password is known (also used by the benchmark).
// Returns an exit code; messages go to stderr.
int exportDiary(const QString& path, const ExportOptions& options, const QString& password);
