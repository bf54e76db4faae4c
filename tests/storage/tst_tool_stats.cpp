// quorvel-tool stats runs as a real process: the month-by-month counts as a
// table and as CSV, behind the diary's password.

#include "StorageGlobals.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "mFile.h"

#include <QTest>

using TestSupport::TempProgramFolder;

namespace {

QString diaryWith(const QList<std::tuple<QString, qint16, qint16>>& entries) {
    QString path;
    if (!Create_Diary_File(QStringLiteral("Ann"), QStringLiteral("secret"), QStringLiteral("Days"),
                           QStringLiteral("07.12.2025 17:29:13"), &path)
             .ok())
        qFatal("cannot create a diary");
    publicDiaryPath = path;
    for (const auto& [dateTime, wellness, love] : entries) {
        if (!Save_Entry(dateTime, QStringLiteral("T"), QStringLiteral("X"), wellness, love).ok())
            qFatal("cannot save an entry");
    }
    publicDiaryPath.clear();
    return path;
}

} // namespace

class TestToolStats : public QObject {
    Q_OBJECT
private slots:
    void countsMonthByMonth();
    void emptyDiaryAndWrongPassword();
};

void TestToolStats::countsMonthByMonth() {
    TempProgramFolder program;
    const QString diary = diaryWith({{"30.11.2025 21:00:00", 0, 1},
                                     {"01.12.2025 21:00:00", 0, 0},
                                     {"2026-02-03 08:00", 2, 3},
                                     {"someday", 1, 1},
                                     {"15.12.2025 21:00:00", 3, 2}});
    ToolRun run = runTool({"stats", diary, "--csv", "--password-file", "-"}, "secret\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("month,wellness healthy,wellness balanced,wellness ill,wellness none,"
                                 "love in love,love lucky,love love sick,love none\n"
                                 "2025-11,1,0,0,0,0,1,0,0\n"
                                 "2025-12,1,0,0,1,1,0,1,0\n"
                                 "2026-01,0,0,0,0,0,0,0,0\n"
                                 "2026-02,0,0,1,0,0,0,0,1\n"
                                 "undated,0,1,0,0,0,1,0,0\n"));

    run = runTool({"stats", diary, "--password-file", "-"}, "secret\n");
    QCOMPARE(run.exitCode, 0);
    const QString text = QString::fromUtf8(run.out);
    QVERIFY(text.startsWith(QStringLiteral("Days (Ann): 5 entries\n")));
    QVERIFY(text.contains(QStringLiteral("month    healthy balanced      ill     none |   in love     lucky "
                                         "love sick      none\n")));
    QVERIFY(text.contains(QStringLiteral("2025-12        1        0        0        1 |         1         0 "
                                         "        1         0\n")));
    QVERIFY(text.endsWith(QStringLiteral("undated: 1\n")));
}

void TestToolStats::emptyDiaryAndWrongPassword() {
    TempProgramFolder program;
    const QString diary = diaryWith({});
    ToolRun run = runTool({"stats", diary, "--password-file", "-"}, "secret\n");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("Days (Ann): 0 entries\nNo entries yet\n"));
    run = runTool({"stats", diary, "--csv", "--password-file", "-"}, "Secret\n");
    QCOMPARE(run.exitCode, 3);
    QVERIFY(run.out.isEmpty());
    run = runTool({"stats", diary + QStringLiteral(".missing"), "--password-file", "-"}, "secret\n");
    QCOMPARE(run.exitCode, 4);
}

QTEST_GUILESS_MAIN(TestToolStats)
#include "tst_tool_stats.moc"
