#include "frmEnterOldPassword.h"

frmEnterOldPassword::frmEnterOldPassword(QWidget* parent) : PasswordTwiceDialog(Use::OldPassword, parent) {}

frmEnterOldPassword* frmEnterOldPassword::instance() {
    return static_cast<frmEnterOldPassword*>(live(Use::OldPassword));
}
