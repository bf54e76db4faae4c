// The walks over a whole diary: Entry Browser lines, phrase search, statistics.

#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"

#include <QFile>
#include <QTest>

using TestSupport::TempProgramFolder;

namespace {
// A diary whose entry texts are given; topics are "Topic n".
QString diaryWithTexts(const QStringList& texts) {
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    for (int i = 0; i < texts.size(); ++i) {
        if (!Save_Entry("d", QString("Topic %1").arg(i + 1), texts.at(i), 3, 3).ok())
            qFatal("save failed");
    }
    return publicDiaryPath;
}

void writeRatingsAt(const QString& path, qint32 entry, qint16 wellness, qint16 love) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(DiaryFormat::entryOffset(entry) + DiaryFormat::WellnessOffset))
        qFatal("cannot patch");
    char bytes[4];
    writeInt16LE(bytes, wellness);
    writeInt16LE(bytes + 2, love);
    f.write(bytes, 4);
}
} // namespace

class TestWalks : public QObject {
    Q_OBJECT
private slots:
    void init() { publicDiaryPath.clear(); }

    void browserLinesHaveNumberDateAndTopic();
    void browserLinesOfAnEmptyOrMissingDiary();
    void progressIsReportedToTheEnd();
    void searchWalksForwardOneHitAtATime();
    void searchFindsCapitalsAsSmallLettersAndAccents();
    void searchLooksOnlyAtEntryTexts();
    void emptyPhraseIsFoundAtTheStartEntry();
    void searchPositionCountsLineBreaksAsTwo();
    void searchBeyondTheLastEntryFindsNothing();
    void phraseAtTheVeryEndOfAFullText();
    void statisticsCountEveryEntry();
    void statisticsSkipRatingsOutsideTheScale();
    void partialLastRecordReadsAsBlanks();
};

void TestWalks::browserLinesHaveNumberDateAndTopic() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 3);
    const QStringList lines = entryBrowserLines(path);
    QCOMPARE(lines.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QStringList parts = lines.at(i).split('\t');
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(0), QString(" %1").arg(i + 1));
        QCOMPARE(parts.at(1).size(), 20);
        QCOMPARE(parts.at(2), QString("Topic %1").arg(i + 1).leftJustified(60, ' '));
    }
}

void TestWalks::browserLinesOfAnEmptyOrMissingDiary() {
    TempProgramFolder folder;
    QVERIFY(entryBrowserLines(TestSupport::makeDiary("A", "T", "p")).isEmpty());
    StorageStatus status;
    QVERIFY(entryBrowserLines(folder.dataPath() + "/gone.PDD", {}, &status).isEmpty());
    QCOMPARE(status.number, 53);
}

void TestWalks::progressIsReportedToTheEnd() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 130);
    QList<qint32> seen;
    entryBrowserLines(path, [&](qint32 done, qint32 total) {
        QCOMPARE(total, 130);
        seen << done;
    });
    QVERIFY(seen.size() >= 2);
    QCOMPARE(seen.last(), 130);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
}

void TestWalks::searchWalksForwardOneHitAtATime() {
    TempProgramFolder folder;
    const QString path =
        diaryWithTexts({"nothing", "a walk in the park", "rain", "more rain", "park and park again", "end"});
    PhraseHit hit = findPhraseInFile(path, "park", 1);
    QCOMPARE(hit.entry, 2);
    QCOMPARE(hit.position, 14);
    hit = findPhraseInFile(path, "park", hit.entry + 1);
    QCOMPARE(hit.entry, 5); // the second occurrence in entry 5 is not a new hit
    QCOMPARE(hit.position, 0);
    hit = findPhraseInFile(path, "park", hit.entry + 1);
    QVERIFY(!hit.found());
    QCOMPARE(findPhraseInFile(path, "park", 1).entry, 2);
}

void TestWalks::searchFindsCapitalsAsSmallLettersAndAccents() {
    TempProgramFolder folder;
    const QString path = diaryWithTexts({"x", "Über die Brücke, Œuvre und ÿ, 42 Äpfel"});
    QCOMPARE(findPhraseInFile(path, "BRÜCKE", 1).entry, 2);
    QCOMPARE(findPhraseInFile(path, "über", 1).position, 0);
    QCOMPARE(findPhraseInFile(path, "œuvre", 1).entry, 2);
    QCOMPARE(findPhraseInFile(path, "Ÿ, 42 äPFEL", 1).entry, 2);
    QVERIFY(!findPhraseInFile(path, "bruecke", 1).found());
    QVERIFY(!findPhraseInFile(path, "☃", 1).found());
}

void TestWalks::searchLooksOnlyAtEntryTexts() {
    TempProgramFolder folder;
    const QString path = diaryWithTexts({"text one", "text two"});
    QVERIFY(!findPhraseInFile(path, "Topic", 1).found());
    QVERIFY(!findPhraseInFile(path, "d", 1).found()); // the date/time field holds "d"
    QCOMPARE(findPhraseInFile(path, "two", 1).entry, 2);
}

void TestWalks::emptyPhraseIsFoundAtTheStartEntry() {
    TempProgramFolder folder;
    const QString path = diaryWithTexts({"a", "b", "c"});
    const PhraseHit hit = findPhraseInFile(path, "", 2);
    QCOMPARE(hit.entry, 2);
    QCOMPARE(hit.position, 0);
    QVERIFY(!findPhraseInFile(path, "", 4).found());
}

void TestWalks::searchPositionCountsLineBreaksAsTwo() {
    TempProgramFolder folder;
    const QString path = diaryWithTexts({"first line\r\nsecond line\r\nthe word"});
    QCOMPARE(findPhraseInFile(path, "word", 1).position, 29);
}

void TestWalks::searchBeyondTheLastEntryFindsNothing() {
    TempProgramFolder folder;
    const QString path = diaryWithTexts({"abc"});
    QVERIFY(!findPhraseInFile(path, "abc", 2).found());
    QVERIFY(!findPhraseInFile(TestSupport::makeDiary("B", "T", "p"), "abc", 1).found());
    QVERIFY(!findPhraseInFile(folder.dataPath() + "/gone.PDD", "abc", 1).found());
}

void TestWalks::phraseAtTheVeryEndOfAFullText() {
    TempProgramFolder folder;
    const QString path = diaryWithTexts({QString(3995, 'x') + "needl", QString(3994, 'x') + "needle"});
    const PhraseHit hit = findPhraseInFile(path, "NEEDLE", 1);
    QCOMPARE(hit.entry, 2);
    QCOMPARE(hit.position, 3994);
}

void TestWalks::statisticsCountEveryEntry() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 10);
    const RatingCounts counts = countRatings(path);
    QCOMPARE(counts.entries, 10);
    // makeDiary rates entry i with wellness i % 4 and love (i + 1) % 4.
    QCOMPARE(counts.wellness, (std::array<qint32, 4>{2, 3, 3, 2}));
    QCOMPARE(counts.love, (std::array<qint32, 4>{2, 2, 3, 3}));
}

void TestWalks::statisticsSkipRatingsOutsideTheScale() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 4);
    writeRatingsAt(path, 2, 7, -1);
    writeRatingsAt(path, 3, 0, 300);
    const RatingCounts counts = countRatings(path);
    QCOMPARE(counts.entries, 4);
    QCOMPARE(counts.wellness[0] + counts.wellness[1] + counts.wellness[2] + counts.wellness[3], 3);
    QCOMPARE(counts.love[0] + counts.love[1] + counts.love[2] + counts.love[3], 2);
}

void TestWalks::partialLastRecordReadsAsBlanks() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 2);
    QVERIFY(QFile::resize(path, 222 + 4084 + 3000)); // entry 2 cut short, still counted
    QCOMPARE(countEntriesInFile(path), 2);
    QCOMPARE(entryBrowserLines(path).size(), 2);
    const RatingCounts counts = countRatings(path);
    QCOMPARE(counts.entries, 2);
    QCOMPARE(counts.wellness[1] + counts.wellness[0] + counts.wellness[2] + counts.wellness[3], 1);
    EntryText e;
    QVERIFY(readEntry(path, 2, e).ok());
    QCOMPARE(e.wellness, qint16(0x2020));
}

QTEST_GUILESS_MAIN(TestWalks)
#include "tst_walks.moc"
