#include "MainWindowFixture.h"

#include "ComposerEdits.h"
#include "ComposerSpelling.h"
#include "SpellChecker.h"
#include "UserSettings.h"
#include "frmInfo.h"
#include "mApplication.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextBlock>
#include <QTextLayout>

// Spell checking in the Entry Composer, against the system's dictionaries
// (hunspell-en-us and hunspell-de-de), with the personal word lists and the
// settings in a temporary home.
class TestSpelling : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::TempHome> home;
    MainWindowFixture f;

    // The words of the composer's text that carry the spell-check underline.
    QStringList underlined() const {
        QStringList out;
        for (QTextBlock block = f.window->txtEntry->document()->begin(); block.isValid(); block = block.next()) {
            for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
                if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                    out.append(block.text().mid(range.start, range.length));
            }
        }
        return out;
    }
    // Builds the context menu for the word at position and triggers the
    // item found by pick.
    void pickFromMenu(int position, const std::function<QAction*(QMenu*)>& pick) {
        std::unique_ptr<QMenu> menu(f.window->spelling->buildMenu(f.window->txtEntry, position, f.window.get()));
        QAction* item = pick(menu.get());
        QVERIFY(item);
        item->trigger();
    }
    void chooseLanguage(const QString& tag) {
        pickFromMenu(0, [tag](QMenu* menu) -> QAction* {
            auto* languages = menu->findChild<QMenu*>(QStringLiteral("mnuSpellingLanguage"));
            for (QAction* item : languages ? languages->actions() : QList<QAction*>())
                if (item->data().toString() == tag)
                    return item;
            return nullptr;
        });
    }
    void typeIntoComposer(const QString& text) {
        f.window->txtEntry->setFocus();
        QTest::keyClicks(f.window->txtEntry, text);
    }

private slots:
    void init() {
        home = std::make_unique<TestSupport::TempHome>();
        f.start();
        f.openDiary(0);
        Run_Command(11);
    }
    void cleanup() {
        f.stop();
        SpellChecker::setDictionariesHiddenForTesting(false);
        home.reset();
    }

    void misspeltWordIsUnderlinedAndCorrectedFromTheMenu();
    void addedWordIsAcceptedInAnotherDiary();
    void germanWordIsAcceptedAfterTheLanguageSwitch();
    void withoutDictionaryTheComposerWorksAndInfoSaysSo();
};

void TestSpelling::misspeltWordIsUnderlinedAndCorrectedFromTheMenu() {
    chooseLanguage(QStringLiteral("en_US"));
    QVERIFY(f.window->mnuEditCheckSpelling->isChecked());
    typeIntoComposer(QStringLiteral("I wrote in my diarry today"));
    // The dictionary loads on its own thread; the underline follows.
    QTRY_COMPARE(underlined(), QStringList{QStringLiteral("diarry")});

    // Check Spelling off: no underline; on again: back.
    f.window->mnuEditCheckSpelling->trigger();
    QCOMPARE(underlined(), QStringList());
    QCOMPARE(openUserSettings()->value(QStringLiteral("spelling/check")).toBool(), false);
    f.window->mnuEditCheckSpelling->trigger();
    QCOMPARE(underlined(), QStringList{QStringLiteral("diarry")});

    const int inWord = f.window->txtEntry->toPlainText().indexOf(QStringLiteral("diarry")) + 2;
    QString picked;
    pickFromMenu(inWord, [&picked](QMenu* menu) {
        const QList<QAction*> items = menu->actions();
        // Suggestions first, then the word's own items, then the usual menu.
        const auto named = [&](const char* name) {
            return std::find_if(items.begin(), items.end(),
                                [name](QAction* a) { return a->objectName() == QLatin1String(name); }) -
                   items.begin();
        };
        const qsizetype firstStandard = std::find_if(items.begin(), items.end(), [](QAction* a) {
                                            return a->text().contains(QStringLiteral("Copy"));
                                        }) - items.begin();
        if (items.first()->objectName() != QLatin1String("spellSuggestion") ||
            named("spellAddToDictionary") >= named("spellIgnoreAll") || named("spellIgnoreAll") >= firstStandard ||
            firstStandard == items.size() || named("spellAddToDictionary") > 8)
            return static_cast<QAction*>(nullptr);
        picked = items.first()->text();
        return items.first();
    });
    QCOMPARE(picked, QStringLiteral("diary"));
    QCOMPARE(f.window->txtEntry->toPlainText(), QStringLiteral("I wrote in my diary today"));
    QCOMPARE(underlined(), QStringList());

    // From the keyboard: Shift+F10 opens the menu with the first suggestion
    // ready, Enter takes it.
    QTest::keyClicks(f.window->txtEntry, QStringLiteral(" Tuesdy"));
    QString active;
    QTimer::singleShot(200, [&active] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            active = menu->activeAction() ? menu->activeAction()->text() : QString();
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    QTest::keyClick(f.window->txtEntry, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(active, QStringLiteral("Tuesday"));
    QCOMPARE(f.window->txtEntry->toPlainText(), QStringLiteral("I wrote in my diary Tuesday today")); // typed where the correction left the cursor
}

void TestSpelling::addedWordIsAcceptedInAnotherDiary() {
    chooseLanguage(QStringLiteral("en_US"));
    typeIntoComposer(QStringLiteral("Blorptastic day"));
    QTRY_COMPARE(underlined(), QStringList{QStringLiteral("Blorptastic")});
    pickFromMenu(3, [](QMenu* menu) { return menu->findChild<QAction*>(QStringLiteral("spellAddToDictionary")); });
    QCOMPARE(underlined(), QStringList());
    QVERIFY(QFile::exists(home->path() + QStringLiteral("/config/quorvel/words_en_US.dic")));

    // A new run of the program, another diary of the same language.
    f.stop();
    SpellChecker::setDictionariesHiddenForTesting(false); // a fresh checker reads the list anew
    f.start();
    f.openDiary(0);
    Run_Command(11);
    chooseLanguage(QStringLiteral("en_US"));
    typeIntoComposer(QStringLiteral("Blorptastic or Blorptastik"));
    QTRY_COMPARE(underlined(), QStringList{QStringLiteral("Blorptastik")});
}

void TestSpelling::germanWordIsAcceptedAfterTheLanguageSwitch() {
    const QString diary = publicDiaryPath;
    chooseLanguage(QStringLiteral("en_US"));
    typeIntoComposer(QStringLiteral("Mein Tagebuch"));
    QTRY_VERIFY(underlined().contains(QStringLiteral("Tagebuch")));
    int changed = 0;
    connect(f.window->txtEntry, &QPlainTextEdit::textChanged, [&changed] { ++changed; });
    chooseLanguage(QStringLiteral("de_DE"));
    // The topic is checked too; its misspelt word shows the German dictionary is in.
    QTest::keyClicks(f.window->txtTopic, QStringLiteral("Ein Tagebuhc"));
    QTRY_COMPARE(f.window->spelling->topicMarks().size(), 1);
    QCOMPARE(f.window->spelling->topicMarks().first().start, 4);
    QCOMPARE(underlined(), QStringList());
    QCOMPARE(changed, 0); // new underlines are no change of the text (nor of its draft)

    // Remembered for this diary, not for another one.
    const QString other = TestSupport::makeDiary(QStringLiteral("Bo"), QStringLiteral("Tage"), QStringLiteral("pw"));
    publicDiaryPath = other;
    f.window->spelling->followOpenDiary();
    QCOMPARE(SpellChecker::instance().language(), SpellChecker::instance().defaultLanguage());
    chooseLanguage(QStringLiteral("en_US"));
    publicDiaryPath = diary;
    f.window->spelling->followOpenDiary();
    QCOMPARE(SpellChecker::instance().language(), QStringLiteral("de_DE"));
    QFile file(diary);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.readAll().contains("de_DE"));
}

void TestSpelling::withoutDictionaryTheComposerWorksAndInfoSaysSo() {
    f.stop();
    SpellChecker::setDictionariesHiddenForTesting(true);
    f.start();
    f.openDiary(0);
    Run_Command(11);
    QVERIFY(!f.window->mnuEditCheckSpelling->isChecked());
    typeIntoComposer(QStringLiteral("I wrote in my diarry"));
    QCOMPARE(f.window->txtEntry->toPlainText(), QStringLiteral("I wrote in my diarry"));
    QCOMPARE(underlined(), QStringList());
    QString line;
    TestSupport::whenModal<frmInfo>([&line](frmInfo* box) {
        if (box->lblSpelling)
            line = box->lblSpelling->text();
        box->reject();
    });
    Run_Command(15);
    QVERIFY2(line.startsWith(QStringLiteral("Spelling is not checked")), qPrintable(line));
}

QTEST_MAIN(TestSpelling)
#include "tst_spelling.moc"
