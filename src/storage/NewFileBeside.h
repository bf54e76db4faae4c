#pragma once

#include "RawFile.h"
#include "StorageStatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The one way a file is written anew and put in place: a new file in the
// folder it belongs to, written and flushed while it has no name, and named
// only when whole. Where the file system can make nameless files (O_TMPFILE)
// a stopped or killed process leaves nothing; elsewhere the file has a
// hidden name, ".quorvel-new-PID-…", that SIGINT, SIGTERM and SIGHUP remove
// and that the next file made in that folder removes once PID is gone.
//
// A target that is a symbolic link is not replaced: the file it names is,
// in its own folder, and the link stays as it was.
class NewFileBeside {
public:
    NewFileBeside() = default;
    ~NewFileBeside(); // abandons what was not committed
    NewFileBeside(const NewFileBeside&) = delete;
    NewFileBeside& operator=(const NewFileBeside&) = delete;

    // A new file, readable by its owner only, beside the file target names
    // (links followed); commit() puts it in that file's place.
    StorageStatus openFor(const QString& target);
    // A new file in folder, to be named with commitAsNew() or never named
    // (a scratch file that goes with abandon()).
    StorageStatus openIn(const QString& folder);

    // The new file, for writing and reading; its sync() is the caller's.
    RawFile& file() { return file_; }
    int descriptor() const { return file_.descriptor(); }
    // The file that commit() replaces: target with its links followed.
    const QString& target() const { return target_; }

    // Puts the new file in target's place in one rename and flushes the folder.
    StorageStatus commit();
    // Names the new file path, never replacing an existing file (*nameTaken
    // is then true and the file stays unnamed, to try another name), and
    // flushes the folder.
    StorageStatus commitAsNew(const QString& path, bool* nameTaken);
    // Closes and removes a file that was not committed.
    void abandon();

private:
    StorageStatus create(const QString& folder);
    void dropHiddenName();

    RawFile file_;
    QString folder_;
    QString target_;
    QByteArray hidden_; // the hidden name while the file has one
    int signalSlot_ = -1;
};

// The file a path names, its symbolic links followed (a missing end is kept).
QString followSymbolicLinks(const QString& path);

// Names (not paths) of the files in folder that a stopped Quorvel left half
// written: hidden new files of a process that is gone, and the ".NAME.rewrite"
// files of earlier versions.
QStringList leftoverNewFiles(const QString& folder);
// Removes them.
void removeLeftoverNewFiles(const QString& folder);
