#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QWidget>
#include <QWindow>

namespace {

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

namespace Platform {

bool canPlaceTopLevelWindows() {
    return !onWayland();
}

Qt::WindowFlags popupWindowFlags() {
    const Qt::WindowFlags quiet = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
    // Qt makes a tooltip with a parent window an xdg popup without a grab.
    // On X11 it would be a window the window manager never sees (no stacking
    // above the main window, no task-bar hint): there a tool window serves.
    return (onWayland() ? Qt::ToolTip : Qt::Tool) | quiet;
}

QRect popupAnchor(const QWidget* owner) {
    if (!owner)
        return {};
    // A Wayland popup is placed relative to its parent's platform window,
    // whose place may differ from the one the widget was last moved to.
    if (onWayland() && owner->windowHandle())
        return owner->windowHandle()->geometry();
    return owner->frameGeometry();
}

void tiePopupTo(QWidget* popup, QWidget* owner) {
    if (!onWayland() || !popup || !owner || !owner->windowHandle())
        return;
    popup->winId(); // creates the window handle; the surface comes at the first show
    popup->windowHandle()->setTransientParent(owner->windowHandle());
}

} // namespace Platform
