#include "DialogLaunch.h"

// Placeholders until the dialogs exist; each dialog's own source replaces
// its launcher here.
void Show_frmNewDiary() {}
void Show_frmOpenDiary() {}
void Show_frmDeleteDiary() {}
void Show_frmChangePassword() {}
void Set_OpenDiary_Busy(bool) {}
