#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The current password (typed twice) of the diary chosen in
// frmChangePassword; a right one leads to frmEnterNewPassword, a wrong one
// ends the chain. Loaded and filled by session action 4.
class frmEnterOldPassword : public QDialog {
    Q_OBJECT
public:
    explicit frmEnterOldPassword(QWidget* parent = nullptr);
    ~frmEnterOldPassword() override;

    // The loaded dialog, or null when it is not loaded.
    static frmEnterOldPassword* instance();

    QLabel* lblDialogTitle = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblWhichTitle = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblWhichOwner = nullptr;
    QLabel* Labe1 = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtPassword2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPasswordCorrect = nullptr;

private:
    void cmdPasswordCorrect_Click();
    // Closes this dialog and the chooser below it.
    void endChain();

    static inline frmEnterOldPassword* live_ = nullptr;
};
