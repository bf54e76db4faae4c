#pragma once

// A throw-away X desktop for the desktop suites: an Xvfb server with openbox as
// window manager, and the X11 command-line tools (xdotool, xprop, xwininfo)
// that drive it and read its state, as a user's desktop would see it.

#include "DesktopSession.h"

#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>

#include <memory>

namespace Desktop {

class X11Desktop : public DesktopSession {
public:
    X11Desktop();
    ~X11Desktop() override; // kills the program, the window manager and the server

    // Starts Xvfb on the first free display from :11 and openbox on it, and
    // waits until both answer. False with error() set when that fails.
    bool start(const QString& scratchFolder) override;
    QString display() const { return display_; }
    // What a program started on this desktop gets: DISPLAY, the xcb platform,
    // a fixed locale, its own runtime and configuration folders.
    QProcessEnvironment environment() const;

    // Starts a program on the desktop; it dies with the test process.
    QProcess* startProgram(const QString& program, const QString& workingFolder) override;
    void handOver(const QString&) const override {} // the program runs as the test's user

    // --- reading the desktop through X11 ---
    WindowId activeWindow() const override;                                   // xdotool getactivewindow; 0 when none
    QString activeTitle() const override;                                     // its title, in the same call; "" when none
    QList<WindowId> visibleWindows(const QString& titleRegex) const override; // mapped windows by title
    QString title(WindowId window) const override;
    QStringList atoms(WindowId window, const QString& property) const;
    QList<long> cardinals(WindowId window, const QString& property) const;
    QList<WindowId> stacking() const; // managed windows, bottom to top
    // The window with its frame: the client's place and size plus the frame
    // extents the window manager reports.
    QRect outerGeometry(WindowId window) const;
    QSize screenSize() const;

    // --- driving it with the keyboard (and the window manager's requests) ---
    void key(const QString& keys) const override;
    void type(const QString& text) const override;
    bool lockScreen() const override;
    void resizeClient(WindowId window, int width, int height) const;
    void moveWindow(WindowId window, int x, int y) const;

    // Fixed border: no minimise, maximise or resize action, no task-bar entry.
    QString fixedDialogFault(WindowId dialog) const override;
    bool popupShown() const override;
    // Not active, no frame, no task-bar entry, above the main window.
    QString quietPopupFault(WindowId mainWindow) const override;

private:
    QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr,
                QString* errors = nullptr) const;
    std::unique_ptr<QProcess> launch(const QString& program, const QStringList& arguments) const;
    void stopAll();

    QString display_;
    QString scratch_;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    std::unique_ptr<QProcess> bus_;
    QString busAddress_;
    QList<QProcess*> programs_;
};

} // namespace Desktop
