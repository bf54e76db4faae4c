#include "OpenedDiary.h"

#include "RawFile.h"

#include <QStringList>

#include <limits>

using namespace DiaryFormat;

namespace {

struct Remembered {
    QString path;
    DiaryHeader header;
};

Remembered& remembered() {
    static Remembered state;
    return state;
}

} // namespace

namespace OpenedDiary {

void remember(const QString& path, const DiaryHeader& header) {
    remembered() = {path, header};
}

void forget() {
    remembered() = {};
}

bool headerOf(const QString& path, DiaryHeader& header) {
    if (path.isEmpty() || remembered().path != path)
        return false;
    header = remembered().header;
    return true;
}

void headerRewritten(const QString& path, const DiaryHeader& header) {
    if (!path.isEmpty() && remembered().path == path)
        remembered().header = header;
}

StorageStatus checkSameDiary(const QString& path, const char* headerRecord) {
    DiaryHeader opened;
    if (!headerOf(path, opened))
        return StorageStatus::success();
    const DiaryHeader now = DiaryHeader::fromRecord(headerRecord);
    QStringList changed;
    if (now.Owner != opened.Owner)
        changed << QStringLiteral("owner");
    if (now.Title != opened.Title)
        changed << QStringLiteral("title");
    if (now.TimeOfBegin != opened.TimeOfBegin)
        changed << QStringLiteral("time of begin");
    if (changed.isEmpty())
        return StorageStatus::success();
    return StorageStatus::failure(
        StorageErrors::PathFileAccess,
        QStringLiteral("Path/File access error: %1 is no longer the diary that was opened (its %2 changed); "
                       "nothing was written")
            .arg(path, changed.join(QStringLiteral(", "))));
}

Look lookAt(const QString& path) {
    Look look;
    DiaryHeader opened;
    if (!headerOf(path, opened))
        return look;
    RawFile file;
    StorageStatus status = file.open(path, RawFile::Mode::Read);
    char record[HeaderSize];
    if (status.ok())
        status = file.readExactAt(0, record, HeaderSize);
    if (!status.ok()) {
        look.change = Change::Gone;
        look.description = status.description;
        return look;
    }
    const DiaryHeader now = DiaryHeader::fromRecord(record);
    if (now.TimeOfBegin != opened.TimeOfBegin)
        look.change = Change::OtherDiary;
    else if (now.toRecord() != opened.toRecord())
        look.change = Change::HeaderChanged;
    look.entries = static_cast<qint32>(
        qMin<qint64>(entryCountForLength(file.size()), std::numeric_limits<qint32>::max()));
    return look;
}

} // namespace OpenedDiary
