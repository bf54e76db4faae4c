#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

// Line breaks: stored texts use CR LF, the editors show plain line breaks.
namespace LineBreaks {
QString toStored(const QString& editorText);
QString toEditor(const QString& storedText);
// Length of an editor text once stored (a line break counts as two).
int storedLength(const QString& editorText);
} // namespace LineBreaks

// The composer's topic box: at most 60 characters, every one of them one the
// diary file can hold (Windows-1252); anything else is refused with a beep.
class ComposerTopicEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int MaxLength = 60;
    explicit ComposerTopicEdit(QWidget* parent = nullptr);
};

// The composer's text box: at most 4000 characters as stored (3960 in an
// encrypted diary, whose records hold the rest of the cipher), where a line
// break counts as two (CR LF), so nothing typed is cut when it is saved.
// Characters the diary file cannot hold are refused at typing and at paste.
class ComposerTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int MaxStoredLength = 4000;
    explicit ComposerTextEdit(QWidget* parent = nullptr);

    // The limit of the diary that is open; text already there is not cut.
    void setMaxStoredLength(int length) { maxStoredLength_ = length; }
    int maxStoredLength() const { return maxStoredLength_; }

    // Replaces the selection by text, within the limits. Returns false (after
    // a beep) when something was refused or cut.
    bool insertChecked(const QString& text);
    // Room left for typing when the selection is replaced.
    int roomForInsert() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int maxStoredLength_ = MaxStoredLength;
};
