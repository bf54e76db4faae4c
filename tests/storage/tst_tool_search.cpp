// quorvel-tool search and tags run as real processes on diaries written for
// the test: query, filters, JSON, the tag list, an encrypted diary with a
// damaged record, and the usage errors.

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using TestSupport::TempProgramFolder;

namespace {

QString plainDiary() {
    return TestSupport::makeDiaryWithEntries(
        "Ann", "Days", "01.03.2024 08:00:00", "secret",
        {{"01.03.2024 08:00:00", "Garden day", "Planted roses with Anna. #Garden", 0, 1},
         {"02.03.2024 09:00:00", "Work", QString::fromUtf8("Long meeting. #büro #garden"), 2, 3},
         {"02.03.2025 10:00:00", QString::fromUtf8("Café"), "Met ANNA at the cafe. #friends", 1, 0},
         {"sometime", "Undated", "Anna called about the roses.", 2, 2}});
}

// The entry numbers of the result lines.
QStringList numbersOf(const QByteArray& out) {
    QStringList numbers;
    for (const QString& line : QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts))
        numbers << line.section('\t', 0, 0);
    return numbers;
}

ToolRun search(const QString& diary, const QStringList& more, const QByteArray& password = "secret\n") {
    return runTool(QStringList{"search", diary, "--password-file", "-"} + more, password);
}

} // namespace

class TestToolSearch : public QObject {
    Q_OBJECT
private slots:
    void queryAndFiltersChooseTheEntries();
    void jsonAndTagList();
    void encryptedDiaryLeavesTheDamagedRecordOut();
    void badArgumentsAndPasswords();
};

void TestToolSearch::queryAndFiltersChooseTheEntries() {
    TempProgramFolder program;
    const QString diary = plainDiary();
    ToolRun run = search(diary, {"anna"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("1\t01.03.2024 08:00:00\tGarden day\tPlanted roses with Anna. #Garden\n"
                                 "3\t02.03.2025 10:00:00\tCaf\xc3\xa9\tMet ANNA at the cafe. #friends\n"
                                 "4\tsometime\tUndated\tAnna called about the roses.\n"));
    QCOMPARE(numbersOf(search(diary, {"anna -roses"}).out), QStringList({"3"}));
    QCOMPARE(numbersOf(search(diary, {"#GARDEN"}).out), QStringList({"1", "2"}));
    QCOMPARE(numbersOf(search(diary, {"\"called about\""}).out), QStringList({"4"}));
    QCOMPARE(numbersOf(search(diary, {"--", "-roses"}).out), QStringList({"2", "3"}));
    QCOMPARE(numbersOf(search(diary, {"anna", "--from", "2024-03-02"}).out), QStringList({"3"}));
    QCOMPARE(numbersOf(search(diary, {"--to", "2024-03-02"}).out), QStringList({"1", "2"}));
    QCOMPARE(numbersOf(search(diary, {"--wellness", "ill"}).out), QStringList({"2", "4"}));
    QCOMPARE(numbersOf(search(diary, {"--wellness", "ill,healthy", "--love", "love sick,lucky"}).out),
             QStringList({"1", "4"}));
    QCOMPARE(numbersOf(search(diary, {"--love", "0"}).out), QStringList({"3"}));
    QCOMPARE(numbersOf(search(diary, {"garden", "--in", "topic"}).out), QStringList({"1"}));
    QCOMPARE(numbersOf(search(diary, {"garden", "--in", "text"}).out), QStringList({"1", "2"}));
    QCOMPARE(numbersOf(search(diary, {"nothing"}).out), QStringList());
}

void TestToolSearch::jsonAndTagList() {
    TempProgramFolder program;
    const QString diary = plainDiary();
    ToolRun run = search(diary, {"roses", "--json", "--in", "text"});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject all = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(all.value("query").toString(), QString("roses"));
    QCOMPARE(all.value("entries").toInt(), 4);
    QCOMPARE(all.value("found").toInt(), 2);
    const QJsonObject last = all.value("results").toArray().at(1).toObject();
    QCOMPARE(last.value("entry").toInt(), 4);
    QCOMPARE(last.value("dateTime").toString(), QString("sometime"));
    const QString context = last.value("context").toString();
    const QJsonObject hit = last.value("hit").toObject();
    QCOMPARE(context.mid(hit.value("from").toInt(), hit.value("length").toInt()), QString("roses"));

    run = runTool({"tags", diary, "--password-file", "-"}, "secret\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("#garden\t2\n#b\xc3\xbcro\t1\n#friends\t1\n"));
}

void TestToolSearch::encryptedDiaryLeavesTheDamagedRecordOut() {
    TempProgramFolder program;
    QString path;
    QVERIFY(
        createEncryptedDiaryFile("Owner", "pw", "Title", "01.01.2026 10:00:00", &path, DiaryCrypto::cheapestKdfParams())
            .ok());
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(path, "pw", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = path;
    QVERIFY(Save_Entry("01.03.2026 08:00:00", "One", "needle #lost", 0, 0).ok());
    QVERIFY(Save_Entry("02.03.2026 08:00:00", "Two", "Needle #kept", 1, 1).ok());
    publicDiaryPath.clear();
    DiaryCrypto::clearOpenKey();
    QByteArray bytes = readBytes(path);
    bytes[DiaryFormat::entryOffset(1) + 200] = char(bytes[DiaryFormat::entryOffset(1) + 200] ^ 0x20);
    QVERIFY(writeBytes(path, bytes));

    ToolRun run = search(path, {"needle"}, "pw\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray("2\t02.03.2026 08:00:00\tTwo\tNeedle #kept\n"));
    QVERIFY(run.err.contains("1 damaged entry was left out"));
    run = runTool({"tags", path, "--password-file", "-"}, "pw\n");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray("#kept\t1\n"));
    QCOMPARE(search(path, {"needle"}, "wrong\n").exitCode, 3);
}

void TestToolSearch::badArgumentsAndPasswords() {
    TempProgramFolder program;
    const QString diary = plainDiary();
    for (const QStringList& bad :
         {QStringList{"--from", "2024-13-01"}, QStringList{"--from", "2025-01-02", "--to", "2025-01-01"},
          QStringList{"--wellness", "sad"}, QStringList{"--love", "4"}, QStringList{"--in", "title"}}) {
        const ToolRun run = search(diary, bad);
        QVERIFY2(run.exitCode == 2, qPrintable(bad.join(' ')));
        QVERIFY(run.out.isEmpty());
    }
    QCOMPARE(search(diary, {"anna"}, "Secret\n").exitCode, 3);
    QCOMPARE(runTool({"tags", diary + ".missing", "--password-file", "-"}, "secret\n").exitCode, 4);
    QCOMPARE(runTool({"tags"}).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestToolSearch)
#include "tst_tool_search.moc"
