#include "frmEnterPassword.h"

#include "DialogParts.h"
#include "mApplication.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogParts;

frmEnterPassword::frmEnterPassword(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmEnterPassword");
    QGridLayout* grid = setUpBody(this, tr(" Enter Password"));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", tr("Owner:"));
    lblDiaryOwner = makeValueLabel(frame, "lblDiaryOwner");
    Label3 = makeLabel(frame, "Label3", tr("Name:"));
    lblDiaryName = makeValueLabel(frame, "lblDiaryName");
    Label1 = makeLabel(frame, "Label1", tr("Password:"));
    txtPassword = makePasswordBox(frame, "txtPassword");
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdOpenDiary = makePictureButton(frame, "cmdOpenDiary", ":/icons/ok.svg", tr("Log in to the diary"));
    addRow(grid, Labe1, lblDiaryOwner);
    addRow(grid, Label3, lblDiaryName);
    addRow(grid, Label1, txtPassword);
    addButtonRow(grid, cmdCancel, cmdOpenDiary);

    setTabOrder(txtPassword, cmdCancel);
    setTabOrder(cmdCancel, cmdOpenDiary);
    cmdOpenDiary->setDefault(true); // Enter in txtPassword logs in
    txtPassword->setFocus();
    focusOnActivate(this, txtPassword);

    connect(cmdOpenDiary, &QPushButton::clicked, this, [] { Run_Session_Action(0); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, tr("Enter Password"));
}

frmEnterPassword::~frmEnterPassword() {
    if (live_ == this)
        live_ = nullptr;
}

frmEnterPassword* frmEnterPassword::instance() {
    return live_;
}
