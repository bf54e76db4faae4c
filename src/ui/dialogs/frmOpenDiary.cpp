#include "frmOpenDiary.h"

#include "ConflictMerge.h"
#include "DialogLaunch.h"
#include "DialogParts.h"
#include "frmBackups.h"
#include "mApplication.h"

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

frmOpenDiary::frmOpenDiary(QWidget* parent)
    : DiaryChooser({"frmOpenDiary", tr("Open Existant Diary"), "cmdOpenDiary", ":/icons/ok.svg", tr("Open the chosen diary"),
                    QString(), false, false},
                   parent) {
    live_ = this;
    cmdOpenDiary = actionButton();
    cmdBackups = new QPushButton(tr("&Backups ..."), cmdCancel->parentWidget());
    cmdBackups->setObjectName("cmdBackups");
    cmdBackups->setToolTip(tr("The automatic backups of the chosen diary"));
    cmdBackups->setAutoDefault(false); // Enter in the list still opens the diary
    cmdBackups->setEnabled(false);
    addButtonBesideCancel(cmdBackups);
    connect(cmdBackups, &QPushButton::clicked, this, &frmOpenDiary::showBackups);
    fillLists();
}

void frmOpenDiary::selectionChanged(int row) {
    DiaryChooser::selectionChanged(row);
    cmdBackups->setEnabled(row >= 0);
}

void frmOpenDiary::showBackups() {
    const int row = selectedRow();
    const QString path = selectedPath();
    if (row < 0 || path.isEmpty())
        return;
    const QString title = lstExistantDiaries->item(row)->text().section(QLatin1Char('\t'), 2);
    frmBackups backups(path, title, this);
    if (backups.exec() != QDialog::Accepted || backups.restoredPath().isEmpty())
        return;
    // The new diary is listed and chosen, ready to be opened.
    fillLists();
    for (int i = 0; i < lstFilePath->count(); ++i)
        if (QFileInfo(lstFilePath->item(i)->text()).fileName() == QFileInfo(backups.restoredPath()).fileName())
            lstExistantDiaries->setCurrentRow(i);
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
