// quorvel-tool backups and restore: the window's backups seen and brought
// back from the command line.

#include "DiaryBackups.h"
#include "TestSupport.h"
#include "ToolRun.h"
#include "UserSettings.h"
#include "mFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace TestSupport;

class TestToolBackups : public QObject {
    Q_OBJECT

private slots:
    void listsAndRestoresBesideNeverOver();

private:
    TempHome home_; // the tool reads the same settings file
};

void TestToolBackups::listsAndRestoresBesideNeverOver() {
    TempProgramFolder folder;
    // The tool's own data folder is another than the test's: the backups
    // folder is named in the settings both read.
    const QString backups = home_.path() + "/MyBackups";
    openUserSettings()->setValue(SettingKeys::BackupsFolder, backups);
    const QString diary = makeDiary("Anna", "Mine", "pw", 3);
    const QDateTime made(QDate(2026, 3, 4), QTime(5, 6, 7));
    QVERIFY(DiaryBackups::makeBackup(diary, made).ok());
    const QByteArray before = readBytes(diary);

    const ToolRun listed = runTool({"backups", diary});
    QCOMPARE(listed.exitCode, 0);
    const QString backup = backups + "/" + QFileInfo(diary).completeBaseName() + "/2026-03-04 05.06.07.PDD";
    QCOMPARE(QString::fromUtf8(listed.out),
             "2026-03-04 05:06:07\t3\t" + QString::number(QFileInfo(diary).size()) + "\t" + backup + "\n");

    const ToolRun restored = runTool({"restore", backup, folder.dataPath()});
    QCOMPARE(restored.exitCode, 0);
    const QString copy = QString::fromUtf8(restored.out).trimmed();
    QCOMPARE(QFileInfo(copy).path(), QFileInfo(diary).path());
    QVERIFY(copy != diary);
    QCOMPARE(readBytes(diary), before);
    QCOMPARE(Read_Header_Field(copy, HeaderField::Title).trimmed(),
             "Mine (restored " + QDate::currentDate().toString(Qt::ISODate) + ")");
    QCOMPARE(QDir(folder.dataPath()).entryList({"*.PDD"}, QDir::Files).size(), 2);
}

QTEST_GUILESS_MAIN(TestToolBackups)
#include "tst_tool_backups.moc"
