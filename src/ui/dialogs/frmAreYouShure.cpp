#include "frmAreYouShure.h"

#include "DialogParts.h"
#include "DiaryTrash.h"
#include "DraftKeeper.h"
#include "MsgBox.h"
#include "Popups.h"
#include "StorageStatus.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "mError.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <cerrno>

using namespace DialogParts;

frmAreYouShure::frmAreYouShure(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmAreYouShure");
    QGridLayout* grid = setUpBody(this, tr(" Are You Shure?"));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", tr("Owner:"));
    lblWhichOwner = makeValueLabel(frame, "lblWhichOwner");
    Label1 = makeLabel(frame, "Label1", tr("Diary Title:"));
    lblWhichTitle = makeValueLabel(frame, "lblWhichTitle");
    Label2 = makeLabel(frame, "Label2", tr("File Name:"));
    lblFileName = makeValueLabel(frame, "lblFileName");
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel, keep the diary"));
    cmdDeleteDiary = makePictureButton(frame, "cmdDeleteDiary", ":/icons/delete.svg", tr("Delete the diary"));
    addRow(grid, Labe1, lblWhichOwner);
    addRow(grid, Label1, lblWhichTitle);
    addRow(grid, Label2, lblFileName);
    addButtonRow(grid, cmdCancel, cmdDeleteDiary);

    setTabOrder(cmdDeleteDiary, cmdCancel);
    cmdDeleteDiary->setDefault(true);
    cmdDeleteDiary->setFocus();

    if (frmDeleteEnterPassword* password = frmDeleteEnterPassword::instance()) {
        lblWhichOwner->setText(password->lblWhichOwner->text());
        lblWhichTitle->setText(password->lblWhichTitle->text());
    }
    if (frmDeleteDiary* chooser = frmDeleteDiary::instance()) {
        lblFileName->setText(chooser->selectedPath());
        lblFileName->setToolTip(chooser->selectedPath());
    }

    connect(cmdDeleteDiary, &QPushButton::clicked, this, &frmAreYouShure::cmdDeleteDiary_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAreYouShure::reject);
    setUpWindow(this, tr("Do You want to delete this Diary?"));
}

frmAreYouShure::~frmAreYouShure() {
    if (live_ == this)
        live_ = nullptr;
}

frmAreYouShure* frmAreYouShure::instance() {
    return live_;
}

void frmAreYouShure::closeChain(int result) {
    done(result);
    if (frmDeleteEnterPassword* password = frmDeleteEnterPassword::instance())
        password->done(result);
    if (frmDeleteDiary* chooser = frmDeleteDiary::instance())
        chooser->done(result);
}

void frmAreYouShure::reject() {
    closeChain(QDialog::Rejected);
}

void frmAreYouShure::cmdDeleteDiary_Click() {
    frmDeleteDiary* chooser = frmDeleteDiary::instance();
    const QString path = chooser ? chooser->selectedPath() : QString();
    const QString title = lblWhichTitle->text();
    if (path.isEmpty()) {
        Show_Error(StorageStatus::fromErrno(ENOENT, path), "frmAreYouShure --> cmdDeleteDiary_Click");
        closeChain(QDialog::Rejected);
        return;
    }
    // The diary's unsaved entry goes with it.
    if (DraftKeeper* keeper = DraftKeeper::instance())
        keeper->diaryDeleting(path);
    const DiaryRemoval removal = removeDiaryToTrash(path);
    if (!removal.status) {
        Show_Error(removal.status, "frmAreYouShure --> cmdDeleteDiary_Click");
        closeChain(QDialog::Rejected);
        return;
    }
    showPopup(PopupKind::KillAllowed);
    const QString said =
        removal.trashed
            ? tr("The diary \"%1\" was moved to the trash; you can restore it from there.").arg(title)
            : tr("The diary \"%1\" was deleted: no trash could take it, so the file %2 is gone.")
                  .arg(title, path);
    MsgBox::show(said, QStringLiteral("Quorvel"), MsgBox::Buttons::Ok, this);
    closeChain(QDialog::Accepted);
}
