#include "DiaryChooser.h"

#include "ConflictCopy.h"
#include "DialogParts.h"
#include "ProgramFolder.h"
#include "StorageGlobals.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"
#include "mView.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace DialogParts;

DiaryChooser::DiaryChooser(const Design& design, QWidget* parent) : QDialog(parent), design_(design) {
    setObjectName(design.name);
    QGridLayout* grid = setUpBody(this, " " + design.caption);
    lblDialogTitle = findChild<QLabel*>("lblDialogTitle");
    QWidget* frame = grid->parentWidget();

    Labe1 = makeLabel(frame, "Labe1", tr("Diaries:"));
    lblEntryHeader = makeLabel(frame, "lblEntryHeader", tr(" Number     Owner                          Title"));
    lblwhichlistlndex = makeLabel(frame, "lblwhichlistlndex", design.initialPosition);
    lblwhichlistlndex->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lstExistantDiaries = new QListWidget(frame);
    lstExistantDiaries->setObjectName("lstExistantDiaries");
    lstExistantDiaries->setSelectionMode(QAbstractItemView::SingleSelection);
    lstExistantDiaries->setUniformItemSizes(true);
    lstExistantDiaries->setMinimumSize(480, 220);
    lstExistantDiaries->setAccessibleName(tr("Diaries"));
    Labe1->setBuddy(lstExistantDiaries);
    action_ = makePictureButton(frame, design.actionName, design.actionIcon, design.actionToolTip);
    cmdCancel = makePictureButton(frame, "cmdCancel", ":/icons/cancel.svg", tr("Cancel"));

    lstFilePath = new QListWidget(this);
    lstFilePath->setObjectName("lstFilePath");
    lstFilePath->hide();
    fileFiles = new QListWidget(this);
    fileFiles->setObjectName("fileFiles");
    fileFiles->hide();

    grid->addWidget(lblEntryHeader, 0, 1);
    grid->addWidget(lblwhichlistlndex, 0, 1, Qt::AlignRight);
    grid->addWidget(Labe1, 1, 0, Qt::AlignTop);
    grid->addWidget(lstExistantDiaries, 1, 1);
    addButtonRow(grid, cmdCancel, action_);
    buttonRow_ = grid->itemAtPosition(grid->rowCount() - 1, 0)->layout();

    setTabOrder(lstExistantDiaries, action_);
    setTabOrder(action_, cmdCancel);
    action_->setDefault(true); // Enter in the list confirms, as the button does
    lstExistantDiaries->setFocus();

    // The selection, not the current row: focus alone marks a row current
    // without choosing it.
    connect(lstExistantDiaries, &QListWidget::itemSelectionChanged, this, [this] { selectionChanged(selectedRow()); });
    connect(lstExistantDiaries, &QListWidget::itemDoubleClicked, this, [this] { confirm(); });
    connect(action_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    setUpWindow(this, design.caption);
}

DiaryChooser::~DiaryChooser() = default;

void DiaryChooser::addButtonBesideCancel(QPushButton* button) {
    if (auto* row = qobject_cast<QBoxLayout*>(buttonRow_))
        row->insertWidget(row->indexOf(cmdCancel) + 1, button);
    setTabOrder(cmdCancel, button);
}

int DiaryChooser::selectedRow() const {
    const QList<QListWidgetItem*> selected = lstExistantDiaries->selectedItems();
    return selected.isEmpty() ? -1 : lstExistantDiaries->row(selected.first());
}

QString DiaryChooser::selectedPath() const {
    const int row = selectedRow();
    if (row < 0 || row >= lstFilePath->count())
        return QString();
    return lstFilePath->item(row)->text();
}

void DiaryChooser::selectionChanged(int row) {
    if (row < 0)
        return;
    lblwhichlistlndex->setText(QString("%1/%2").arg(row + 1).arg(lstExistantDiaries->count()));
    lstFilePath->setCurrentRow(row);
}

void DiaryChooser::fillLists() {
    lstExistantDiaries->clear();
    lstFilePath->clear();
    fileFiles->clear();
    Set_List_Tabstops(lstExistantDiaries, {0, 10, 60, 100, 0});

    QList<DiaryFileName> files;
    const StorageStatus listed = listDiaryFiles(ProgramFolder::dataFolder(), files);
    if (!listed) {
        Show_Error(listed.number, listed.description, QString(), QString());
        return;
    }

    QStringList lines;
    QStringList paths;
    QStringList unreadable;
    StorageStatus firstFailure;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const DiaryFileName& file = files.at(i);
        fileFiles->addItem(file.fileName);
        if (design_.skipOpenDiary && file.fullPath == publicDiaryPath)
            continue; // the open diary cannot be chosen here; its number stays a gap
        StorageStatus status;
        const QString owner = trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Owner, &status));
        QString title;
        if (status)
            title = trimBlanks(Read_Header_Field(file.fullPath, HeaderField::Title, &status));
        if (!status) {
            if (design_.stopAtFirstFailure) {
                firstFailure = status;
                break;
            }
            if (firstFailure.ok())
                firstFailure = status;
            unreadable << QString("%1 (%2)").arg(file.fileName, status.description);
            continue;
        }
        // A sync program's conflict copy is told apart from its diary.
        const QString copyOf = conflictCopyOf(file.fileName);
        lines << QString("%1\t%2\t%3").arg(i + 1).arg(owner, copyOf.isEmpty() ? title
                                                                              : tr("%1 [conflict copy of %2]").arg(title, copyOf));
        paths << file.fullPath;
    }
    // Handed over in one go, so that a long folder does not redraw per line.
    lstFilePath->addItems(paths);
    lstExistantDiaries->addItems(lines);

    if (design_.stopAtFirstFailure && !firstFailure.ok()) {
        Show_Error(firstFailure.number, firstFailure.description, QString(), QString());
        return; // the lines before the failure stay, none is selected
    }
    if (lstExistantDiaries->count() > 0)
        lstExistantDiaries->setCurrentRow(0);
    if (!unreadable.isEmpty()) {
        const QString description =
            unreadable.size() == 1 ? tr("This diary file cannot be read and is not listed: %1").arg(unreadable.first())
                                   : tr("These diary files cannot be read and are not listed: %1").arg(unreadable.join(", "));
        Show_Error(firstFailure.number, description, QString(), QString());
    }
}
