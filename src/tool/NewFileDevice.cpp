#include "NewFileDevice.h"

#include <QDir>

bool NewFileDevice::openFor(const QString& target, QString* error) {
    return attach(beside_.openFor(target), error);
}

bool NewFileDevice::openScratch(QString* error) {
    return attach(beside_.openIn(QDir::tempPath()), error);
}

bool NewFileDevice::attach(const StorageStatus& opened, QString* error) {
    if (opened.ok() && file_.open(beside_.descriptor(), QIODevice::ReadWrite, QFileDevice::DontCloseHandle))
        return true;
    if (error)
        *error = opened.ok() ? file_.errorString() : opened.description;
    beside_.abandon();
    return false;
}

bool NewFileDevice::commit(QString* error) {
    const bool written = file_.flush() && file_.error() == QFileDevice::NoError;
    if (!written) {
        if (error)
            *error = file_.errorString();
        abandon();
        return false;
    }
    file_.close();
    const StorageStatus committed = beside_.commit();
    if (!committed.ok() && error)
        *error = committed.description;
    return committed.ok();
}

void NewFileDevice::abandon() {
    file_.close();
    beside_.abandon();
}
