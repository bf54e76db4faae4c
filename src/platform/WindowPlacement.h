#pragma once

#include <Qt>

class QRect;
class QWidget;

// Where windows stand, and how a notification popup is made a window of its
// own platform: above the others, without keyboard, frame or task-bar entry.
// On Wayland no program places its own top-level windows (the compositor
// does) and each new top-level window gets the keyboard.
namespace Platform {

// False on Wayland: moving a top-level window there only misleads Qt about
// where it stands.
bool canPlaceTopLevelWindows();

Qt::WindowFlags popupWindowFlags();

// The rectangle a popup is centred over: the owner's window as the
// platform knows it.
QRect popupAnchor(const QWidget* owner);

// Ties the popup to the window it stands over, before it is first shown. On
// Wayland the popup is a popup surface of that window: placed relative to
// it, without the keyboard. Elsewhere nothing is needed.
void tiePopupTo(QWidget* popup, QWidget* owner);

} // namespace Platform
