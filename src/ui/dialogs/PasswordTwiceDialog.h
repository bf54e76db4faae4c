#pragma once

#include "DiaryCrypto.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// A password typed twice, in the delete chain (frmDeleteEnterPassword) and
// the change-password chain (frmEnterOldPassword, frmEnterNewPassword). The
// use decides the captions, which diary the password is checked against and
// where a right one leads; each use knows its one live dialog.
class PasswordTwiceDialog : public QDialog {
    Q_OBJECT
public:
    enum class Use { DeleteDiary, OldPassword, NewPassword };

    ~PasswordTwiceDialog() override;

    QLabel* lblDialogTitle = nullptr;
    QLabel* Label3 = nullptr;        // not in the new-password dialog
    QLabel* lblWhichTitle = nullptr; // not in the new-password dialog
    QLabel* Label2 = nullptr;        // not in the new-password dialog
    QLabel* lblWhichOwner = nullptr; // not in the new-password dialog
    QLabel* Labe1 = nullptr;
    QLineEdit* txtPassword1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtPassword2 = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdPasswordCorrect = nullptr;

    // Cancel (also Escape and the close box); in the delete chain the
    // chooser closes too.
    void reject() override;

    // The key of an encrypted diary whose old password was proven here.
    const DiaryCrypto::KeyPtr& provenKey() const { return provenKey_; }

protected:
    PasswordTwiceDialog(Use use, QWidget* parent);
    static PasswordTwiceDialog* live(Use use);

private:
    void cmdPasswordCorrect_Click();
    // The typed passwords differ: says so; false when they are equal.
    bool confirmationDiffers();
    void checkDeletePassword();
    void checkOldPassword();
    void storeNewPassword();
    // Closes this dialog and the change-password chooser below it.
    void endChangeChain();

    Use use_;
    DiaryCrypto::KeyPtr provenKey_;
    static inline PasswordTwiceDialog* live_[3] = {nullptr, nullptr, nullptr};
};
