#include "mApplication.h"

#include "ComposerEdits.h"
#include "DateTimeText.h"
#include "DialogParts.h"
#include "DraftKeeper.h"
#include "EntryCountMemory.h"
#include "EntryDisplay.h"
#include "EntrySearchView.h"
#include "MsgBox.h"
#include "PasswordCheck.h"
#include "Popups.h"
#include "SessionGuard.h"
#include "StorageGlobals.h"
#include "frmChangePassword.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "frmEnterOldPassword.h"
#include "frmEnterPassword.h"
#include "frmMain.h"
#include "frmOpenDiary.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

namespace {

const char* const Source = "mApplication --> Run_Session_Action";

// The selected line of a chooser, or "" when it lists nothing or none is selected.
QString selectedLine(const DiaryChooser* chooser) {
    const int row = chooser->selectedRow();
    return row < 0 ? QString() : chooser->lstExistantDiaries->item(row)->text();
}

// Locks the chooser's diary for its chain before any password is asked. A
// diary that another window holds ends the chain here, after the message; the
// diary open in this window stays open.
bool claimChosenDiary(DiaryChooser* chooser, SessionGuard::Chain chain) {
    SessionGuard* guard = SessionGuard::instance();
    if (!guard || guard->claimChosen(chooser->selectedPath(), chain))
        return true;
    chooser->done(QDialog::Rejected);
    return false;
}

void endChainOnChosenDiary() {
    if (SessionGuard* guard = SessionGuard::instance())
        guard->chainEnded();
}

// Shows the diary just logged in to in the main window: its entry list, the
// Entry Composer with date/time and the next number, owner and title below.
void showOpenedDiary(const QString& path, const QString& owner, const QString& title) {
    Show_Entries(path, 0, 1);
    frmMain* main = frmMain::instance();
    if (!main)
        return;
    // Through the Entry Browser to the Entry Composer; the statistics view is
    // left as it is.
    main->fraEntryBrowser->show();
    main->fraComposer->hide();
    main->fraEntryReading->hide();
    main->lblDialogTitle->setText(QCoreApplication::translate("mApplication", " Entry Browser"));
    main->lblWhichOwner->setText(owner);
    main->lblTitle->setText(title);
    // An encrypted diary's records hold 40 characters less text.
    main->txtEntry->setMaxStoredLength(DiaryCrypto::isEncrypted(publicHeader) ? DiaryCrypto::TextWidth
                                                                              : ComposerTextEdit::MaxStoredLength);
    if (Count_Entries() >= DiaryFormat::MaxEntries)
        return; // a full diary opens in the Entry Browser: the composer refuses it
    main->lblDialogTitle->setText(QCoreApplication::translate("mApplication", " Entry Compose"));
    main->fraEntryBrowser->hide();
    main->fraEntryReading->hide();
    main->fraComposer->show();
    main->lblDateTime->setText(currentDateTimeText());
    main->lblEntryNumber->setText(QString::number(Count_Entries() + 1));
}

// Code 0: check the typed password against the diary chosen in frmOpenDiary
// and open it. One try: frmEnterPassword closes either way.
void logIn() {
    frmOpenDiary* chooser = frmOpenDiary::instance();
    frmEnterPassword* passwordDialog = frmEnterPassword::instance();
    if (!chooser || !passwordDialog || chooser->lstExistantDiaries->count() == 0)
        return;
    const int row = chooser->selectedRow();
    if (row < 0)
        return;
    chooser->lstFilePath->setCurrentRow(row);
    DraftKeeper* keeper = DraftKeeper::instance();
    if (keeper)
        keeper->logInStarting();
    // From here the chosen diary counts as the open one, whatever was open;
    // the key of the diary open before is wiped.
    publicDiaryPath = chooser->lstFilePath->item(row)->text();
    DiaryCrypto::clearOpenKey();
    const QString path = publicDiaryPath;

    StorageStatus status;
    QString owner;
    QString title;
    owner = Read_Header_Field(path, HeaderField::Owner, &status);
    if (status)
        title = Read_Header_Field(path, HeaderField::Title, &status);
    // The one door of the library: the stored password for a plain diary
    // (its header holds the first 50 characters of one), the key derived from
    // the whole passphrase for an encrypted one, off the UI thread.
    DiaryCrypto::KeyPtr key;
    const bool right = status && typedPasswordMatches(path, passwordDialog->txtPassword->text(),
                                                      DiaryCrypto::isEncrypted(publicHeader), &status, &key);
    if (!status) {
        // The chosen file vanished or cannot be read since it was listed, or
        // its header asks for more than the program allows: no diary is left
        // open, as after a refused password.
        publicDiaryPath.clear();
        if (SessionGuard* guard = SessionGuard::instance())
            guard->closed();
        if (keeper)
            keeper->logInFailed();
        passwordDialog->done(QDialog::Rejected);
        showStorageFailure(status, Source);
        return;
    }
    if (right) {
        // Fewer entries than this machine saw last: said before anything of the diary is shown.
        if (const QString fewer = EntryCountMemory::fewerEntriesWarning(publicHeader, countEntriesInFile(path));
            !fewer.isEmpty())
            MsgBox::show(fewer, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, frmMain::instance());
        if (SessionGuard* guard = SessionGuard::instance())
            guard->opened(path);
        DiaryCrypto::setOpenKey(key);
        showOpenedDiary(path, owner, title);
        passwordDialog->done(QDialog::Accepted);
        showPopup(PopupKind::LoginAllowed);
        if (Count_Entries() >= DiaryFormat::MaxEntries)
            Run_Command(11); // the composer says the diary is full and shows the Entry Browser
        // An entry left unsaved in this diary is offered back now.
        if (DraftKeeper* after = DraftKeeper::instance(); after && publicDiaryPath == path)
            after->loggedIn(path);
        // "On this day" and the tags, gathered off the UI thread; the focus stays where it is.
        if (frmMain* main = frmMain::instance(); main && publicDiaryPath == path)
            main->fraEntrySearch->summarizeDiary();
    } else {
        passwordDialog->done(QDialog::Rejected);
        showPopup(PopupKind::AccessDenied);
        publicDiaryPath.clear();
        if (SessionGuard* guard = SessionGuard::instance())
            guard->closed();
        if (keeper)
            keeper->logInFailed();
    }
}

// Code 1: ask for the password of the diary chosen in frmOpenDiary, then
// close the chooser whatever happened.
void chooseDiaryToOpen() {
    QPointer<frmOpenDiary> chooser = frmOpenDiary::instance();
    if (!chooser || chooser->lstExistantDiaries->count() == 0)
        return;
    const QString line = selectedLine(chooser);
    if (line.isEmpty())
        return;
    if (!claimChosenDiary(chooser, SessionGuard::Chain::Open))
        return;
    auto* dialog = new frmEnterPassword(chooser);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->lblDiaryOwner->setText(Get_Tab_Field(line, 1));
    dialog->lblDiaryName->setText(Get_Tab_Field(line, 2));
    dialog->exec();
    endChainOnChosenDiary();
    if (chooser)
        chooser->done(QDialog::Rejected);
}

// Code 2: ask for the password of the diary chosen in frmDeleteDiary; the
// delete chain closes the dialogs itself.
void chooseDiaryToDelete() {
    frmDeleteDiary* chooser = frmDeleteDiary::instance();
    if (!chooser)
        return;
    const QString line = selectedLine(chooser);
    if (line.isEmpty())
        return;
    if (!claimChosenDiary(chooser, SessionGuard::Chain::Delete))
        return;
    auto* dialog = new frmDeleteEnterPassword(chooser);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->lblWhichOwner->setText(Get_Tab_Field(line, 1));
    dialog->lblWhichTitle->setText(Get_Tab_Field(line, 2));
    dialog->exec();
    endChainOnChosenDiary();
}

// Code 4: ask for the old password of the diary chosen in
// frmChangePassword, or close the chooser when it lists nothing.
void chooseDiaryForNewPassword() {
    frmChangePassword* chooser = frmChangePassword::instance();
    if (!chooser)
        return;
    if (chooser->lstExistantDiaries->count() == 0) {
        chooser->done(QDialog::Rejected);
        return;
    }
    const QString line = selectedLine(chooser);
    if (line.isEmpty())
        return;
    if (!claimChosenDiary(chooser, SessionGuard::Chain::Write))
        return;
    auto* dialog = new frmEnterOldPassword(chooser);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->lblWhichTitle->setText(Get_Tab_Field(line, 2));
    dialog->lblWhichOwner->setText(Get_Tab_Field(line, 1));
    dialog->exec();
    endChainOnChosenDiary();
}

} // namespace

void Run_Session_Action(int code) {
    switch (code) {
    case 0:
        logIn();
        break;
    case 1:
        chooseDiaryToOpen();
        break;
    case 2:
        chooseDiaryToDelete();
        break;
    case 4:
        chooseDiaryForNewPassword();
        break;
    default:
        break;
    }
}
