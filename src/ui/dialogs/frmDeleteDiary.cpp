#include "frmDeleteDiary.h"

#include "DialogLaunch.h"
#include "DialogParts.h"
#include "mApplication.h"

#include <QListWidget>

frmDeleteDiary::frmDeleteDiary(QWidget* parent)
    : DiaryChooser({"frmDeleteDiary", tr("Delete Existant Diary"), "cmdOpenDiary", ":/icons/delete.svg",
                    tr("Delete the chosen diary"), "1/1", true, false},
                   parent) {
    live_ = this;
    cmdOpenDiary = actionButton();
    fillLists();
}

frmDeleteDiary::~frmDeleteDiary() {
    if (live_ == this)
        live_ = nullptr;
}

frmDeleteDiary* frmDeleteDiary::instance() {
    return live_;
}

void frmDeleteDiary::confirm() {
    if (lstExistantDiaries->count() == 0) {
        done(QDialog::Rejected);
        return;
    }
    if (selectedRow() < 0)
        return;
    lstFilePath->setCurrentRow(selectedRow());
    Run_Session_Action(2);
}

void Show_frmDeleteDiary() {
    if (frmDeleteDiary::instance())
        return;
    auto* dialog = new frmDeleteDiary(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}
