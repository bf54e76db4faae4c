#include "ConflictMerge.h"

#include "BusyWork.h"
#include "ConflictCopy.h"
#include "DiaryChooser.h"
#include "DiaryMerge.h"
#include "DiaryTrash.h"
#include "EntryDisplay.h"
#include "MsgBox.h"
#include "PasswordCheck.h"
#include "PasswordOnceDialog.h"
#include "Popups.h"
#include "RawFile.h"
#include "SessionGuard.h"
#include "StorageGlobals.h"
#include "frmMain.h"
#include "mError.h"
#include "mFile.h"
#include "mString.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

namespace {

const QString Caption = QStringLiteral("Quorvel");

// The header of a diary file, read without touching the open diary's.
StorageStatus headerOf(const QString& path, DiaryHeader& header) {
    RawFile file;
    StorageStatus status = file.open(path, RawFile::Mode::Read);
    char record[DiaryFormat::HeaderSize];
    if (status.ok())
        status = file.readExactAt(0, record, DiaryFormat::HeaderSize);
    if (status.ok())
        header = DiaryHeader::fromRecord(record);
    return status;
}

// The chooser's row of the diary named fileName in the copy's folder (the
// name in any case), or -1.
int rowOf(const DiaryChooser* chooser, const QString& copyPath, const QString& fileName) {
    const QString folder = QFileInfo(copyPath).absolutePath();
    for (int row = 0; row < chooser->lstFilePath->count(); ++row) {
        const QFileInfo listed(chooser->lstFilePath->item(row)->text());
        if (listed.absolutePath() == folder && listed.fileName().compare(fileName, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

// The merge once the user said Yes; the chooser closes afterwards.
void mergeInto(DiaryChooser* chooser, const QString& diaryPath, const QString& copyPath, const QString& line) {
    const QString diaryName = QFileInfo(diaryPath).fileName();
    const QString copyName = QFileInfo(copyPath).fileName();
    DiaryHeader diaryHeader;
    DiaryHeader copyHeader;
    StorageStatus status = headerOf(diaryPath, diaryHeader);
    if (status.ok())
        status = headerOf(copyPath, copyHeader);
    if (!status.ok()) {
        showStorageFailure(status, QStringLiteral("ConflictMerge --> offerConflictMerge"));
        return;
    }
    if (const QString refusal = mergeRefusal(diaryHeader, copyHeader, diaryName, copyName); !refusal.isEmpty()) {
        MsgBox::show(
            QCoreApplication::translate("ConflictMerge", "%1 cannot be merged into %2: %3. Nothing was changed.")
                .arg(copyName, diaryName, refusal),
            Caption, MsgBox::Buttons::Ok, chooser);
        return;
    }
    // The diary is written: locked for the chain (the diary open here holds
    // its lock already), and refused when it opens for reading only.
    SessionGuard* guard = SessionGuard::instance();
    if (guard && !guard->claimChosen(diaryPath, SessionGuard::Chain::Write))
        return;
    if (guard && diaryPath == publicDiaryPath && guard->refuseWriting())
        return;

    const bool encrypted = DiaryCrypto::isEncrypted(diaryHeader);
    PasswordOnceDialog::Design design{
        QStringLiteral("frmMergePassword"), QCoreApplication::translate("ConflictMerge", "Merge Sync Copy"),
        QCoreApplication::translate("ConflictMerge", "Enter the password of %1 to merge the entries of %2 into it.")
            .arg(diaryName, copyName),
        QStringLiteral("cmdMerge"), QCoreApplication::translate("ConflictMerge", "Merge the copy into the diary")};
    // Kept after exec() returns, to read the password; deleted then.
    QPointer<PasswordOnceDialog> dialog =
        new PasswordOnceDialog(design, Get_Tab_Field(line, 1), Get_Tab_Field(line, 2), chooser);
    const bool confirmed = dialog->exec() == QDialog::Accepted && dialog;
    const QString typed = confirmed ? dialog->txtPassword->text() : QString();
    delete dialog.data();
    if (!confirmed)
        return;
    DiaryCrypto::KeyPtr key;
    const bool right = typedPasswordMatches(diaryPath, typed, encrypted, &status, &key);
    if (!status.ok()) {
        showStorageFailure(status, QStringLiteral("ConflictMerge --> offerConflictMerge"));
        return;
    }
    if (!right) {
        showPopup(PopupKind::AccessDenied);
        return;
    }

    // Off the UI thread: a merge of thousands of entries takes a moment.
    MergeOutcome outcome;
    runWhileBusy(QCoreApplication::translate("ConflictMerge", "Merging the sync copy ..."),
                 [&] { status = mergeDiaryCopies(diaryPath, copyPath, outcome, key); });
    if (!status.ok()) {
        MsgBox::show(
            QCoreApplication::translate("ConflictMerge", "%1 cannot be merged into %2: %3. Nothing was changed.")
                .arg(copyName, diaryName, status.description),
            Caption, MsgBox::Buttons::Ok, chooser);
        return;
    }
    // The diary open here goes on with the merged entries; what is being
    // typed stays.
    if (diaryPath == publicDiaryPath)
        if (frmMain* main = frmMain::instance()) {
            Show_Entries(diaryPath, 0, 1);
            main->lblEntryNumber->setText(QString::number(Count_Entries() + 1));
        }
    const QString added =
        outcome.added == 1
            ? QCoreApplication::translate("ConflictMerge", "1 entry of %1 was added to %2.").arg(copyName, diaryName)
            : QCoreApplication::translate("ConflictMerge", "%1 entries of %2 were added to %3.")
                  .arg(outcome.added)
                  .arg(copyName, diaryName);
    MsgBox::show(added, Caption, MsgBox::Buttons::Ok, chooser);

    if (MsgBox::show(QCoreApplication::translate("ConflictMerge", "Move the copy %1 to the trash?").arg(copyName),
                     Caption, MsgBox::Buttons::YesNo, chooser) != MsgBox::Answer::Yes)
        return;
    const DiaryRemoval removal = removeDiaryToTrash(copyPath);
    if (!removal.status.ok())
        Show_Error(removal.status, QStringLiteral("ConflictMerge --> removeDiaryToTrash"));
    else if (!removal.trashed)
        MsgBox::show(
            QCoreApplication::translate("ConflictMerge", "This desktop has no trash for %1: the copy was deleted.")
                .arg(copyName),
            Caption, MsgBox::Buttons::Ok, chooser);
}

} // namespace

bool offerConflictMerge(DiaryChooser* chooser) {
    const QString copyPath = chooser->selectedPath();
    const QString diaryName = conflictCopyOf(QFileInfo(copyPath).fileName());
    if (copyPath.isEmpty() || diaryName.isEmpty())
        return false;
    const int row = rowOf(chooser, copyPath, diaryName);
    if (row < 0)
        return false; // its diary is gone or unreadable: the copy is a diary of its own now
    const QString diaryPath = chooser->lstFilePath->item(row)->text();
    const QString question =
        QCoreApplication::translate("ConflictMerge",
                                    "This is a copy of %1 made by a sync program. Merge its entries into %1?")
            .arg(diaryName);
    if (MsgBox::show(question, Caption, MsgBox::Buttons::YesNo, chooser) != MsgBox::Answer::Yes)
        return false;
    QPointer<DiaryChooser> alive = chooser;
    mergeInto(chooser, diaryPath, copyPath, chooser->lstExistantDiaries->item(row)->text());
    if (SessionGuard* guard = SessionGuard::instance())
        guard->chainEnded();
    if (alive)
        alive->done(QDialog::Rejected);
    return true;
}
