// The window's language: under a German locale the main window, its menus and
// every dialog of the chains speak German (no English text left that has a
// translation); under C and en_US nothing is loaded and the texts stay English.

#include "MainWindowFixture.h"

#include "ClickableLabel.h"
#include "ImportOperation.h"
#include "Languages.h"
#include "frmAreYouShure.h"
#include "frmChangePassword.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "frmEnterNewPassword.h"
#include "frmEnterOldPassword.h"
#include "frmEnterPassword.h"
#include "frmFindPhrase.h"
#include "frmInfo.h"
#include "frmNewDiary.h"
#include "frmOpenDiary.h"
#include "mApplication.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <functional>

namespace {

// Source text -> German text, from the repository's translation file.
QHash<QString, QString> germanTexts() {
    QHash<QString, QString> texts;
    QFile file(QStringLiteral(QUORVEL_TS_FILE));
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation"))
            texts.insert(source, xml.readElementText());
    }
    return texts;
}

// Every text a user sees on root and its children: captions, labels, buttons,
// tabs, tool tips, accessible names, menu titles and items.
QStringList shownTexts(QWidget* root) {
    QStringList texts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w->isWindow())
            texts << w->windowTitle();
        texts << w->toolTip() << w->accessibleName();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        if (auto* menu = qobject_cast<QMenu*>(w))
            texts << menu->title();
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
    }
    for (QAction* action : root->findChildren<QAction*>())
        texts << action->text();
    texts.removeAll(QString());
    return texts;
}

// The dialogs of the chains, each made as the program makes it.
void forEachDialog(const std::function<void(QDialog*)>& look) {
    const std::function<QDialog*()> makers[] = {
        [] { return new frmNewDiary; },         [] { return new frmOpenDiary; },
        [] { return new frmEnterPassword; },    [] { return new frmDeleteDiary; },
        [] { return new frmDeleteEnterPassword; }, [] { return new frmAreYouShure; },
        [] { return new frmChangePassword; },   [] { return new frmEnterOldPassword; },
        [] { return new frmEnterNewPassword; }, [] { return new frmFindPhrase; },
        [] { return new frmInfo; },
    };
    for (const auto& make : makers) {
        QDialog* dialog = make();
        look(dialog);
        delete dialog;
    }
}

} // namespace

class TestLanguages : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture.start(false); }
    void cleanup() { fixture.stop(); }

    // Runs first: once German is installed, it stays for the process.
    void englishLocaleLoadsNothing();
    void germanWindowHasNoEnglishLeft();
    void germanImportSummary();

private:
    MainWindowFixture fixture;
};

void TestLanguages::englishLocaleLoadsNothing() {
    // The tests run under LC_ALL=C.UTF-8, the system locale main hands over.
    QCOMPARE(Languages::installFor(QLocale::system()), QString());
    QCOMPARE(Languages::installFor(QLocale(QLocale::English, QLocale::UnitedStates)), QString());
    QCOMPARE(Languages::current(), QString());
    QCOMPARE(fixture.window->findChild<QMenu*>(QStringLiteral("mnuFile"))->title(), QStringLiteral("&File"));
    QCOMPARE(fixture.window->lblLeftMenu[0]->text(), QStringLiteral(" New Diary"));
    // No German text anywhere.
    QHash<QString, QString> german;
    const QHash<QString, QString> texts = germanTexts();
    for (auto it = texts.cbegin(); it != texts.cend(); ++it)
        if (it.value() != it.key())
            german.insert(it.value(), it.key());
    QStringList found;
    for (const QString& text : shownTexts(fixture.window.get()))
        if (german.contains(text))
            found << text;
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral(" | "))));
}

void TestLanguages::germanWindowHasNoEnglishLeft() {
    const QHash<QString, QString> texts = germanTexts();
    QVERIFY(texts.size() > 150);
    // A text is left English when it is a source text whose German differs.
    QSet<QString> english;
    QSet<QString> german;
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (it.value() != it.key()) {
            english.insert(it.key());
            german.insert(it.value());
        }
    }

    QCOMPARE(Languages::installFor(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("de"));
    QCOMPARE(Languages::current(), QStringLiteral("de"));
    fixture.stop();
    fixture.start(false); // the window made after the translators, as main makes it

    QStringList left;
    int germanSeen = 0;
    const auto check = [&](const QString& where, QWidget* root) {
        for (const QString& text : shownTexts(root)) {
            if (english.contains(text))
                left << where + QStringLiteral(": ") + text;
            germanSeen += german.contains(text) ? 1 : 0;
        }
    };
    check(QStringLiteral("frmMain"), fixture.window.get());
    forEachDialog([&](QDialog* dialog) { check(dialog->objectName(), dialog); });
    // The views' captions are set when a view is shown.
    fixture.openDiary(2);
    for (int code : {11, 12, 13, 19, 10}) {
        Run_Command(code);
        check(QStringLiteral("view %1").arg(code), fixture.window->lblDialogTitle);
    }
    // A message box, and Qt's own buttons from qtbase_de.
    Run_Command(3);
    QVERIFY(!MsgBox::shownForTesting().isEmpty());
    QCOMPARE(MsgBox::shownForTesting().last().text, QStringLiteral("Möchten Sie das Programm beenden?"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));

    QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char('\n'))));
    QVERIFY2(germanSeen > 100, qPrintable(QString::number(germanSeen)));
    // The German manual is on F1 in the German window.
    QCOMPARE(fixture.window->mnuHelpHelpManualDeutsch->shortcut(), QKeySequence(Qt::Key_F1));
}

void TestLanguages::germanImportSummary() {
    // The summary comes from the import library, which quorvel-tool prints in
    // English: the German window shows it in German.
    QCOMPARE(Languages::installFor(QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("de"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"tags": {}, "entries": [{"date": "2024-05-01", "time": "09:30", "title": "Walk",
                   "body": "By the river.", "starred": true, "tags": []}]})");
    file.close();
    ImportRequest request;
    request.path = path;
    request.owner = QStringLiteral("Ann");
    request.title = QStringLiteral("Walks");
    request.target = [&](ImportTarget& target) {
        target.folder = dir.path();
        target.password = "pw";
        return true;
    };
    const ImportOutcome done = importDiary(request);
    QCOMPARE(done.kind, ImportOutcome::Created);
    QCOMPARE(done.summary,
             QStringLiteral("1 Eintrag gelesen, 1 geschrieben als 1 Tagebucheintrag (0 in Teile geteilt), "
                            "0 Zeichen markiert; ausgelassen: der Stern (1 Eintrag: ein Tagebucheintrag "
                            "hat keinen)"));
}

QTEST_MAIN(TestLanguages)
#include "tst_languages.moc"
