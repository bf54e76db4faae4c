#include "frmChangePassword.h"

#include "DialogLaunch.h"
#include "DialogParts.h"
#include "mApplication.h"

#include <QLabel>
#include <QListWidget>

frmChangePassword::frmChangePassword(QWidget* parent)
    : DiaryChooser({"frmChangePassword", tr("Change Diary Password"), "cmdChangePassword", ":/icons/key.svg",
                    tr("Change the password of the chosen diary"), QString(), false, true},
                   parent) {
    live_ = this;
    cmdChangePassword = actionButton();
    lblWhichFile = new QLabel(this);
    lblWhichFile->setObjectName("lblWhichFile");
    lblWhichFile->hide();
    fillLists();
}

frmChangePassword::~frmChangePassword() {
    if (live_ == this)
        live_ = nullptr;
}

frmChangePassword* frmChangePassword::instance() {
    return live_;
}

void frmChangePassword::selectionChanged(int row) {
    DiaryChooser::selectionChanged(row);
    if (row >= 0 && row < lstFilePath->count())
        lblWhichFile->setText(lstFilePath->item(row)->text());
}

void frmChangePassword::confirm() {
    Run_Session_Action(4);
}

void Show_frmChangePassword() {
    if (frmChangePassword::instance())
        return;
    auto* dialog = new frmChangePassword(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
