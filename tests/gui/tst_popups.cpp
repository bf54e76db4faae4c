#include "MainWindowFixture.h"

#include "Platform.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>

// The notification popups: look, timing, sound cues and their deafness to
// mouse and keys.
class TestPopups : public QObject {
    Q_OBJECT
    MainWindowFixture f;

private slots:
    void init() { f.start(); }
    void cleanup() {
        PopupSettings::setTimingForTesting(1, 1);
        f.stop();
    }

    void eachPopupRunsItsCycle_data();
    void eachPopupRunsItsCycle();
    void killAllowedSoundsTwice();
    void fullCycleIgnoresMouseAndKeys();
    void pictureIsDrawnByTheProgram_data();
    void pictureIsDrawnByTheProgram();
    void missingSoundFileStillReturns();
    void soundFileWithoutAudioDeviceReturns();
};

void TestPopups::eachPopupRunsItsCycle_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("saved") << int(PopupKind::EntrySaved) << "frmEntrySaved";
    QTest::newRow("no diary") << int(PopupKind::NoDiaryOpen) << "frmNoDiaryOpen";
    QTest::newRow("login") << int(PopupKind::LoginAllowed) << "frmLoginAllowed";
    QTest::newRow("denied") << int(PopupKind::AccessDenied) << "frmAccessDenied";
    QTest::newRow("kill") << int(PopupKind::KillAllowed) << "frmKillAllowed";
}

void TestPopups::eachPopupRunsItsCycle() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    QString seen;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout, [&] {
        if (frmPopup* popup = frmPopup::current())
            seen = popup->objectName();
    });
    probe.start();
    showPopup(PopupKind(kind));
    showPopup(PopupKind(kind)); // a second one runs its own cycle
    QCOMPARE(seen, name);
    QCOMPARE(PopupSettings::shownForTesting(), (QList<PopupKind>{PopupKind(kind), PopupKind(kind)}));
    QVERIFY(!frmPopup::current());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestPopups::killAllowedSoundsTwice() {
    showPopup(PopupKind::EntrySaved);
    QCOMPARE(PopupSettings::soundCountForTesting(), 1);
    PopupSettings::clearShownForTesting();
    showPopup(PopupKind::KillAllowed);
    QCOMPARE(PopupSettings::soundCountForTesting(), 2);
}

void TestPopups::fullCycleIgnoresMouseAndKeys() {
    PopupSettings::setTimingForTesting(100, 300);
    QPointer<frmPopup> shown;
    bool stillThere = false;
    QRect placed;
    TestSupport::whenModal<frmPopup>([&](frmPopup* popup) {
        shown = popup;
        placed = popup->frameGeometry();
        QCOMPARE(popup->size(), QSize(563, 131));
        QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!popup->parentWidget());
        QCOMPARE(popup->windowModality(), Qt::ApplicationModal);
        QCOMPARE(popup->imgMessage->geometry(), QRect(0, 0, 563, 131));
        QTest::keyClick(popup, Qt::Key_Escape);
        QTest::keyClick(popup, Qt::Key_Return);
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(100, 50));
        popup->close();
        QTimer::singleShot(20, [&] { stillThere = shown && shown->isVisible(); });
    });
    QElapsedTimer clock;
    clock.start();
    showPopup(PopupKind::AccessDenied);
    const qint64 took = clock.elapsed();
    QVERIFY(stillThere);
    // Both ticks ran (coarse timers may fire a few per cent early).
    QVERIFY2(took >= 350, qPrintable(QString::number(took)));
    QVERIFY2(took < 3000, qPrintable(QString::number(took)));
    QVERIFY(!shown); // gone with its showing
    // Centred over the active main window.
    QVERIFY((placed.center() - f.window->frameGeometry().center()).manhattanLength() <= 4);
}

void TestPopups::pictureIsDrawnByTheProgram_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QColor>("letters");
    QTest::newRow("saved") << int(PopupKind::EntrySaved) << QColor(192, 255, 192);
    QTest::newRow("denied") << int(PopupKind::AccessDenied) << QColor(255, 128, 128);
    QTest::newRow("no diary") << int(PopupKind::NoDiaryOpen) << QColor(255, 128, 128);
}

void TestPopups::pictureIsDrawnByTheProgram() {
    QFETCH(int, kind);
    QFETCH(QColor, letters);
    const QImage image = frmPopup::picture(PopupKind(kind));
    QCOMPARE(image.size(), QSize(563, 131));
    QCOMPARE(QColor(image.pixel(10, 10)), QColor(192, 192, 192));
    QCOMPARE(QColor(image.pixel(562, 130)), QColor(64, 64, 64));
    QCOMPARE(QColor(image.pixel(562, 60)), QColor(64, 64, 64));
    QVERIFY(qGray(image.pixel(0, 60)) > 192 && qGray(image.pixel(60, 0)) > 192);
    int letterPixels = 0;
    int leftmost = 563;
    int rightmost = 0;
    for (int y = 0; y < 131; ++y)
        for (int x = 0; x < 563; ++x)
            if (QColor(image.pixel(x, y)) == letters) {
                ++letterPixels;
                leftmost = qMin(leftmost, x);
                rightmost = qMax(rightmost, x);
            }
    QVERIFY2(letterPixels > 3000, qPrintable(QString::number(letterPixels))); // large letters
    QVERIFY(qAbs((leftmost + rightmost) / 2 - 281) < 12);                     // centred
    QVERIFY(rightmost - leftmost > 300);
}

void TestPopups::missingSoundFileStillReturns() {
    QElapsedTimer clock;
    clock.start();
    Platform::playSoundSync(QStringLiteral("/nonexistent/s1.wav"));
    QVERIFY(clock.elapsed() < 500);
}

void TestPopups::soundFileWithoutAudioDeviceReturns() {
    // A quarter second of silence as 8-bit mono PCM.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s1.wav"));
    QFile wav(path);
    QVERIFY(wav.open(QIODevice::WriteOnly));
    const quint32 samples = 2000;
    QByteArray header("RIFF");
    const auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            header.append(char((v >> (8 * i)) & 0xFF));
    };
    const auto u16 = [&](quint16 v) { header.append(char(v & 0xFF)).append(char(v >> 8)); };
    u32(36 + samples);
    header.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000);
    u16(1);
    u16(8);
    header.append("data");
    u32(samples);
    wav.write(header);
    wav.write(QByteArray(int(samples), char(0x80)));
    wav.close();
    QElapsedTimer clock;
    clock.start();
    Platform::playSoundSync(path);
    QVERIFY2(clock.elapsed() < 9000, qPrintable(QString::number(clock.elapsed())));
}

QTEST_MAIN(TestPopups)
#include "tst_popups.moc"
