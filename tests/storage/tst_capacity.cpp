// A diary at the capacity of the format: 29999 entries take the 30000th
// save and the file is then exactly 122,520,222 bytes; every walk reaches
// the last entry.

#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"
#include "mString.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace DiaryFormat;
using TestSupport::TempProgramFolder;

namespace {
// Appends `entries` records straight to a diary made by the storage core:
// the bytes Save_Entry writes, without an fsync per entry.
void appendRecords(const QString& path, qint32 entries) {
    QFile file(path);
    if (!file.open(QIODevice::Append))
        qFatal("cannot append to %s", qPrintable(path));
    QByteArray block;
    for (qint32 n = 1; n <= entries; ++n) {
        DiaryEntry entry;
        entry.DateTime = "01.01.2026 10:00:00";
        entry.Topic = "Day " + QByteArray::number(n);
        entry.Entry = "Text of day " + QByteArray::number(n);
        Scramble_Text(entry.Topic, 1);
        Scramble_Text(entry.Entry, 1);
        entry.Wellness = static_cast<qint16>(n % 4);
        entry.Love = static_cast<qint16>(n % 2);
        block += entry.toRecord();
        if (block.size() >= (4 << 20) || n == entries) {
            if (file.write(block) != block.size())
                qFatal("cannot write %s", qPrintable(path));
            block.clear();
        }
    }
}
} // namespace

class TestCapacity : public QObject {
    Q_OBJECT
private slots:
    void fullDiaryTakesTheLastEntry();
};

void TestCapacity::fullDiaryTakesTheLastEntry() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("Full", "Thirty thousand", "pw");
    appendRecords(publicDiaryPath, MaxEntries - 1);
    QCOMPARE(Count_Entries(), MaxEntries - 1);

    QVERIFY(Save_Entry("31.12.2099 23:59:59", "The last one", "Last text: haystack needle", 0, 1).ok());
    QCOMPARE(QFileInfo(publicDiaryPath).size(), qint64(122520222));
    QCOMPARE(Count_Entries(), MaxEntries);

    EntryText e;
    QVERIFY(readEntry(publicDiaryPath, MaxEntries, e).ok());
    QCOMPARE(e.dateTime, QString("31.12.2099 23:59:59 "));
    QCOMPARE(trimBlanks(e.topic), QString("The last one"));
    QCOMPARE(e.love, qint16(1));
    QVERIFY(readEntry(publicDiaryPath, MaxEntries - 1, e).ok());
    QCOMPARE(trimBlanks(e.topic), QString("Day 29999"));

    const QStringList lines = entryBrowserLines(publicDiaryPath);
    QCOMPARE(lines.size(), MaxEntries);
    QVERIFY(lines.last().startsWith(" 30000\t31.12.2099 23:59:59 \tThe last one"));
    const PhraseHit hit = findPhraseInFile(publicDiaryPath, "NEEDLE", 1);
    QCOMPARE(hit.entry, MaxEntries);
    QCOMPARE(hit.position, 20);
    const RatingCounts counts = countRatings(publicDiaryPath);
    QCOMPARE(counts.entries, MaxEntries);
    QCOMPARE(counts.wellness[0] + counts.wellness[1] + counts.wellness[2] + counts.wellness[3], MaxEntries);
    QCOMPARE(counts.wellness[0], 29999 / 4 + 1); // days 4, 8, ... 29996 and the last one
}

QTEST_GUILESS_MAIN(TestCapacity)
#include "tst_capacity.moc"
