// The Entry Search in the storage core: the query text, words, phrases,
// tags, the filters, the tag and day counts of the same walk, and an
// encrypted diary with a damaged record.

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "EntrySearch.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"

#include <QFile>
#include <QTest>

using TestSupport::TempProgramFolder;

namespace {

QString searchDiaryFile() {
    return TestSupport::makeDiaryWithEntries(
        "Ann", "Days", "01.03.2024 08:00:00", "pw",
        {{"01.03.2024 08:00:00", "Garden day", "Planted roses with Anna. #Garden #spring-2024", 0, 1},
         {"02.03.2024 09:00:00", QString::fromUtf8("ÄRGER"),
          QString::fromUtf8("Über den Nachbarn geärgert. #garten_arbeit (#Ärger)"), 2, 3},
         {"02.03.2025 10:00:00", QString::fromUtf8("Café"),
          QString::fromUtf8("Met Anna at the café. C#sharp is no tag. #GARDEN"), 1, 0},
         {"someday", "Undated", "A note about roses without a date.", 3, 3},
         {"05.04.2025 11:00:00", "Ill", "Stayed in bed.\r\nNo long walk today; a long walk tomorrow.", 2, 2}});
}

QList<qint32> entriesFound(const QString& path, const QString& text, SearchQuery query = {}) {
    parseSearchTerms(text, query);
    QList<qint32> numbers;
    for (const SearchHit& hit : searchDiary(path, query).hits)
        numbers << hit.entry;
    return numbers;
}

using Numbers = QList<qint32>;

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void init() {
        publicDiaryPath.clear();
        DiaryCrypto::clearOpenKey();
    }

    void queryTextSplitsIntoTerms();
    void ratingSetsByCaptionOrNumber();
    void wordsPhrasesAndExclusions();
    void tagsFollowTheirRule();
    void scopeDatesAndRatingsFilter();
    void oneWalkGivesTagsDaysAndTheFirstHit();
    void damagedRecordIsCountedApartAndNeverMatched();
    void largeDiaryGivesWhatAWalkInOrderGives();
};

void TestSearch::queryTextSplitsIntoTerms() {
    SearchQuery query;
    parseSearchTerms(QString::fromUtf8(R"(anna  "long walk" #Garden -roses -"bad day" # "open quote)"), query);
    QCOMPARE(query.required, QList<QString>({"anna", "long walk", "#", "open quote"}));
    QCOMPARE(query.excluded, QList<QString>({"roses", "bad day"}));
    QCOMPARE(query.tags, QList<QByteArray>({"garden"}));
    parseSearchTerms(QString::fromUtf8("#Ärger-2 #a+b"), query);
    QCOMPARE(query.tags, QList<QByteArray>({QByteArray("\xe4rger-2")}));
    QCOMPARE(query.required, QList<QString>({"#a+b"}));
    QVERIFY(query.excluded.isEmpty());
    parseSearchTerms("-#Garden -#", query);
    QCOMPARE(query.excludedTags, QList<QByteArray>({"garden"}));
    QCOMPARE(query.excluded, QList<QString>({"#"}));
    QVERIFY(query.tags.isEmpty());
}

void TestSearch::ratingSetsByCaptionOrNumber() {
    quint8 set = 0;
    QVERIFY(parseWellnessSet("healthy, ILL", set));
    QCOMPARE(set, quint8(0b0101));
    QVERIFY(parseLoveSet("in love,3", set));
    QCOMPARE(set, quint8(0b1001));
    QVERIFY(!parseLoveSet("healthy", set));
    QVERIFY(!parseWellnessSet("4", set));
    QCOMPARE(set, quint8(0b1001)); // left as it was
}

void TestSearch::wordsPhrasesAndExclusions() {
    TempProgramFolder folder;
    const QString path = searchDiaryFile();
    QCOMPARE(entriesFound(path, "anna"), Numbers({1, 3}));
    QCOMPARE(entriesFound(path, "ANNA roses"), Numbers({1}));
    QCOMPARE(entriesFound(path, "anna -ROSES"), Numbers({3}));
    QCOMPARE(entriesFound(path, QString::fromUtf8("ärger")), Numbers({2})); // "ä" finds "Ä"
    QCOMPARE(entriesFound(path, QString::fromUtf8("über")), Numbers({2}));
    QCOMPARE(entriesFound(path, "cafe"), Numbers()); // accents are not folded
    QCOMPARE(entriesFound(path, QString::fromUtf8("CAFÉ")), Numbers({3}));
    QCOMPARE(entriesFound(path, "\"a long walk\""), Numbers({5}));
    QCOMPARE(entriesFound(path, "\"no long walk\" -\"a long walk\""), Numbers());
    QCOMPARE(entriesFound(path, QString::fromUtf8("anna \u4e00")), Numbers()); // no entry can hold it
    QCOMPARE(entriesFound(path, ""), Numbers({1, 2, 3, 4, 5}));
}

void TestSearch::tagsFollowTheirRule() {
    TempProgramFolder folder;
    const QString path = searchDiaryFile();
    QCOMPARE(entriesFound(path, "#garden"), Numbers({1, 3}));
    QCOMPARE(entriesFound(path, "#GARDEN -anna"), Numbers());
    QCOMPARE(entriesFound(path, "roses -#garden"), Numbers({4}));
    QCOMPARE(entriesFound(path, "-#spring"), Numbers({1, 2, 3, 4, 5})); // a tag is matched whole
    QCOMPARE(entriesFound(path, "#gard"), Numbers());                   // a tag is matched whole
    QCOMPARE(entriesFound(path, "#sharp"), Numbers());                  // C#sharp: no word starts with '#'
    QCOMPARE(entriesFound(path, QString::fromUtf8("#ärger")), Numbers({2}));
    QCOMPARE(entriesFound(path, "#Garten_Arbeit"), Numbers({2}));
    QCOMPARE(entriesFound(path, "#spring-2024"), Numbers({1}));
    const QList<TagCount> tags = diaryTags(path);
    QStringList listed;
    for (const TagCount& tag : tags)
        listed << QString("%1 %2").arg(tag.name).arg(tag.entries);
    QCOMPARE(listed, QStringList({"garden 2", "garten_arbeit 1", "spring-2024 1", QString::fromUtf8("ärger 1")}));
}

void TestSearch::scopeDatesAndRatingsFilter() {
    TempProgramFolder folder;
    const QString path = searchDiaryFile();
    SearchQuery query;
    query.scope = SearchQuery::Scope::Topics;
    QCOMPARE(entriesFound(path, "roses", query), Numbers());
    QCOMPARE(entriesFound(path, "garden", query), Numbers({1}));
    query.scope = SearchQuery::Scope::Texts;
    QCOMPARE(entriesFound(path, "roses", query), Numbers({1, 4}));
    QCOMPARE(entriesFound(path, QString::fromUtf8("ärger"), query), Numbers({2}));
    QCOMPARE(entriesFound(path, "ill", query), Numbers());

    query = {};
    query.from = QDate(2024, 3, 2);
    QCOMPARE(entriesFound(path, "", query), Numbers({2, 3, 5})); // the undated entry is left out
    query.to = QDate(2025, 3, 2);
    QCOMPARE(entriesFound(path, "", query), Numbers({2, 3}));
    query.from = {};
    QCOMPARE(entriesFound(path, "roses", query), Numbers({1}));
    // Days picked one by one ("On this day"): only those, the undated left out.
    query = {};
    query.onlyDays = {QDate(2024, 3, 1), QDate(2025, 3, 2)};
    QCOMPARE(entriesFound(path, "", query), Numbers({1, 3}));

    query = {};
    query.wellness = 0b0100; // ill
    QCOMPARE(entriesFound(path, "", query), Numbers({2, 5}));
    query.love = 0b0100; // love sick
    QCOMPARE(entriesFound(path, "", query), Numbers({5}));
    query = {};
    query.love = 0b0011;
    QCOMPARE(entriesFound(path, "", query), Numbers({1, 3}));
}

void TestSearch::oneWalkGivesTagsDaysAndTheFirstHit() {
    TempProgramFolder folder;
    const QString path = searchDiaryFile();
    SearchQuery query;
    parseSearchTerms("walk -nothing", query);
    query.wellness = 0b0001; // keeps no entry that has the word
    const EntrySearchResult none = searchDiary(path, query);
    QVERIFY(none.hits.isEmpty());
    // The tags and the calendar come from every readable entry all the same.
    QCOMPARE(none.entries, 5);
    QCOMPARE(none.tags.size(), 4);
    QCOMPARE(none.undated, 1);
    QCOMPARE(none.days.size(), 4);
    QCOMPARE(none.days.value(QDate(2024, 3, 2)), 1);
    QCOMPARE(none.days.value(QDate(2025, 4, 5)), 1);

    parseSearchTerms("tomorrow walk", query);
    query.wellness = SearchQuery::AnyRating;
    QList<SearchHit> streamed;
    EntrySearchControl control;
    control.onHit = [&streamed](const SearchHit& hit) { streamed << hit; };
    const EntrySearchResult found = searchDiary(path, query, nullptr, control);
    QCOMPARE(found.hits.size(), 1);
    QCOMPARE(streamed.size(), 1);
    const SearchHit& hit = found.hits.constFirst();
    QCOMPARE(hit.entry, 5);
    QCOMPARE(hit.dateTime, QString("05.04.2025 11:00:00"));
    QCOMPARE(hit.topic, QString("Ill"));
    // The first of the terms in the text, with the line break as a blank.
    QCOMPARE(hit.context, QString("Stayed in bed.  No long walk today; a long walk tomorrow."));
    QCOMPARE(hit.context.mid(hit.hitFrom, hit.hitLength), QString("walk"));
    QCOMPARE(hit.hitFrom, 24);

    parseSearchTerms("#garden", query);
    const SearchHit tagged = searchDiary(path, query).hits.constLast();
    QCOMPARE(tagged.context.mid(tagged.hitFrom, tagged.hitLength), QString("#GARDEN"));
}

void TestSearch::damagedRecordIsCountedApartAndNeverMatched() {
    TempProgramFolder folder;
    QString path;
    QVERIFY(
        createEncryptedDiaryFile("Owner", "pw", "Title", "01.01.2026 10:00:00", &path, DiaryCrypto::cheapestKdfParams())
            .ok());
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(path, "pw", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = path;
    QVERIFY(Save_Entry("01.03.2026 08:00:00", "One", "needle #lost", 0, 0).ok());
    QVERIFY(Save_Entry("02.03.2026 08:00:00", "Two", QString::fromUtf8("NEEDLE and Ähre #kept"), 1, 1).ok());
    QVERIFY(Save_Entry("03.03.2026 08:00:00", "Three", "hay #kept", 2, 2).ok());
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(DiaryFormat::entryOffset(1) + 300));
        char byte = 0;
        QVERIFY(file.getChar(&byte));
        QVERIFY(file.seek(DiaryFormat::entryOffset(1) + 300));
        QVERIFY(file.putChar(char(byte ^ 0x04)));
    }
    QCOMPARE(entriesFound(path, "needle"), Numbers({2}));
    QCOMPARE(entriesFound(path, QString::fromUtf8("ähre")), Numbers({2}));
    const EntrySearchResult all = searchDiary(path, SearchQuery());
    QCOMPARE(all.entries, 3);
    QCOMPARE(all.damaged, 1);
    QCOMPARE(all.hits.size(), 2);
    QCOMPARE(all.days.size(), 2);
    QCOMPARE(all.tags.size(), 1);
    QCOMPARE(all.tags.constFirst().name, QString("kept"));
    QCOMPARE(all.tags.constFirst().entries, 2);
}

// A diary large enough to be searched in two halves at once: the hits come
// in entry order (listed and handed on), the counts add up, and a cancel
// stops both halves.
void TestSearch::largeDiaryGivesWhatAWalkInOrderGives() {
    TempProgramFolder folder;
    constexpr int Entries = 1500;
    const QDate first(2020, 1, 1);
    QList<TestSupport::EntryValues> entries;
    Numbers expected;
    int undated = 0;
    for (int i = 1; i <= Entries; ++i) {
        const QDate day = first.addDays(i / 3);
        const bool dated = i % 97 != 0;
        undated += dated ? 0 : 1;
        const QString text = QString(i % 5 == 0 ? "a long walk" : "a day at home") + (i % 2 == 0 ? " #even" : "");
        entries.append({dated ? day.toString("dd.MM.yyyy") + " 10:00:00" : QString("someday"),
                        QString("Entry %1").arg(i), text, qint16(i % 4), 0});
        if (i % 5 == 0 && dated && day >= QDate(2020, 3, 1))
            expected << i;
    }
    const QString path = TestSupport::makeDiaryWithEntries("Ann", "Years", "01.01.2020 10:00:00", "pw", entries);

    SearchQuery query;
    parseSearchTerms("walk", query);
    query.from = QDate(2020, 3, 1);
    Numbers streamed;
    EntrySearchControl control;
    control.onHit = [&streamed](const SearchHit& hit) { streamed << hit.entry; };
    const EntrySearchResult found = searchDiary(path, query, nullptr, control);
    Numbers listed;
    for (const SearchHit& hit : found.hits)
        listed << hit.entry;
    QCOMPARE(listed, expected);
    QCOMPARE(streamed, expected);
    QCOMPARE(found.hits.constLast().context, QString("a long walk #even"));
    QCOMPARE(found.entries, Entries);
    QCOMPARE(found.undated, undated);
    qint32 dayTotal = 0;
    for (const qint32 n : found.days)
        dayTotal += n;
    QCOMPARE(dayTotal, Entries - undated);
    QCOMPARE(found.days.value(first.addDays(250)), 3);
    QCOMPARE(found.tags.size(), 1);
    QCOMPARE(found.tags.constFirst().entries, Entries / 2);

    std::atomic<bool> cancel{false};
    EntrySearchControl stopping;
    stopping.cancel = &cancel;
    qint32 lastProgress = 0;
    stopping.progress = [&](qint32 done, qint32) {
        lastProgress = done;
        if (done >= 256)
            cancel = true;
    };
    const EntrySearchResult stopped = searchDiary(path, query, nullptr, stopping);
    QVERIFY(stopped.entries < Entries);
    QVERIFY(lastProgress < Entries);
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
