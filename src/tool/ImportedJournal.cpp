#include "ImportedJournal.h"

#include "ToolTexts.h"

#include <QFile>
#include <QFileInfo>

void ImportedJournal::leaveOut(const char* what, const char* why, int count) {
    for (LeftOut& left : leftOut) {
        if (qstrcmp(left.what, what) == 0 && qstrcmp(left.why, why) == 0) {
            left.count += count;
            return;
        }
    }
    leftOut.append({what, why, count});
}

ReadResult readWholeFile(const QString& path, qint64 limit, QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.isDir())
        return ReadResult::unreadable(
            ImportTexts::tr("cannot read %1: %2").arg(path, ImportTexts::tr("it is a folder")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::unreadable(ImportTexts::tr("cannot read %1: %2").arg(path, file.errorString()));
    if (file.size() > limit)
        return ReadResult::malformed(
            ImportTexts::tr("%1 is larger (%2 bytes) than any journal this import reads (%3 bytes)")
                .arg(path)
                .arg(file.size())
                .arg(limit));
    // In blocks: read(limit) would set aside the whole limit at once.
    bytes.clear();
    while (bytes.size() <= limit) {
        const QByteArray block = file.read(qMin<qint64>(qint64(1) << 20, limit + 1 - bytes.size()));
        if (block.isEmpty())
            break;
        bytes += block;
    }
    if (file.error() != QFileDevice::NoError)
        return ReadResult::unreadable(ImportTexts::tr("cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.size() > limit)
        return ReadResult::malformed(ImportTexts::tr("%1 is larger than any journal this import reads").arg(path));
    return {};
}

QString lineOf(const QByteArray& text, qsizetype offset) {
    const qsizetype end = qBound(qsizetype(0), offset, text.size());
    qsizetype line = 1;
    for (qsizetype i = 0; i < end; ++i) {
        if (text.at(i) == '\n')
            ++line;
    }
    return QStringLiteral("line %1").arg(line);
}
