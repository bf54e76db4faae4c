#include "frmEnterOldPassword.h"

#include "DialogParts.h"
#include "MsgBox.h"
#include "Popups.h"
#include "frmChangePassword.h"
#include "frmEnterNewPassword.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogParts;

frmEnterOldPassword::frmEnterOldPassword(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmEnterOldPassword");
    QGridLayout* grid = setUpBody(this, " Enter Old Password");
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Label3 = makeLabel(frame, "Label3", "Diary Title:");
    lblWhichTitle = makeValueLabel(frame, "lblWhichTitle");
    Label2 = makeLabel(frame, "Label2", "Diary Owner:");
    lblWhichOwner = makeValueLabel(frame, "lblWhichOwner");
    addRow(grid, Label3, lblWhichTitle);
    addRow(grid, Label2, lblWhichOwner);
    const PasswordRows rows =
        addPasswordRows(this, grid, "Old Password:", "Confirm Password:", "Check the old password");
    Labe1 = rows.Labe1;
    txtPassword1 = rows.txtPassword1;
    Label1 = rows.Label1;
    txtPassword2 = rows.txtPassword2;
    cmdCancel = rows.cmdCancel;
    cmdPasswordCorrect = rows.cmdPasswordCorrect;

    connect(cmdPasswordCorrect, &QPushButton::clicked, this, &frmEnterOldPassword::cmdPasswordCorrect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, "Enter Old Password");
}

frmEnterOldPassword::~frmEnterOldPassword() {
    if (live_ == this)
        live_ = nullptr;
}

frmEnterOldPassword* frmEnterOldPassword::instance() {
    return live_;
}

void frmEnterOldPassword::endChain() {
    done(QDialog::Rejected);
    if (frmChangePassword* chooser = frmChangePassword::instance())
        chooser->done(QDialog::Rejected);
}

void frmEnterOldPassword::cmdPasswordCorrect_Click() {
    if (txtPassword2->text() != txtPassword1->text()) {
        MsgBox::show("Please confirm the password correctly!", "Quorvel", MsgBox::Buttons::Ok, this);
        return;
    }
    frmChangePassword* chooser = frmChangePassword::instance();
    if (!chooser || chooser->lblWhichFile->text().isEmpty())
        return;
    StorageStatus status;
    const QString stored = trimBlanks(Read_Header_Field(chooser->lblWhichFile->text(), HeaderField::Password, &status));
    if (!status) {
        Show_Error(status, "frmEnterOldPassword --> cmdPasswordCorrect_Click");
        endChain();
        return;
    }
    // The typed text is compared as typed: a blank around it counts.
    if (stored == cutToStoredPassword(txtPassword1->text())) {
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
