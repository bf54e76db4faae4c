// An encrypted diary read back by a reader written from the README's format
// section alone, with libsodium's primitives and none of Quorvel's crypto
// code (Quorvel only makes the diary). If the README and the program part,
// this fails.

#include "DiaryCrypto.h"
#include "StorageGlobals.h"
#include "TestSupport.h"
#include "mFile.h"

#include <QFile>
#include <QTest>

#include <sodium.h>

namespace {

quint32 le(const QByteArray& bytes, int at, int width) {
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value |= quint32(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

const unsigned char* uc(const QByteArray& bytes, int at = 0) {
    return reinterpret_cast<const unsigned char*>(bytes.constData() + at);
}

struct ReadEntry {
    QByteArray dateTime, topic, text;
    int wellness = -1, love = -1;
};

// The reader: header, key, verifier, then every record.
bool readDiary(const QByteArray& file, const QByteArray& password, QList<ReadEntry>& entries) {
    if (sodium_init() < 0 || file.size() < 222 || le(file, 0, 2) != 2)
        return false;
    const QByteArray header = file.left(222);
    const QByteArray field = header.mid(52, 50);
    if (!field.startsWith("QVE1"))
        return false;
    const quint32 passes = le(field, 4, 2);
    const quint32 memoryKiB = le(field, 6, 4);
    unsigned char key[32];
    if (crypto_pwhash(key, sizeof key, password.constData(), quint64(password.size()), uc(field, 10), passes,
                      size_t(memoryKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return false;
    unsigned char verifier[24];
    const QByteArray verified = QByteArray("Quorvel verifier") + field.left(26);
    crypto_generichash(verifier, sizeof verifier, uc(verified), quint64(verified.size()), key, sizeof key);
    if (sodium_memcmp(verifier, uc(field, 26), sizeof verifier) != 0)
        return false;
    for (qint64 n = 1; 222 + n * 4084 <= file.size(); ++n) {
        const QByteArray record = file.mid(222 + (n - 1) * 4084, 4084);
        QByteArray ad("QVRECORD");
        for (int i = 0; i < 4; ++i)
            ad.append(char((n >> (8 * i)) & 0xFF));
        ad += header;
        QByteArray plain(4044, '\0');
        unsigned long long length = 0;
        if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(plain.data()), &length, nullptr,
                                                       uc(record, 24), 4084 - 24, uc(ad), quint64(ad.size()),
                                                       uc(record), key) != 0 ||
            length != 4044)
            return false;
        entries.append(
            {plain.left(20), plain.mid(20, 60), plain.mid(84, 3960), int(le(plain, 80, 2)), int(le(plain, 82, 2))});
    }
    sodium_memzero(key, sizeof key);
    return true;
}

} // namespace

class TestIndependentReader : public QObject {
    Q_OBJECT
private slots:
    void readmeLayoutReadsWhatQuorvelWrote();
};

void TestIndependentReader::readmeLayoutReadsWhatQuorvelWrote() {
    TestSupport::TempProgramFolder folder;
    QString path;
    QVERIFY(createEncryptedDiaryFile("Owner", "  pass word  ", "Title", "01.01.2026 10:00:00", &path,
                                     DiaryCrypto::cheapestKdfParams())
                .ok());
    DiaryCrypto::KeyPtr key;
    QVERIFY(passwordMatches(path, "pass word", nullptr, &key));
    DiaryCrypto::setOpenKey(key);
    publicDiaryPath = path;
    QVERIFY(Save_Entry("02.03.2026 08:15:00", QString::fromUtf8("Grüße"), "line one\r\nline two", 0, 2).ok());
    QVERIFY(Save_Entry("03.03.2026 09:00:00", "Second", QString(3960, 'x'), 3, 1).ok());
    DiaryCrypto::clearOpenKey();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    QList<ReadEntry> entries;
    QVERIFY(!readDiary(bytes, "pass words", entries));
    QVERIFY(readDiary(bytes, "pass word", entries)); // blanks around the password are not part of it
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].dateTime, QByteArray("02.03.2026 08:15:00 "));
    QCOMPARE(entries[0].topic, QByteArray("Gr\xfc\xdf"
                                          "e")
                                   .leftJustified(60, ' '));
    QCOMPARE(entries[0].text, QByteArray("line one\r\nline two").leftJustified(3960, ' '));
    QCOMPARE(entries[0].wellness, 0);
    QCOMPARE(entries[0].love, 2);
    QCOMPARE(entries[1].text, QByteArray(3960, 'x'));
    QCOMPARE(entries[1].wellness, 3);
    QCOMPARE(entries[1].love, 1);
}

QTEST_GUILESS_MAIN(TestIndependentReader)
#include "tst_independent_reader.moc"
