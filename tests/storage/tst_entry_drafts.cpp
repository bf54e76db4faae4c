// The draft file of the composer's unsaved entry: written atomically and
// scrambled beside its diary, never listed as a diary, tied to its diary,
// and every damaged form (cut, noise, wrong size, a folder or a pipe in its
// place) refused whole, quickly, and set aside on request.

#include "DiaryCrypto.h"
#include "DraftCarry.h"
#include "DraftWriter.h"
#include "EntryDraft.h"
#include "TestSupport.h"
#include "mFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>

using TestSupport::TempProgramFolder;

namespace {

EntryDraft sampleDraft() {
    EntryDraft draft;
    draft.dateTime = QStringLiteral("08.12.2026 21:14:05");
    draft.topic = QStringLiteral("Secret topic about winter");
    draft.text = QStringLiteral("hello world 123\r\nsecond line with umlauts \u00e4\u00f6\u00fc\tand a tab");
    draft.wellness = 1;
    draft.love = 0;
    return draft;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The bytes of a draft of sampleDraft() for the diary at path.
QByteArray sampleBytes(const QString& diaryPath) {
    DraftOwner owner;
    if (!draftOwnerOf(diaryPath, owner).ok())
        return {};
    QByteArray bytes;
    return DraftFormat::encode(sampleDraft(), owner, bytes).ok() ? bytes : QByteArray();
}

} // namespace

class TestEntryDrafts : public QObject {
    Q_OBJECT
private slots:
    void draftIsScrambledBesideItsDiaryAndReadBack();
    void damagedDraftIsNeverHalfRead();
    void folderOrPipeInItsPlaceIsDamageWithoutBlocking();
    void draftOfAnotherDiaryIsForeign();
    void writerRunsJobsInOrderAndKeepsTheNewest();
    void draftCarriedForANewKeyIsPutInPlaceAfterAStoppedRewrite();
};

void TestEntryDrafts::draftIsScrambledBesideItsDiaryAndReadBack() {
    TempProgramFolder folder;
    const QString diary = TestSupport::makeDiary("Ann", "Days", "pw", 2);
    const QString draftPath = draftPathFor(diary);
    QCOMPARE(QFileInfo(draftPath).path(), QFileInfo(diary).path());
    QVERIFY(!draftPath.endsWith(".PDD", Qt::CaseInsensitive));
    QVERIFY(!QFileInfo(draftPath).fileName().contains(".PDD", Qt::CaseInsensitive));

    const QByteArray bytes = sampleBytes(diary);
    QVERIFY(!bytes.isEmpty());
    QVERIFY(writeDraftFile(draftPath, bytes).ok());
    QCOMPARE(fileBytes(draftPath), bytes);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(draftPath).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));

    // Nothing of the entry stands in the file in plain text.
    const EntryDraft draft = sampleDraft();
    for (const char* plain :
         {"Secret topic", "winter", "hello world", "second line", "umlauts", "21:14:05", "08.12.2026"})
        QVERIFY2(!bytes.contains(plain), plain);

    // No temporary file is left, and the folder still lists one diary.
    QCOMPARE(QDir(folder.dataPath()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QList<DiaryFileName> diaries;
    QVERIFY(listDiaryFiles(folder.dataPath(), diaries).ok());
    QCOMPARE(diaries.size(), 1);
    QCOMPARE(diaries.first().fullPath, diary);

    const DraftReading reading = readDraftOf(diary);
    QCOMPARE(int(reading.state), int(DraftState::Ready));
    QCOMPARE(reading.draft, draft);
    QVERIFY(removeDraftFile(draftPath).ok());
    QVERIFY(!QFile::exists(draftPath));
    QVERIFY(removeDraftFile(draftPath).ok()); // already gone is fine
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::None));
}

void TestEntryDrafts::damagedDraftIsNeverHalfRead() {
    TempProgramFolder folder;
    const QString diary = TestSupport::makeDiary("Ann", "Days", "pw");
    const QString draftPath = draftPathFor(diary);
    const QByteArray good = sampleBytes(diary);

    for (qsizetype cut = 0; cut < good.size(); ++cut) {
        putBytes(draftPath, good.left(cut));
        const DraftReading reading = readDraftOf(diary);
        QVERIFY2(reading.state == DraftState::Damaged, qPrintable(QString("cut at %1").arg(cut)));
        QVERIFY(!reading.problem.isEmpty());
        QCOMPARE(reading.draft, EntryDraft());
    }
    putBytes(draftPath, good + 'x');
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::Damaged));
    putBytes(draftPath, QByteArray(DraftFormat::MaxFileSize + 1, 'Q'));
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::Damaged));

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);
    for (int round = 0; round < 300; ++round) {
        QByteArray noisy = good;
        const int flips = 1 + int(random.bounded(4));
        for (int i = 0; i < flips; ++i)
            noisy[qsizetype(random.bounded(quint32(noisy.size())))] ^= char(1 + random.bounded(255));
        if (noisy == good)
            continue;
        putBytes(draftPath, noisy);
        QVERIFY2(readDraftOf(diary).state == DraftState::Damaged, qPrintable(QString("round %1").arg(round)));
    }
    QByteArray random4k(4000, '\0');
    for (char& c : random4k)
        c = char(random.bounded(256));
    putBytes(draftPath, random4k);
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::Damaged));

    // Set aside under a name that is never read again; the next one does not
    // replace the first.
    const QString aside = moveDraftAside(draftPath);
    QVERIFY(aside.endsWith(".damaged-draft"));
    QCOMPARE(fileBytes(aside), random4k);
    putBytes(draftPath, "noise");
    const QString second = moveDraftAside(draftPath);
    QVERIFY(!second.isEmpty() && second != aside);
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::None));
    QList<DiaryFileName> diaries;
    QVERIFY(listDiaryFiles(folder.dataPath(), diaries).ok());
    QCOMPARE(diaries.size(), 1);
}

void TestEntryDrafts::folderOrPipeInItsPlaceIsDamageWithoutBlocking() {
    TempProgramFolder folder;
    const QString diary = TestSupport::makeDiary("Ann", "Days", "pw");
    const QString draftPath = draftPathFor(diary);
    const QByteArray name = QFile::encodeName(draftPath);

    QVERIFY(QDir().mkdir(draftPath));
    DraftReading reading = readDraftOf(diary);
    QCOMPARE(int(reading.state), int(DraftState::Damaged));
    QVERIFY(reading.problem.contains("folder"));
    QVERIFY(!writeDraftFile(draftPath, sampleBytes(diary)).ok()); // never written into a folder
    QVERIFY(!moveDraftAside(draftPath).isEmpty());

    QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    reading = readDraftOf(diary);
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(int(reading.state), int(DraftState::Damaged));
    QVERIFY(reading.problem.contains("pipe"));
    QVERIFY(!moveDraftAside(draftPath).isEmpty());
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::None));
}

void TestEntryDrafts::draftOfAnotherDiaryIsForeign() {
    TempProgramFolder folder;
    const QString a = TestSupport::makeDiary("Ann", "Days", "pw");
    const QString b = TestSupport::makeDiary("Bob", "Nights", "pw");
    // A's draft under B's draft name is not B's.
    QVERIFY(writeDraftFile(draftPathFor(b), sampleBytes(a)).ok());
    DraftReading reading = readDraftOf(b);
    QCOMPARE(int(reading.state), int(DraftState::Foreign));
    QCOMPARE(reading.draft, sampleDraft()); // intact, only not this diary's

    // A diary replaced under the same name (another time of begin) does not
    // take the old diary's draft either.
    QVERIFY(writeDraftFile(draftPathFor(a), sampleBytes(a)).ok());
    QCOMPARE(int(readDraftOf(a).state), int(DraftState::Ready));
    QByteArray header = fileBytes(a);
    header.replace(DiaryFormat::TimeOfBeginOffset, 20, QByteArray("01.01.1999 00:00:00 "));
    putBytes(a, header);
    QCOMPARE(int(readDraftOf(a).state), int(DraftState::Foreign));

    // A draft whose diary is gone is not offered.
    QVERIFY(QFile::remove(a));
    QCOMPARE(int(readDraftOf(a).state), int(DraftState::Foreign));
}

void TestEntryDrafts::writerRunsJobsInOrderAndKeepsTheNewest() {
    TempProgramFolder folder;
    const QString diary = TestSupport::makeDiary("Ann", "Days", "pw");
    const QString draftPath = draftPathFor(diary);
    DraftWriter writer;
    DraftOwner owner;
    QVERIFY(draftOwnerOf(diary, owner).ok());
    QByteArray last;
    for (int i = 0; i < 50; ++i) {
        EntryDraft draft = sampleDraft();
        draft.text = QString("state %1").arg(i);
        QVERIFY(DraftFormat::encode(draft, owner, last).ok());
        writer.write(draftPath, last);
    }
    writer.flush();
    QCOMPARE(fileBytes(draftPath), last);
    writer.write(draftPath, last);
    writer.remove(draftPath);
    writer.flush();
    QVERIFY(!QFile::exists(draftPath));
    QVERIFY(writer.takeLastFailure().ok());

    // A write that cannot be done is reported, not lost silently.
    QVERIFY(QDir().mkdir(draftPath));
    writer.write(draftPath, last);
    writer.flush();
    QVERIFY(!writer.takeLastFailure().ok());
}

void TestEntryDrafts::draftCarriedForANewKeyIsPutInPlaceAfterAStoppedRewrite() {
    TempProgramFolder folder;
    const QString diary = TestSupport::makeDiary("Ann", "Days", "pw", 1);
    DraftOwner owner;
    QVERIFY(draftOwnerOf(diary, owner).ok());
    QByteArray bytes;
    QVERIFY(DraftFormat::encode(sampleDraft(), owner, bytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(diary), bytes).ok());
    QByteArray field;
    const DiaryCrypto::KeyPtr key = DiaryCrypto::newKey("pw", DiaryCrypto::cheapestKdfParams(), field);
    QVERIFY(key);

    // Stopped before the new diary took the old one's place: the old draft stays.
    DraftCarry carry;
    QVERIFY(carry.prepare(diary, nullptr, key.get(), field).ok());
    QVERIFY(QFileInfo::exists(carriedDraftPathFor(diary)));
    bool settled = true;
    QVERIFY(settleCarriedDraft(diary, &settled).ok());
    QVERIFY(!settled);
    QVERIFY(!QFileInfo::exists(carriedDraftPathFor(diary)));
    QCOMPARE(fileBytes(draftPathFor(diary)), bytes);

    // Stopped right after the rename (encrypt's new header in place): the
    // draft sealed for the new key becomes the diary's draft.
    QVERIFY(carry.prepare(diary, nullptr, key.get(), field).ok());
    QByteArray header = fileBytes(diary).left(DiaryFormat::HeaderSize);
    header[0] = char(DiaryCrypto::EncryptedMark);
    header.replace(DiaryFormat::PasswordOffset, DiaryFormat::PasswordWidth, field);
    QFile file(diary);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.write(header) == header.size());
    file.close();
    QCOMPARE(int(readDraftOf(diary).state), int(DraftState::OtherKey));
    QVERIFY(settleCarriedDraft(diary, &settled).ok());
    QVERIFY(settled);
    DiaryCrypto::setOpenKey(key);
    const DraftReading reading = readDraftOf(diary);
    DiaryCrypto::clearOpenKey();
    QCOMPARE(int(reading.state), int(DraftState::Ready));
    QCOMPARE(reading.draft, sampleDraft());
}

QTEST_GUILESS_MAIN(TestEntryDrafts)
#include "tst_entry_drafts.moc"
