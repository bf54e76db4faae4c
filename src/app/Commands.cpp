#include "mApplication.h"

#include "ComposerEdits.h"
#include "DateTimeText.h"
#include "DialogLaunch.h"
#include "DraftKeeper.h"
#include "EntryDisplay.h"
#include "EntrySearchView.h"
#include "MsgBox.h"
#include "Popups.h"
#include "SessionGuard.h"
#include "StorageGlobals.h"
#include "frmExport.h"
#include "frmEncryption.h"
#include "frmMain.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <utility>

namespace {

const QString Source = QStringLiteral("mApplication --> Run_Command");

enum class View { Workbench, Composer, Browser, Reading, Statisticals, Search };

// Shows one view: its title, its frame and no other.
void switchView(frmMain* main, View view) {
    const QString titles[] = {QCoreApplication::translate("mApplication", " Diary Workbench"), QCoreApplication::translate("mApplication", " Entry Compose"),
                                     QCoreApplication::translate("mApplication", " Entry Browser"), QCoreApplication::translate("mApplication", " Entry Reading"),
                                     QCoreApplication::translate("mApplication", " Entry Statisticals"),
                            QCoreApplication::translate("mApplication", " Entry Search")};
    main->lblDialogTitle->setText(titles[int(view)]);
    // Entry Reading steps through the search's results only when opened from them.
    main->fraEntrySearch->stopSteppingResults();
    main->fraEntrySearch->setVisible(view == View::Search);
    main->fraComposer->setVisible(view == View::Composer);
    main->fraEntryBrowser->setVisible(view == View::Browser);
    main->fraEntryReading->setVisible(view == View::Reading);
    main->fraStaticticals->setVisible(view == View::Statisticals);
}

// Commands that need an open diary show "NO DIARY OPEN" instead.
bool diaryOpenOrTell() {
    if (isDiaryOpen())
        return true;
    showPopup(PopupKind::NoDiaryOpen);
    return false;
}

void selectNone(QButtonGroup* group) {
    const QList<QAbstractButton*> options = group->buttons();
    group->button(int(options.size()) - 1)->setChecked(true);
}

int checkedIndex(QButtonGroup* group) {
    int rating = 0;
    for (int i = 0; i < 4; ++i)
        if (group->button(i) && group->button(i)->isChecked())
            rating = i;
    return rating;
}

// A save runs to its end before any other command: a command that arrives
// while the save lets events run (a key waiting in the queue, a nested
// dialog) waits until the save is over, so it can neither change what the
// save stores nor close the diary under it.
bool saveRunning = false;
QList<int> commandsWaiting;

class SaveRunning {
public:
    SaveRunning() { saveRunning = true; }
    ~SaveRunning() {
        saveRunning = false;
        for (const int code : std::exchange(commandsWaiting, {}))
            QMetaObject::invokeMethod(qApp, [code] { Run_Command(code); }, Qt::QueuedConnection);
    }
    SaveRunning(const SaveRunning&) = delete;
    SaveRunning& operator=(const SaveRunning&) = delete;
};

void showBrowser(frmMain* main) {
    if (!diaryOpenOrTell())
        return;
    switchView(main, View::Browser);
    Show_Entries(publicDiaryPath, 1, 1);
}

// A full diary takes no more entries: the margin message, then the Entry Browser.
void refuseAtMargin(frmMain* main) {
    MsgBox::show(QCoreApplication::translate("mApplication", "You have reached the margin of 30000 entries!"), QStringLiteral("Quorvel"),
                 MsgBox::Buttons::Ok);
    showBrowser(main);
}

void saveEntry(frmMain* main) {
    const SaveRunning running;
    if (!diaryOpenOrTell())
        return;
    if (main->fraComposer->isHidden())
        return; // saving works only from the composer
    // The whole composer is taken before any event can run.
    const QString dateTime = trimBlanks(main->lblDateTime->text());
    const QString topic = trimBlanks(main->txtTopic->text());
    const QString text = trimBlanks(LineBreaks::toStored(main->txtEntry->toPlainText()));
    const auto wellness = qint16(checkedIndex(main->optWellness));
    const auto love = qint16(checkedIndex(main->optLove));
    if (Count_Entries() >= DiaryFormat::MaxEntries) {
        refuseAtMargin(main); // the composer and its draft stay as they are
        return;
    }
    if (SessionGuard* guard = SessionGuard::instance(); guard && guard->refuseWriting())
        return; // a diary open for reading only: the composer stays as it is
    // Typing waits too: what is typed now belongs to the next entry.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    const StorageStatus saved = Save_Entry(dateTime, topic, text, wellness, love);
    if (!saved.ok()) {
        // Nothing was stored: say so and leave the composer as it is.
        Show_Error(saved, Source);
        return;
    }

    main->lblDateTime->setText(QString());
    main->txtTopic->setText(QString());
    main->txtEntry->setPlainText(QString());
    selectNone(main->optWellness);
    selectNone(main->optLove);
    // The entry is on disk for good: its draft is no longer needed.
    if (main->draftKeeper)
        main->draftKeeper->entrySaved();

    switchView(main, View::Browser);
    Show_Entries(publicDiaryPath, 0, 1);
    showPopup(PopupKind::EntrySaved);
}

void showComposer(frmMain* main) {
    const qint32 count = Count_Entries();
    if (count >= DiaryFormat::MaxEntries) {
        refuseAtMargin(main);
        return;
    }
    if (!diaryOpenOrTell())
        return;
    switchView(main, View::Composer);
    main->lblDateTime->setText(currentDateTimeText());
    main->lblEntryNumber->setText(QString::number(count + 1));
    main->txtTopic->setFocus();
}

void showReading(frmMain* main) {
    if (!diaryOpenOrTell())
        return;
    switchView(main, View::Reading);
    Show_Entries(publicDiaryPath, 1, 2);
}

void showStatisticals(frmMain* main) {
    if (!diaryOpenOrTell())
        return;
    Show_Statistics();
    switchView(main, View::Statisticals);
}

void showSearch(frmMain* main) {
    if (!diaryOpenOrTell())
        return;
    switchView(main, View::Search);
    main->fraEntrySearch->viewShown();
}

void closeDiary(frmMain* main) {
    if (!diaryOpenOrTell())
        return;
    const QString closed = publicDiaryPath;
    publicDiaryPath.clear();
    if (SessionGuard* guard = SessionGuard::instance())
        guard->closed();
    DiaryCrypto::clearOpenKey();
    main->lblWhichOwner->setText(QString());
    main->lblTitle->setText(QString());
    main->fraComposer->hide();
    main->fraEntryBrowser->hide();
    main->fraEntryReading->hide();
    main->fraStaticticals->hide();
    main->txtEntry->setPlainText(QString());
    main->txtTopic->setText(QString());
    if (main->draftKeeper)
        main->draftKeeper->diaryClosed(closed);
}

// File > Export: the open diary, else the one chosen and logged in to as
// by Open Diary.
void exportDiary() {
    if (!isDiaryOpen())
        Show_frmOpenDiary();
    if (isDiaryOpen())
        Show_frmExport();
}

// --- editing on the focused control -------------------------------------

// The selected text of the control, and whether it has such a property.
bool selectedTextOf(QWidget* control, QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        text = line->selectedText();
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        text = plain->textCursor().selection().toPlainText();
        return true;
    }
    if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        text = rich->textCursor().selection().toPlainText();
        return true;
    }
    return false;
}

// Replaces the control's selection by text (the composer's limits apply).
void replaceSelection(QWidget* control, const QString& text) {
    if (auto* topic = qobject_cast<QLineEdit*>(control)) {
        if (!topic->isReadOnly())
            topic->insert(text);
    } else if (auto* composer = qobject_cast<ComposerTextEdit*>(control)) {
        composer->insertChecked(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        if (!plain->isReadOnly())
            plain->textCursor().insertText(LineBreaks::toEditor(text));
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        if (!rich->isReadOnly())
            rich->textCursor().insertText(text);
    }
}

// Cut, paste and delete leave the reading view's controls alone.
bool isReadingControl(QWidget* control) {
    return control && control->objectName().contains(QLatin1String("READING"));
}

void editFocused(int code) {
    QWidget* control = QApplication::focusWidget();
    if (code != 7 && isReadingControl(control))
        return;
    QClipboard* clipboard = QApplication::clipboard();
    QString selected;
    const bool hasSelection = control && selectedTextOf(control, selected);
    switch (code) {
    case 6: // Cut
        clipboard->clear();
        if (hasSelection) {
            clipboard->setText(selected);
            replaceSelection(control, QString());
        }
        break;
    case 7: // Copy
        clipboard->clear();
        if (hasSelection)
            clipboard->setText(selected);
        break;
    case 8: // Paste
        if (hasSelection)
            replaceSelection(control, clipboard->text());
        break;
    case 17: // Delete
        if (hasSelection && !selected.isEmpty())
            replaceSelection(control, QString());
        break;
    default:
        break;
    }
}

} // namespace

void Run_Command(int code) {
    frmMain* main = frmMain::instance();
    if (!main)
        return;
    if (saveRunning) {
        commandsWaiting.append(code);
        return;
    }
    switch (code) {
    case 0:
        Show_frmNewDiary();
        break;
    case 1:
        Show_frmOpenDiary();
        break;
    case 2:
        saveEntry(main);
        break;
    case 3:
        main->close(); // asks the quit question
        break;
    case 6:
    case 7:
    case 8:
    case 17:
        editFocused(code);
        break;
    case 9:
        if (diaryOpenOrTell())
            Show_frmFindPhrase();
        break;
    case 10:
        switchView(main, View::Workbench);
        break;
    case 11:
        showComposer(main);
        break;
    case 12:
        showBrowser(main);
        break;
    case 13:
        showReading(main);
        break;
    case 14:
    case 15:
        Show_frmInfo(main);
        break;
    case 16:
        closeDiary(main);
        break;
    case 18:
        Show_frmDeleteDiary();
        break;
    case 19:
        showStatisticals(main);
        break;
    case 20:
        Show_frmChangePassword();
        break;
    case 21:
        showSearch(main);
        break;
    case 22:
        exportDiary();
        break;
    case 23:
        Show_frmImport();
        break;
    case 24:
        if (diaryOpenOrTell())
            Show_frmEncryption();
        break;
    case 25:
        Show_frmPreferences();
        break;
    default:
        break; // 4, 5 and anything outside 0..21
    }
}
