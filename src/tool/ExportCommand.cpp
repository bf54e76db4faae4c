#include "ExportCommand.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "PasswordPrompt.h"
#include "ToolCommon.h"
#include "mString.h"

#include <QCommandLineParser>
#include <QFileInfo>

using namespace DiaryFormat;

int exportDiary(const QString& path, ExportFormat format, const QString& outputPath, const QString& password) {
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
    if (!PasswordPrompt::matches(password, Cp1252::decode(header.mid(PasswordOffset, PasswordWidth)))) {
        complain(QStringLiteral("wrong password for %1").arg(printable(path)));
        return ExitCode::WrongPassword;
    }

    const qint32 entries = reader.wholeEntries();
    const qint64 tail = (reader.length() - HeaderSize) % EntrySize;
    if (tail != 0)
        complain(QStringLiteral("warning: %1 ends with %2 bytes of a cut-off entry, which are not exported "
                                "(see quorvel-tool check)")
                     .arg(printable(path))
                     .arg(tail));

    Output output;
    QString error;
    if (!output.open(outputPath, &error)) {
        complain(printable(error));
        return ExitCode::FileError;
    }
    DiaryExporter exporter(format, output);
    exporter.begin(QFileInfo(path).fileName(), header, entries);
    constexpr qint32 block = 256;
    QByteArray records;
    for (qint32 first = 1; first <= entries; first += block) {
        const qint32 count = qMin(block, entries - first + 1);
        status = reader.readEntryRecords(first, count, records);
        if (!status.ok()) {
            complain(printable(status.description));
            output.finish(nullptr);
            return ExitCode::FileError;
        }
        for (qint32 k = 0; k < count; ++k)
            exporter.entry(first + k, records.constData() + qsizetype(k) * EntrySize);
    }
    exporter.end();
    if (!output.finish(&error)) {
        complain(printable(error));
        return ExitCode::FileError;
    }
    return ExitCode::Ok;
}

int runExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes every entry of a diary: number, date/time, topic, text and both ratings.\n"
                       "Asks for the diary's password on the terminal (not shown while typed) unless\n"
                       "--password-file is given; a wrong password is refused as at log-in (blanks\n"
                       "around it do not count, letter case does).\n"
                       "JSON keeps everything, the password included, and can be read back by import;\n"
                       "the output file is readable by its owner only."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The diary file (.PDD)."));
    const QCommandLineOption formatOption(QStringList{QStringLiteral("f"), QStringLiteral("format")},
                                          QStringLiteral("json, markdown, csv or text."), QStringLiteral("FORMAT"));
    const QCommandLineOption outputOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("Write to OUT instead of standard output."),
                                          QStringLiteral("OUT"));
    const QCommandLineOption passwordOption(
        QStringLiteral("password-file"),
        QStringLiteral("Take the password from the first line of this file (\"-\": standard input)."),
        QStringLiteral("FILE"));
    parser.addOptions({formatOption, outputOption, passwordOption});
    const int parsed = parseCommandLine(parser, arguments, 1, 1);
    if (parsed >= 0)
        return parsed;

    ExportFormat format = ExportFormat::Json;
    if (!parser.isSet(formatOption)) {
        complain(QStringLiteral("export needs --format json|markdown|csv|text"));
        return ExitCode::Usage;
    }
    if (!parseExportFormat(parser.value(formatOption), format)) {
        complain(QStringLiteral("unknown format \"%1\": use json, markdown, csv or text")
                     .arg(printable(parser.value(formatOption))));
        return ExitCode::Usage;
    }
    const QString path = parser.positionalArguments().at(0);

    // The file is looked at before the password is asked for.
    DiaryFileReader reader;
    StorageStatus status = reader.open(path);
    DiaryHeader header;
    if (status.ok())
        status = reader.readHeader(header);
    reader.close();
    if (!status.ok()) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }

    QString password;
    QString error;
    const bool got = parser.isSet(passwordOption)
                         ? PasswordPrompt::readFromFile(parser.value(passwordOption), password, &error)
                         : PasswordPrompt::askOnTerminal(QStringLiteral("Password for \"%1\" (%2): ")
                                                             .arg(printable(trimBlanks(Cp1252::decode(header.Title))),
                                                                  printable(trimBlanks(Cp1252::decode(header.Owner)))),
                                                         password, &error);
    if (!got) {
        complain(printable(error));
        return parser.isSet(passwordOption) ? ExitCode::FileError : ExitCode::Usage;
    }
    return exportDiary(path, format, parser.value(outputOption), password);
}
