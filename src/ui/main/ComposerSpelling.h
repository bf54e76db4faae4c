#pragma once

#include <QList>
#include <QObject>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

// The words of a text as the checker sees them.
namespace SpellWords {
struct Span {
    int start = 0;
    int length = 0;
};
// Words are runs of letters (with apostrophes inside, "don't"); words with
// digits in them are not checked.
QList<Span> words(const QString& text);
QList<Span> misspelt(const QString& text);
// The word at position (also just behind it), or a zero-length span.
Span wordAt(const QString& text, int position);
// The desktop's wavy red underline.
QTextCharFormat underline();
} // namespace SpellWords

// Underlines the misspelt words of a document, one changed paragraph at a time.
class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SpellHighlighter(QTextDocument* document);
    void setActive(bool active);
    bool isActive() const { return active_; }
    // Checks every paragraph again (another language, a word added).
    void recheck();

protected:
    void highlightBlock(const QString& text) override;

private:
    bool active_ = false;
};

// Spell checking in the Entry Composer, topic and text: the underlines, the
// context menu with suggestions and the language, the language remembered
// per diary (in the user's settings, never in the diary) and Edit › Check
// Spelling.
class ComposerSpelling : public QObject {
    Q_OBJECT
public:
    ComposerSpelling(QPlainTextEdit* text, QLineEdit* topic, QAction* checkSpelling, QObject* parent);

    // The open diary may have changed: check in the language kept for it.
    void followOpenDiary();
    bool isChecking() const;
    // The context menu for the word at position in editor (txtEntry: a
    // position in its document; txtTopic: in its text). The caller owns it.
    QMenu* buildMenu(QWidget* editor, int position, QWidget* parent);
    // The misspelt words underlined in the topic.
    const QList<SpellWords::Span>& topicMarks() const { return topicMarks_; }

    // The settings key of a diary's language: its file name and time of begin.
    static QString languageKey(const QString& diaryPath, const QByteArray& timeOfBegin);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setChecking(bool on);
    void checkAgain();
    void markTopic();
    void chooseLanguage(const QString& tag);
    void replaceWord(QWidget* editor, int start, int length, const QString& by);
    bool showMenu(QWidget* editor, int position, const QPoint& globalPos, bool fromKeyboard);

    QPlainTextEdit* text_;
    QWidget* viewport_;
    QLineEdit* topic_;
    QAction* check_;
    SpellHighlighter* highlighter_;
    QString diaryKey_;
    QList<SpellWords::Span> topicMarks_;
};
