#pragma once

#include "PasswordTwiceDialog.h"

// The new password (typed twice) of the diary chosen in frmChangePassword.
// Confirming stores it and closes the whole change-password chain.
class frmEnterNewPassword : public PasswordTwiceDialog {
    Q_OBJECT
public:
    explicit frmEnterNewPassword(QWidget* parent = nullptr);

    // The loaded dialog, or null when it is not loaded.
    static frmEnterNewPassword* instance();
};
