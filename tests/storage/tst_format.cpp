// Byte-level rules of the diary records, the scrambling and the tab fields.

#include "Cp1252.h"
#include "DiaryFormat.h"
#include "mString.h"

#include <QTest>

using namespace DiaryFormat;

class TestFormat : public QObject {
    Q_OBJECT
private slots:
    void headerRecordLayout();
    void headerFieldsAreCutAndPadded();
    void entryRecordLayout();
    void negativeAndLargeRatingsRoundTrip();
    void countRoundsToNearestTiesToEven_data();
    void countRoundsToNearestTiesToEven();
    void appendOffsetFollowsLength_data();
    void appendOffsetFollowsLength();
    void scrambleTouchesOnlyDigitsAndSmallLetters();
    void scrambleIsAPermutationUndoneByMode2();
    void scrambleOtherModesLeaveText();
    void tabFields_data();
    void tabFields();
    void trimRemovesBlanksOnly();
    void everyByteSurvivesDecodeAndEncode();
    void charactersOutsideTheCodePageAreRefused();
};

void TestFormat::headerRecordLayout() {
    DiaryHeader h;
    h.Mark = 1;
    h.Owner = "Anna";
    h.Password = "secret";
    h.Title = "My year";
    h.TimeOfBegin = "01.02.2026 10:11:12";
    const QByteArray r = h.toRecord();
    QCOMPARE(r.size(), 222);
    QCOMPARE(r.left(2), QByteArray("\x01\x00", 2));
    QCOMPARE(r.mid(2, 50), QByteArray("Anna").leftJustified(50, ' '));
    QCOMPARE(r.mid(52, 50), QByteArray("secret").leftJustified(50, ' '));
    QCOMPARE(r.mid(102, 100), QByteArray("My year").leftJustified(100, ' '));
    QCOMPARE(r.mid(202, 20), QByteArray("01.02.2026 10:11:12 "));
    const DiaryHeader back = DiaryHeader::fromRecord(r.constData());
    QCOMPARE(back.Mark, qint16(1));
    QCOMPARE(back.Owner, QByteArray("Anna").leftJustified(50, ' '));
    QCOMPARE(back.Title.size(), 100);
}

void TestFormat::headerFieldsAreCutAndPadded() {
    DiaryHeader h;
    h.Owner = QByteArray(60, 'x');
    h.Password = QByteArray(51, 'p');
    const QByteArray r = h.toRecord();
    QCOMPARE(r.mid(2, 50), QByteArray(50, 'x'));
    QCOMPARE(r.mid(52, 50), QByteArray(50, 'p'));
    QCOMPARE(r.at(102), ' '); // the cut owner did not spill into the title
}

void TestFormat::entryRecordLayout() {
    DiaryEntry e;
    e.DateTime = "07.12.2026 17:29:13";
    e.Topic = "T";
    e.Entry = QByteArray(4100, 'z');
    e.Wellness = 2;
    e.Love = 0;
    const QByteArray r = e.toRecord();
    QCOMPARE(r.size(), 4084);
    QCOMPARE(r.mid(0, 20), QByteArray("07.12.2026 17:29:13 "));
    QCOMPARE(r.mid(20, 60), QByteArray("T").leftJustified(60, ' '));
    QCOMPARE(r.mid(80, 4000), QByteArray(4000, 'z'));
    QCOMPARE(r.mid(4080, 4), QByteArray("\x02\x00\x00\x00", 4));
}

void TestFormat::negativeAndLargeRatingsRoundTrip() {
    DiaryEntry e;
    e.Wellness = -2;
    e.Love = 0x1234;
    const QByteArray r = e.toRecord();
    QCOMPARE(r.mid(4080, 4), QByteArray("\xFE\xFF\x34\x12", 4));
    const DiaryEntry back = DiaryEntry::fromRecord(r.constData());
    QCOMPARE(back.Wellness, qint16(-2));
    QCOMPARE(back.Love, qint16(0x1234));
}

void TestFormat::countRoundsToNearestTiesToEven_data() {
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("count");
    QTest::newRow("empty file") << qint64(0) << qint64(0);
    QTest::newRow("short header") << qint64(100) << qint64(0);
    QTest::newRow("new diary") << qint64(222) << qint64(0);
    QTest::newRow("one entry") << qint64(4306) << qint64(1);
    QTest::newRow("three entries") << qint64(12474) << qint64(3);
    QTest::newRow("partial below half") << qint64(222 + 2041) << qint64(0);
    QTest::newRow("exact half rounds to even 0") << qint64(222 + 2042) << qint64(0);
    QTest::newRow("partial above half") << qint64(222 + 2043) << qint64(1);
    QTest::newRow("one and a half rounds to even 2") << qint64(222 + 4084 + 2042) << qint64(2);
    QTest::newRow("full diary") << qint64(122520222) << qint64(30000);
}

void TestFormat::countRoundsToNearestTiesToEven() {
    QFETCH(qint64, length);
    QFETCH(qint64, count);
    QCOMPARE(entryCountForLength(length), count);
}

void TestFormat::appendOffsetFollowsLength_data() {
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("offset");
    QTest::newRow("new diary") << qint64(222) << qint64(222);
    QTest::newRow("after one") << qint64(4306) << qint64(4306);
    QTest::newRow("partial record overwritten") << qint64(4306 + 1000) << qint64(4306);
    QTest::newRow("long partial record kept") << qint64(4306 + 3000) << qint64(4306 + 4084);
}

void TestFormat::appendOffsetFollowsLength() {
    QFETCH(qint64, length);
    QFETCH(qint64, offset);
    QCOMPARE(appendOffsetForLength(length), offset);
}

void TestFormat::scrambleTouchesOnlyDigitsAndSmallLetters() {
    QByteArray topic("Ab c1, X\r\n\xE4!");
    const QByteArray original = topic;
    const QByteArray returned = Scramble_Text(topic, 1);
    QCOMPARE(returned, topic); // result and the caller's variable agree
    QCOMPARE(topic.size(), original.size());
    for (qsizetype i = 0; i < topic.size(); ++i) {
        const char c = original.at(i);
        const bool substituted = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
        if (!substituted)
            QCOMPARE(topic.at(i), c);
        else
            QVERIFY((topic.at(i) >= '0' && topic.at(i) <= '9') || (topic.at(i) >= 'a' && topic.at(i) <= 'z'));
    }
    QVERIFY(topic != original);
    Scramble_Text(topic, 2);
    QCOMPARE(topic, original);
}

void TestFormat::scrambleIsAPermutationUndoneByMode2() {
    QByteArray all("0123456789abcdefghijklmnopqrstuvwxyz");
    QByteArray scrambled = all;
    Scramble_Text(scrambled, 1);
    QByteArray sorted = scrambled;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(sorted, all);
    int fixedPoints = 0;
    for (int i = 0; i < all.size(); ++i)
        fixedPoints += all.at(i) == scrambled.at(i);
    QCOMPARE(fixedPoints, 0);
    QByteArray every(256, '\0');
    for (int b = 0; b < 256; ++b)
        every[b] = static_cast<char>(b);
    QByteArray copy = every;
    Scramble_Text(copy, 1);
    Scramble_Text(copy, 2);
    QCOMPARE(copy, every);
}

void TestFormat::scrambleOtherModesLeaveText() {
    for (int mode : {0, 3, -1}) {
        QByteArray text("abc 123");
        QCOMPARE(Scramble_Text(text, mode), QByteArray("abc 123"));
        QCOMPARE(text, QByteArray("abc 123"));
    }
    QByteArray plain("ABC ,.-!?");
    Scramble_Text(plain, 1);
    QCOMPARE(plain, QByteArray("ABC ,.-!?"));
}

void TestFormat::tabFields_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("title");
    QTest::newRow("chooser line") << "12\tAnna\tMy year"
                                  << "Anna"
                                  << "My year";
    QTest::newRow("one tab only") << "12\tAnna"
                                  << ""
                                  << "";
    QTest::newRow("no tab") << "12"
                            << ""
                            << "";
    QTest::newRow("empty line") << ""
                                << ""
                                << "";
    QTest::newRow("third tab kept in title") << "1\tAnna\tMy\tyear"
                                             << "Anna"
                                             << "My\tyear";
    QTest::newRow("empty owner") << "3\t\tTitle"
                                 << ""
                                 << "\tTitle";
    QTest::newRow("empty title") << "3\tAnna\t"
                                 << "Anna"
                                 << "";
}

void TestFormat::tabFields() {
    QFETCH(QString, line);
    QFETCH(QString, owner);
    QFETCH(QString, title);
    QCOMPARE(Get_Tab_Field(line, 1), owner);
    QCOMPARE(Get_Tab_Field(line, 2), title);
    QCOMPARE(Get_Tab_Field(line, 3), QString());
}

void TestFormat::trimRemovesBlanksOnly() {
    QCOMPARE(trimBlanks(QString("  a b \t ")), QString("a b \t"));
    QCOMPARE(trimBlanks(QString("   ")), QString());
    QCOMPARE(trimBlanks(QByteArray(" \tx ")), QByteArray("\tx"));
}

void TestFormat::everyByteSurvivesDecodeAndEncode() {
    QByteArray every(256, '\0');
    for (int b = 0; b < 256; ++b)
        every[b] = static_cast<char>(b);
    const QString text = Cp1252::decode(every);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0x80), QChar(0x20AC)); // euro sign
    QCOMPARE(text.at(0xE4), QChar(0xE4));
    bool ok = false;
    QCOMPARE(Cp1252::encode(text, &ok), every);
    QVERIFY(ok);
}

void TestFormat::charactersOutsideTheCodePageAreRefused() {
    QVERIFY(Cp1252::canStore(QStringLiteral("Grüße, € and œ")));
    QVERIFY(!Cp1252::canStore(QStringLiteral("snow ☃")));
    QVERIFY(!Cp1252::canStore(QStringLiteral("Ωmega")));
    QVERIFY(!Cp1252::canStore(QString::fromUtf8("\xF0\x9F\x98\x80"))); // a surrogate pair
    bool ok = true;
    Cp1252::encode(QStringLiteral("a☃"), &ok);
    QVERIFY(!ok);
}

QTEST_APPLESS_MAIN(TestFormat)
#include "tst_format.moc"
