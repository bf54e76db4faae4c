#include "DialogLaunch.h"

// Placeholders until the dialogs exist; each dialog's own source replaces
// its launcher here.
void Show_frmNewDiary() {}
void Show_frmOpenDiary() {}
void Show_frmDeleteDiary() {}
void Show_frmChangePassword() {}
void Show_frmFindPhrase() {}
void Show_frmInfo(QWidget*) {}
void Set_OpenDiary_Busy(bool) {}
