#include "NewFileBeside.h"

#include "RemovedOnSignal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray HiddenPrefix = QByteArrayLiteral(".quorvel-new-");

QByteArray hiddenStem(const QString& folder) {
    return QFile::encodeName(folder) + '/' + HiddenPrefix + QByteArray::number(::getpid()) + '-';
}

QByteArray ownDescriptorPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The process a hidden name was made by, from ".quorvel-new-PID-…" (and the
// ".quorvel-replace-PID-…" of earlier versions); 0 when the name is none of them.
pid_t makerOf(const QString& name) {
    for (const QLatin1String prefix : {QLatin1String(".quorvel-new-"), QLatin1String(".quorvel-replace-")}) {
        if (!name.startsWith(prefix))
            continue;
        const qsizetype dash = name.indexOf(QLatin1Char('-'), prefix.size());
        bool number = false;
        const long pid = name.mid(prefix.size(), dash - prefix.size()).toLong(&number);
        return number && dash > 0 && pid > 0 ? pid_t(pid) : 0;
    }
    return 0;
}

bool isLeftover(const QString& name) {
    if (name.endsWith(QLatin1String(".PDD.rewrite"), Qt::CaseInsensitive))
        return true; // written by versions before the hidden new files
    const pid_t maker = makerOf(name);
    return maker > 0 && maker != ::getpid() && ::kill(maker, 0) != 0 && errno == ESRCH;
}

} // namespace

QString followSymbolicLinks(const QString& path) {
    QString at = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(at);
        if (!info.isSymLink())
            break;
        at = info.symLinkTarget();
    }
    return at;
}

QStringList leftoverNewFiles(const QString& folder) {
    QStringList found;
    const QStringList hidden =
        QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : hidden) {
        if (isLeftover(name))
            found << name;
    }
    return found;
}

void removeLeftoverNewFiles(const QString& folder) {
    const QByteArray dir = QFile::encodeName(folder) + '/';
    for (const QString& name : leftoverNewFiles(folder))
        ::unlink((dir + QFile::encodeName(name)).constData());
}

NewFileBeside::~NewFileBeside() {
    abandon();
}

StorageStatus NewFileBeside::openFor(const QString& target) {
    target_ = followSymbolicLinks(target);
    return create(QFileInfo(target_).absolutePath());
}

StorageStatus NewFileBeside::openIn(const QString& folder) {
    target_.clear();
    return create(QFileInfo(folder).absoluteFilePath());
}

StorageStatus NewFileBeside::create(const QString& folder) {
    abandon();
    folder_ = folder;
    removeLeftoverNewFiles(folder);
    const QByteArray dir = QFile::encodeName(folder);
    int fd = ::open(dir.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // No nameless files here: a hidden name that signals take away.
        const RemovedOnSignal::SignalsHeld held;
        QByteArray name = hiddenStem(folder) + "XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            hidden_ = name;
            signalSlot_ = RemovedOnSignal::remember(hidden_);
        }
    }
    if (fd < 0)
        return StorageStatus::fromErrno(errno, target_.isEmpty() ? folder : target_);
    file_.adopt(fd, target_.isEmpty() ? folder : target_);
    return StorageStatus::success();
}

StorageStatus NewFileBeside::commit() {
    if (hidden_.isEmpty()) {
        // A rename cannot start from /proc/self/fd: the whole file gets a
        // hidden name first, for the moment of the rename.
        static std::atomic<int> made{0};
        const QByteArray name = hiddenStem(folder_) + QByteArray::number(++made);
        {
            const RemovedOnSignal::SignalsHeld held;
            ::unlink(name.constData());
            signalSlot_ = RemovedOnSignal::remember(name);
        }
        hidden_ = name;
        if (::linkat(AT_FDCWD, ownDescriptorPath(file_.descriptor()).constData(), AT_FDCWD, name.constData(),
                     AT_SYMLINK_FOLLOW) != 0) {
            const int err = errno;
            RemovedOnSignal::forget(signalSlot_);
            signalSlot_ = -1;
            hidden_.clear();
            return StorageStatus::fromErrno(err, target_);
        }
    }
    if (::rename(hidden_.constData(), QFile::encodeName(target_).constData()) != 0) {
        const int err = errno;
        abandon();
        return StorageStatus::fromErrno(err, target_);
    }
    RemovedOnSignal::forget(signalSlot_);
    signalSlot_ = -1;
    hidden_.clear();
    file_.close();
    syncFolder(folder_);
    return StorageStatus::success();
}

StorageStatus NewFileBeside::commitAsNew(const QString& path, bool* nameTaken) {
    *nameTaken = false;
    const QByteArray name = QFile::encodeName(path);
    const int linked = hidden_.isEmpty() ? ::linkat(AT_FDCWD, ownDescriptorPath(file_.descriptor()).constData(),
                                                    AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW)
                                         : ::link(hidden_.constData(), name.constData());
    if (linked != 0) {
        *nameTaken = errno == EEXIST;
        return StorageStatus::fromErrno(errno, path);
    }
    dropHiddenName();
    file_.close();
    syncFolder(folder_);
    return StorageStatus::success();
}

void NewFileBeside::abandon() {
    file_.close();
    dropHiddenName();
}

void NewFileBeside::dropHiddenName() {
    if (!hidden_.isEmpty())
        ::unlink(hidden_.constData());
    RemovedOnSignal::forget(signalSlot_);
    signalSlot_ = -1;
    hidden_.clear();
}
