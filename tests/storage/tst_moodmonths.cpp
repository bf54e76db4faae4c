// Mood over time: the month of a date/time text, the grouping into months,
// quarters or years, and the statistics walk that fills counters and months
// in one pass.

#include "DiaryBulkCreate.h"
#include "DiaryWalks.h"
#include "MoodMonths.h"
#include "ProgramFolder.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

using TestSupport::TempProgramFolder;

namespace {

MonthNumber month(int year, int month) {
    return year * 12 + month - 1;
}

DiaryEntry entryOn(const QByteArray& dateTime, qint16 wellness, qint16 love) {
    DiaryEntry entry;
    entry.DateTime = dateTime;
    entry.Topic = "Topic";
    entry.Entry = "Text";
    entry.Wellness = wellness;
    entry.Love = love;
    return entry;
}

QString diaryOf(const QList<DiaryEntry>& entries) {
    DiaryHeader header;
    header.Owner = "Owner";
    header.Password = "p";
    header.Title = "Title";
    header.TimeOfBegin = "01.01.2026 08:00:00";
    QString path;
    if (!createDiaryWithEntries(ProgramFolder::dataFolder(), header, entries, &path).ok())
        qFatal("cannot make the diary");
    return path;
}

MoodMonths monthsOf(const std::vector<std::pair<MonthNumber, int>>& entriesPerMonth) {
    MoodMonths months;
    for (const auto& [m, n] : entriesPerMonth) {
        const QByteArray text = QStringLiteral("15.%1.%2 10:00:00")
                                    .arg(m % 12 + 1, 2, 10, QLatin1Char('0'))
                                    .arg(m / 12)
                                    .toLatin1()
                                    .leftJustified(20, ' ');
        for (int k = 0; k < n; ++k)
            months.add(text.constData(), 1, 3);
    }
    return months;
}

} // namespace

class TestMoodMonths : public QObject {
    Q_OBJECT
private slots:
    void monthOfDateText_data();
    void monthOfDateText();
    void periodSwitchesFromMonthsToQuartersToYears();
    void walkFillsCountersAndMonthsInOnePass();
    void damagedAndVanishingFilesAreReadAsBefore();
};

void TestMoodMonths::monthOfDateText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("written form") << QByteArray("08.12.2026 17:29:13 ") << month(2026, 12);
    QTest::newRow("date only") << QByteArray("01.03.1999") << month(1999, 3);
    QTest::newRow("no leading zeros") << QByteArray("8.3.2026 9:05:00") << month(2026, 3);
    QTest::newRow("ISO") << QByteArray("2026-02-28T10:00:00") << month(2026, 2);
    QTest::newRow("ISO with blank") << QByteArray("  2026-02-28 10:00") << month(2026, 2);
    QTest::newRow("year first slash") << QByteArray("2026/07/04 10:00:00") << month(2026, 7);
    QTest::newRow("day above 12 first") << QByteArray("25/12/2026 10:00") << month(2026, 12);
    QTest::newRow("day above 12 second") << QByteArray("12/25/2026 10:00 PM") << month(2026, 12);
    QTest::newRow("month name") << QByteArray("8 Dec 2026 10:00:00") << month(2026, 12);
    QTest::newRow("day or month?") << QByteArray("03/04/2026 10:00") << -1;
    QTest::newRow("two-digit year") << QByteArray("08.12.26 10:00") << -1;
    QTest::newRow("no such day") << QByteArray("31.02.2026 10:00:00") << -1;
    QTest::newRow("month 13") << QByteArray("01.13.2026 10:00:00") << -1;
    QTest::newRow("blank") << QByteArray(20, ' ') << -1;
    QTest::newRow("words") << QByteArray("d") << -1;
}

void TestMoodMonths::monthOfDateText() {
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(::monthOfDateText(text), expected);
    // The walk sees the 20 bytes of the field: padded, and through its cache.
    MoodMonths months;
    const QByteArray field = text.leftJustified(20, ' ', true);
    months.add(field.constData(), 0, 0);
    months.add(field.constData(), 1, 1);
    QCOMPARE(months.undated(), expected < 0 ? 2 : 0);
    if (expected >= 0) {
        QCOMPARE(months.months().size(), size_t(1));
        QCOMPARE(months.months().begin()->first, expected);
    }
}

void TestMoodMonths::periodSwitchesFromMonthsToQuartersToYears() {
    // 24 months: one bar each, the empty months between included.
    MoodTimeline t = moodTimeline(monthsOf({{month(2025, 1), 2}, {month(2026, 12), 1}}));
    QCOMPARE(t.period, MoodPeriod::Month);
    QCOMPARE(t.bars.size(), size_t(24));
    QCOMPARE(t.bars.front().tally.wellness[1], 2);
    QCOMPARE(t.bars.back().tally.love[3], 1);
    QCOMPARE(t.bars[5].tally.wellness[1], 0);
    QCOMPARE(moodBarLabel(t.period, t.bars.front().first), QStringLiteral("Jan 2025"));

    // 25 months: quarters (Q1 2025 .. Q1 2027 = 9 bars).
    t = moodTimeline(monthsOf({{month(2025, 1), 1}, {month(2025, 2), 1}, {month(2027, 1), 1}}));
    QCOMPARE(t.period, MoodPeriod::Quarter);
    QCOMPARE(t.bars.size(), size_t(9));
    QCOMPARE(t.bars.front().tally.wellness[1], 2);
    QCOMPARE(moodBarLabel(t.period, t.bars.back().first), QStringLiteral("Q1 2027"));

    // Six whole years are 24 quarters; a seventh year gives years.
    t = moodTimeline(monthsOf({{month(2020, 1), 1}, {month(2025, 12), 1}}));
    QCOMPARE(t.period, MoodPeriod::Quarter);
    QCOMPARE(t.bars.size(), size_t(24));
    t = moodTimeline(monthsOf({{month(2020, 1), 1}, {month(2026, 1), 4}}));
    QCOMPARE(t.period, MoodPeriod::Year);
    QCOMPARE(t.bars.size(), size_t(7));
    QCOMPARE(t.bars.back().tally.wellness[1], 4);
    QCOMPARE(moodBarLabel(t.period, t.bars.back().first), QStringLiteral("2026"));

    // Nothing dated: no bars, the undated count carried.
    MoodMonths none;
    none.add("                    ", 0, 0);
    t = moodTimeline(none);
    QVERIFY(t.bars.empty());
    QCOMPARE(t.undated, 1);
}

void TestMoodMonths::walkFillsCountersAndMonthsInOnePass() {
    TempProgramFolder folder;
    // More entries than one read takes, over three months, one undated.
    QList<DiaryEntry> entries;
    for (int i = 0; i < 700; ++i)
        entries.append(entryOn(i < 300 ? "05.01.2026 10:00:00" : (i < 699 ? "2026-03-01 10:00" : "soon"), qint16(i % 4),
                               qint16((i / 2) % 4)));
    const QString path = diaryOf(entries);
    MoodMonths months;
    qint32 lastDone = 0;
    const RatingCounts counts = countRatings(
        path, [&](qint32 done, qint32) { lastDone = done; }, nullptr, &months);
    QCOMPARE(counts.entries, 700);
    QCOMPARE(lastDone, 700);
    QCOMPARE(counts.wellness, (std::array<qint32, 4>{175, 175, 175, 175}));
    QCOMPARE(months.undated(), 1);
    QCOMPARE(months.months().size(), size_t(2));
    const RatingTally& january = months.months().at(month(2026, 1));
    const RatingTally& march = months.months().at(month(2026, 3));
    QCOMPARE(january.wellness, (std::array<qint32, 4>{75, 75, 75, 75}));
    QCOMPARE(march.wellness[0] + march.wellness[1] + march.wellness[2] + march.wellness[3], 399);
    for (size_t k = 0; k < 4; ++k)
        QCOMPARE(january.love[k] + march.love[k] + (k == (699 / 2) % 4 ? 1 : 0), counts.love[k]);
}

void TestMoodMonths::damagedAndVanishingFilesAreReadAsBefore() {
    TempProgramFolder folder;
    QList<DiaryEntry> entries;
    for (int i = 0; i < 600; ++i)
        entries.append(entryOn("05.01.2026 10:00:00", i == 1 ? 9 : 1, 2));
    const QString path = diaryOf(entries);
    // The last record cut short: still counted, its date read, its ratings
    // (past the end) not.
    QVERIFY(QFile::resize(path, DiaryFormat::entryOffset(600) + 3000));
    MoodMonths months;
    bool removed = false;
    StorageStatus status;
    const RatingCounts counts = countRatings(
        path,
        [&](qint32 done, qint32) {
            if (done >= 300 && !removed)
                removed = QFile::remove(path); // the open file is read to its end
        },
        &status, &months);
    QVERIFY(removed);
    QVERIFY(status.ok());
    QCOMPARE(counts.entries, 600);
    QCOMPARE(counts.wellness[1], 598); // one rating outside the scale, one cut off
    QCOMPARE(months.undated(), 0);
    QCOMPARE(months.months().at(month(2026, 1)).wellness[1], 598);
    QCOMPARE(months.months().at(month(2026, 1)).love[2], 599);

    // A file that is gone before the walk: nothing counted, the status says why.
    MoodMonths none;
    countRatings(path, {}, &status, &none);
    QVERIFY(!status.ok());
    QVERIFY(none.isEmpty());
}

QTEST_GUILESS_MAIN(TestMoodMonths)
#include "tst_moodmonths.moc"
