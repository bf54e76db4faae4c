#include "ExportCommand.h"

#include "DiaryFormat.h"
#include "PasswordPrompt.h"
#include "ToolCommon.h"

#include <QCommandLineParser>

int exportDiary(const QString& path, const ExportOptions& options, const QString& password) {
    const ExportOutcome outcome = runExport(ExportRequest{path, options, password});
    for (const QString& warning : outcome.warnings)
        complain(warning);
    if (outcome.result != ExportOutcome::Result::Written)
        complain(outcome.error);
    return outcome.exitCode;
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
