#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// The one import of both faces: quorvel-tool import and the window's Import
// dialog. Reads the whole export, fits it into a diary, and only then writes
// the new diary through the one door for new files, so a refusal, a failure
// or a cancel leaves nothing behind. Touches no widget: the window runs it on
// a thread of its own.

enum class ImportSource { QuorvelJson, Jrnl, DayOne, RedNotebook };

// Where the new diary goes and its password; asked for once the export has
// been read and fits, so a damaged export costs no typing.
struct ImportTarget {
    QString folder;      // an existing folder
    QByteArray password; // Windows-1252 bytes; a Quorvel export brings its own
};

struct ImportRequest {
    ImportSource source = ImportSource::Jrnl;
    QString path; // the export: a file, a folder (RedNotebook), "-" (a Quorvel export on standard input)
    // Another journal program's export only (a Quorvel export brings its own):
    QString owner;
    QString title;
    bool encrypted = false;
    bool strict = false; // refuse rather than mark characters a diary cannot hold
    // Fills in the target; false stops the import before anything is written.
    std::function<bool(ImportTarget&)> target;
};

struct ImportControl {
    std::function<void(int percent)> progress; // 0 to 100, from the thread that runs the import
    const std::atomic_bool* cancel = nullptr;  // set from anywhere: the import stops at the next step
};

struct ImportOutcome {
    enum Kind {
        Created,
        Unreadable, // the export cannot be read
        Refused,    // the export (or owner, title) is not what a diary takes
        Failed,     // the new diary could not be written
        Stopped,    // the target was refused
        Cancelled,
    };
    Kind kind = Created;
    QStringList problems; // why not, each naming the entry, file or line concerned
    QString created;      // the new diary's path
    int entries = 0;      // diary entries written
    // Another journal's import: read, written, split, marked and left out,
    // then the first entries with marks named. Empty for a Quorvel export.
    QString summary;
};

ImportOutcome importDiary(const ImportRequest& request, const ImportControl& control = {});
