// Writes that fail even for root: a file size limit stands for a full disk
// (exactly at the edges), a diary replaced by a folder, the data folder
// removed or replaced while a diary is open. Each reports a failure and
// loses nothing already stored.

#include "DiaryFormat.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace DiaryFormat;
using TestSupport::TempProgramFolder;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Stands for a full disk: no file of this process may grow beyond `bytes`.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

QStringList allNames(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestWriteFaults : public QObject {
    Q_OBJECT
private slots:
    void init() { publicDiaryPath.clear(); }

    void saveAtTheEdgeOfAFullDisk_data();
    void saveAtTheEdgeOfAFullDisk();
    void saveAfterACountedCutRecordOnAFullDisk();
    void createAtTheEdgeOfAFullDisk_data();
    void createAtTheEdgeOfAFullDisk();
    void passwordChangeAtTheEdgeOfAFullDisk_data();
    void passwordChangeAtTheEdgeOfAFullDisk();
    void diaryReplacedByAFolder();
    void dataFolderRemovedWhileADiaryIsOpen();
    void dataFolderReplacedByAFile();
};

void TestWriteFaults::saveAtTheEdgeOfAFullDisk_data() {
    QTest::addColumn<int>("room"); // bytes the file may still grow
    QTest::addColumn<bool>("fits");
    QTest::newRow("no room at all") << 0 << false;
    QTest::newRow("one byte") << 1 << false;
    QTest::newRow("half a record") << 2042 << false;
    QTest::newRow("one byte short of the record") << 4083 << false;
    QTest::newRow("exactly the record") << 4084 << true;
}

void TestWriteFaults::saveAtTheEdgeOfAFullDisk() {
    QFETCH(int, room);
    QFETCH(bool, fits);
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p", 3);
    const QByteArray before = fileBytes(publicDiaryPath);
    StorageStatus saved;
    {
        FileSizeLimit limit(before.size() + room);
        saved = Save_Entry("d", "topic", "text", 1, 2);
    }
    const QByteArray after = fileBytes(publicDiaryPath);
    if (fits) {
        QVERIFY(saved.ok());
        QCOMPARE(after.size(), before.size() + EntrySize);
        QCOMPARE(after.left(before.size()), before);
        return;
    }
    QCOMPARE(saved.number, StorageErrors::DiskFull);
    QVERIFY(!saved.description.isEmpty());
    QCOMPARE(after, before);                              // taken back to the byte
    QVERIFY(Save_Entry("d", "topic", "text", 1, 2).ok()); // room again: the save works
    QCOMPARE(Count_Entries(), 4);
}

void TestWriteFaults::saveAfterACountedCutRecordOnAFullDisk() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p", 2);
    QVERIFY(QFile::resize(publicDiaryPath, entryOffset(2) + 3000)); // entry 2 cut, still counted
    const QByteArray before = fileBytes(publicDiaryPath);
    StorageStatus saved;
    {
        // Room for the blanks after the cut record but not the new one.
        FileSizeLimit limit(before.size() + 1084 + 100);
        saved = Save_Entry("d", "t", "x", 1, 1);
    }
    QCOMPARE(saved.number, StorageErrors::DiskFull);
    QCOMPARE(fileBytes(publicDiaryPath), before);
}

void TestWriteFaults::createAtTheEdgeOfAFullDisk_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("fits");
    QTest::newRow("nothing") << 0 << false;
    QTest::newRow("one byte short of the header") << 221 << false;
    QTest::newRow("exactly the header") << 222 << true;
}

void TestWriteFaults::createAtTheEdgeOfAFullDisk() {
    QFETCH(int, limit);
    QFETCH(bool, fits);
    TempProgramFolder folder;
    const QString kept = TestSupport::makeDiary("Kept", "T", "p", 1);
    const QByteArray keptBytes = fileBytes(kept);
    StorageStatus created;
    QString path;
    {
        FileSizeLimit sizeLimit(limit);
        created = Create_Diary_File("New", "pw", "Title", "now", &path);
    }
    QCOMPARE(created.ok(), fits);
    if (fits) {
        QCOMPARE(QFileInfo(path).size(), HeaderSize);
        QCOMPARE(allNames(folder.dataPath()).size(), 2);
    } else {
        QCOMPARE(created.number, StorageErrors::DiskFull);
        // No half-made diary, not even under a hidden name.
        QCOMPARE(allNames(folder.dataPath()), QStringList{QFileInfo(kept).fileName()});
    }
    QCOMPARE(fileBytes(kept), keptBytes);
}

void TestWriteFaults::passwordChangeAtTheEdgeOfAFullDisk_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("fits");
    QTest::newRow("one byte short of the header") << 221 << false;
    QTest::newRow("exactly the header") << 222 << true;
}

void TestWriteFaults::passwordChangeAtTheEdgeOfAFullDisk() {
    QFETCH(int, limit);
    QFETCH(bool, fits);
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("Anna", "Year", "old password", 2);
    const QByteArray before = fileBytes(path);
    StorageStatus changed;
    {
        FileSizeLimit sizeLimit(limit);
        changed = Write_New_Password(path, "brand new");
    }
    const QByteArray after = fileBytes(path);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.mid(HeaderSize), before.mid(HeaderSize)); // entries never touched
    if (fits) {
        QVERIFY(changed.ok());
        QCOMPARE(trimBlanks(Read_Header_Field(path, HeaderField::Password)), QString("brand new"));
    } else {
        QCOMPARE(changed.number, StorageErrors::DiskFull);
        QCOMPARE(after, before); // the part of the header that was written is put back
    }
}

void TestWriteFaults::diaryReplacedByAFolder() {
    TempProgramFolder folder;
    const QString other = TestSupport::makeDiary("Other", "T", "p", 1);
    const QByteArray otherBytes = fileBytes(other);
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p", 2);
    QVERIFY(QFile::remove(publicDiaryPath));
    QVERIFY(QDir().mkdir(publicDiaryPath));
    QVERIFY(QFile::copy(other, publicDiaryPath + "/inside.PDD"));

    const StorageStatus saved = Save_Entry("d", "t", "x", 1, 1);
    QVERIFY(!saved.ok());
    QVERIFY(!saved.description.isEmpty());
    QVERIFY(!Write_New_Password(publicDiaryPath, "new").ok());
    StorageStatus status;
    Read_Header_Field(publicDiaryPath, HeaderField::Password, &status);
    QVERIFY(!status.ok());
    QCOMPARE(Count_Entries(), 0);
    QVERIFY(QFileInfo(publicDiaryPath).isDir());
    QCOMPARE(fileBytes(publicDiaryPath + "/inside.PDD"), otherBytes);
    QCOMPARE(fileBytes(other), otherBytes);
}

void TestWriteFaults::dataFolderRemovedWhileADiaryIsOpen() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p", 1);
    QVERIFY(QDir(folder.dataPath()).removeRecursively());

    const StorageStatus saved = Save_Entry("d", "t", "x", 1, 1);
    QCOMPARE(saved.number, StorageErrors::FileNotFound);
    QCOMPARE(Count_Entries(), 0);
    QVERIFY(!QFileInfo::exists(folder.dataPath())); // a failed save makes no folder

    // Creating a diary makes the folder again, owner only, and a whole diary
    // in it (a moment later, so its clock name differs from the vanished one).
    QThread::msleep(30);
    QString path;
    QVERIFY(Create_Diary_File("New", "pw", "T", "now", &path).ok());
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(folder.dataPath()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    QCOMPARE(QFileInfo(path).size(), HeaderSize);
    QVERIFY(path != publicDiaryPath);
    QVERIFY(!Save_Entry("d", "t", "x", 1, 1).ok()); // the vanished diary stays gone
    QVERIFY(!QFileInfo::exists(publicDiaryPath));
}

void TestWriteFaults::dataFolderReplacedByAFile() {
    TempProgramFolder folder;
    QVERIFY(QDir(folder.dataPath()).removeRecursively());
    const QString blocker = QDir(folder.path()).filePath("DATA");
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a folder");
    }
    const StorageStatus created = Create_Diary_File("New", "pw", "T", "now");
    QVERIFY(!created.ok());
    QVERIFY(!created.description.isEmpty());
    QCOMPARE(fileBytes(blocker), QByteArray("not a folder"));
}

QTEST_GUILESS_MAIN(TestWriteFaults)
#include "tst_write_faults.moc"
