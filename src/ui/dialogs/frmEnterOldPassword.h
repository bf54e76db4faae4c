#pragma once

#include "PasswordTwiceDialog.h"

// The current password (typed twice) of the diary chosen in
// frmChangePassword; a right one leads to frmEnterNewPassword, a wrong one
// ends the chain. Loaded and filled by session action 4.
class frmEnterOldPassword : public PasswordTwiceDialog {
    Q_OBJECT
public:
    explicit frmEnterOldPassword(QWidget* parent = nullptr);

    // The loaded dialog, or null when it is not loaded.
    static frmEnterOldPassword* instance();
};
