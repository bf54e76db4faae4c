#include "frmBackups.h"

#include "DialogParts.h"
#include "DiaryBackups.h"
#include "MsgBox.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

using namespace DialogParts;

namespace {
constexpr int PathRole = Qt::UserRole;
}

frmBackups::frmBackups(const QString& diaryPath, const QString& diaryTitle, QWidget* parent)
    : QDialog(parent), diaryPath_(diaryPath) {
    setObjectName("frmBackups");
    QGridLayout* grid = setUpBody(this, " " + tr("Backups of \"%1\"").arg(diaryTitle));
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    lblBackups = makeLabel(frame, "lblBackups", tr("&Backups:"));
    lstBackups = new QTreeWidget(frame);
    lstBackups->setObjectName("lstBackups");
    lstBackups->setRootIsDecorated(false);
    lstBackups->setUniformRowHeights(true);
    lstBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    lstBackups->setHeaderLabels({tr("Made"), tr("Entries"), tr("Size")});
    lstBackups->setAccessibleName(tr("Backups"));
    lstBackups->setMinimumSize(420, 200);
    lstBackups->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    addRow(grid, lblBackups, lstBackups);
    grid->setAlignment(lblBackups, Qt::AlignTop);

    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));
    cmdRestore = makePictureButton(frame, "cmdRestore", ":/icons/ok.svg",
                                   tr("Restore the chosen backup as a new diary beside this one"));
    addButtonRow(grid, cmdCancel, cmdRestore);

    setTabOrder(lstBackups, cmdRestore);
    setTabOrder(cmdRestore, cmdCancel);
    cmdRestore->setDefault(true); // Enter restores; Escape cancels (QDialog)

    fill();
    lstBackups->setFocus();
    focusOnActivate(this, lstBackups);

    connect(lstBackups, &QTreeWidget::itemDoubleClicked, this, [this] { restore(); });
    connect(cmdRestore, &QPushButton::clicked, this, &frmBackups::restore);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, tr("Backups"));
}

void frmBackups::fill() {
    const QLocale locale;
    for (const DiaryBackups::Backup& backup : DiaryBackups::listBackups(diaryPath_)) {
        auto* item =
            new QTreeWidgetItem(lstBackups, {backup.made.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                             QString::number(backup.entries), locale.formattedDataSize(backup.size)});
        item->setData(0, PathRole, backup.path);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (lstBackups->topLevelItemCount() > 0)
        lstBackups->setCurrentItem(lstBackups->topLevelItem(0));
    cmdRestore->setEnabled(lstBackups->topLevelItemCount() > 0);
    if (lstBackups->topLevelItemCount() == 0)
        lblBackups->setText(tr("No backups yet:"));
}

void frmBackups::restore() {
    const QTreeWidgetItem* item = lstBackups->currentItem();
    if (!item)
        return;
    QString made;
    const StorageStatus status =
        DiaryBackups::restoreBackup(item->data(0, PathRole).toString(), QString(), QDate::currentDate(), &made);
    if (!status) {
        MsgBox::show(tr("The backup could not be restored: %1").arg(status.description), tr("Backups"),
                     MsgBox::Buttons::Ok, this);
        return;
    }
    restored_ = made;
    MsgBox::show(tr("The backup was restored as a new diary in the file %1.").arg(QFileInfo(made).fileName()),
                 tr("Backups"), MsgBox::Buttons::Ok, this);
    accept();
}
