#pragma once

#include "StorageStatus.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Writes a diary anew and puts it in the old one's place through
// NewFileBeside: a new file beside it, unnamed while it is written, flushed,
// renamed over the old file, and the folder flushed. Until the rename the
// old file is untouched, so a failure or a kill at any moment leaves exactly
// one whole diary under the name and no half-written copy. A path that is a
// symbolic link keeps being one: the file it names is replaced.
//
// header gets the old 222-byte header record to change in place; record
// gets each whole entry record (n from 1) and writes the new one into out
// (false stops the rewrite with the status it set). Bytes after the last
// whole record are copied as they are. progress(done, total) follows the
// records.
struct DiaryRewrite {
    std::function<StorageStatus(QByteArray& header)> header;
    std::function<StorageStatus(qint32 n, const char* in, char* out)> record;
    std::function<void(qint32 done, qint32 total)> progress;
};
StorageStatus rewriteDiary(const QString& path, const DiaryRewrite& rewrite);
