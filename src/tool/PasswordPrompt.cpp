#include "PasswordPrompt.h"

#include "Cp1252.h"
#include "DiaryAudit.h"
#include "DiaryFormat.h"
#include "PasswordRules.h"
#include "ToolCommon.h"
#include "mFile.h"
#include "mString.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal's settings while echo is off, for the signal handler.
int ttyFd = -1;
struct termios savedTermios {};

void restoreAndReraise(int signalNumber) {
    if (ttyFd >= 0)
        ::tcsetattr(ttyFd, TCSAFLUSH, &savedTermios);
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

namespace PasswordPrompt {

bool askOnTerminal(const QString& prompt, QString& password, QString* error) {
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = QStringLiteral("there is no terminal to ask for the password on; give it with --password-file");
        return false;
    }
    struct termios original {};
    const bool isTerminal = ::tcgetattr(fd, &original) == 0;
    struct sigaction previousInt {
    }, previousTerm{}, previousHup{};
    if (isTerminal) {
        savedTermios = original;
        ttyFd = fd;
        struct sigaction action {};
        action.sa_handler = restoreAndReraise;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previousInt);
        ::sigaction(SIGTERM, &action, &previousTerm);
        ::sigaction(SIGHUP, &action, &previousHup);
        struct termios quiet = original;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    const QByteArray question = prompt.toLocal8Bit();
    if (::write(fd, question.constData(), size_t(question.size())) < 0) {
        // The prompt is a courtesy; reading goes on.
    }

    QByteArray line;
    bool ok = true;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = false;
            if (error)
                *error = QStringLiteral("cannot read the password from the terminal: %1").arg(systemError());
            break;
        }
        if (got == 0 || c == '\n')
            break;
        line.append(c);
    }

    if (isTerminal) {
        ::tcsetattr(fd, TCSAFLUSH, &original);
        ::sigaction(SIGINT, &previousInt, nullptr);
        ::sigaction(SIGTERM, &previousTerm, nullptr);
        ::sigaction(SIGHUP, &previousHup, nullptr);
        ttyFd = -1;
    }
    ::close(fd);
    if (line.endsWith('\r'))
        line.chop(1);
    password = QString::fromLocal8Bit(line);
    line.fill('\0');
    return ok;
}

bool readFromFile(const QString& path, QString& password, QString* error) {
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        if (error)
            *error = QStringLiteral("cannot read the password file %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray line = file.readLine(64 * 1024);
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    password = QString::fromUtf8(line);
    return true;
}

bool matches(const QString& typed, const QString& stored) {
    return trimBlanks(typed) == trimBlanks(stored);
}

int unlockDiary(const QString& path, const QString& password) {
    StorageStatus status;
    DiaryCrypto::KeyPtr key;
    if (passwordMatches(path, trimBlanks(password), &status, &key)) {
        DiaryCrypto::setOpenKey(key);
        return -1;
    }
    if (status.number == StorageErrors::CostRefused) {
        complain(QStringLiteral("%1: %2").arg(printable(path), status.description));
        return ExitCode::Refused;
    }
    if (!status.ok()) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    complain(QStringLiteral("wrong password for %1").arg(printable(path)));
    return ExitCode::WrongPassword;
}

int askAndUnlock(const QString& path, const QString* passwordFile) {
    DiaryHeader header;
    QString password;
    const int ended = readDiaryPassword(path, passwordFile, header, password);
    return ended >= 0 ? ended : unlockDiary(path, password);
}

int readDiaryPassword(const QString& path, const QString* passwordFile, DiaryHeader& header, QString& password) {
    DiaryFileReader reader;
    StorageStatus status = reader.open(path);
    if (status.ok())
        status = reader.readHeader(header);
    reader.close();
    if (!status.ok()) {
        complain(printable(status.description));
        return ExitCode::FileError;
    }
    QString error;
    const bool fromFile = passwordFile != nullptr;
    const bool got = fromFile ? readFromFile(*passwordFile, password, &error)
                              : askOnTerminal(QStringLiteral("Password for \"%1\" (%2): ")
                                                  .arg(printable(trimBlanks(Cp1252::decode(header.Title))),
                                                       printable(trimBlanks(Cp1252::decode(header.Owner)))),
                                              password, &error);
    if (!got) {
        complain(printable(error));
        return fromFile ? ExitCode::FileError : ExitCode::Usage;
    }
    const bool encrypted = DiaryCrypto::isEncrypted(header);
    if (const qsizetype length = trimBlanks(password).size(); length > PasswordRules::maxLength(encrypted)) {
        complain(QStringLiteral("the password is %1 characters long; %2 holds at most %3 (nothing is cut)")
                     .arg(length)
                     .arg(encrypted ? QStringLiteral("an encrypted diary's password")
                                    : QStringLiteral("a plain diary's password"))
                     .arg(PasswordRules::maxLength(encrypted)));
        return ExitCode::WrongPassword;
    }
    return -1;
}

int readNewPassword(const QString* passwordFile, const QString& prompt, int maxLength, bool encrypted,
                    QByteArray& bytes, const QString& optionHint) {
    QString password, confirmation, error;
    if (passwordFile) {
        if (!readFromFile(*passwordFile, password, &error)) {
            complain(printable(error));
            return ExitCode::FileError;
        }
        confirmation = password;
    } else if (!askOnTerminal(prompt, password, &error) ||
               !askOnTerminal(QStringLiteral("Confirm the password: "), confirmation, &error)) {
        complain(printable(error));
        if (!optionHint.isEmpty())
            complain(optionHint);
        return ExitCode::Usage;
    }
    password = trimBlanks(password);
    if (password != trimBlanks(confirmation)) {
        complain(QStringLiteral("The Password was not confirmed right!"));
        return ExitCode::Refused;
    }
    if (password.isEmpty()) {
        complain(QStringLiteral("Please enter a password!"));
        return ExitCode::Refused;
    }
    if (password.size() > maxLength) {
        complain(QStringLiteral("the password is %1 characters long; at most %2 can be typed")
                     .arg(password.size())
                     .arg(maxLength));
        return ExitCode::Refused;
    }
    const QString refusal = PasswordRules::refusal(password, encrypted, &bytes);
    if (!refusal.isEmpty()) {
        complain(printable(refusal));
        return ExitCode::Refused;
    }
    return -1;
}

} // namespace PasswordPrompt
