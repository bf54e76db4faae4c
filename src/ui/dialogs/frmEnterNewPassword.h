#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The new password (typed twice) of the diary chosen in frmChangePassword.
// Confirming stores it and closes the whole change-password chain.
class frmEnterNewPassword : public QDialog {
    Q_OBJECT
public:
    explicit frmEnterNewPassword(QWidget* parent = nullptr);
    ~frmEnterNewPassword() override;

    // The loaded dialog, or null when it is not loaded.
    static frmEnterNewPassword* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Labe1 = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtPassword2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPasswordCorrect = nullptr;

private:
    void cmdPasswordCorrect_Click();

    static inline frmEnterNewPassword* live_ = nullptr;
};
