#include "EntryDisplay.h"

#include "ComposerEdits.h"
#include "DialogLaunch.h"
#include "DiaryWalks.h"
#include "StorageGlobals.h"
#include "WalkPacer.h"
#include "frmFindPhrase.h"
#include "frmMain.h"
#include "mFile.h"

#include <QCoreApplication>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>

namespace {

// Selects the hit in txtREADINGEntry. The hit's position counts in the stored
// text, where a line break is CR LF; the editor holds one character per line
// break, so the place is carried over through the same conversion.
void selectHit(QPlainTextEdit* editor, const QString& stored, qint32 position, qsizetype length) {
    const auto start = static_cast<int>(LineBreaks::toEditor(stored.left(position)).size());
    const auto selected = static_cast<int>(LineBreaks::toEditor(stored.mid(position, length)).size());
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + selected, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
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
        // The next search starts again at entry 1; the dialog stays open.
        publicLastFoundEntry = 0;
        QCoreApplication::processEvents();
        finish();
        return;
    }

    publicLastFoundEntry = hit.entry;
    EntryText entry;
    if (!frmMain::instance() || !readEntry(path, hit.entry, entry).ok()) {
        finish();
        return;
    }
    Fill_Reading_Controls(QString::number(hit.entry), entry); // no leading blank here
    frmMain* main = frmMain::instance();
    main->fraComposer->hide();
    main->fraEntryBrowser->hide();
    main->fraEntryReading->show();

    if (dialog)
        dialog->accept();
    QCoreApplication::processEvents();

    if ((main = frmMain::instance())) {
        selectHit(main->txtREADINGEntry, entry.text, hit.position, phrase.size());
        main->txtREADINGEntry->setFocus(Qt::OtherFocusReason);
    }
    finish();
}
