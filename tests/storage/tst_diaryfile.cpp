// Creating, appending, reading, counting and re-passwording real diary files,
// including files and folders that really fail.

#include "DiaryFormat.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::TempProgramFolder;

namespace {
QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Stands for a full disk: the process may not make any file longer than `bytes`.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};
} // namespace

class TestDiaryFile : public QObject {
    Q_OBJECT
private slots:
    void init() { publicDiaryPath.clear(); }

    void newDiaryIsHeaderOnlyWithMarkOne();
    void dataFolderAndFilesAreOwnerOnly();
    void dataFolderIsFoundInAnySpelling();
    void twoDiariesInQuickSuccessionGetTwoNames();
    void clockNameFollowsTheLocaleDecimalSeparator();
    void savesAppendWholeRecords();
    void topicIsStoredScrambledAndReadBackPadded();
    void longTopicAndTextAreCut();
    void readHeaderFieldSelectors();
    void readEntryOutsideTheDiaryFails();
    void saveNeverCreatesAMissingDiary();
    void saveIntoAFolderNamedLikeADiaryFails();
    void saveOnAFullDiskLeavesTheFileAsItWas();
    void createOnAFullDiskLeavesNoFile();
    void saveToAReadOnlyFileFails();
    void textOutsideTheCodePageIsRefused();
    void passwordChangeKeepsEverythingElse();
    void passwordChangeWritesTheChosenFileOnly();
    void passwordChangeOnAFullDiskIsReported();
    void headerOfADamagedFileIsAnError();
    void namedPipeDoesNotBlockTheReader();
    void listingSortsAndMatchesAnyCase();
    void countOfAnUnopenableFileIsZero();
};

void TestDiaryFile::newDiaryIsHeaderOnlyWithMarkOne() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("Anna", "My year", "pw");
    QCOMPARE(QFileInfo(path).size(), qint64(222));
    QVERIFY(path.endsWith(".PDD"));
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(folder.dataPath()).absoluteFilePath());
    const QByteArray bytes = fileBytes(path);
    QCOMPARE(bytes.left(2), QByteArray("\x01\x00", 2));
    QCOMPARE(bytes.mid(52, 50), QByteArray("pw").leftJustified(50, ' '));
    publicDiaryPath = path;
    QCOMPARE(Count_Entries(), 0);
}

void TestDiaryFile::dataFolderAndFilesAreOwnerOnly() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p");
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(folder.dataPath()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
}

void TestDiaryFile::dataFolderIsFoundInAnySpelling() {
    QTemporaryDir dir;
    ProgramFolder::setPathForTesting(dir.path());
    QVERIFY(QDir(dir.path()).mkdir("Data"));
    QCOMPARE(ProgramFolder::dataFolder(), dir.filePath("Data"));
    QVERIFY(ProgramFolder::ensureDataFolder().ok());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"Data"});
    ProgramFolder::setPathForTesting(QString());
}

void TestDiaryFile::twoDiariesInQuickSuccessionGetTwoNames() {
    TempProgramFolder folder;
    const QString a = TestSupport::makeDiary("A", "T", "p");
    const QString b = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(a != b);
    QVERIFY(publicDiaryPath.isEmpty()); // creating never opens a diary
}

void TestDiaryFile::clockNameFollowsTheLocaleDecimalSeparator() {
    QCOMPARE(clockFileStem(45296.52f, QLocale::c()), QString("45296.52"));
    QCOMPARE(clockFileStem(45296.52f, QLocale(QLocale::German, QLocale::Germany)), QString("45296"));
    QCOMPARE(clockFileStem(7.5f, QLocale::c()), QString("7.5"));
}

void TestDiaryFile::savesAppendWholeRecords() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(Save_Entry("d1", "t1", "x1", 0, 3).ok());
    QCOMPARE(QFileInfo(publicDiaryPath).size(), qint64(4306));
    QVERIFY(Save_Entry("d2", "", "", 1, 2).ok());
    QVERIFY(Save_Entry("d3", "t3", "x3", 3, 0).ok());
    QCOMPARE(QFileInfo(publicDiaryPath).size(), qint64(12474));
    QCOMPARE(Count_Entries(), 3);
    EntryText e;
    QVERIFY(readEntry(publicDiaryPath, 1, e).ok());
    QCOMPARE(e.dateTime, QString("d1").leftJustified(20, ' '));
    QCOMPARE(e.wellness, qint16(0));
    QCOMPARE(e.love, qint16(3));
    QVERIFY(readEntry(publicDiaryPath, 3, e).ok());
    QCOMPARE(trimBlanks(e.topic), QString("t3"));
    QCOMPARE(e.love, qint16(0));
    QVERIFY(readEntry(publicDiaryPath, 2, e).ok());
    QCOMPARE(e.topic, QString(60, ' '));
    QCOMPARE(e.text, QString(4000, ' '));
}

void TestDiaryFile::topicIsStoredScrambledAndReadBackPadded() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(Save_Entry("now", "Hello world 7!", "Line one\r\nLine two", 3, 3).ok());
    const QByteArray record = fileBytes(publicDiaryPath).mid(222, 4084);
    const QByteArray topic = record.mid(20, 60);
    QCOMPARE(topic.at(0), 'H');  // capitals stay
    QCOMPARE(topic.at(5), ' ');  // blanks stay
    QCOMPARE(topic.at(13), '!'); // punctuation stays
    QVERIFY(topic.mid(1, 4) != QByteArray("ello"));
    QVERIFY(topic.at(12) != '7');
    QCOMPARE(topic.mid(14), QByteArray(46, ' '));
    QVERIFY(record.mid(80).contains("\r\n"));
    QVERIFY(!record.contains("ello"));
    EntryText e;
    QVERIFY(readEntry(publicDiaryPath, 1, e).ok());
    QCOMPARE(e.topic, QString("Hello world 7!").leftJustified(60, ' '));
    QVERIFY(e.text.startsWith("Line one\r\nLine two   "));
}

void TestDiaryFile::longTopicAndTextAreCut() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(Save_Entry(QString(25, '1'), QString(70, 'a'), QString(4010, 'b'), 1, 1).ok());
    QCOMPARE(QFileInfo(publicDiaryPath).size(), qint64(4306));
    EntryText e;
    QVERIFY(readEntry(publicDiaryPath, 1, e).ok());
    QCOMPARE(e.dateTime, QString(20, '1'));
    QCOMPARE(e.topic, QString(60, 'a'));
    QCOMPARE(e.text, QString(4000, 'b'));
}

void TestDiaryFile::readHeaderFieldSelectors() {
    TempProgramFolder folder;
    QString path;
    QVERIFY(Create_Diary_File("Anna Müller", "Geheim", "Mein Jahr", "07.12.2026 17:29:13", &path).ok());
    QCOMPARE(Read_Header_Field(path, 1), QString("Anna Müller").leftJustified(50, ' '));
    QCOMPARE(Read_Header_Field(path, 2), QString("Mein Jahr").leftJustified(100, ' '));
    QCOMPARE(Read_Header_Field(path, 3), QString("Geheim").leftJustified(50, ' '));
    QCOMPARE(Read_Header_Field(path, 4), QString("07.12.2026 17:29:13 "));
    publicHeader = DiaryHeader();
    QCOMPARE(Read_Header_Field(path, 5), QString());
    QCOMPARE(publicHeader.Mark, qint16(1)); // still loaded
    QCOMPARE(publicHeader.Owner.left(4), QByteArray("Anna"));
}

void TestDiaryFile::readEntryOutsideTheDiaryFails() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p", 2);
    EntryText e;
    QVERIFY(!readEntry(publicDiaryPath, 0, e).ok());
    QVERIFY(!readEntry(publicDiaryPath, 3, e).ok());
    QVERIFY(readEntry(publicDiaryPath, 2, e).ok());
}

void TestDiaryFile::saveNeverCreatesAMissingDiary() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(QFile::remove(publicDiaryPath));
    const StorageStatus saved = Save_Entry("d", "t", "x", 3, 3);
    QVERIFY(!saved.ok());
    QCOMPARE(saved.number, 53);
    QVERIFY(!QFileInfo::exists(publicDiaryPath));
    publicDiaryPath.clear();
    QVERIFY(!Save_Entry("d", "t", "x", 3, 3).ok());
}

void TestDiaryFile::saveIntoAFolderNamedLikeADiaryFails() {
    TempProgramFolder folder;
    publicDiaryPath = folder.dataPath() + "/x.PDD";
    QVERIFY(QDir().mkdir(publicDiaryPath));
    QVERIFY(!Save_Entry("d", "t", "x", 3, 3).ok());
    QCOMPARE(Count_Entries(), 0);
    StorageStatus status;
    QCOMPARE(Read_Header_Field(publicDiaryPath, 1, &status), QString());
    QVERIFY(!status.ok());
}

void TestDiaryFile::saveOnAFullDiskLeavesTheFileAsItWas() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p", 2);
    const QByteArray before = fileBytes(publicDiaryPath);
    StorageStatus saved;
    {
        // Room for half a record only: the write fails part-way.
        FileSizeLimit limit(static_cast<rlim_t>(before.size() + 2000));
        saved = Save_Entry("d", "t", "x", 1, 1);
    }
    QVERIFY(!saved.ok());
    QCOMPARE(saved.number, 61);
    QCOMPARE(fileBytes(publicDiaryPath), before);
    QVERIFY(Save_Entry("d", "t", "x", 1, 1).ok());
    QCOMPARE(Count_Entries(), 3);
}

void TestDiaryFile::createOnAFullDiskLeavesNoFile() {
    TempProgramFolder folder;
    StorageStatus created;
    {
        FileSizeLimit limit(100);
        created = Create_Diary_File("A", "p", "T", "now");
    }
    QVERIFY(!created.ok());
    QCOMPARE(QDir(folder.dataPath()).entryList(QDir::Files), QStringList());
}

void TestDiaryFile::saveToAReadOnlyFileFails() {
    if (::geteuid() == 0)
        QSKIP("root writes through permission bits; the full-disk and folder cases cover failing writes");
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(QFile::setPermissions(publicDiaryPath, QFile::ReadOwner));
    QCOMPARE(Save_Entry("d", "t", "x", 1, 1).number, 70);
    QCOMPARE(QFileInfo(publicDiaryPath).size(), qint64(222));
}

void TestDiaryFile::textOutsideTheCodePageIsRefused() {
    TempProgramFolder folder;
    publicDiaryPath = TestSupport::makeDiary("A", "T", "p");
    QVERIFY(!Save_Entry("d", "snow ☃", "x", 1, 1).ok());
    QVERIFY(!Save_Entry("d", "t", "Ω", 1, 1).ok());
    QCOMPARE(QFileInfo(publicDiaryPath).size(), qint64(222));
    QVERIFY(!Create_Diary_File("☃", "p", "T", "now").ok());
}

void TestDiaryFile::passwordChangeKeepsEverythingElse() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("Anna", "My year", "old", 3);
    const QByteArray before = fileBytes(path);
    QVERIFY(Write_New_Password(path, "  new one  ").ok());
    const QByteArray after = fileBytes(path);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.left(52), before.left(52));
    QCOMPARE(after.mid(52, 50), QByteArray("new one").leftJustified(50, ' '));
    QCOMPARE(after.mid(102), before.mid(102));
    // Never cut, never empty: refused with the limit named, the file as it was.
    const StorageStatus tooLong = Write_New_Password(path, QString(51, 'p'));
    QVERIFY(!tooLong.ok());
    QVERIFY2(tooLong.description.contains("at most 50"), qPrintable(tooLong.description));
    QVERIFY(!Write_New_Password(path, "   ").ok());
    QCOMPARE(fileBytes(path), after);
    QVERIFY(Write_New_Password(path, QString(50, 'p')).ok());
    QCOMPARE(Read_Header_Field(path, 3), QString(50, 'p'));
}

void TestDiaryFile::passwordChangeWritesTheChosenFileOnly() {
    TempProgramFolder folder;
    const QString a = TestSupport::makeDiary("Anna", "A's", "pa");
    const QString b = TestSupport::makeDiary("Bert", "B's", "pb");
    Read_Header_Field(b, 3); // another header in memory
    QVERIFY(Write_New_Password(a, "changed").ok());
    QCOMPARE(trimBlanks(Read_Header_Field(a, 1)), QString("Anna"));
    QCOMPARE(trimBlanks(Read_Header_Field(a, 3)), QString("changed"));
    QCOMPARE(trimBlanks(Read_Header_Field(b, 3)), QString("pb"));
}

void TestDiaryFile::passwordChangeOnAFullDiskIsReported() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "old", 1);
    StorageStatus changed;
    {
        FileSizeLimit limit(100); // smaller than the file: no write may reach it
        changed = Write_New_Password(path, "new");
    }
    QVERIFY(!changed.ok());
    QCOMPARE(trimBlanks(Read_Header_Field(path, 3)), QString("old"));
    QVERIFY(!Write_New_Password(folder.dataPath() + "/gone.PDD", "x").ok());
}

void TestDiaryFile::headerOfADamagedFileIsAnError() {
    TempProgramFolder folder;
    const QString empty = folder.dataPath() + "/empty.PDD";
    const QString shortFile = folder.dataPath() + "/short.PDD";
    QFile(empty).open(QIODevice::WriteOnly);
    {
        QFile f(shortFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(100, 'x'));
    }
    for (const QString& path : {empty, shortFile}) {
        StorageStatus status;
        QCOMPARE(Read_Header_Field(path, 1, &status), QString());
        QCOMPARE(status.number, 62);
        QCOMPARE(countEntriesInFile(path), 0);
    }
}

void TestDiaryFile::namedPipeDoesNotBlockTheReader() {
    TempProgramFolder folder;
    const QString pipe = folder.dataPath() + "/x.PDD";
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    StorageStatus status;
    QCOMPARE(Read_Header_Field(pipe, 1, &status), QString());
    QVERIFY(!status.ok());
    QCOMPARE(countEntriesInFile(pipe), 0);
    publicDiaryPath = pipe;
    QVERIFY(!Save_Entry("d", "t", "x", 1, 1).ok());
}

void TestDiaryFile::listingSortsAndMatchesAnyCase() {
    TempProgramFolder folder;
    const QDir data(folder.dataPath());
    for (const char* name : {"b.PDD", "a.pdd", "C.Pdd", ".hidden.PDD", "notes.txt", "PDD"})
        QFile(data.filePath(name)).open(QIODevice::WriteOnly);
    QVERIFY(data.mkdir("dir.PDD"));
    QList<DiaryFileName> files;
    QVERIFY(listDiaryFiles(data.path(), files).ok());
    QStringList names;
    for (const DiaryFileName& f : files) {
        names << f.fileName;
        QCOMPARE(f.fullPath, data.path() + "/" + f.fileName);
    }
    QCOMPARE(names, (QStringList{"a.pdd", "b.PDD", "C.Pdd", "dir.PDD"}));
    QVERIFY(!listDiaryFiles(data.filePath("missing"), files).ok());
}

void TestDiaryFile::countOfAnUnopenableFileIsZero() {
    publicDiaryPath = "/nonexistent/quorvel/x.PDD";
    QCOMPARE(Count_Entries(), 0);
    publicDiaryPath = "   ";
    QCOMPARE(Count_Entries(), 0);
}

QTEST_GUILESS_MAIN(TestDiaryFile)
#include "tst_diaryfile.moc"
