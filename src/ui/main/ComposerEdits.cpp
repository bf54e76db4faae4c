#include "ComposerEdits.h"

#include "StorableTextValidator.h"

#include "Cp1252.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QValidator>

namespace LineBreaks {

QString toStored(const QString& editorText) {
    QString text = toEditor(editorText);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

QString toEditor(const QString& storedText) {
    QString text = storedText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

int storedLength(const QString& editorText) {
    const QString text = toEditor(editorText);
    return int(text.size() + text.count(QLatin1Char('\n')));
}

} // namespace LineBreaks

ComposerTopicEdit::ComposerTopicEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(MaxLength);
    setValidator(new StorableTextValidator(this));
}

ComposerTextEdit::ComposerTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

int ComposerTextEdit::roomForInsert() const {
    const int used = LineBreaks::storedLength(toPlainText());
    const int selected = LineBreaks::storedLength(textCursor().selection().toPlainText());
    return maxStoredLength_ - (used - selected);
}

bool ComposerTextEdit::insertChecked(const QString& text) {
    QString insert = LineBreaks::toEditor(text);
    if (!Cp1252::canStore(insert)) {
        QApplication::beep();
        return false;
    }
    bool complete = true;
    int room = roomForInsert();
    if (LineBreaks::storedLength(insert) > room) {
        // Keep what fits, never half a line break.
        int keep = 0;
        for (const QChar c : insert) {
            const int need = c == QLatin1Char('\n') ? 2 : 1;
            if (need > room)
                break;
            room -= need;
            ++keep;
        }
        insert.truncate(keep);
        complete = false;
        QApplication::beep();
    }
    if (!insert.isEmpty() || textCursor().hasSelection()) {
        textCursor().insertText(insert);
        ensureCursorVisible();
    }
    return complete;
}

void ComposerTextEdit::keyPressEvent(QKeyEvent* event) {
    QString typed;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & Qt::ControlModifier))
        typed = QStringLiteral("\n");
    else if (!event->text().isEmpty() && event->text().at(0).isPrint())
        typed = event->text();
    if (!typed.isEmpty() && !isReadOnly()) {
        if (!Cp1252::canStore(typed) || LineBreaks::storedLength(typed) > roomForInsert()) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ComposerTextEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (!commit.isEmpty() && (!Cp1252::canStore(commit) || LineBreaks::storedLength(commit) > roomForInsert())) {
        QApplication::beep();
        QInputMethodEvent dropped(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&dropped);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void ComposerTextEdit::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText())
        insertChecked(source->text());
}
