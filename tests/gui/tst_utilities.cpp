#include "support/GuiTestSupport.h"

#include "MsgBox.h"
#include "StorageStatus.h"
#include "TabStopDelegate.h"
#include "mError.h"
#include "mView.h"

#include <QListWidget>
#include <QScreen>
#include <QtTest>

// The error box, the message box seam, centring and list tab stops.
class TestUtilities : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::quietDialogs(); }
    void init() { MsgBox::clearShownForTesting(); }

    void errorTextHasItsTabs();
    void errorFromStorageStatus();
    void messageBoxSeamAnswersInOrder();
    void centringByTheOuterSize();
    void tabStopsPlaceTheFields();
    void oneStopRepeats();
    void listDrawsFieldsAtTheStops();
};

void TestUtilities::errorTextHasItsTabs() {
    Show_Error(5, QStringLiteral("Invalid procedure call or argument"),
               QStringLiteral("mView --> Set_Window_To_Center"), QString());
    Show_Error(-7, QString(), QString(), QString());
    Show_Error(0, QStringLiteral("d"), QStringLiteral("s"), QStringLiteral("x"));
    const QList<MsgBox::Shown> shown = MsgBox::shownForTesting();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(0).text,
             QStringLiteral("5\tInvalid procedure call or argument\tmView --> Set_Window_To_Center\t\t\t"));
    QCOMPARE(shown.at(0).title, QStringLiteral("Quorvel"));
    QCOMPARE(shown.at(0).buttons, MsgBox::Buttons::Ok);
    QCOMPARE(shown.at(1).text, QStringLiteral("-7\t\t\t\t\t"));
    QCOMPARE(shown.at(2).text, QStringLiteral("0\td\ts\t\t\tx"));
}

void TestUtilities::errorFromStorageStatus() {
    Show_Error(StorageStatus::failure(53, QStringLiteral("File not found")), QStringLiteral("mFile --> Save_Entry"));
    QCOMPARE(MsgBox::shownForTesting().first().text, QStringLiteral("53\tFile not found\tmFile --> Save_Entry\t\t\t"));
}

void TestUtilities::messageBoxSeamAnswersInOrder() {
    MsgBox::queueAnswer(MsgBox::Answer::Yes);
    MsgBox::queueAnswer(MsgBox::Answer::No);
    QCOMPARE(MsgBox::show(QStringLiteral("a"), QStringLiteral("t"), MsgBox::Buttons::YesNo), MsgBox::Answer::Yes);
    QCOMPARE(MsgBox::show(QStringLiteral("b"), QStringLiteral("t"), MsgBox::Buttons::YesNo), MsgBox::Answer::No);
    QCOMPARE(MsgBox::show(QStringLiteral("c"), QStringLiteral("t"), MsgBox::Buttons::YesNo), MsgBox::Answer::No);
    QCOMPARE(MsgBox::show(QStringLiteral("d"), QStringLiteral("t")), MsgBox::Answer::Ok);
    QCOMPARE(MsgBox::shownForTesting().size(), 4);
    QCOMPARE(MsgBox::shownForTesting().at(2).text, QStringLiteral("c"));
}

void TestUtilities::centringByTheOuterSize() {
    QWidget window;
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Set_Window_To_Center(&window);
    const QRect screen = window.screen()->geometry();
    const QRect outer = window.frameGeometry();
    QVERIFY(qAbs(outer.center().x() - screen.center().x()) <= 2);
    QVERIFY(qAbs(outer.center().y() - screen.center().y()) <= 2);
    // A window larger than the screen gets a negative place.
    window.resize(screen.width() + 200, screen.height() + 100);
    Set_Window_To_Center(&window);
    QVERIFY(window.frameGeometry().y() < 0);
    // No window: the error box with the procedure's source.
    Set_Window_To_Center(nullptr);
    QCOMPARE(MsgBox::shownForTesting().size(), 1);
    QVERIFY(MsgBox::shownForTesting().first().text.contains(QStringLiteral("\tmView --> Set_Window_To_Center\t\t\t")));
}

void TestUtilities::tabStopsPlaceTheFields() {
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const double unit =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0 / 4.0;
    const TabStopDelegate delegate({0, 10, 60, 100, 0});
    const QList<int> short_ = delegate.fieldPositions(QStringLiteral("1\tAnn\tTitle"), metrics);
    QCOMPARE(short_.size(), 3);
    QCOMPARE(short_.at(0), 0);
    QCOMPARE(short_.at(1), qRound(10 * unit));
    QCOMPARE(short_.at(2), qRound(60 * unit));
    // A field running past a stop moves the next one to the following stop.
    QString owner;
    while (short_.at(1) + metrics.horizontalAdvance(owner) <= qRound(60 * unit))
        owner += QLatin1Char('W');
    QVERIFY(short_.at(1) + metrics.horizontalAdvance(owner) < qRound(100 * unit));
    const QString longOwner = QStringLiteral("1\t") + owner + QStringLiteral("\tTitle");
    QCOMPARE(delegate.fieldPositions(longOwner, metrics).at(2), qRound(100 * unit));
}

void TestUtilities::oneStopRepeats() {
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const double unit =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0 / 4.0;
    const TabStopDelegate delegate({20});
    const QList<int> at = delegate.fieldPositions(QStringLiteral("a\tb\tc"), metrics);
    QCOMPARE(at.at(1), int(20 * unit));
    QCOMPARE(at.at(2), int(40 * unit));
}

void TestUtilities::listDrawsFieldsAtTheStops() {
    QListWidget list;
    list.resize(400, 100);
    list.addItems({QStringLiteral("1\tOwner\tTitle")});
    Set_List_Tabstops(&list, {0, 10, 60, 100, 0});
    auto* delegate = qobject_cast<TabStopDelegate*>(list.itemDelegate());
    QVERIFY(delegate);
    QCOMPARE(delegate->stops(), (QList<qint16>{0, 10, 60, 100, 0}));
    Set_List_Tabstops(&list, {30});
    QCOMPARE(list.itemDelegate(), delegate); // the same delegate takes the new stops
    QCOMPARE(delegate->stops(), QList<qint16>{30});
    // Drawn: ink appears at the third field's stop and not in the gap before it.
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QImage image = list.viewport()->grab().toImage();
    const QList<int> at = delegate->fieldPositions(QStringLiteral("1\tOwner\tTitle"), QFontMetrics(list.font()));
    const QRect row = list.visualItemRect(list.item(0));
    const auto inkIn = [&](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = row.top(); y <= row.bottom(); ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    const int margin = 3;
    const int ownerEnd = margin + at.at(1) + QFontMetrics(list.font()).horizontalAdvance(QStringLiteral("Owner"));
    QVERIFY(!inkIn(ownerEnd + 2, margin + at.at(2) - 1));
    QVERIFY(inkIn(margin + at.at(2), margin + at.at(2) + 20));
}

QTEST_MAIN(TestUtilities)
#include "tst_utilities.moc"
