#include "ComposerSpelling.h"

#include "ComposerEdits.h"
#include "Cp1252.h"
#include "DiaryFormat.h"
#include "OpenedDiary.h"
#include "SpellChecker.h"
#include "StorageGlobals.h"
#include "UserSettings.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextBoundaryFinder>

namespace {

constexpr char CheckSpellingKey[] = "spelling/check"; // bool, default true

bool isLetterWord(const QString& text, int start, int length) {
    bool letter = false;
    for (int i = start; i < start + length; ++i) {
        const QChar c = text.at(i);
        if (c.isDigit() || c == QLatin1Char('_'))
            return false;
        letter = letter || c.isLetter();
    }
    return letter;
}

bool isApostrophe(QChar c) {
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

// The time of begin of the open diary, as its header holds it.
QByteArray timeOfBeginOf(const QString& path) {
    DiaryHeader header;
    if (OpenedDiary::headerOf(path, header))
        return header.TimeOfBegin;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(DiaryFormat::TimeOfBeginOffset))
        return {};
    return file.read(DiaryFormat::TimeOfBeginWidth);
}

} // namespace

namespace SpellWords {

QList<Span> words(const QString& text) {
    QList<Span> out;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    int start = 0;
    while (finder.toNextBoundary() >= 0) {
        const int end = finder.position();
        // Quotes around a word are not part of it.
        int from = start;
        int to = end;
        while (from < to && isApostrophe(text.at(from)))
            ++from;
        while (to > from && isApostrophe(text.at(to - 1)))
            --to;
        if (to > from && isLetterWord(text, from, to - from))
            out.append({from, to - from});
        start = end;
    }
    return out;
}

QList<Span> misspelt(const QString& text) {
    QList<Span> out;
    SpellChecker& checker = SpellChecker::instance();
    for (const Span& word : words(text)) {
        if (!checker.isCorrect(text.mid(word.start, word.length)))
            out.append(word);
    }
    return out;
}

Span wordAt(const QString& text, int position) {
    for (const Span& word : words(text)) {
        if (position >= word.start && position <= word.start + word.length)
            return word;
    }
    return {position, 0};
}

QTextCharFormat underline() {
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

} // namespace SpellWords

SpellHighlighter::SpellHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void SpellHighlighter::setActive(bool active) {
    if (active_ == active)
        return;
    active_ = active;
    recheck();
}

void SpellHighlighter::recheck() {
    // New underlines change no text: the composer's textChanged (and so its
    // draft) must not fire for them.
    const QSignalBlocker quiet(document());
    rehighlight();
}

void SpellHighlighter::highlightBlock(const QString& text) {
    if (!active_)
        return;
    const QTextCharFormat format = SpellWords::underline();
    for (const SpellWords::Span& word : SpellWords::misspelt(text))
        setFormat(word.start, word.length, format);
}

ComposerSpelling::ComposerSpelling(QPlainTextEdit* text, QLineEdit* topic, QAction* checkSpelling, QObject* parent)
    : QObject(parent), text_(text), viewport_(text->viewport()), topic_(topic), check_(checkSpelling),
      highlighter_(new SpellHighlighter(text->document())) {
    SpellChecker& checker = SpellChecker::instance();
    check_->setCheckable(true);
    check_->setEnabled(checker.hasDictionaries());
    check_->setChecked(checker.hasDictionaries() && openUserSettings()->value(CheckSpellingKey, true).toBool());
    highlighter_->setActive(check_->isChecked());
    connect(check_, &QAction::toggled, this, [this](bool on) {
        openUserSettings()->setValue(CheckSpellingKey, on);
        setChecking(on);
    });
    connect(&checker, &SpellChecker::wordsChanged, this, &ComposerSpelling::checkAgain);
    connect(topic_, &QLineEdit::textChanged, this, &ComposerSpelling::markTopic);
    for (QObject* watched : {static_cast<QObject*>(text_), static_cast<QObject*>(viewport_),
                             static_cast<QObject*>(topic_)})
        watched->installEventFilter(this);
}

bool ComposerSpelling::isChecking() const {
    return check_->isChecked();
}

QString ComposerSpelling::languageKey(const QString& diaryPath, const QByteArray& timeOfBegin) {
    QString name = QFileInfo(diaryPath).fileName() + QLatin1Char(' ') + QString::fromLatin1(timeOfBegin.trimmed());
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("spelling/languages/") + name;
}

void ComposerSpelling::followOpenDiary() {
    const QString path = publicDiaryPath.trimmed();
    if (path.isEmpty())
        return;
    const QString key = languageKey(path, timeOfBeginOf(path));
    if (key == diaryKey_)
        return;
    diaryKey_ = key;
    SpellChecker& checker = SpellChecker::instance();
    const QString kept = openUserSettings()->value(key).toString();
    checker.setLanguage(checker.hasDictionary(kept) ? kept : checker.defaultLanguage());
}

void ComposerSpelling::chooseLanguage(const QString& tag) {
    followOpenDiary();
    SpellChecker::instance().setLanguage(tag);
    if (!diaryKey_.isEmpty())
        openUserSettings()->setValue(diaryKey_, tag);
}

void ComposerSpelling::setChecking(bool on) {
    highlighter_->setActive(on);
    markTopic();
}

void ComposerSpelling::checkAgain() {
    if (highlighter_->isActive())
        highlighter_->recheck();
    markTopic();
}

// A line edit has no highlighter: its text layout takes formats through an
// input method event that changes no text.
void ComposerSpelling::markTopic() {
    QList<SpellWords::Span> marks;
    if (isChecking())
        marks = SpellWords::misspelt(topic_->text());
    if (marks.isEmpty() && topicMarks_.isEmpty())
        return;
    topicMarks_ = marks;
    QList<QInputMethodEvent::Attribute> attributes;
    const QVariant value = SpellWords::underline(); // held as a QTextFormat
    for (const SpellWords::Span& word : std::as_const(topicMarks_))
        attributes.append({QInputMethodEvent::TextFormat, word.start - topic_->cursorPosition(), word.length, value});
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(topic_, &event);
}

void ComposerSpelling::replaceWord(QWidget* editor, int start, int length, const QString& by) {
    if (editor == topic_) {
        topic_->setSelection(start, length);
        topic_->insert(by);
        return;
    }
    QTextCursor cursor(text_->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    text_->setTextCursor(cursor);
    if (auto* composer = qobject_cast<ComposerTextEdit*>(text_))
        composer->insertChecked(by);
    else
        text_->textCursor().insertText(by);
}

QMenu* ComposerSpelling::buildMenu(QWidget* editor, int position, QWidget* parent) {
    followOpenDiary();
    QMenu* menu = editor == topic_ ? topic_->createStandardContextMenu() : text_->createStandardContextMenu();
    menu->setParent(parent, menu->windowFlags());
    menu->setObjectName(QStringLiteral("mnuSpelling"));
    QAction* standardFirst = menu->actions().value(0);
    SpellChecker& checker = SpellChecker::instance();

    // The word under the position, in the editor's own positions.
    QString text = topic_->text();
    int offset = 0;
    if (editor != topic_) {
        const QTextBlock block = text_->document()->findBlock(position);
        text = block.text();
        offset = block.position();
    }
    const SpellWords::Span word = SpellWords::wordAt(text, position - offset);
    const QString spelt = text.mid(word.start, word.length);
    const bool editable = editor == topic_ ? !topic_->isReadOnly() : !text_->isReadOnly();
    if (isChecking() && editable && word.length > 0 && !checker.isCorrect(spelt)) {
        QList<QAction*> items;
        for (const QString& suggestion : checker.suggestions(spelt, 8)) {
            if (!Cp1252::canStore(suggestion))
                continue; // the diary file could not hold it
            auto* item = new QAction(suggestion, menu);
            item->setObjectName(QStringLiteral("spellSuggestion"));
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            connect(item, &QAction::triggered, this, [this, editor, start = offset + word.start, length = word.length,
                                                      suggestion] { replaceWord(editor, start, length, suggestion); });
            items.append(item);
        }
        if (items.isEmpty()) {
            auto* none = new QAction(tr("No Suggestions"), menu);
            none->setEnabled(false);
            items.append(none);
        }
        auto* add = new QAction(tr("Add to Dictionary"), menu);
        add->setObjectName(QStringLiteral("spellAddToDictionary"));
        connect(add, &QAction::triggered, this, [spelt] { SpellChecker::instance().addToPersonalList(spelt); });
        auto* ignore = new QAction(tr("Ignore All"), menu);
        ignore->setObjectName(QStringLiteral("spellIgnoreAll"));
        connect(ignore, &QAction::triggered, this, [spelt] { SpellChecker::instance().ignoreForSession(spelt); });
        items << add << ignore;
        menu->insertActions(standardFirst, items);
        menu->insertSeparator(standardFirst);
    }

    if (checker.hasDictionaries()) {
        menu->addSeparator();
        QMenu* languages = menu->addMenu(tr("Language"));
        languages->setObjectName(QStringLiteral("mnuSpellingLanguage"));
        auto* group = new QActionGroup(languages);
        for (const SpellChecker::Dictionary& dictionary : checker.dictionaries()) {
            QAction* item = languages->addAction(dictionary.name);
            item->setData(dictionary.tag);
            item->setCheckable(true);
            item->setChecked(dictionary.tag == checker.language());
            group->addAction(item);
            connect(item, &QAction::triggered, this, [this, tag = dictionary.tag] { chooseLanguage(tag); });
        }
    }
    return menu;
}

bool ComposerSpelling::showMenu(QWidget* editor, int position, const QPoint& globalPos, bool fromKeyboard) {
    QPointer<QMenu> menu = buildMenu(editor, position, editor);
    // From the keyboard the first suggestion is ready for Enter.
    const QList<QAction*> items = menu->actions();
    if (fromKeyboard && !items.isEmpty() && items.first()->objectName() == QLatin1String("spellSuggestion"))
        menu->setActiveAction(items.first());
    menu->exec(globalPos);
    delete menu.data();
    return true;
}

bool ComposerSpelling::eventFilter(QObject* watched, QEvent* event) {
    // Only these three events, and before anything is asked of the editors:
    // their children send others while they are being destroyed.
    const QEvent::Type type = event->type();
    if (type != QEvent::FocusIn && type != QEvent::KeyPress && type != QEvent::ContextMenu)
        return false;
    if (watched != text_ && watched != viewport_ && watched != topic_)
        return false;
    if (type == QEvent::FocusIn) {
        followOpenDiary();
        return false;
    }
    QWidget* editor = watched == topic_ ? static_cast<QWidget*>(topic_) : static_cast<QWidget*>(text_);
    const auto cursorPlace = [&] {
        const QRect cursor = editor->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QWidget* surface = editor == text_ ? viewport_ : editor;
        return surface->mapToGlobal(cursor.bottomLeft());
    };
    const auto cursorPosition = [&] {
        return editor == topic_ ? topic_->cursorPosition() : text_->textCursor().position();
    };
    if (type == QEvent::KeyPress && watched != viewport_) {
        // Shift+F10 opens the context menu as the Menu key does.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)
            return showMenu(editor, cursorPosition(), cursorPlace(), true);
        return false;
    }
    const auto* request = static_cast<QContextMenuEvent*>(event);
    if (request->reason() == QContextMenuEvent::Keyboard)
        return showMenu(editor, cursorPosition(), cursorPlace(), true);
    int position = 0;
    if (editor == topic_) {
        position = topic_->cursorPositionAt(request->pos());
    } else {
        const QPoint at = watched == text_ ? viewport_->mapFrom(text_, request->pos()) : request->pos();
        position = text_->cursorForPosition(at).position();
    }
    return showMenu(editor, position, request->globalPos(), false);
}
