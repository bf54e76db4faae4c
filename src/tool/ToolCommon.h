#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QCommandLineParser;
class QFile;
class NewFileDevice;

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

// Why OUT must not be written by an export of the diary at inputPath (it is
// that diary, or a diary in a data folder), or "" when it may.
QString refusedOutput(const QString& outputPath, const QString& inputPath);

// Where a command writes its result: stdout, or a file that is replaced only
// when everything was written (a failed export never leaves half a file).
// A regular file is written beside its final name, unnamed (NewFileDevice),
// and renamed over it at the end (through a link: the file the link names);
// it is not flushed to disk,
// since an export is a copy of a diary that stays. A pipe, a terminal or a
// device is written into directly.
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
    // that needs a device of its own; null when writing to stdout, a pipe or
    // a device. Nothing may be in the buffer while it is used.
    QFile* file();
    // Hands the buffer on once it holds about a megabyte.
    void flushIfFull();
    // Ends a complete output: the file takes OUT's place.
    bool finish(QString* error);
    // Ends a failed output: the file written beside OUT is removed, OUT
    // stays as it was.
    void discard();

private:
    bool flush();

    std::unique_ptr<NewFileDevice> file_;
    int fd_ = -1;    // a pipe, terminal or device written directly
    QString path_;   // OUT as given
    QByteArray buffer_;
    bool failed_ = false;
    QString error_;
};
