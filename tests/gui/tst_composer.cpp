#include "MainWindowFixture.h"

#include "ComposerEdits.h"
#include "mApplication.h"
#include "mFile.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>

namespace {
// Types one character as a keyboard would, whatever it is.
void typeChar(QWidget* box, const QString& character) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
    QApplication::sendEvent(box, &release);
}
const QString Omega = QString(QChar(0x03A9)); // not in Windows-1252
const QString Euro = QString(QChar(0x20AC));  // in Windows-1252 (0x80)
} // namespace

// The composer's limits: 60 topic characters, 4000 stored text characters
// (a line break is two), and nothing the diary file cannot hold.
class TestComposer : public QObject {
    Q_OBJECT
    MainWindowFixture f;

private slots:
    void init() {
        f.start();
        f.openDiary(0);
        Run_Command(11);
    }
    void cleanup() { f.stop(); }

    void lineBreakConversions();
    void topicHoldsSixtyCharacters();
    void topicRefusesWhatTheFileCannotHold();
    void textCountsALineBreakAsTwo();
    void textRefusesWhatTheFileCannotHold();
    void pasteIsCutToTheRoomLeft();
    void savedTextMatchesTheEditor();
};

void TestComposer::lineBreakConversions() {
    QCOMPARE(LineBreaks::toStored(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
    QCOMPARE(LineBreaks::toStored(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    QCOMPARE(LineBreaks::toEditor(QStringLiteral("a\r\nb\rc")), QStringLiteral("a\nb\nc"));
    QCOMPARE(LineBreaks::storedLength(QStringLiteral("ab\ncd")), 6);
}

void TestComposer::topicHoldsSixtyCharacters() {
    ComposerTopicEdit* topic = f.window->txtTopic;
    topic->setFocus();
    QTest::keyClicks(topic, QString(70, QLatin1Char('x')));
    QCOMPARE(topic->text().size(), 60);
    topic->clear();
    QApplication::clipboard()->setText(QString(80, QLatin1Char('y')));
    Run_Command(8);
    QCOMPARE(topic->text(), QString(60, QLatin1Char('y')));
}

void TestComposer::topicRefusesWhatTheFileCannotHold() {
    ComposerTopicEdit* topic = f.window->txtTopic;
    topic->setFocus();
    QTest::keyClicks(topic, QStringLiteral("ab"));
    typeChar(topic, Omega);
    typeChar(topic, Euro);
    typeChar(topic, QString(QChar(0xE4))); // ä
    QCOMPARE(topic->text(), QStringLiteral("ab") + Euro + QChar(0xE4));
    // Pasting through the menu and through the box itself.
    QApplication::clipboard()->setText(QStringLiteral("cd") + Omega);
    Run_Command(8);
    topic->paste();
    QCOMPARE(topic->text(), QStringLiteral("ab") + Euro + QChar(0xE4));
    QApplication::clipboard()->setText(QStringLiteral("cd"));
    topic->paste();
    QCOMPARE(topic->text(), QStringLiteral("ab") + Euro + QChar(0xE4) + QStringLiteral("cd"));
}

void TestComposer::textCountsALineBreakAsTwo() {
    ComposerTextEdit* text = f.window->txtEntry;
    text->setFocus();
    text->setPlainText(QString(3999, QLatin1Char('a')));
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return); // would need two
    QCOMPARE(text->toPlainText().size(), 3999);
    QTest::keyClick(text, Qt::Key_B);
    QCOMPARE(text->toPlainText().size(), 4000);
    QTest::keyClick(text, Qt::Key_C);
    QCOMPARE(text->toPlainText().size(), 4000);
    // Replacing a selection frees its room.
    text->selectAll();
    QTest::keyClick(text, Qt::Key_D);
    QCOMPARE(text->toPlainText(), QStringLiteral("d"));

    text->setPlainText(QString(3998, QLatin1Char('a')));
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(LineBreaks::storedLength(text->toPlainText()), 4000);
}

void TestComposer::textRefusesWhatTheFileCannotHold() {
    ComposerTextEdit* text = f.window->txtEntry;
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("ok"));
    typeChar(text, Omega);
    typeChar(text, Euro);
    QCOMPARE(text->toPlainText(), QStringLiteral("ok") + Euro);
    QApplication::clipboard()->setText(QStringLiteral("x") + Omega);
    text->paste();
    Run_Command(8);
    QCOMPARE(text->toPlainText(), QStringLiteral("ok") + Euro);
    QMimeData dropped;
    dropped.setText(Omega);
    QVERIFY(!text->insertChecked(dropped.text()));
    QCOMPARE(text->toPlainText(), QStringLiteral("ok") + Euro);
}

void TestComposer::pasteIsCutToTheRoomLeft() {
    ComposerTextEdit* text = f.window->txtEntry;
    text->setFocus();
    text->setPlainText(QString(3990, QLatin1Char('a')));
    text->moveCursor(QTextCursor::End);
    QCOMPARE(text->roomForInsert(), 10);
    QApplication::clipboard()->setText(QStringLiteral("12345\r\n67890"));
    text->paste();
    QCOMPARE(text->toPlainText().mid(3990), QStringLiteral("12345\n678"));
    QCOMPARE(LineBreaks::storedLength(text->toPlainText()), 4000);
}

void TestComposer::savedTextMatchesTheEditor() {
    ComposerTextEdit* text = f.window->txtEntry;
    text->setFocus();
    text->setPlainText(QString(3996, QLatin1Char('a')));
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, QStringLiteral("zz"));
    QCOMPARE(LineBreaks::storedLength(text->toPlainText()), 4000);
    f.window->txtTopic->setText(QString(59, QLatin1Char('t')) + Euro);
    Run_Command(2);
    QCOMPARE(PopupSettings::shownForTesting(), QList<PopupKind>{PopupKind::EntrySaved});
    EntryText saved;
    QVERIFY(readEntry(publicDiaryPath, 1, saved).ok());
    QCOMPARE(saved.text, QString(3996, QLatin1Char('a')) + QStringLiteral("\r\nzz")); // nothing cut
    QCOMPARE(saved.topic, QString(59, QLatin1Char('t')) + Euro);
    // The reading view shows it with plain line breaks.
    Run_Command(13);
    QCOMPARE(f.window->txtREADINGEntry->toPlainText(), QString(3996, QLatin1Char('a')) + QStringLiteral("\nzz"));
}

QTEST_MAIN(TestComposer)
#include "tst_composer.moc"
