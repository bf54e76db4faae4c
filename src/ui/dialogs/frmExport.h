#pragma once

#include "ExportRun.h"

#include <QDialog>

#include <atomic>
#include <memory>

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QThread;
class QTimer;

// File > Export: writes the diary at diaryPath (the open one) through the
// library's one export (runExport), on a thread of its own, with a progress
// bar. Cancel (or Escape) while it runs stops it and closes the dialog; any
// earlier file of the chosen name is left as it was. At the end a message
// names the file and offers to open it.
class frmExport : public QDialog {
    Q_OBJECT
public:
    explicit frmExport(const QString& diaryPath, QWidget* parent = nullptr);
    ~frmExport() override;

    // The loaded dialog, or null when it is not loaded.
    static frmExport* instance();

    bool running() const { return thread_ != nullptr; }

    QLabel* lblDialogTitle = nullptr;
    QLabel* lblFormat = nullptr;
    QComboBox* cboFormat = nullptr; // in ExportFormat's order of formatChoices()
    QLabel* lblEntries = nullptr;
    QRadioButton* optAllEntries = nullptr;
    QRadioButton* optEntryNumbers = nullptr;
    QRadioButton* optEntryDates = nullptr;
    QSpinBox* spnFirstEntry = nullptr;
    QSpinBox* spnLastEntry = nullptr;
    QDateEdit* dtpFromDate = nullptr;
    QDateEdit* dtpToDate = nullptr;
    QLabel* lblPageSize = nullptr;
    QComboBox* cboPageSize = nullptr;
    QLabel* lblFile = nullptr;
    QLineEdit* txtFile = nullptr;
    QPushButton* cmdChooseFile = nullptr;
    QLabel* lblJsonNote = nullptr;
    QLabel* lblPassword = nullptr; // the JSON of an encrypted diary holds its password
    QLineEdit* txtPassword = nullptr;
    QProgressBar* prgExport = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdExport = nullptr;

signals:
    // The export ended (written, cancelled or failed), before any message.
    void exportEnded(ExportOutcome::Result result);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ExportFormat chosenFormat() const;
    void formatChanged();
    void chooseFile();
    void startExport();
    void exportFinished();
    void showProgress();
    void setChoicesEnabled(bool enabled);

    QString diaryPath_;
    QString title_;
    bool encrypted_ = false;
    QString proposedSuffix_;
    QButtonGroup* entryChoice_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QThread* thread_ = nullptr;
    std::atomic_bool cancel_{false};
    std::atomic<qint64> done_{0};
    std::atomic<qint64> total_{0};
    ExportOutcome outcome_;
    QString writtenPath_;
    static inline frmExport* live_ = nullptr;
};

// Shows frmExport for the open diary, modally; returns when it closed.
void Show_frmExport();
