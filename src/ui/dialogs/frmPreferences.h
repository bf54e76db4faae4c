#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Options › Preferences: the lock time (and whether plain diaries lock too),
// whether backups are made and where. Kept in the user's own settings file,
// never in the data folder; the open window's lock takes a new time at once.
class frmPreferences : public QDialog {
    Q_OBJECT
public:
    explicit frmPreferences(QWidget* parent = nullptr);
    ~frmPreferences() override;

    // The loaded dialog, or null when it is not loaded.
    static frmPreferences* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* lblLockMinutes = nullptr;
    QSpinBox* spnLockMinutes = nullptr; // 0 shows "Off"
    QCheckBox* chkLockPlainDiaries = nullptr;
    QCheckBox* chkBackupsEnabled = nullptr;
    QLabel* lblBackupsFolder = nullptr;
    QLineEdit* txtBackupsFolder = nullptr; // empty: the default beside the data folder
    QPushButton* cmdBackupsFolder = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void load();
    void chooseFolder();
    void save();

    static inline frmPreferences* live_ = nullptr;
};
