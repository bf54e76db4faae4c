#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The log-in password, above frmOpenDiary; its confirmation runs session
// action 0. Loaded and filled by session action 1.
class frmEnterPassword : public QDialog {
    Q_OBJECT
public:
    explicit frmEnterPassword(QWidget* parent = nullptr);
    ~frmEnterPassword() override;

    // The loaded dialog, or null when it is not loaded.
    static frmEnterPassword* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Labe1 = nullptr;
    QLabel* lblDiaryOwner = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblDiaryName = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdOpenDiary = nullptr;

private:
    static inline frmEnterPassword* live_ = nullptr;
};
