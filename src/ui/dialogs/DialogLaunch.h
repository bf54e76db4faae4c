#pragma once

class QWidget;

// How the dispatcher and the session actions reach the dialogs: each shows
// its dialog modally (a fresh load every time) and returns when it closed.
void Show_frmNewDiary();
void Show_frmOpenDiary();
void Show_frmDeleteDiary();
void Show_frmChangePassword();
void Show_frmFindPhrase();
void Show_frmImport();
void Show_frmInfo(QWidget* owner);
void Show_frmPreferences();

// The busy pointer of frmOpenDiary during long walks; does nothing (and
// creates nothing) when that dialog is not loaded.
void Set_OpenDiary_Busy(bool busy);
