#include "frmEnterNewPassword.h"

frmEnterNewPassword::frmEnterNewPassword(QWidget* parent) : PasswordTwiceDialog(Use::NewPassword, parent) {}

frmEnterNewPassword* frmEnterNewPassword::instance() {
    return static_cast<frmEnterNewPassword*>(live(Use::NewPassword));
}
