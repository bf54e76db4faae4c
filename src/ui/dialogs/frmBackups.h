#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// The automatic backups of one diary (date, entries, size), newest first;
// the chosen one is restored as a new diary beside the old, through the
// same library call as quorvel-tool restore.
class frmBackups : public QDialog {
    Q_OBJECT
public:
    frmBackups(const QString& diaryPath, const QString& diaryTitle, QWidget* parent = nullptr);

    QLabel* lblDialogTitle = nullptr;
    QLabel* lblBackups = nullptr;
    QTreeWidget* lstBackups = nullptr;
    QPushButton* cmdRestore = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The new diary's path once one was restored, else empty.
    QString restoredPath() const { return restored_; }

private:
    void fill();
    void restore();

    QString diaryPath_;
    QString restored_;
};
