#include "frmOpenDiary.h"

#include "ConflictMerge.h"
#include "DialogLaunch.h"
#include "DialogParts.h"
#include "mApplication.h"

#include <QListWidget>

frmOpenDiary::frmOpenDiary(QWidget* parent)
    : DiaryChooser({"frmOpenDiary", "Open Existant Diary", "cmdOpenDiary", ":/icons/ok.svg", "Open the chosen diary",
                    QString(), false, false},
                   parent) {
    live_ = this;
    cmdOpenDiary = actionButton();
    fillLists();
}

frmOpenDiary::~frmOpenDiary() {
    if (live_ == this)
        live_ = nullptr;
}

frmOpenDiary* frmOpenDiary::instance() {
    return live_;
}

void frmOpenDiary::confirm() {
    // A sync program's conflict copy is first offered for merging.
    if (offerConflictMerge(this))
        return;
    Run_Session_Action(1);
}

void Show_frmOpenDiary() {
    if (frmOpenDiary::instance())
        return;
    auto* dialog = new frmOpenDiary(DialogParts::owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

void Set_OpenDiary_Busy(bool busy) {
    frmOpenDiary* dialog = frmOpenDiary::instance();
    if (!dialog)
        return; // never load the chooser just for its pointer
    if (busy)
        dialog->setCursor(Qt::WaitCursor);
    else
        dialog->unsetCursor();
}
