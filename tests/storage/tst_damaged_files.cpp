// A damaged data folder: files too short for a header, odd lengths, ratings
// outside the scale, names that are folders, links, pipes or vanish, any
// case of the extension. Nothing may crash or block; what cannot be read is
// reported, the rest still works.

#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"
#include "mString.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace DiaryFormat;
using TestSupport::TempProgramFolder;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void patchRatings(const QString& path, qint32 entry, qint16 wellness, qint16 love) {
    QFile f(path);
    char bytes[4];
    writeInt16LE(bytes, wellness);
    writeInt16LE(bytes + 2, love);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(entryOffset(entry) + WellnessOffset) || f.write(bytes, 4) != 4)
        qFatal("cannot patch %s", qPrintable(path));
}

// What every reader makes of one file.
struct Outcome {
    StorageStatus header;
    qint32 count = -1;
    StorageStatus lines;
    qsizetype lineCount = -1;
    PhraseHit hit;
    StorageStatus ratings;
    RatingCounts counts;
    StorageStatus entry;
    StorageStatus save;
    StorageStatus password;
};

// Runs every storage reader (and a save and a password change) on the file
// on another thread; false when they have not all returned within ms, i.e.
// something blocks.
bool readAllWithin(const QString& path, int ms, Outcome& out) {
    auto result = std::make_shared<Outcome>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread([path, result, done] {
        Read_Header_Field(path, HeaderField::Owner, &result->header);
        result->count = countEntriesInFile(path);
        result->lineCount = entryBrowserLines(path, {}, &result->lines).size();
        result->hit = findPhraseInFile(path, "a", 1);
        result->counts = countRatings(path, {}, &result->ratings);
        EntryText e;
        result->entry = readEntry(path, 1, e);
        publicDiaryPath = path;
        result->save = Save_Entry("d", "t", "x", 1, 1);
        publicDiaryPath.clear();
        result->password = Write_New_Password(path, "new");
        done->store(true);
    }).detach();
    QElapsedTimer waited;
    waited.start();
    while (!done->load() && waited.elapsed() < ms)
        QThread::msleep(2);
    if (!done->load())
        return false;
    out = *result;
    return true;
}

constexpr int Promptly = 3000;

} // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT
private slots:
    void init() { publicDiaryPath.clear(); }

    void filesWithoutAWholeHeaderAreReportedAndNeverWritten_data();
    void filesWithoutAWholeHeaderAreReportedAndNeverWritten();
    void oddLengthIsReadByTheCountRule();
    void ratingsOutsideTheScaleAreReadAsStored();
    void namesThatAreNoFilesAreReportedPromptly_data();
    void namesThatAreNoFilesAreReportedPromptly();
    void pipeWithAWriterDoesNotBlockEither();
    void fileVanishingAfterListingIsReported();
    void anyCaseOfTheExtensionIsListedAndRead();
    void aWholeDamagedFolderListsAndReadsTheGoodOnes();
    void fileLongerThanAFullDiaryIsReadAsFarAsTheMargin();
};

void TestDamagedFiles::filesWithoutAWholeHeaderAreReportedAndNeverWritten_data() {
    QTest::addColumn<int>("length");
    QTest::newRow("zero length") << 0;
    QTest::newRow("one byte") << 1;
    QTest::newRow("one byte short of a header") << 221;
}

void TestDamagedFiles::filesWithoutAWholeHeaderAreReportedAndNeverWritten() {
    QFETCH(int, length);
    TempProgramFolder folder;
    const QString path = folder.dataPath() + "/short.PDD";
    const QByteArray bytes(length, 'x');
    writeFile(path, bytes);
    Outcome o;
    QVERIFY(readAllWithin(path, Promptly, o));
    QCOMPARE(o.header.number, StorageErrors::InputPastEnd);
    QCOMPARE(o.count, 0);
    QVERIFY(o.lines.ok());
    QCOMPARE(o.lineCount, 0);
    QVERIFY(!o.hit.found());
    QCOMPARE(o.counts.entries, 0);
    QVERIFY(!o.entry.ok());
    // A file without a header is no diary: no save or password lands in it.
    QVERIFY(!o.save.ok());
    QVERIFY(!o.password.ok());
    QCOMPARE(fileBytes(path), bytes);
}

void TestDamagedFiles::oddLengthIsReadByTheCountRule() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 2);
    QVERIFY(QFile::resize(path, entryOffset(2) + 17)); // entry 2 cut to 17 bytes: not counted
    EntryText e;
    QVERIFY(!readEntry(path, 2, e).ok());
    Outcome o;
    QVERIFY(readAllWithin(path, Promptly, o));
    QVERIFY(o.header.ok());
    QCOMPARE(o.count, 1);
    QCOMPARE(o.lineCount, 1);
    QCOMPARE(o.counts.entries, 1);
    QVERIFY(o.entry.ok());
    // The save of the helper overwrote the cut record; the file is whole again.
    QVERIFY(o.save.ok());
    QCOMPARE(QFileInfo(path).size(), entryOffset(3));
    QVERIFY(o.password.ok());
    QCOMPARE(trimBlanks(Read_Header_Field(path, HeaderField::Password)), QString("new"));
}

void TestDamagedFiles::ratingsOutsideTheScaleAreReadAsStored() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 5);
    const QList<QPair<qint16, qint16>> bad{{-1, 4}, {300, -32768}, {32767, 3}, {0, -2}};
    for (int i = 0; i < bad.size(); ++i)
        patchRatings(path, i + 1, bad.at(i).first, bad.at(i).second);
    for (int i = 0; i < bad.size(); ++i) {
        EntryText e;
        QVERIFY(readEntry(path, i + 1, e).ok());
        QCOMPARE(e.wellness, bad.at(i).first);
        QCOMPARE(e.love, bad.at(i).second);
        QCOMPARE(trimBlanks(e.topic), QString("Topic %1").arg(i + 1)); // the rest of the record is intact
    }
    const RatingCounts counts = countRatings(path);
    QCOMPARE(counts.entries, 5);
    // Entry 5 (1, 2) and the in-scale values 0 and 3 are counted, nothing else.
    QCOMPARE(counts.wellness, (std::array<qint32, 4>{1, 1, 0, 0}));
    QCOMPARE(counts.love, (std::array<qint32, 4>{0, 0, 1, 1}));
    QCOMPARE(entryBrowserLines(path).size(), 5);
}

void TestDamagedFiles::namesThatAreNoFilesAreReportedPromptly_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("dangling link") << "dangling link";
    QTest::newRow("link to a folder") << "link to a folder";
    QTest::newRow("named pipe") << "named pipe";
    QTest::newRow("device") << "device";
}

void TestDamagedFiles::namesThatAreNoFilesAreReportedPromptly() {
    QFETCH(QString, kind);
    TempProgramFolder folder;
    const QString path = folder.dataPath() + "/x.PDD";
    const QByteArray name = QFile::encodeName(path);
    const QString target = folder.dataPath() + "/target";
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "dangling link")
        QCOMPARE(::symlink("target", name.constData()), 0);
    else if (kind == "link to a folder")
        QVERIFY(QDir().mkdir(target) && ::symlink("target", name.constData()) == 0);
    else if (kind == "named pipe")
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else
        QCOMPARE(::symlink("/dev/zero", name.constData()), 0);

    QList<DiaryFileName> listed;
    QVERIFY(listDiaryFiles(folder.dataPath(), listed).ok());
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed.first().fullPath, path);

    Outcome o;
    QVERIFY2(readAllWithin(path, Promptly, o), "a storage call blocked");
    QVERIFY(!o.header.ok());
    QVERIFY(!o.header.description.isEmpty());
    QCOMPARE(o.count, 0);
    QVERIFY(!o.lines.ok());
    QCOMPARE(o.lineCount, 0);
    QVERIFY(!o.hit.found());
    QVERIFY(!o.ratings.ok());
    QVERIFY(!o.entry.ok());
    QVERIFY(!o.save.ok());
    QVERIFY(!o.password.ok());
    // Nothing was made where the dangling link points.
    QCOMPARE(QFileInfo::exists(target), kind == "link to a folder");
}

void TestDamagedFiles::pipeWithAWriterDoesNotBlockEither() {
    TempProgramFolder folder;
    const QString path = folder.dataPath() + "/x.PDD";
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    // Someone holds the pipe open for writing and never writes.
    const int writer = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
    QVERIFY(writer >= 0);
    Outcome o;
    const bool returned = readAllWithin(path, Promptly, o);
    ::close(writer);
    QVERIFY2(returned, "a storage call blocked");
    QVERIFY(!o.header.ok());
    QCOMPARE(o.count, 0);
}

void TestDamagedFiles::fileVanishingAfterListingIsReported() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 2);
    QList<DiaryFileName> listed;
    QVERIFY(listDiaryFiles(folder.dataPath(), listed).ok());
    QCOMPARE(listed.size(), 1);
    QVERIFY(QFile::remove(listed.first().fullPath));
    Outcome o;
    QVERIFY(readAllWithin(listed.first().fullPath, Promptly, o));
    QCOMPARE(o.header.number, StorageErrors::FileNotFound);
    QCOMPARE(o.count, 0);
    QCOMPARE(o.lines.number, StorageErrors::FileNotFound);
    QCOMPARE(o.ratings.number, StorageErrors::FileNotFound);
    QCOMPARE(o.entry.number, StorageErrors::FileNotFound);
    QCOMPARE(o.save.number, StorageErrors::FileNotFound);
    QVERIFY(!o.password.ok());
    QVERIFY(!QFileInfo::exists(path)); // neither the save nor the password change made it again
}

void TestDamagedFiles::anyCaseOfTheExtensionIsListedAndRead() {
    TempProgramFolder folder;
    const QDir data(folder.dataPath());
    const QString made = TestSupport::makeDiary("Anna", "Cases", "pw", 1);
    const QByteArray bytes = fileBytes(made);
    QVERIFY(QFile::remove(made));
    const QStringList names{"1.PDD", "2.pdd", "3.Pdd", "4.pDd"};
    for (const QString& name : names)
        writeFile(data.filePath(name), bytes);
    QList<DiaryFileName> listed;
    QVERIFY(listDiaryFiles(data.path(), listed).ok());
    QCOMPARE(listed.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(listed.at(i).fileName, names.at(i));
        StorageStatus status;
        QCOMPARE(trimBlanks(Read_Header_Field(listed.at(i).fullPath, HeaderField::Owner, &status)), QString("Anna"));
        QVERIFY(status.ok());
        QCOMPARE(countEntriesInFile(listed.at(i).fullPath), 1);
    }
}

void TestDamagedFiles::aWholeDamagedFolderListsAndReadsTheGoodOnes() {
    TempProgramFolder folder;
    const QDir data(folder.dataPath());
    const QString good = TestSupport::makeDiary("Good", "Whole", "pw", 3);
    writeFile(data.filePath("empty.PDD"), {});
    writeFile(data.filePath("short.pdd"), QByteArray(100, '\0'));
    writeFile(data.filePath("odd.Pdd"), fileBytes(good) + "xyz");
    QVERIFY(data.mkdir("folder.PDD"));
    QCOMPARE(::symlink("nowhere", QFile::encodeName(data.filePath("link.PDD")).constData()), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(data.filePath("pipe.PDD")).constData(), 0600), 0);

    // What a chooser does: list, then read owner and title of each.
    QElapsedTimer took;
    took.start();
    QList<DiaryFileName> listed;
    QVERIFY(listDiaryFiles(data.path(), listed).ok());
    QCOMPARE(listed.size(), 7);
    QStringList readable;
    QStringList reported;
    for (const DiaryFileName& file : listed) {
        StorageStatus status;
        const QString owner = trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Owner, &status));
        if (status.ok())
            readable << owner;
        else
            reported << file.fileName;
    }
    QVERIFY(took.elapsed() < Promptly);
    QCOMPARE(readable, (QStringList{"Good", "Good"})); // the diary and its odd-length copy
    QCOMPARE(reported, (QStringList{"empty.PDD", "folder.PDD", "link.PDD", "pipe.PDD", "short.pdd"}));
}

void TestDamagedFiles::fileLongerThanAFullDiaryIsReadAsFarAsTheMargin() {
    TempProgramFolder folder;
    const QString path = TestSupport::makeDiary("A", "T", "p", 1);
    // A sparse file of 64 GiB: a stray file, not a diary the program wrote.
    QVERIFY(QFile::resize(path, qint64(1) << 36));
    Outcome o;
    QVERIFY2(readAllWithin(path, Promptly, o), "a walk over a huge file did not return");
    QVERIFY(o.header.ok());
    QVERIFY(o.count > MaxEntries);
    // Read as far as the margin, and said to be over it; never silently empty.
    QCOMPARE(o.lines.number, StorageErrors::MarginReached);
    QVERIFY(o.lines.description.contains("more than the margin of 30000"));
    QCOMPARE(o.lineCount, MaxEntries);
    QCOMPARE(o.ratings.number, StorageErrors::MarginReached);
    QCOMPARE(o.counts.entries, MaxEntries);
    QVERIFY(o.entry.ok()); // one record can still be read
    QCOMPARE(o.save.number, StorageErrors::MarginReached); // and none added
    QVERIFY(QFile::resize(path, entryOffset(MaxEntries + 1)));
    QCOMPARE(countEntriesInFile(path), MaxEntries);
    StorageStatus full;
    QVERIFY(countRatings(path, {}, &full).entries == MaxEntries && full.ok()); // a full diary is walked
}

QTEST_GUILESS_MAIN(TestDamagedFiles)
#include "tst_damaged_files.moc"
