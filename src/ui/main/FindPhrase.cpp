#include "EntryDisplay.h"

#include "DialogLaunch.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "WalkPacer.h"
#include "frmFindPhrase.h"
#include "frmMain.h"
#include "mFile.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>

namespace {

// The editor shows stored CR LF line breaks as plain ones.
QString editorText(const QString& stored) {
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// Cursor positions a text takes in the editor: a line break (CR LF, CR or LF,
// as the editor reads them) is one position.
int editorLength(const QString& text) {
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        ++length;
    }
    return length;
}

// Checks the button of the stored rating; a rating outside 0..3 (only a
// damaged file holds one) leaves every button of the group unchecked.
void showRating(QButtonGroup* group, qint16 rating) {
    if (QAbstractButton* button = group->button(rating)) {
        button->setChecked(true);
        return;
    }
    const bool exclusive = group->exclusive();
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(exclusive);
}

// The hit in the reading controls; the number stands without a leading blank.
void showHit(frmMain* main, qint32 entry, const EntryText& text) {
    main->lblREADINGDateTime->setText(text.dateTime);
    main->lblREADINGEntryNumber->setText(QString::number(entry));
    main->txtREADINGTopic->setText(text.topic);
    main->txtREADINGEntry->setPlainText(editorText(text.text));
    showRating(main->optREADINGWellness, text.wellness);
    showRating(main->optREADINGLove, text.love);
}

} // namespace

void Find_Phrase(const QString& path, const QString& phrase, qint32 startEntry) {
    // Events run during the walk: a second search must not start inside it.
    static bool running = false;
    if (running)
        return;
    running = true;
    // The dialog that asked, if any: when it is cancelled while the walk lets
    // events run, the search is dropped and the position kept.
    const QPointer<frmFindPhrase> dialog = frmFindPhrase::instance();
    const bool askedByDialog = !dialog.isNull();
    const auto finish = [] {
        Set_OpenDiary_Busy(false);
        running = false;
    };

    Set_OpenDiary_Busy(true);
    const qint32 count = countEntriesInFile(path);
    QCoreApplication::processEvents();
    if (count < 1) {
        finish();
        return;
    }

    WalkPacer pacer(false);
    const PhraseHit hit = findPhraseInFile(path, phrase, startEntry, pacer.progress());
    if (askedByDialog && (dialog.isNull() || !dialog->isVisible())) {
        finish();
        return;
    }
    if (!hit.found()) {
        publicLastFoundEntry = 0;
        QCoreApplication::processEvents();
        finish();
        return;
    }

    publicLastFoundEntry = hit.entry;
    EntryText text;
    frmMain* main = frmMain::instance();
    if (!main || !readEntry(path, hit.entry, text).ok()) {
        finish();
        return;
    }
    showHit(main, hit.entry, text);
    main->fraComposer->hide();
    main->fraEntryBrowser->hide();
    main->fraEntryReading->show();

    if (dialog)
        dialog->accept();
    QCoreApplication::processEvents();

    main = frmMain::instance();
    if (main) {
        // The hit's place in the stored text, carried over to the editor,
        // whatever line breaks stand before it.
        const int start = editorLength(editorText(text.text.left(hit.position)));
        const int length = editorLength(editorText(text.text.mid(hit.position, phrase.size())));
        QTextCursor cursor = main->txtREADINGEntry->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        main->txtREADINGEntry->setTextCursor(cursor);
        main->txtREADINGEntry->setFocus(Qt::OtherFocusReason);
    }
    finish();
}
