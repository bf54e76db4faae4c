#include "frmAreYouShure.h"

#include "DialogParts.h"
#include "DraftKeeper.h"
#include "EntryDraft.h"
#include "Popups.h"
#include "StorageStatus.h"
#include "frmDeleteDiary.h"
#include "frmDeleteEnterPassword.h"
#include "mError.h"

#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <cerrno>
#include <filesystem>
#include <system_error>

using namespace DialogParts;

namespace {

// Deletes the diary file; a folder of that name is never removed.
StorageStatus deleteDiaryFile(const QString& path) {
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (error)
        return StorageStatus::fromErrno(error.value(), path);
    if (status.type() == std::filesystem::file_type::directory)
        return StorageStatus::fromErrno(EISDIR, path);
    if (!std::filesystem::remove(file, error))
        return StorageStatus::fromErrno(error ? error.value() : ENOENT, path);
    return StorageStatus::success();
}

} // namespace

frmAreYouShure::frmAreYouShure(QWidget* parent) : QDialog(parent) {
    live_ = this;
    setObjectName("frmAreYouShure");
    QGridLayout* grid = setUpBody(this, " Are You Shure?");
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", "Owner:");
    lblWhichOwner = makeValueLabel(frame, "lblWhichOwner");
    Label1 = makeLabel(frame, "Label1", "Diary Title:");
    lblWhichTitle = makeValueLabel(frame, "lblWhichTitle");
    Label2 = makeLabel(frame, "Label2", "File Name:");
    lblFileName = makeValueLabel(frame, "lblFileName");
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", "Cancel, keep the diary");
    cmdDeleteDiary = makePictureButton(frame, "cmdDeleteDiary", ":/icons/delete.svg", "Delete the diary");
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
    setUpWindow(this, "Do You want to delete this Diary?");
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
    const StorageStatus deleted = path.isEmpty() ? StorageStatus::fromErrno(ENOENT, path) : deleteDiaryFile(path);
    if (deleted) {
        // The diary's unsaved entry goes with it.
        if (DraftKeeper* keeper = DraftKeeper::instance())
            keeper->diaryDeleted(path);
        else
            removeDraftFile(draftPathFor(path));
        showPopup(PopupKind::KillAllowed);
    } else {
        Show_Error(deleted, "frmAreYouShure --> cmdDeleteDiary_Click");
    }
    closeChain(deleted ? QDialog::Accepted : QDialog::Rejected);
}
