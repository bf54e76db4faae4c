#include "ToolCommon.h"

#include "NewFileBeside.h"
#include "NewFileDevice.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString exitCodeHelp() {
    return QStringLiteral("Exit codes:\n"
                          "  0  success\n"
                          "  1  check found problems in a diary file; export left out what it could not\n"
                          "     read or place (said on standard error), the rest is written\n"
                          "  2  usage error (unknown command, option or argument)\n"
                          "  3  wrong password\n"
                          "  4  a file or folder could not be read or written, or the diary is open in a\n"
                          "     Quorvel window\n"
                          "  5  import refused the input (it breaks a rule of the diary format); merge\n"
                          "     refused two diaries that are not copies of one diary; encrypt or decrypt\n"
                          "     refused the diary (already of that kind, a text too long); an encrypted\n"
                          "     diary's header asks for more memory or passes than Quorvel allows\n");
}

void complain(const QString& message) {
    const QByteArray text = (QStringLiteral("quorvel-tool: ") + message + QLatin1Char('\n')).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

void say(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

int parseCommandLine(QCommandLineParser& parser, const QStringList& arguments, int minPositional, int maxPositional) {
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    parser.addOption(help);
    if (!parser.parse(arguments)) {
        complain(parser.errorText());
        complain(QStringLiteral("see %1 --help").arg(arguments.value(0)));
        return ExitCode::Usage;
    }
    if (parser.isSet(help)) {
        say(parser.helpText() + QLatin1Char('\n') + exitCodeHelp());
        return ExitCode::Ok;
    }
    const qsizetype count = parser.positionalArguments().size();
    if (count < minPositional || count > maxPositional) {
        complain(count < minPositional ? QStringLiteral("missing argument")
                                       : QStringLiteral("unexpected argument: %1")
                                             .arg(printable(parser.positionalArguments().value(maxPositional))));
        complain(QStringLiteral("see %1 --help").arg(arguments.value(0)));
        return ExitCode::Usage;
    }
    return -1;
}

// ---------------------------------------------------------------- Output

namespace {

QString errnoText(int errnum) {
    return QString::fromLocal8Bit(std::strerror(errnum));
}

// Writes all bytes to fd; false with errno set when it cannot.
bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += put;
    }
    return true;
}

} // namespace

QString refusedOutput(const QString& outputPath, const QString& inputPath) {
    if (outputPath.isEmpty() || outputPath == QLatin1String("-"))
        return {};
    struct stat out {};
    struct stat in {};
    if (::stat(QFile::encodeName(outputPath).constData(), &out) == 0 &&
        ::stat(QFile::encodeName(inputPath).constData(), &in) == 0 && out.st_dev == in.st_dev &&
        out.st_ino == in.st_ino)
        return QStringLiteral("%1 is the diary being exported: it is not overwritten").arg(outputPath);
    const QFileInfo target(followSymbolicLinks(outputPath));
    if (target.fileName().endsWith(QLatin1String(".PDD"), Qt::CaseInsensitive) &&
        target.absoluteDir().dirName().compare(QLatin1String("DATA"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("%1 is a diary in a data folder: an export never takes its place").arg(outputPath);
    return {};
}

Output::Output() = default;

Output::~Output() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool Output::open(const QString& path, QString* error) {
    buffer_.reserve(2 << 20);
    if (path.isEmpty() || path == QLatin1String("-"))
        return true;
    path_ = path;
    const QString target = followSymbolicLinks(path);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat st {};
    if (::stat(targetName.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            if (error)
                *error = QStringLiteral("cannot write %1: it is a folder").arg(path);
            return false;
        }
        // A pipe, a terminal or a device is written into, never replaced.
        fd_ = ::open(targetName.constData(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) {
            if (error)
                *error = QStringLiteral("cannot write %1: %2").arg(path, errnoText(errno));
            return false;
        }
        return true;
    }
    // A regular file (or a new one) is written beside it and renamed over it
    // at the end; a link keeps pointing at it. Created readable by its owner
    // only (the JSON holds the password).
    file_ = std::make_unique<NewFileDevice>();
    QString why;
    if (!file_->openFor(target, &why)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, why);
        file_.reset();
        return false;
    }
    return true;
}

QFile* Output::file() {
    return file_ ? &file_->device() : nullptr;
}

void Output::write(const QByteArray& bytes) {
    buffer_.append(bytes);
    flushIfFull();
}

void Output::flushIfFull() {
    if (buffer_.size() >= (1 << 20))
        flush();
}

bool Output::flush() {
    if (!failed_ && !buffer_.isEmpty()) {
        if (file_) {
            if (file_->device().write(buffer_) != buffer_.size()) {
                failed_ = true;
                error_ = QStringLiteral("cannot write %1: %2").arg(path_, file_->device().errorString());
            }
        } else {
            std::fflush(stdout);
            if (!writeAll(fd_ >= 0 ? fd_ : STDOUT_FILENO, buffer_)) {
                failed_ = true;
                error_ = fd_ >= 0 ? QStringLiteral("cannot write %1: %2").arg(path_, errnoText(errno))
                                  : QStringLiteral("cannot write to standard output: %1").arg(errnoText(errno));
            }
        }
    }
    buffer_.resize(0); // keeps the capacity, unlike clear()
    return !failed_;
}

bool Output::finish(QString* error) {
    flush();
    QString why;
    if (file_ && !failed_ && !file_->commit(&why)) {
        failed_ = true;
        error_ = QStringLiteral("cannot write %1: %2").arg(path_, why);
    }
    file_.reset(); // a file that was not committed goes here
    if (fd_ >= 0 && ::close(fd_) != 0 && !failed_) {
        failed_ = true;
        error_ = QStringLiteral("cannot write %1: %2").arg(path_, errnoText(errno));
    }
    fd_ = -1;
    if (failed_ && error)
        *error = error_;
    return !failed_;
}

void Output::discard() {
    buffer_.resize(0);
    failed_ = true;
    file_.reset(); // removes the file written beside OUT; OUT stays as it was
}
