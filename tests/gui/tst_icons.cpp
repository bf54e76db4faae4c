#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtTest>

// The window pictures come from resources/quorvel.qrc. Each must be served
// under :/icons/, load through the SVG plugins at its design size and actually
// draw something there (a missing plugin or a broken file gives a null or an
// empty picture).
namespace {

// Share of pixels that are not fully transparent.
double coveredShare(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    qsizetype covered = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > 0)
                ++covered;
    return double(covered) / double(argb.width() * argb.height());
}

// True when some pixel is dark, as the lettering and outlines are.
bool hasDarkPixels(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            if (qAlpha(p) == 255 && qGray(p) < 64)
                return true;
        }
    return false;
}

} // namespace

class TestIcons : public QObject {
    Q_OBJECT
private slots:
    void picturesLoadAtDesignSize_data();
    void picturesLoadAtDesignSize();
    void applicationIconScales();
};

void TestIcons::picturesLoadAtDesignSize_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("minCovered");
    const QSize wide(143, 27), narrow(71, 27);
    // Button faces fill their whole rectangle (the corners are rounded).
    for (const char* name : {"save", "show_entry", "workbench", "ok", "cancel", "create", "delete", "find", "key"})
        QTest::newRow(name) << QString::fromLatin1(name) << wide << 0.97;
    QTest::newRow("forward") << "forward" << narrow << 0.95;
    QTest::newRow("back") << "back" << narrow << 0.95;
    QTest::newRow("menu_cursor") << "menu_cursor" << QSize(32, 32) << 0.15;
    QTest::newRow("quorvel") << "quorvel" << QSize(256, 256) << 0.5;
}

void TestIcons::picturesLoadAtDesignSize() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(double, minCovered);
    const QString path = ":/icons/" + name + ".svg";
    QVERIFY2(QFile::exists(path), qPrintable(path + " is not in the resources"));
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path + " does not load (SVG image plugin missing?)"));
    QCOMPARE(image.size(), size);
    QVERIFY2(coveredShare(image) >= minCovered, qPrintable(QString::number(coveredShare(image))));
    QVERIFY(hasDarkPixels(image));
}

void TestIcons::applicationIconScales() {
    const QIcon icon(":/icons/quorvel.svg");
    for (int side : {16, 32, 48, 256}) {
        const QPixmap pixmap = icon.pixmap(side, side);
        QCOMPARE(pixmap.size(), QSize(side, side));
        QVERIFY(coveredShare(pixmap.toImage()) > 0.5);
    }
}

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
