#include "PasswordTwiceDialog.h"

#include "BusyWork.h"
#include "DialogParts.h"
#include "MsgBox.h"
#include "PasswordRules.h"
#include "Popups.h"
#include "WalkPacer.h"
#include "frmAreYouShure.h"
#include "frmChangePassword.h"
#include "frmDeleteDiary.h"
#include "frmEnterNewPassword.h"
#include "frmEnterOldPassword.h"
#include "frmMain.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace DialogParts;

namespace {

struct Design {
    const char* objectName;
    const char* titleStrip;
    const char* firstCaption;
    const char* confirmCaption;
    const char* confirmToolTip;
    const char* windowCaption;
    bool showsDiary;
};

const Design& designOf(PasswordTwiceDialog::Use use) {
    static const Design designs[] = {
        {"frmDeleteEnterPassword", QT_TRANSLATE_NOOP("PasswordTwiceDialog", " Enter Password"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Enter Password:"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Confrim Password:"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Check the password"),
         QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Enter password to delete diary"), true},
        {"frmEnterOldPassword", QT_TRANSLATE_NOOP("PasswordTwiceDialog", " Enter Old Password"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Old Password:"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Confirm Password:"),
         QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Check the old password"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Enter Old Password"), true},
        {"frmEnterNewPassword", QT_TRANSLATE_NOOP("PasswordTwiceDialog", " Enter New Password"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "New Password:"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Confirm Password:"),
         QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Store the new password"), QT_TRANSLATE_NOOP("PasswordTwiceDialog", "Enter New Password"), false},
    };
    return designs[static_cast<int>(use)];
}

} // namespace

PasswordTwiceDialog::PasswordTwiceDialog(Use use, QWidget* parent) : QDialog(parent), use_(use) {
    live_[static_cast<int>(use)] = this;
    const Design& design = designOf(use);
    setObjectName(design.objectName);
    QGridLayout* grid = setUpBody(this, tr(design.titleStrip));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    if (design.showsDiary) {
        QWidget* frame = grid->parentWidget();
        Label3 = makeLabel(frame, "Label3", tr("Diary Title:"));
        lblWhichTitle = makeValueLabel(frame, "lblWhichTitle");
        Label2 = makeLabel(frame, "Label2", tr("Diary Owner:"));
        lblWhichOwner = makeValueLabel(frame, "lblWhichOwner");
        addRow(grid, Label3, lblWhichTitle);
        addRow(grid, Label2, lblWhichOwner);
    }
    const PasswordRows rows =
        addPasswordRows(this, grid, tr(design.firstCaption), tr(design.confirmCaption), tr(design.confirmToolTip));
    Labe1 = rows.Labe1;
    txtPassword1 = rows.txtPassword1;
    Label1 = rows.Label1;
    txtPassword2 = rows.txtPassword2;
    cmdCancel = rows.cmdCancel;
    cmdPasswordCorrect = rows.cmdPasswordCorrect;

    connect(cmdPasswordCorrect, &QPushButton::clicked, this, &PasswordTwiceDialog::cmdPasswordCorrect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &PasswordTwiceDialog::reject);
    setUpWindow(this, tr(design.windowCaption));
}

PasswordTwiceDialog::~PasswordTwiceDialog() {
    if (live_[static_cast<int>(use_)] == this)
        live_[static_cast<int>(use_)] = nullptr;
}

PasswordTwiceDialog* PasswordTwiceDialog::live(Use use) {
    return live_[static_cast<int>(use)];
}

void PasswordTwiceDialog::reject() {
    QDialog::reject();
    if (use_ == Use::DeleteDiary)
        if (frmDeleteDiary* chooser = frmDeleteDiary::instance())
            chooser->done(QDialog::Rejected);
}

bool PasswordTwiceDialog::confirmationDiffers() {
    if (txtPassword2->text() == txtPassword1->text())
        return false;
    if (use_ == Use::OldPassword) {
        MsgBox::show(tr("Please confirm the password correctly!"), "Quorvel", MsgBox::Buttons::Ok, this);
        return true;
    }
    MsgBox::show(tr("The Password was not confirmed right!"), "Quorvel", MsgBox::Buttons::Ok, this);
    txtPassword1->clear();
    txtPassword2->clear();
    txtPassword1->setFocus();
    return true;
}

void PasswordTwiceDialog::cmdPasswordCorrect_Click() {
    if (confirmationDiffers())
        return;
    switch (use_) {
    case Use::DeleteDiary:
        checkDeletePassword();
        break;
    case Use::OldPassword:
        checkOldPassword();
        break;
    case Use::NewPassword:
        storeNewPassword();
        break;
    }
}

void PasswordTwiceDialog::checkDeletePassword() {
    frmDeleteDiary* chooser = frmDeleteDiary::instance();
    if (!chooser || chooser->selectedPath().isEmpty())
        return;
    StorageStatus status;
    // The typed text is compared as typed: a blank around it counts. The key
    // of an encrypted diary is derived only to check it and wiped at once.
    const QString path = chooser->selectedPath();
    const QString typed = txtPassword1->text();
    bool right = false;
    runWhileBusy(tr("Checking the password ..."), [&] { right = passwordMatches(path, typed, &status); });
    if (!status) {
        // The diary vanished or cannot be read since it was listed: nothing
        // is left to delete; the chain ends.
        showStorageFailure(status, "frmDeleteEnterPassword --> cmdPasswordCorrect_Click");
        reject();
        return;
    }
    if (right) {
        auto* confirm = new frmAreYouShure(this);
        confirm->setAttribute(Qt::WA_DeleteOnClose);
        confirm->exec();
    } else {
        showPopup(PopupKind::AccessDenied);
    }
}

void PasswordTwiceDialog::endChangeChain() {
    done(QDialog::Rejected);
    if (frmChangePassword* chooser = frmChangePassword::instance())
        chooser->done(QDialog::Rejected);
}

void PasswordTwiceDialog::checkOldPassword() {
    frmChangePassword* chooser = frmChangePassword::instance();
    if (!chooser || chooser->lblWhichFile->text().isEmpty())
        return;
    StorageStatus status;
    // The typed text is compared as typed: a blank around it counts.
    const QString path = chooser->lblWhichFile->text();
    const QString typed = txtPassword1->text();
    bool right = false;
    DiaryCrypto::KeyPtr proven;
    runWhileBusy(tr("Checking the password ..."), [&] { right = passwordMatches(path, typed, &status, &proven); });
    provenKey_ = proven;
    if (!status) {
        showStorageFailure(status, "frmEnterOldPassword --> cmdPasswordCorrect_Click");
        endChangeChain();
        return;
    }
    if (right) {
        auto* next = new frmEnterNewPassword(this);
        next->setAttribute(Qt::WA_DeleteOnClose);
        next->exec();
        return;
    }
    done(QDialog::Rejected);
    showPopup(PopupKind::AccessDenied);
    if (frmChangePassword* stillThere = frmChangePassword::instance())
        stillThere->done(QDialog::Rejected);
}

void PasswordTwiceDialog::storeNewPassword() {
    if (const QString odd = DialogParts::unstorableCharacters(txtPassword1->text()); !odd.isEmpty()) {
        MsgBox::show(tr("These characters cannot be stored in a diary: %1\nPlease use other characters.").arg(odd),
                     "Quorvel", MsgBox::Buttons::Ok, this);
        return;
    }
    frmChangePassword* chooser = frmChangePassword::instance();
    if (!chooser)
        return;
    PasswordTwiceDialog* old = live(Use::OldPassword);
    const DiaryCrypto::KeyPtr oldKey = old ? old->provenKey() : DiaryCrypto::KeyPtr();
    // Never empty, never cut: an encrypted diary takes a passphrase, a plain
    // one what its header holds.
    const QString typed = trimBlanks(txtPassword1->text());
    if (typed.isEmpty()) {
        MsgBox::show(tr("Please enter a password!"), "Quorvel", MsgBox::Buttons::Ok, this);
        return;
    }
    if (const QString refusal = PasswordRules::refusal(typed, oldKey != nullptr); !refusal.isEmpty()) {
        MsgBox::show(refusal, "Quorvel", MsgBox::Buttons::Ok, this);
        return;
    }
    DiaryCrypto::KeyPtr newKey;
    if (oldKey)
        runWhileBusy(tr("Making the new key ..."), [&] { newKey = keyForNewPassword(typed, oldKey); });
    // An encrypted diary is sealed anew record by record, on the progress bar.
    QProgressBar* bar = frmMain::instance() ? frmMain::instance()->pgbProgressBottom : nullptr;
    WalkPacer pacer(true);
    const StorageStatus written =
        Write_New_Password(chooser->selectedPath(), txtPassword1->text(), oldKey,
                           [&](qint32 done, qint32 total) {
                               if (bar) {
                                   bar->setRange(0, total);
                                   bar->setVisible(true);
                               }
                               pacer.progress()(done, total);
                           },
                           newKey);
    if (bar)
        bar->setValue(0);
    if (!written)
        Show_Error(written, "frmEnterNewPassword --> cmdPasswordCorrect_Click");
    done(written ? QDialog::Accepted : QDialog::Rejected);
    if (old)
        old->done(QDialog::Rejected);
    if (frmChangePassword* stillThere = frmChangePassword::instance())
        stillThere->done(QDialog::Rejected);
}
