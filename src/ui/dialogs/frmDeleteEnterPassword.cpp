#include "frmDeleteEnterPassword.h"

#include "DialogParts.h"
#include "MsgBox.h"
#include "Popups.h"
#include "frmAreYouShure.h"
#include "frmDeleteDiary.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

using namespace DialogParts;

frmDeleteEnterPassword::frmDeleteEnterPassword(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmDeleteEnterPassword");
    QGridLayout* grid = setUpBody(this, " Enter Password");
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Label3 = makeLabel(frame, "Label3", "Diary Title:");
    lblWhichTitle = makeValueLabel(frame, "lblWhichTitle");
    Label2 = makeLabel(frame, "Label2", "Diary Owner:");
    lblWhichOwner = makeValueLabel(frame, "lblWhichOwner");
    addRow(grid, Label3, lblWhichTitle);
    addRow(grid, Label2, lblWhichOwner);
    const PasswordRows rows = addPasswordRows(this, grid, "Enter Password:", "Confrim Password:", "Check the password");
    Labe1 = rows.Labe1;
    txtPassword1 = rows.txtPassword1;
    Label1 = rows.Label1;
    txtPassword2 = rows.txtPassword2;
    cmdCancel = rows.cmdCancel;
    cmdPasswordCorrect = rows.cmdPasswordCorrect;

    connect(cmdPasswordCorrect, &QPushButton::clicked, this, &frmDeleteEnterPassword::cmdPasswordCorrect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDeleteEnterPassword::reject);
    setUpWindow(this, "Enter password to delete diary");
}

frmDeleteEnterPassword::~frmDeleteEnterPassword() {
    if (live_ == this)
        live_ = nullptr;
}

frmDeleteEnterPassword* frmDeleteEnterPassword::instance() {
    return live_;
}

void frmDeleteEnterPassword::reject() {
    QDialog::reject();
    if (frmDeleteDiary* chooser = frmDeleteDiary::instance())
        chooser->done(QDialog::Rejected);
}

void frmDeleteEnterPassword::cmdPasswordCorrect_Click() {
    if (txtPassword2->text() != txtPassword1->text()) {
        MsgBox::show("The Password was not confirmed right!", "Quorvel", MsgBox::Buttons::Ok, this);
        txtPassword1->clear();
        txtPassword2->clear();
        txtPassword1->setFocus();
        return;
    }
    frmDeleteDiary* chooser = frmDeleteDiary::instance();
    if (!chooser || chooser->selectedPath().isEmpty())
        return;
    StorageStatus status;
    const QString stored = trimBlanks(Read_Header_Field(chooser->selectedPath(), HeaderField::Password, &status));
    if (!status) {
        // The diary vanished or cannot be read since it was listed: nothing
        // is left to delete; the chain ends.
        Show_Error(status, "frmDeleteEnterPassword --> cmdPasswordCorrect_Click");
        reject();
        return;
    }
    // The typed text is compared as typed: a blank around it counts.
    if (stored == cutToStoredPassword(txtPassword1->text())) {
        auto* confirm = new frmAreYouShure(this);
        confirm->setAttribute(Qt::WA_DeleteOnClose);
        confirm->exec();
    } else {
        showPopup(PopupKind::AccessDenied);
    }
}
