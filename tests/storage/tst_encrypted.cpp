// Encrypted diaries in the storage core: the format pinned by known bytes,
// passwords, what lands on disk, damaged and moved records, password change.

#include "DiaryCrypto.h"
#include "DiaryFormat.h"
#include "DiaryWalks.h"
#include "DraftCarry.h"
#include "EntryDraft.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace DiaryFormat;
using TestSupport::TempProgramFolder;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// An encrypted diary (cheapest key derivation) holding the given entries;
// its key is left open, as after a log-in.
QString encryptedDiary(const QString& password, const QStringList& texts) {
    QString path;
    if (!createEncryptedDiaryFile("Owner Name", password, "Diary Title", "01.01.2026 10:00:00", &path,
                                  DiaryCrypto::cheapestKdfParams())
             .ok())
        qFatal("cannot create");
    DiaryCrypto::KeyPtr key;
    if (!passwordMatches(path, password, nullptr, &key))
        qFatal("cannot unlock");
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = path;
    for (int i = 0; i < texts.size(); ++i)
        if (!Save_Entry(QString("0%1.03.2026 08:15:00").arg(i + 1), QString("Topicword%1").arg(i + 1), texts.at(i),
                        qint16(i % 4), 1)
                 .ok())
            qFatal("cannot save");
    return path;
}

} // namespace

class TestEncrypted : public QObject {
    Q_OBJECT
private slots:
    void init() {
        publicDiaryPath.clear();
        DiaryCrypto::clearOpenKey();
    }

    void knownSaltAndNonceGiveKnownBytes();
    void wrongPasswordOpensNothing();
    void noReadableWordReachesTheDisk();
    void damagedBytesAreNeverShown();
    void recordsCannotMove();
    void passwordChangeSealsEveryRecordAnew();
    void passphraseIsNeverCutNorEmpty();
};

void TestEncrypted::knownSaltAndNonceGiveKnownBytes() {
    // The default costs, so that a change of them or of the layout shows here.
    QByteArray salt(DiaryCrypto::SaltSize, '\0');
    for (int i = 0; i < salt.size(); ++i)
        salt[i] = char(i);
    QByteArray field;
    const DiaryCrypto::KeyPtr key =
        DiaryCrypto::newKey("correct horse", DiaryCrypto::defaultKdfParams(), field, salt);
    QVERIFY(key);
    QCOMPARE(field.toHex(), QByteArray("5156453105000000020000010203040506070809"
                                       "0a0b0c0d0e0fa9bb96b3d3e3b4d7dc69e064a486"
                                       "4bda32d4370f06f0173d"));
    DiaryHeader header;
    header.Mark = DiaryCrypto::EncryptedMark;
    header.Owner = "Owner";
    header.Title = "Title";
    header.TimeOfBegin = "01.01.2026 10:00:00";
    header.Password = field;
    DiaryCrypto::RecordBinding binding(header.toRecord());
    binding.setEntry(1);
    const QByteArray plain = DiaryCrypto::plainRecord("02.01.2026 11:00:00", "Known topic", "Known text\r\nline", 1, 2);
    unsigned char nonce[DiaryCrypto::NonceSize];
    for (int i = 0; i < DiaryCrypto::NonceSize; ++i)
        nonce[i] = static_cast<unsigned char>(0xA0 + i);
    QByteArray record(EntrySize, '\0');
    DiaryCrypto::sealRecord(*key, binding, plain.constData(), record.data(), nonce);
    QCOMPARE(QCryptographicHash::hash(record, QCryptographicHash::Sha256).toHex().left(32),
             QByteArray("f7adf6f76870efcc647bb1f0556ffb9f"));

    // The same bytes as a diary file read back through the program's reader.
    TempProgramFolder folder;
    const QString path = folder.dataPath() + "/1.PDD";
    writeBytes(path, header.toRecord() + record);
    DiaryCrypto::KeyPtr unlocked;
    QVERIFY(passwordMatches(path, "correct horse", nullptr, &unlocked));
    DiaryCrypto::setOpenKey(unlocked);
    EntryText entry;
    QVERIFY(readEntry(path, 1, entry).ok());
    QCOMPARE(entry.topic.trimmed(), QString("Known topic"));
    QCOMPARE(entry.text.trimmed(), QString("Known text\r\nline"));
    QCOMPARE(entry.wellness, qint16(1));
    QCOMPARE(entry.love, qint16(2));
}

void TestEncrypted::wrongPasswordOpensNothing() {
    TempProgramFolder folder;
    const QString path = encryptedDiary("right one", {"first"});
    DiaryCrypto::clearOpenKey();
    DiaryCrypto::KeyPtr key;
    QVERIFY(!passwordMatches(path, "right on", nullptr, &key));
    QVERIFY(!key);
    QVERIFY(!passwordMatches(path, "Right one", nullptr, &key));
    EntryText entry;
    QCOMPARE(readEntry(path, 1, entry).number, StorageErrors::DiaryLocked);
    StorageStatus status;
    QVERIFY(entryBrowserLines(path, {}, &status).isEmpty());
    QCOMPARE(status.number, StorageErrors::DiaryLocked);
    QVERIFY(!Save_Entry("d", "t", "x", 3, 3).ok()); // publicDiaryPath is still this diary
    QCOMPARE(countEntriesInFile(path), 1);
    QVERIFY(passwordMatches(path, "right one", nullptr, &key));
}

void TestEncrypted::noReadableWordReachesTheDisk() {
    TempProgramFolder folder;
    QStringList texts;
    for (int i = 0; i < 20; ++i)
        texts << QString("Secretword%1 ").arg(i).repeated(150).left(3960);
    const QString path = encryptedDiary("Passwordword", texts);
    EntryDraft draft{"09.09.2026 09:09:09", "Drafttopic", "Drafttext again and again", 1, 1};
    DraftOwner owner;
    QVERIFY(draftOwnerOf(path, owner).ok());
    QByteArray draftBytes;
    QVERIFY(DraftFormat::encode(draft, owner, draftBytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(path), draftBytes).ok());

    const QByteArray bytes = fileBytes(path) + fileBytes(draftPathFor(path));
    for (const char* word : {"Passwordword", "Topicword", "Secretword", "Drafttopic", "Drafttext", "03.2026", "08:15", "09:09"})
        QVERIFY2(!bytes.contains(word), word);
    QVERIFY(bytes.contains("Owner Name")); // owner, title and time of begin stay readable
    const QByteArray records = fileBytes(path).mid(HeaderSize);
    QVERIFY(qCompress(records, 9).size() >= records.size() * 95 / 100);

    // The draft comes back only with the key open.
    QCOMPARE(readDraftOf(path).state, DraftState::Ready);
    QCOMPARE(readDraftOf(path).draft, draft);
    DiaryCrypto::clearOpenKey();
    QCOMPARE(readDraftOf(path).state, DraftState::Sealed);
}

void TestEncrypted::damagedBytesAreNeverShown() {
    TempProgramFolder folder;
    const QString path = encryptedDiary("pw", {"alpha needle", "beta needle", "gamma needle"});
    QByteArray bytes = fileBytes(path);
    bytes[entryOffset(1) + 500] = char(bytes[entryOffset(1) + 500] ^ 0x01); // inside the text
    bytes[entryOffset(3) + EntrySize - 3] = char(bytes[entryOffset(3) + EntrySize - 3] ^ 0x80); // in the tag
    writeBytes(path, bytes);

    const QStringList lines = entryBrowserLines(path);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).contains("damaged"));
    QVERIFY(lines.at(1).contains("Topicword2"));
    QVERIFY(lines.at(2).contains("damaged"));
    EntryText entry;
    QCOMPARE(readEntry(path, 1, entry).number, StorageErrors::DamagedEntry);
    QVERIFY(readEntry(path, 2, entry).ok());
    const PhraseHit hit = findPhraseInFile(path, "NEEDLE", 1);
    QCOMPARE(hit.entry, 2);
    QCOMPARE(findPhraseInFile(path, "needle", 3).entry, 0);
    const RatingCounts counts = countRatings(path);
    QCOMPARE(counts.entries, 3);
    QCOMPARE(counts.damaged, 2);
    QCOMPARE(counts.wellness[1], 1);
    QCOMPARE(counts.wellness[0] + counts.wellness[2] + counts.wellness[3], 0);

    // A flipped byte of the salt: the key no longer fits, the password fails.
    bytes[PasswordOffset + DiaryCrypto::SaltOffset + 3] ^= 0x10;
    writeBytes(path, bytes);
    QVERIFY(!passwordMatches(path, "pw"));
    QCOMPARE(readEntry(path, 2, entry).number, StorageErrors::DiaryLocked);
}

void TestEncrypted::recordsCannotMove() {
    TempProgramFolder folder;
    const QString first = encryptedDiary("same", {"one", "two"});
    const QString second = encryptedDiary("same", {"other"});
    QByteArray a = fileBytes(first);
    const QByteArray b = fileBytes(second);
    // Entry 2 of the first diary replaced by entry 1 of the other (same
    // password, another salt), entry 1 by its own entry 2.
    const QByteArray ownSecond = a.mid(entryOffset(2), EntrySize);
    a.replace(entryOffset(2), EntrySize, b.mid(entryOffset(1), EntrySize));
    a.replace(entryOffset(1), EntrySize, ownSecond);
    writeBytes(first, a);
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(first, "same", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    EntryText entry;
    QCOMPARE(readEntry(first, 1, entry).number, StorageErrors::DamagedEntry);
    QCOMPARE(readEntry(first, 2, entry).number, StorageErrors::DamagedEntry);
    QCOMPARE(countRatings(first).damaged, 2);
}

void TestEncrypted::passwordChangeSealsEveryRecordAnew() {
    TempProgramFolder folder;
    const QString path = encryptedDiary("old", {"kept one", "kept two"});
    QByteArray bytes = fileBytes(path);
    bytes[entryOffset(2) + 100] ^= 0x01; // stays damaged, is not lost
    writeBytes(path, bytes);
    const QByteArray before = fileBytes(path);
    EntryDraft draft{"d", "t", "draft text", 3, 3};
    DraftOwner owner;
    QVERIFY(draftOwnerOf(path, owner).ok());
    QByteArray draftBytes;
    QVERIFY(DraftFormat::encode(draft, owner, draftBytes).ok());
    QVERIFY(writeDraftFile(draftPathFor(path), draftBytes).ok());

    DiaryCrypto::KeyPtr oldKey;
    QVERIFY(passwordMatches(path, "old", nullptr, &oldKey));
    QVERIFY(!Write_New_Password(path, "new", {}).ok()); // the old password must be proven
    QCOMPARE(fileBytes(path), before);
    // A draft that cannot be carried to the new key stops the change.
    QVERIFY(QDir().mkpath(carriedDraftPathFor(path) + "/in the way"));
    const StorageStatus stopped = Write_New_Password(path, "new", oldKey);
    QVERIFY2(stopped.description.contains("cannot be carried over"), qPrintable(stopped.description));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(fileBytes(draftPathFor(path)), draftBytes);
    QVERIFY(QDir(carriedDraftPathFor(path)).removeRecursively());
    qint32 lastDone = 0;
    QVERIFY(Write_New_Password(path, "  new  ", oldKey, [&](qint32 done, qint32) { lastDone = done; }).ok());
    QCOMPARE(lastDone, 2);
    const QByteArray after = fileBytes(path);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.left(PasswordOffset), before.left(PasswordOffset));
    QVERIFY(after.mid(PasswordOffset + DiaryCrypto::SaltOffset, DiaryCrypto::SaltSize) !=
            before.mid(PasswordOffset + DiaryCrypto::SaltOffset, DiaryCrypto::SaltSize));
    QVERIFY(after.mid(entryOffset(1), EntrySize) != before.mid(entryOffset(1), EntrySize));
    QVERIFY(!passwordMatches(path, "old"));
    QVERIFY(passwordMatches(path, "new"));
    EntryText entry;
    QVERIFY(readEntry(path, 1, entry).ok()); // the open key followed the change
    QCOMPARE(entry.text.trimmed(), QString("kept one"));
    QCOMPARE(readEntry(path, 2, entry).number, StorageErrors::DamagedEntry);
    QCOMPARE(readDraftOf(path).draft, draft);
}


void TestEncrypted::passphraseIsNeverCutNorEmpty() {
    TempProgramFolder folder;
    const QString first = "seventy-three characters of a passphrase that nobody would guess at all";
    const QString path = encryptedDiary(first, {"text"});
    QVERIFY(first.size() > 64);
    QVERIFY(passwordMatches(path, first));
    QVERIFY(!passwordMatches(path, first.left(PasswordWidth)));

    DiaryCrypto::KeyPtr oldKey;
    QVERIFY(passwordMatches(path, first, nullptr, &oldKey));
    const QByteArray before = fileBytes(path);
    const StorageStatus empty = Write_New_Password(path, "   ", oldKey);
    QVERIFY(!empty.ok());
    const StorageStatus tooLong = Write_New_Password(path, QString(257, 'x'), oldKey);
    QVERIFY(tooLong.description.contains("at most 256"));
    QCOMPARE(fileBytes(path), before);

    const QString second = first + " and then some more words";
    QVERIFY(Write_New_Password(path, second, oldKey).ok());
    QVERIFY(passwordMatches(path, second));
    QVERIFY(!passwordMatches(path, second.left(PasswordWidth)));
}

QTEST_GUILESS_MAIN(TestEncrypted)
#include "tst_encrypted.moc"
