#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QCommandLineParser;
class QTemporaryFile;

// Exit codes of quorvel-tool.
namespace ExitCode {
constexpr int Ok = 0;
constexpr int ProblemsFound = 1; // check found damaged diaries; export left part out
constexpr int Usage = 2;         // wrong arguments or options
constexpr int WrongPassword = 3;
constexpr int FileError = 4; // a file or folder could not be read or written
constexpr int Refused = 5;   // import input the program would not accept
} // namespace ExitCode

// The exit-code table as --help shows it.
QString exitCodeHelp();

// "quorvel-tool: <message>" on stderr.
void complain(const QString& message);
// Text on stdout, UTF-8.
void say(const QString& text);

// Text safe to show on a terminal: control characters (C0, DEL, C1) become
// \xNN, so a damaged file name or field cannot send escape sequences.
QString printable(const QString& text);

// Parses the arguments of one command. Returns -1 when the command should
// go on; otherwise the exit code to end with (help shown, or a usage error
// already reported).
int parseCommandLine(QCommandLineParser& parser, const QStringList& arguments, int minPositional, int maxPositional);

// Where a command writes its result: stdout, or a file that is replaced only
// when everything was written (a failed export never leaves half a file).
// The file is written beside its final name and renamed over it at the end;
// it is not flushed to disk, since an export is a copy of a diary that stays.
class Output {
public:
    Output();
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Empty path or "-": stdout.
    bool open(const QString& path, QString* error);
    // The bytes are buffered; write errors show at the next flush or finish().
    void write(const QByteArray& bytes);
    QByteArray& buffer() { return buffer_; }
    // The file being written (open for reading and writing), for a writer
    // that needs a device of its own; null when writing to stdout. Nothing
    // may be in the buffer while it is used.
    QTemporaryFile* file() { return file_.get(); }
    // Hands the buffer on once it holds about a megabyte.
    void flushIfFull();
    bool finish(QString* error);

private:
    bool flush();

    std::unique_ptr<QTemporaryFile> file_;
    QString path_;
    QByteArray buffer_;
    bool failed_ = false;
    QString error_;
};
