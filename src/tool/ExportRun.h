#pragma once

#include "BookOpeningPages.h"
#include "DiaryPart.h"
#include "ExportFormats.h"
#include "PdfBook.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

// The one export of a diary, behind quorvel-tool export and the window's
// File > Export. The file is written unnamed beside its final name and takes
// that name only when it is whole: a failure or a cancel leaves an earlier
// file of that name as it was and nothing half-written. Owner-only (the JSON
// holds the password).

struct ExportOptions {
    ExportFormat format = ExportFormat::Json;
    QString outputPath; // empty or "-": standard output
    DiaryPart part;
    BookPageSize pageSize = BookPageSize::A4; // the PDF book's
};

struct ExportRequest {
    QString diaryPath;
    ExportOptions options;
    // The password as typed: checked (through the one door, passwordMatches)
    // and an encrypted diary's key opened with it. None: the diary is open in
    // this process, an encrypted one with its key open; the JSON of an
    // encrypted diary still needs it (the file holds it).
    std::optional<QString> password;
};

struct ExportControl {
    // done of total steps (each entry is walked once or twice); called on the
    // exporting thread, first at the start, then at least every 64 entries.
    std::function<void(qint64 done, qint64 total)> progress;
    // Set from anywhere to stop; checked before every entry.
    const std::atomic_bool* cancel = nullptr;
    // How the PDF book's mood charts are drawn (see MoodChartPainter).
    MoodChartPainter drawChart;
};

struct ExportOutcome {
    enum class Result { Written, Cancelled, Failed };
    Result result = Result::Failed;
    int exitCode = 0;     // as quorvel-tool ends with it (ExitCode)
    QStringList warnings; // entries left out, said in the tool's words
    QString error;        // why it failed
    qint32 entries = 0;   // entries written
};

ExportOutcome runExport(const ExportRequest& request, const ExportControl& control = {});
