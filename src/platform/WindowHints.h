#pragma once

class QWidget;

// Hints to the window manager that Qt's window flags do not express. They
// are written onto the native window before it is first shown; on platforms
// other than X11 (and offscreen) they do nothing.
namespace Platform {

// A fixed dialog: no minimise box and no task-bar entry. Qt's flags already
// take away the maximise box and the resizing.
void hintFixedDialog(QWidget* window);

// A notification popup: no task-bar entry.
void hintSkipTaskbar(QWidget* window);

// Keeps windows that take no focus from ever becoming the application's
// focus window. Installed once, before the first window is shown.
void guardUnfocusableWindows();

} // namespace Platform
