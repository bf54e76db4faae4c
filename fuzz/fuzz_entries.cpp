// Count, Entry Browser lines, reading single entries and appending a save on
// arbitrary file bytes.

#include "FuzzFile.h"

#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "mFile.h"

#include <cstdio>

using namespace DiaryFormat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = FuzzFile::put(data, size);
    const qint64 length = static_cast<qint64>(size);
    const qint32 count = countEntriesInFile(path);
    FUZZ_CHECK(count == entryCountForLength(length));
    if (FuzzFile::sealedWithoutKey(data, size)) {
        StorageStatus status;
        FUZZ_CHECK(entryBrowserLines(path, {}, &status).isEmpty() && !status.ok());
        EntryText e;
        FUZZ_CHECK(count < 1 || !readEntry(path, 1, e).ok());
        const QByteArray before = FuzzFile::bytes();
        publicDiaryPath = path;
        FUZZ_CHECK(!Save_Entry(QStringLiteral("now"), QStringLiteral("topic"), QStringLiteral("text"), 1, 2).ok());
        publicDiaryPath.clear();
        FUZZ_CHECK(FuzzFile::bytes() == before);
        return 0;
    }

    StorageStatus status;
    const QStringList lines = entryBrowserLines(path, {}, &status);
    FUZZ_CHECK(status.ok());
    FUZZ_CHECK(lines.size() == count);
    for (qint32 i = 0; i < count; ++i) {
        const QString prefix = QStringLiteral(" %1\t").arg(i + 1);
        FUZZ_CHECK(lines.at(i).startsWith(prefix));
        FUZZ_CHECK(lines.at(i).size() == prefix.size() + DateTimeWidth + 1 + TopicWidth);
    }

    EntryText e;
    FUZZ_CHECK(!readEntry(path, 0, e).ok());
    FUZZ_CHECK(!readEntry(path, count + 1, e).ok());
    for (const qint32 n : {qint32(1), count}) {
        if (n < 1 || n > count)
            continue;
        FUZZ_CHECK(readEntry(path, n, e).ok());
        FUZZ_CHECK(e.dateTime.size() == DateTimeWidth && e.topic.size() == TopicWidth && e.text.size() == EntryWidth);
        FUZZ_CHECK(lines.at(n - 1).endsWith(e.topic));
    }

    // A save never touches what lies before the new record, lands right
    // after the last counted entry and leaves a whole file; a file without
    // a header is refused and left alone.
    const QByteArray before = FuzzFile::bytes();
    publicDiaryPath = path;
    const StorageStatus saved =
        Save_Entry(QStringLiteral("now"), QStringLiteral("topic"), QStringLiteral("text"), 1, 2);
    publicDiaryPath.clear();
    const QByteArray after = FuzzFile::bytes();
    if (length < HeaderSize) {
        FUZZ_CHECK(!saved.ok());
        FUZZ_CHECK(after == before);
        return 0;
    }
    FUZZ_CHECK(saved.ok());
    const qint64 at = entryOffset(count + 1);
    FUZZ_CHECK(after.size() == at + EntrySize);
    FUZZ_CHECK(after.left(qMin(at, length)) == before.left(qMin(at, length)));
    if (at > length)
        FUZZ_CHECK(after.mid(length, at - length) == QByteArray(at - length, ' '));
    FUZZ_CHECK(countEntriesInFile(path) == count + 1);
    return 0;
}
