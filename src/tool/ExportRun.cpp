#include "ExportRun.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "HtmlBook.h"
#include "MoodMonths.h"
#include "NewFileDevice.h"
#include "ToolCommon.h"
#include "ToolTexts.h"
#include "mFile.h"
#include "mString.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>

using namespace DiaryFormat;

namespace {

bool isBook(ExportFormat format) {
    return format == ExportFormat::Html || format == ExportFormat::Pdf;
}

// Calls visit(number, record) for every entry from first to last, reading
// the records in blocks of 256 (about a megabyte). Stops, with *stopped set,
// when stop() says so before an entry.
template <typename Visit, typename Stop>
StorageStatus walkEntries(DiaryFileReader& reader, qint32 first, qint32 last, Visit visit, Stop stop,
                          bool* stopped) {
    constexpr qint32 block = 256;
    QByteArray records;
    for (qint32 at = first; at <= last; at += block) {
        const qint32 count = qMin(block, last - at + 1);
        const StorageStatus status = reader.readEntryRecords(at, count, records);
        if (!status.ok())
            return status;
        for (qint32 k = 0; k < count; ++k) {
            if (stop()) {
                *stopped = true;
                return StorageStatus();
            }
            visit(at + k, records.constData() + qsizetype(k) * EntrySize);
        }
    }
    return StorageStatus();
}

// Says how far the export is, and whether it is to stop.
class ExportSteps {
public:
    ExportSteps(const ExportControl& control, qint64 total) : control_(control), total_(qMax<qint64>(total, 1)) {
        report();
    }
    bool cancelled() const { return control_.cancel && control_.cancel->load(std::memory_order_relaxed); }
    void step() {
        if ((++done_ & 63) == 0)
            report();
    }
    void finish() {
        done_ = total_;
        report();
    }

private:
    void report() {
        if (control_.progress)
            control_.progress(qMin(done_, total_), total_);
    }
    const ExportControl& control_;
    qint64 total_;
    qint64 done_ = 0;
};

// Writes the entries to the output in the chosen format.
class EntrySink {
public:
    EntrySink(ExportFormat format, Output& output) : format_(format), output_(output), exporter_(format, output) {}

    // False with *error when the book cannot be started.
    // moods: the ratings of the exported entries, for the PDF book's charts.
    bool begin(const ExportOptions& options, const QString& fileName, const QByteArray& header, const ExportPlan& plan,
               qint32 diaryEntries, const MoodMonths& moods, const MoodChartPainter& drawChart, QString* error) {
        switch (format_) {
        case ExportFormat::Html:
            html_ = std::make_unique<HtmlBook>(output_);
            html_->begin(header, plan, diaryEntries);
            return true;
        case ExportFormat::Pdf:
            // The book is painted straight into the output file; standard
            // output gets a copy of a scratch file at the end, a file without
            // a name, so a stopped export leaves no readable book behind.
            device_ = output_.file();
            if (!device_) {
                QString why;
                if (!scratch_.openScratch(&why)) {
                    *error = ExportTexts::tr("cannot write a temporary file: %1").arg(why);
                    return false;
                }
                device_ = &scratch_.device();
            }
            pdf_ = std::make_unique<PdfBook>(*device_, options.pageSize,
                                             bookOpeningPages(moodTimeline(moods), drawChart));
            pdf_->begin(header, plan, diaryEntries);
            return true;
        default:
            exporter_.begin(fileName, header, plan.entries);
            return true;
        }
    }

    void setPassword(const QByteArray& bytes) { exporter_.setPassword(bytes); }

    void entry(qint32 number, const char* record) {
        if (html_)
            html_->entry(number, record);
        else if (pdf_)
            pdf_->entry(number, record);
        else
            exporter_.entry(number, record);
    }

    bool end(QString* error) {
        if (html_) {
            html_->end();
            return true;
        }
        if (!pdf_) {
            exporter_.end();
            return true;
        }
        if (!pdf_->end(error))
            return false;
        if (device_ != &scratch_.device())
            return true;
        QFile& scratch = scratch_.device();
        if (!scratch.seek(0)) {
            *error = scratch.errorString();
            return false;
        }
        while (!scratch.atEnd()) {
            const QByteArray chunk = scratch.read(1 << 20);
            if (chunk.isEmpty()) {
                *error = scratch.errorString();
                return false;
            }
            output_.write(chunk);
        }
        return true;
    }

private:
    ExportFormat format_;
    Output& output_;
    DiaryExporter exporter_;
    std::unique_ptr<HtmlBook> html_;
    std::unique_ptr<PdfBook> pdf_;
    NewFileDevice scratch_; // never named; goes with the sink
    QIODevice* device_ = nullptr;
};

} // namespace

ExportOutcome runExport(const ExportRequest& request, const ExportControl& control) {
    ExportOutcome outcome;
    const auto fail = [&outcome](int exitCode, const QString& error) {
        outcome.result = ExportOutcome::Result::Failed;
        outcome.exitCode = exitCode;
        outcome.error = error;
        return outcome;
    };
    const QString& path = request.diaryPath;
    const ExportOptions& options = request.options;
    DiaryFileReader reader;
    StorageStatus status = reader.open(path);
    QByteArray header;
    if (status.ok())
        status = reader.readHeaderRecord(header);
    if (!status.ok())
        return fail(ExitCode::FileError, printable(status.description));
    const bool encrypted = DiaryCrypto::isEncrypted(DiaryHeader::fromRecord(header.constData()));
    if (request.password) {
        // Same rule as the log-in: trimmed both sides, case-sensitive. An
        // encrypted diary's key becomes the open key, so the walks can read it
        // (the window's session may already hold it: that one stays).
        DiaryCrypto::KeyPtr key;
        if (!passwordMatches(path, trimBlanks(*request.password), &status, &key)) {
            if (status.number == StorageErrors::CostRefused)
                return fail(ExitCode::Refused, QStringLiteral("%1: %2").arg(printable(path), status.description));
            if (!status.ok())
                return fail(ExitCode::FileError, printable(status.description));
            return fail(ExitCode::WrongPassword, ExportTexts::tr("wrong password for %1").arg(printable(path)));
        }
        if (key && !DiaryCrypto::openKeyFor(key->passwordField()))
            DiaryCrypto::setOpenKey(key);
    } else if (encrypted && options.format == ExportFormat::Json) {
        return fail(ExitCode::WrongPassword,
                    ExportTexts::tr("the JSON export of an encrypted diary needs its password"));
    }
    QByteArray jsonPassword;
    // Opened again now that an encrypted diary's key is open: its records read as plain ones.
    if (encrypted) {
        status = reader.open(path);
        if (!status.ok())
            return fail(ExitCode::FileError, printable(status.description));
        if (request.password) {
            // The export holds the password as typed, as a plain diary's does,
            // a passphrase longer than the header's field whole.
            DiaryCrypto::passwordBytes(*request.password, jsonPassword);
            header.replace(PasswordOffset, PasswordWidth,
                           fixedWidth(jsonPassword.left(PasswordWidth), PasswordWidth));
        }
    }
    if (options.format == ExportFormat::Pdf && !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return fail(ExitCode::FileError, QStringLiteral("the PDF book needs a widgets application object"));

    const qint32 entries = reader.wholeEntries();
    const qint64 tail = (reader.length() - HeaderSize) % EntrySize;
    if (tail != 0)
        outcome.warnings << ExportTexts::tr("warning: %1 ends with %2 bytes of a cut-off entry, which are not exported "
                                            "(see quorvel-tool check)")
                                .arg(printable(path))
                                .arg(tail);

    // A first walk finds the entries of a range of days and the months the
    // books list in their contents, and counts the moods of the exported
    // entries for the charts the PDF book opens with; it reads only the
    // records and holds no more than the counts of each month.
    const DiaryPart& part = options.part;
    const qint32 first = part.firstEntry;
    const qint32 last = qMin<qint32>(part.lastEntry, entries);
    const bool byDay = part.byDay();
    const bool book = isBook(options.format);
    const bool firstWalk = byDay || book || reader.encrypted();
    const qint64 span = qMax(0, last - first + 1);
    ExportSteps steps(control, firstWalk ? 2 * span : span);
    const auto stop = [&steps] { return steps.cancelled(); };
    bool stopped = false;
    const auto cancelled = [&outcome] {
        outcome.result = ExportOutcome::Result::Cancelled;
        return outcome;
    };
    ExportPlan plan;
    MoodMonths moods;
    const bool charts = options.format == ExportFormat::Pdf;
    qint32 firstUndated = 0;
    // An encrypted diary is always walked first: a record that does not
    // verify is left out and named, never written as a blank entry.
    QList<qint32> damaged;
    if (firstWalk) {
        status = walkEntries(
            reader, first, last,
            [&](qint32 number, const char* record) {
                steps.step();
                if (reader.damaged().contains(number)) {
                    damaged << number;
                    return;
                }
                if (!byDay && !book) {
                    ++plan.entries;
                    return;
                }
                const QDate day = entryDay(record + DateTimeOffset);
                if (part.takesDay(day)) {
                    plan.add(number, day);
                    if (charts)
                        moods.add(record + DateTimeOffset, readInt16LE(record + WellnessOffset),
                                  readInt16LE(record + LoveOffset));
                } else if (!day.isValid()) {
                    ++plan.undatedSkipped;
                    if (firstUndated == 0)
                        firstUndated = number;
                }
            },
            stop, &stopped);
        if (!status.ok())
            return fail(ExitCode::FileError, printable(status.description));
        if (stopped)
            return cancelled();
    } else {
        plan.entries = qint32(span);
    }
    if (!damaged.isEmpty()) {
        QStringList numbers;
        for (const qint32 n : damaged)
            numbers << QString::number(n);
        outcome.warnings
            << (damaged.size() == 1
                    ? ExportTexts::tr(
                          "warning: 1 entry of %1 is damaged (the record does not verify) and not exported: %2")
                          .arg(printable(path), numbers.join(QStringLiteral(", ")))
                    : ExportTexts::tr("warning: %1 entries of %2 are damaged (the record does not verify) and not "
                                      "exported: %3")
                          .arg(QString::number(damaged.size()), printable(path), numbers.join(QStringLiteral(", "))));
    }
    if (plan.undatedSkipped > 0)
        outcome.warnings << (plan.undatedSkipped == 1
                                 ? ExportTexts::tr("warning: 1 entry (the first is entry %1) left out of the range of "
                                                   "days: their date/time names no day that can be read")
                                       .arg(firstUndated)
                                 : ExportTexts::tr("warning: %1 entries (the first is entry %2) left out of the range "
                                                   "of days: their date/time names no day that can be read")
                                       .arg(plan.undatedSkipped)
                                       .arg(firstUndated));

    Output output;
    QString error;
    if (!output.open(options.outputPath, &error))
        return fail(ExitCode::FileError, printable(error));
    // The sink paints into the output's file: it goes first when the file is dropped.
    auto sink = std::make_unique<EntrySink>(options.format, output);
    const auto discard = [&] {
        sink.reset();
        output.discard();
    };
    sink->setPassword(jsonPassword);
    if (!sink->begin(options, QFileInfo(path).fileName(), header, plan, entries, moods, control.drawChart, &error)) {
        discard();
        return fail(ExitCode::FileError, printable(error));
    }
    status = walkEntries(
        reader, first, last,
        [&](qint32 number, const char* record) {
            steps.step();
            if (reader.damaged().contains(number))
                return;
            if (!byDay || part.takesDay(entryDay(record + DateTimeOffset))) {
                sink->entry(number, record);
                ++outcome.entries;
            }
        },
        stop, &stopped);
    if (!status.ok()) {
        discard();
        return fail(ExitCode::FileError, printable(status.description));
    }
    if (stopped) {
        discard();
        return cancelled();
    }
    if (!sink->end(&error) || !output.finish(&error)) {
        discard();
        return fail(ExitCode::FileError, printable(error));
    }
    steps.finish();
    outcome.result = ExportOutcome::Result::Written;
    outcome.exitCode = outcome.warnings.isEmpty() ? ExitCode::Ok : ExitCode::ProblemsFound;
    return outcome;
}
