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

    const PasswordRows rows =
        addPasswordRows(this, grid, "New Password:", "Confirm Password:", "Store the new password");
    Labe1 = rows.Labe1;
    txtPassword1 = rows.txtPassword1;
    Label1 = rows.Label1;
    txtPassword2 = rows.txtPassword2;
    cmdCancel = rows.cmdCancel;
    cmdPasswordCorrect = rows.cmdPasswordCorrect;

    connect(cmdPasswordCorrect, &QPushButton::clicked, this, &frmEnterNewPassword::cmdPasswordCorrect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, "Enter New Password");
}

frmEnterNewPassword::~frmEnterNewPassword() {
    if (live_ == this)
        live_ = nullptr;
}

frmEnterNewPassword* frmEnterNewPassword::instance() {
    return live_;
}

void frmEnterNewPassword::cmdPasswordCorrect_Click() {
    if (txtPassword2->text() != txtPassword1->text()) {
        MsgBox::show("The Password was not confirmed right!", "Quorvel", MsgBox::Buttons::Ok, this);
        txtPassword1->clear();
        txtPassword2->clear();
        txtPassword1->setFocus();
        return;
    }
    if (const QString odd = DialogParts::unstorableCharacters(txtPassword1->text()); !odd.isEmpty()) {
        MsgBox::show(QString("These characters cannot be stored in a diary: %1\nPlease use other characters.").arg(odd),
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
