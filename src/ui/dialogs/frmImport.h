#pragma once

#include "ImportOperation.h"

#include <QDialog>

#include <atomic>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;

// Makes a new diary from an export: Quorvel's own JSON, jrnl's JSON, Day
// One's export or RedNotebook's data folder. The import is the tool's, run on
// a thread of its own with a progress bar; Cancel (or Escape) stops it and
// leaves nothing behind.
class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(QWidget* parent = nullptr);
    ~frmImport() override;

    // The loaded dialog, or null when it is not loaded.
    static frmImport* instance();

    // The diary the last finished import made (empty when none).
    QString createdPath() const { return created_; }
    bool importRunning() const { return worker_ != nullptr; }

    QLabel* lblDialogTitle = nullptr;
    QLabel* lblSource = nullptr;
    QComboBox* cboSource = nullptr;
    QLabel* lblPath = nullptr;
    QLineEdit* txtPath = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLabel* lblOwner = nullptr;
    QLineEdit* txtOwner = nullptr;
    QLabel* lblDiaryTitle = nullptr;
    QLineEdit* txtDiaryTitle = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* txtPasswort = nullptr;
    QLabel* lblConfirm = nullptr;
    QLineEdit* txtPasswortReenter = nullptr;
    QCheckBox* chkEncrypt = nullptr;
    QLabel* lblExportNote = nullptr;
    QProgressBar* prgImport = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdImport = nullptr;

public slots:
    // Escape, Cancel and the close button: a running import is stopped first.
    void reject() override;

private:
    ImportSource source() const;
    void sourceChanged();
    void chooseSource();
    void cmdImport_Click();
    void importFinished();
    void setInputEnabled(bool enabled);

    QThread* worker_ = nullptr;
    std::atomic_bool cancel_{false};
    ImportOutcome outcome_;
    QString created_;

    static inline frmImport* live_ = nullptr;
};
