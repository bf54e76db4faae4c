#pragma once

#include "PasswordTwiceDialog.h"

// The password (typed twice) of the diary chosen in frmDeleteDiary; a right
// one leads to frmAreYouShure. Loaded and filled by session action 2.
class frmDeleteEnterPassword : public PasswordTwiceDialog {
    Q_OBJECT
public:
    explicit frmDeleteEnterPassword(QWidget* parent = nullptr);

    // The loaded dialog, or null when it is not loaded.
    static frmDeleteEnterPassword* instance();
};
