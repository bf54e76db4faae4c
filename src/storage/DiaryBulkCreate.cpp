#include "DiaryBulkCreate.h"

#include "RawFile.h"
#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QTime>

using namespace DiaryFormat;

namespace {

// Creates a new file under a clock-number name that no file has yet, by the
// same rule as Create_Diary_File; the exclusive create makes the test for an
// existing name and the creation one step.
StorageStatus createUniqueFile(const QString& folder, RawFile& file) {
    for (int attempt = 0; attempt < 2000; ++attempt) {
        const float seconds = float(QTime::currentTime().msecsSinceStartOfDay() / 10) / 100.0f;
        const QString path = QDir(folder).filePath(clockFileStem(seconds, QLocale()) + QStringLiteral(".PDD"));
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
            const StorageStatus opened = file.open(path, RawFile::Mode::CreateNew);
            if (opened.ok() || !(QFileInfo::exists(path) || QFileInfo(path).isSymLink()))
                return opened;
        }
        QThread::msleep(5); // the clock has to move on to give a new name
    }
    return StorageStatus::failure(StorageErrors::PathFileAccess,
                                  QStringLiteral("no free diary file name in %1").arg(folder));
}

} // namespace

StorageStatus createDiaryWithEntries(const QString& folder, const DiaryHeader& header, const QList<DiaryEntry>& entries,
                                     QString* createdPath) {
    if (entries.size() > MaxEntries)
        return StorageStatus::failure(
            StorageErrors::InvalidArgument,
            QStringLiteral("%1 entries are more than a diary holds (30000)").arg(entries.size()));

    DiaryHeader first = header;
    first.Mark = 1;

    RawFile file;
    StorageStatus status = createUniqueFile(folder, file);
    if (!status.ok())
        return status;
    const QString path = file.path();

    status = file.writeAllAt(0, first.toRecord().constData(), HeaderSize);
    qint64 offset = HeaderSize;

    // Entries go out in blocks of about 1 MB.
    constexpr qsizetype recordsPerBlock = 256;
    QByteArray block;
    block.reserve(recordsPerBlock * EntrySize);
    for (qsizetype i = 0; status.ok() && i < entries.size(); ++i) {
        DiaryEntry stored = entries.at(i);
        Scramble_Text(stored.Topic, 1);
        Scramble_Text(stored.Entry, 1);
        block.append(stored.toRecord());
        if (block.size() >= recordsPerBlock * EntrySize || i + 1 == entries.size()) {
            status = file.writeAllAt(offset, block.constData(), block.size());
            offset += block.size();
            block.clear();
        }
    }
    if (status.ok())
        status = file.sync();
    file.close();
    if (!status.ok()) {
        QFile::remove(path); // never leave a half-made diary behind
        return status;
    }
    syncFolder(folder);
    if (createdPath)
        *createdPath = path;
    return StorageStatus::success();
}
