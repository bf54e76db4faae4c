#include "ToolCommon.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

QString exitCodeHelp() {
    return QStringLiteral("Exit codes:\n"
                          "  0  success\n"
                          "  1  check found problems in a diary file; export left out what it could not\n"
                          "     read or place (said on standard error), the rest is written\n"
                          "  2  usage error (unknown command, option or argument)\n"
                          "  3  wrong password\n"
                          "  4  a file or folder could not be read or written\n"
                          "  5  import refused the input (it breaks a rule of the diary format); encrypt or\n"
                          "     decrypt refused the diary (already of that kind, a text too long)\n");
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

Output::Output() = default;
Output::~Output() = default;

bool Output::open(const QString& path, QString* error) {
    buffer_.reserve(2 << 20);
    if (path.isEmpty() || path == QLatin1String("-"))
        return true;
    path_ = path;
    const QFileInfo target(path);
    if (target.isDir()) {
        if (error)
            *error = QStringLiteral("cannot write %1: it is a folder").arg(path);
        return false;
    }
    // Created readable by its owner only (the JSON holds the password).
    file_ = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                                             QStringLiteral(".XXXXXX"));
    if (!file_->open()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file_->errorString());
        file_.reset();
        return false;
    }
    return true;
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
            if (file_->write(buffer_) != buffer_.size()) {
                failed_ = true;
                error_ = QStringLiteral("cannot write %1: %2").arg(path_, file_->errorString());
            }
        } else {
            std::fflush(stdout);
            qsizetype done = 0;
            while (done < buffer_.size()) {
                const ssize_t put = ::write(STDOUT_FILENO, buffer_.constData() + done, size_t(buffer_.size() - done));
                if (put < 0) {
                    if (errno == EINTR)
                        continue;
                    failed_ = true;
                    error_ = QStringLiteral("cannot write to standard output: %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)));
                    break;
                }
                done += put;
            }
        }
    }
    buffer_.resize(0); // keeps the capacity, unlike clear()
    return !failed_;
}

bool Output::finish(QString* error) {
    flush();
    if (file_ && !failed_) {
        file_->close();
        if (file_->error() != QFileDevice::NoError) {
            failed_ = true;
            error_ = QStringLiteral("cannot write %1: %2").arg(path_, file_->errorString());
        } else if (std::rename(QFile::encodeName(file_->fileName()).constData(),
                               QFile::encodeName(path_).constData()) != 0) {
            failed_ = true;
            error_ = QStringLiteral("cannot write %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        } else {
            file_->setAutoRemove(false); // it has its final name now
        }
    }
    file_.reset(); // a temporary file that was not renamed is removed here
    if (failed_ && error)
        *error = error_;
    return !failed_;
}
