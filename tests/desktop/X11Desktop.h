#pragma once

// A throw-away X desktop for the desktop suite: an Xvfb server with openbox as
// window manager, and the X11 command-line tools (xdotool, xprop, xwininfo)
// that drive it and read its state, as a user's desktop would see it.

#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace Desktop {

using WindowId = quint64;

// Polls cond every few milliseconds until it holds or timeoutMs has passed.
bool waitUntil(const std::function<bool()>& cond, int timeoutMs);

class X11Desktop {
public:
    X11Desktop();
    ~X11Desktop(); // kills the program, the window manager and the server

    // Starts Xvfb on the first free display from :11 and openbox on it, and
    // waits until both answer. False with error() set when that fails.
    bool start(const QString& scratchFolder);
    QString error() const { return error_; }
    QString display() const { return display_; }
    // What a program started on this desktop gets: DISPLAY, the xcb platform,
    // a fixed locale, its own runtime and configuration folders.
    QProcessEnvironment environment() const;

    // Starts a program on the desktop; it dies with the test process.
    QProcess* startProgram(const QString& program, const QString& workingFolder);

    // --- reading the desktop through X11 ---
    WindowId activeWindow() const;                                   // xdotool getactivewindow; 0 when none
    QString activeTitle() const;                                     // its title, in the same call; "" when none
    QList<WindowId> visibleWindows(const QString& titleRegex) const; // mapped windows by title
    QString title(WindowId window) const;
    QStringList atoms(WindowId window, const QString& property) const;
    QList<long> cardinals(WindowId window, const QString& property) const;
    QList<WindowId> stacking() const; // managed windows, bottom to top
    // The window with its frame: the client's place and size plus the frame
    // extents the window manager reports.
    QRect outerGeometry(WindowId window) const;
    QSize screenSize() const;

    // --- driving it with the keyboard (and the window manager's requests) ---
    void key(const QString& keys) const;
    void type(const QString& text) const;
    void resizeClient(WindowId window, int width, int height) const;
    void moveWindow(WindowId window, int x, int y) const;

private:
    QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr,
                QString* errors = nullptr) const;
    std::unique_ptr<QProcess> launch(const QString& program, const QStringList& arguments) const;
    void stopAll();

    QString error_;
    QString display_;
    QString scratch_;
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    QList<QProcess*> programs_;
};

} // namespace Desktop
