#include "PasswordOnceDialog.h"

#include "DialogParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace DialogParts;

PasswordOnceDialog::PasswordOnceDialog(const Design& design, const QString& owner, const QString& title,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(design.name);
    QGridLayout* grid = setUpBody(this, " " + design.caption);
    QWidget* frame = grid->parentWidget();

    lblNote = new QLabel(design.note, frame);
    lblNote->setObjectName("lblNote");
    lblNote->setWordWrap(true);
    grid->addWidget(lblNote, grid->rowCount(), 0, 1, 2);
    QLabel* ownerCaption = makeLabel(frame, "Labe1", tr("Owner:"));
    lblDiaryOwner = makeValueLabel(frame, "lblDiaryOwner");
    lblDiaryOwner->setText(owner);
    QLabel* titleCaption = makeLabel(frame, "Label3", tr("Name:"));
    lblDiaryName = makeValueLabel(frame, "lblDiaryName");
    lblDiaryName->setText(title);
    QLabel* passwordCaption = makeLabel(frame, "Label1", tr("Password:"));
    txtPassword = makePasswordBox(frame, "txtPassword");
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdConfirm = makePictureButton(frame, design.actionName, ":/icons/ok.svg", design.actionToolTip);
    addRow(grid, ownerCaption, lblDiaryOwner);
    addRow(grid, titleCaption, lblDiaryName);
    addRow(grid, passwordCaption, txtPassword);
    addButtonRow(grid, cmdCancel, cmdConfirm);

    setTabOrder(txtPassword, cmdCancel);
    setTabOrder(cmdCancel, cmdConfirm);
    cmdConfirm->setDefault(true); // Enter in the box confirms, Escape cancels
    txtPassword->setFocus();
    focusOnActivate(this, txtPassword);

    connect(cmdConfirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, design.caption);
}
