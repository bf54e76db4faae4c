// The per-user data folder, in-process: the name both programs share, the
// XDG data home it follows, the owner-only parents made on the way and the
// clean failure when it cannot be made. (Who may write where is decided by
// the kernel for the real user: tst_tool_datafolder runs that as nobody.)

#include "DiaryFormat.h"
#include "ProgramFolder.h"
#include "TestSupport.h"
#include "mFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {
uint mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFF;
}
} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void perUserFolderIsMadeOwnerOnlyWithItsParents();
    void perUserFolderThatCannotBeMadeLeavesNothing();
    void writableProgramFolderKeepsItsData();

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestDataFolder::init() {
    ProgramFolder::setApplicationIdentity();
    dir_ = std::make_unique<QTemporaryDir>();
    // A program folder that does not exist is one nobody may write into.
    ProgramFolder::setPathForTesting(dir_->filePath("no-program"));
}

void TestDataFolder::cleanup() {
    ProgramFolder::setPathForTesting(QString());
    qunsetenv("XDG_DATA_HOME");
    dir_.reset();
}

void TestDataFolder::perUserFolderIsMadeOwnerOnlyWithItsParents() {
    const QString xdg = dir_->filePath("home/.local/share");
    qputenv("XDG_DATA_HOME", QFile::encodeName(xdg));
    QCOMPARE(QCoreApplication::applicationName(), QString("quorvel"));
    QCOMPARE(ProgramFolder::dataFolder(), xdg + "/quorvel/DATA");
    QCOMPARE(ProgramFolder::perUserDataFolder(), xdg + "/quorvel/DATA");

    QVERIFY(ProgramFolder::ensureDataFolder().ok());
    for (const QString& made :
         {dir_->filePath("home"), dir_->filePath("home/.local"), xdg, xdg + "/quorvel", xdg + "/quorvel/DATA"})
        QCOMPARE(mode(made), 0700u);
    QVERIFY(ProgramFolder::ensureDataFolder().ok()); // an existing folder is fine

    const QString diary = TestSupport::makeDiary("Ann", "Days", "pw");
    QCOMPARE(QFileInfo(diary).absolutePath(), xdg + "/quorvel/DATA");
    QCOMPARE(mode(diary), 0600u);
}

void TestDataFolder::perUserFolderThatCannotBeMadeLeavesNothing() {
    // Two parents can be made, the third name is too long for the file
    // system (which stops root too): the two are removed again.
    const QString tooLong(300, QLatin1Char('x'));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_->filePath("a/b/" + tooLong)));
    const QString folder = ProgramFolder::dataFolder();
    StorageStatus made = ProgramFolder::ensureDataFolder();
    QVERIFY(!made.ok());
    QVERIFY2(made.description.contains(folder), qPrintable(made.description));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

    // A file where a parent should be: creating a diary fails, naming the
    // folder, and the file stays as it was.
    QFile blocker(dir_->filePath("share"));
    QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("file") == 4);
    blocker.close();
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
    made = Create_Diary_File("Ann", "pw", "Days", "now");
    QVERIFY(!made.ok());
    QVERIFY2(made.description.contains(blocker.fileName() + "/quorvel/DATA"), qPrintable(made.description));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"share"});
    QCOMPARE(QFileInfo(blocker.fileName()).size(), 4);
}

void TestDataFolder::writableProgramFolderKeepsItsData() {
    // The test seam's program folder is writable: DATA beside it, as ever,
    // whatever the per-user folder would be.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_->filePath("xdg")));
    const TestSupport::TempProgramFolder program;
    QCOMPARE(ProgramFolder::dataFolder(), program.path() + "/DATA");
    QCOMPARE(ProgramFolder::perUserDataFolder(), dir_->filePath("xdg") + "/quorvel/DATA");
    QVERIFY(!QFileInfo::exists(dir_->filePath("xdg")));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
