#include "frmEnterNewPassword.h"

#include "DialogParts.h"
#include "MsgBox.h"
#include "frmChangePassword.h"
#include "frmEnterOldPassword.h"
#include "mError.h"
#include "mFile.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogParts;

frmEnterNewPassword::frmEnterNewPassword(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmEnterNewPassword");
    QGridLayout* grid = setUpBody(this, " Enter New Password");
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", "New Password:");
    txtPassword1 = makePasswordBox(frame, "txtPassword1");
    Label1 = makeLabel(frame, "Label1", "Confirm Password:");
    txtPassword2 = makePasswordBox(frame, "txtPassword2");
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", "Cancel");
    cmdPasswordCorrect = makePictureButton(frame, "cmdPasswordCorrect", ":/icons/ok.svg", "Store the new password");
    addRow(grid, Labe1, txtPassword1);
    addRow(grid, Label1, txtPassword2);
    addButtonRow(grid, cmdCancel, cmdPasswordCorrect);

    setTabOrder(txtPassword1, txtPassword2);
    setTabOrder(txtPassword2, cmdCancel);
    setTabOrder(cmdCancel, cmdPasswordCorrect);
    cmdPasswordCorrect->setDefault(true);
    txtPassword1->setFocus();
    focusOnActivate(this, txtPassword1);

    connect(cmdPasswordCorrect, &QPushButton::clicked, this, &frmEnterNewPassword::cmdPasswordCorrect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, "Enter New Password");
}

frmEnterNewPassword::~frmEnterNewPassword() {
    if (live_ == this)
        live_ = nullptr;
}

frmEnterNewPassword* frmEnterNewPassword::instance() { return live_; }

void frmEnterNewPassword::cmdPasswordCorrect_Click() {
    if (txtPassword2->text() != txtPassword1->text()) {
        MsgBox::show("The Password was not confirmed right!", "Quorvel", MsgBox::Buttons::Ok, this);
        txtPassword1->clear();
        txtPassword2->clear();
        txtPassword1->setFocus();
        return;
    }
    if (const QString odd = DialogParts::unstorableCharacters(txtPassword1->text()); !odd.isEmpty()) {
        MsgBox::show(QString("These characters cannot be stored in a diary: %1\nPlease use other characters.")
                         .arg(odd),
                     "Quorvel", MsgBox::Buttons::Ok, this);
        return;
    }
    frmChangePassword* chooser = frmChangePassword::instance();
    if (!chooser)
        return;
    const StorageStatus written = Write_New_Password(chooser->selectedPath(), txtPassword1->text());
    if (!written)
        Show_Error(written, "frmEnterNewPassword --> cmdPasswordCorrect_Click");
    done(written ? QDialog::Accepted : QDialog::Rejected);
    if (frmEnterOldPassword* old = frmEnterOldPassword::instance())
        old->done(QDialog::Rejected);
    if (frmChangePassword* stillThere = frmChangePassword::instance())
        stillThere->done(QDialog::Rejected);
}
