#include "frmDeleteEnterPassword.h"

frmDeleteEnterPassword::frmDeleteEnterPassword(QWidget* parent) : PasswordTwiceDialog(Use::DeleteDiary, parent) {}

frmDeleteEnterPassword* frmDeleteEnterPassword::instance() {
    return static_cast<frmDeleteEnterPassword*>(live(Use::DeleteDiary));
}
