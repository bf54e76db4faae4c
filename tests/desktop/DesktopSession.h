#pragma once

// A throw-away desktop for the desktop suites, seen as a user sees it: which
// window has the keyboard, which windows are up, what a key does. X11Desktop
// (Xvfb with openbox) and WaylandDesktop (headless sway) are the two kinds.

#include <QList>
#include <QProcess>
#include <QString>

#include <functional>

namespace Desktop {

using WindowId = quint64;

// Polls cond every few milliseconds until it holds or timeoutMs has passed.
bool waitUntil(const std::function<bool()>& cond, int timeoutMs);

// Asks the process to end (so that servers clean up), then kills it if it must.
void stopProcess(QProcess& process);

// Children get SIGTERM when the test process dies, also when it crashes or
// CTest kills it at its time-out.
void dieWithParent();

// Starts bus (its user and environment set) as a session bus of the
// desktop's own that listens in folder: no service is ever started on it and
// anyone on it may send. *address is what DBUS_SESSION_BUS_ADDRESS takes.
bool startSessionBus(QProcess& bus, const QString& folder, QString* address);
// dbus-send's arguments for the signal a desktop sends when its screen locks.
QStringList screenLockSignal();

class DesktopSession {
public:
    virtual ~DesktopSession() = default;

    // Starts the display server and its window manager in scratchFolder and
    // waits until they answer. False with error() set when that fails.
    virtual bool start(const QString& scratchFolder) = 0;
    QString error() const { return error_; }
    // Starts a program on the desktop, in workingFolder; it dies with the test.
    virtual QProcess* startProgram(const QString& program, const QString& workingFolder) = 0;
    // Makes the folder (and the files in it) the program's own when it runs as
    // another user than the test.
    virtual void handOver(const QString& folder) const = 0;

    // --- what the user sees ---
    virtual WindowId activeWindow() const = 0;                                   // holds the keyboard; 0 when none
    virtual QString activeTitle() const = 0;                                     // its title; "" when none
    virtual QList<WindowId> visibleWindows(const QString& titleRegex) const = 0; // top-level windows by title
    virtual QString title(WindowId window) const = 0;

    // --- what the user does: xdotool's key names ("ctrl+q", "Return F12") ---
    virtual void key(const QString& keys) const = 0;
    virtual void type(const QString& text) const = 0;
    // The screen saver says the screen is locked, on the program's session bus.
    virtual bool lockScreen() const = 0;

    // --- how windows must behave; "" when all is well, else what is wrong ---
    // A fixed dialog of the program, open now.
    virtual QString fixedDialogFault(WindowId dialog) const = 0;
    // A notification popup stands now.
    virtual bool popupShown() const = 0;
    // While a popup stands: it has no keyboard, frame or task-bar entry, and
    // stands above (and centred over) the window it was shown over.
    virtual QString quietPopupFault(WindowId mainWindow) const = 0;

protected:
    QString error_;
};

} // namespace Desktop
