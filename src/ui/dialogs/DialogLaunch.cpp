#include "DialogLaunch.h"

// Placeholders until the dialogs exist; each dialog's own source replaces
// its launcher here.
void Show_frmFindPhrase() {}
void Show_frmInfo(QWidget*) {}
