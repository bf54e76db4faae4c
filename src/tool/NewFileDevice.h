#pragma once

#include "NewFileBeside.h"

#include <QFile>
#include <QString>

// A NewFileBeside seen as a QIODevice, for the writers that paint into a
// device (the PDF book): the file is unnamed while it is written, so a
// stopped export leaves no half-written copy anywhere.
class NewFileDevice {
public:
    // A file that takes target's place at commit() (links followed).
    bool openFor(const QString& target, QString* error);
    // A scratch file in the temporary folder, never named.
    bool openScratch(QString* error);

    QFile& device() { return file_; }
    // The whole file takes target's place; not flushed to disk first (an
    // export is a copy of a diary that stays).
    bool commit(QString* error);
    void abandon();

private:
    bool attach(const StorageStatus& opened, QString* error);

    NewFileBeside beside_;
    QFile file_;
};
