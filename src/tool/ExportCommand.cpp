#include "ExportCommand.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "HtmlBook.h"
#include "MoodMonths.h"
#include "NewFileDevice.h"
#include "PasswordPrompt.h"
#include "ToolCommon.h"
#include "mString.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <memory>

using namespace DiaryFormat;

namespace {

bool isBook(ExportFormat format) {
    return format == ExportFormat::Html || format == ExportFormat::Pdf;
}

// Calls visit(number, record) for every entry from first to last, reading
// the records in blocks of 256 (about a megabyte).
template <typename Visit> StorageStatus walkEntries(DiaryFileReader& reader, qint32 first, qint32 last, Visit visit) {
    constexpr qint32 block = 256;
    QByteArray records;
    for (qint32 at = first; at <= last; at += block) {
        const qint32 count = qMin(block, last - at + 1);
        const StorageStatus status = reader.readEntryRecords(at, count, records);
        if (!status.ok())
            return status;
        for (qint32 k = 0; k < count; ++k)
            visit(at + k, records.constData() + qsizetype(k) * EntrySize);
    }
    return StorageStatus();
}

// Writes the entries to the output in the chosen format.
class EntrySink {
public:
    EntrySink(ExportFormat format, Output& output) : format_(format), output_(output), exporter_(format, output) {}

    // False with *error when the book cannot be started.
    // moods: the ratings of the exported entries, for the PDF book's charts.
    bool begin(const ExportOptions& options, const QString& fileName, const QByteArray& header, const ExportPlan& plan,
               qint32 diaryEntries, const MoodMonths& moods, QString* error) {
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
                    *error = QStringLiteral("cannot write a temporary file: %1").arg(why);
                    return false;
                }
                device_ = &scratch_.device();
            }
            pdf_ = std::make_unique<PdfBook>(*device_, options.pageSize, bookOpeningPages(moodTimeline(moods)));
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

int exportDiary(const QString& path, const ExportOptions& options, const QString& password) {
    DiaryFileReader reader;
    StorageStatus status = reader.open(path);
    QByteArray header;
    if (status.ok())
        status = reader.readHeaderRecord(header);
    if (!status.ok()) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    // Same rule as the log-in: trimmed both sides, case-sensitive.
    if (const int refused = PasswordPrompt::unlockDiary(path, password); refused >= 0)
        return refused;
    QByteArray jsonPassword;
    // Opened again now that an encrypted diary's key is open: its records read as plain ones.
    if (DiaryCrypto::isEncrypted(DiaryHeader::fromRecord(header.constData()))) {
        if (!reader.open(path).ok()) {
            complain(printable(reader.open(path).description));
            return ExitCode::FileError;
        }
        // The export holds the password as typed, as a plain diary's does,
        // a passphrase longer than the header's field whole.
        DiaryCrypto::passwordBytes(password, jsonPassword);
        header.replace(PasswordOffset, PasswordWidth, fixedWidth(jsonPassword.left(PasswordWidth), PasswordWidth));
    }
    if (options.format == ExportFormat::Pdf && !qobject_cast<QApplication*>(QCoreApplication::instance())) {
        complain(QStringLiteral("the PDF book needs a widgets application object"));
        return ExitCode::FileError;
    }

    bool leftOut = false;
    const qint32 entries = reader.wholeEntries();
    const qint64 tail = (reader.length() - HeaderSize) % EntrySize;
    if (tail != 0) {
        complain(QStringLiteral("warning: %1 ends with %2 bytes of a cut-off entry, which are not exported "
                                "(see quorvel-tool check)")
                     .arg(printable(path))
                     .arg(tail));
        leftOut = true;
    }

    // A first walk finds the entries of a range of days and the months the
    // books list in their contents, and counts the moods of the exported
    // entries for the charts the PDF book opens with; it reads only the
    // records and holds no more than the counts of each month.
    const DiaryPart& part = options.part;
    const qint32 first = part.firstEntry;
    const qint32 last = qMin<qint32>(part.lastEntry, entries);
    const bool byDay = part.byDay();
    const bool book = isBook(options.format);
    ExportPlan plan;
    MoodMonths moods;
    const bool charts = options.format == ExportFormat::Pdf;
    qint32 firstUndated = 0;
    // An encrypted diary is always walked first: a record that does not
    // verify is left out and named, never written as a blank entry.
    QList<qint32> damaged;
    if (byDay || book || reader.encrypted()) {
        status = walkEntries(reader, first, last, [&](qint32 number, const char* record) {
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
        });
        if (!status.ok()) {
            complain(printable(status.description));
            return ExitCode::FileError;
        }
    } else {
        plan.entries = qMax(0, last - first + 1);
    }
    if (!damaged.isEmpty()) {
        QStringList numbers;
        for (const qint32 n : damaged)
            numbers << QString::number(n);
        complain(QStringLiteral("warning: %1 %2 of %3 %4 damaged (the record does not verify) and not exported: %5")
                     .arg(damaged.size())
                     .arg(damaged.size() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
                     .arg(printable(path))
                     .arg(damaged.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"))
                     .arg(numbers.join(QStringLiteral(", "))));
        leftOut = true;
    }
    if (plan.undatedSkipped > 0) {
        complain(QStringLiteral("warning: %1 %2 (the first is entry %3) left out of the range of days: "
                                "their date/time names no day that can be read")
                     .arg(plan.undatedSkipped)
                     .arg(plan.undatedSkipped == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
                     .arg(firstUndated));
        leftOut = true;
    }

    Output output;
    QString error;
    if (!output.open(options.outputPath, &error)) {
        complain(printable(error));
        return ExitCode::FileError;
    }
    EntrySink sink(options.format, output);
    sink.setPassword(jsonPassword);
    if (!sink.begin(options, QFileInfo(path).fileName(), header, plan, entries, moods, &error)) {
        complain(printable(error));
        output.discard();
        return ExitCode::FileError;
    }
    status = walkEntries(reader, first, last, [&](qint32 number, const char* record) {
        if (reader.damaged().contains(number))
            return;
        if (!byDay || part.takesDay(entryDay(record + DateTimeOffset)))
            sink.entry(number, record);
    });
    if (!status.ok()) {
        complain(printable(status.description));
        output.discard();
        return ExitCode::FileError;
    }
    if (!sink.end(&error) || !output.finish(&error)) {
        complain(printable(error));
        output.discard();
        return ExitCode::FileError;
    }
    return leftOut ? ExitCode::ProblemsFound : ExitCode::Ok;
}

int runExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the entries of a diary: number, date/time, topic, text and both ratings.\n"
                       "Asks for the diary's password on the terminal (not shown while typed) unless\n"
                       "--password-file is given; a wrong password is refused as at log-in (blanks\n"
                       "around it do not count, letter case does).\n"
                       "JSON keeps everything, the password included, and can be read back by import;\n"
                       "html and pdf make a book to read or print, with contents by month.\n"
                       "--entries, --from and --to choose a part of the diary (together: entries in\n"
                       "both); an entry whose date/time names no readable day is left out of a\n"
                       "range of days and said on standard error (exit code 1).\n"
                       "The output file is readable by its owner only."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The diary file (.PDD)."));
    const QCommandLineOption formatOption(QStringList{QStringLiteral("f"), QStringLiteral("format")},
                                          QStringLiteral("json, markdown, csv, text, html or pdf."),
                                          QStringLiteral("FORMAT"));
    const QCommandLineOption outputOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("Write to OUT instead of standard output."),
                                          QStringLiteral("OUT"));
    const QCommandLineOption passwordOption(
        QStringLiteral("password-file"),
        QStringLiteral("Take the password from the first line of this file (\"-\": standard input)."),
        QStringLiteral("FILE"));
    const QCommandLineOption entriesOption(QStringLiteral("entries"),
                                           QStringLiteral("Only the entries numbered N to M (or N alone)."),
                                           QStringLiteral("N-M"));
    const QCommandLineOption fromOption(QStringLiteral("from"),
                                        QStringLiteral("Only entries of this day (YYYY-MM-DD) or later."),
                                        QStringLiteral("DATE"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("Only entries of this day (YYYY-MM-DD) or earlier."),
                                      QStringLiteral("DATE"));
    const QCommandLineOption pageSizeOption(QStringLiteral("page-size"),
                                            QStringLiteral("Paper of the PDF book: a4 (the default) or letter."),
                                            QStringLiteral("SIZE"));
    parser.addOptions(
        {formatOption, outputOption, passwordOption, entriesOption, fromOption, toOption, pageSizeOption});
    const int parsed = parseCommandLine(parser, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;

    ExportOptions options;
    if (!parser.isSet(formatOption)) {
        complain(QStringLiteral("export needs --format json|markdown|csv|text|html|pdf"));
        return ExitCode::Usage;
    }
    if (!parseExportFormat(parser.value(formatOption), options.format)) {
        complain(QStringLiteral("unknown format \"%1\": use json, markdown, csv, text, html or pdf")
                     .arg(printable(parser.value(formatOption))));
        return ExitCode::Usage;
    }
    if (parser.isSet(entriesOption) &&
        !parseEntryRange(parser.value(entriesOption), options.part.firstEntry, options.part.lastEntry)) {
        complain(QStringLiteral("--entries takes N-M or N, entry numbers from 1 with N <= M, not \"%1\"")
                     .arg(printable(parser.value(entriesOption))));
        return ExitCode::Usage;
    }
    for (const auto& [option, day] : {std::pair{&fromOption, &options.part.from}, {&toOption, &options.part.to}}) {
        if (parser.isSet(*option) && !parseDay(parser.value(*option), *day)) {
            complain(QStringLiteral("--%1 takes a day written YYYY-MM-DD, not \"%2\"")
                         .arg(option->names().constFirst(), printable(parser.value(*option))));
            return ExitCode::Usage;
        }
    }
    if (options.part.from.isValid() && options.part.to.isValid() && options.part.from > options.part.to) {
        complain(QStringLiteral("--from is later than --to"));
        return ExitCode::Usage;
    }
    if (parser.isSet(pageSizeOption)) {
        if (options.format != ExportFormat::Pdf) {
            complain(QStringLiteral("--page-size is for --format pdf"));
            return ExitCode::Usage;
        }
        if (!parseBookPageSize(parser.value(pageSizeOption), options.pageSize)) {
            complain(QStringLiteral("unknown page size \"%1\": use a4 or letter")
                         .arg(printable(parser.value(pageSizeOption))));
            return ExitCode::Usage;
        }
    }
    options.outputPath = parser.value(outputOption);
    const QString path = parser.positionalArguments().at(0);
    if (const QString refused = refusedOutput(options.outputPath, path); !refused.isEmpty()) {
        complain(printable(refused));
        return ExitCode::Usage;
    }

    DiaryHeader header;
    QString password;
    const QString passwordFile = parser.value(passwordOption);
    const int ended = PasswordPrompt::readDiaryPassword(path, parser.isSet(passwordOption) ? &passwordFile : nullptr,
                                                        header, password);
    if (ended >= 0)
        return ended;
    return exportDiary(path, options, password);
}
