#pragma once

// A throw-away Wayland desktop for the desktop suite: headless sway (no
// XWayland, so nothing can fall back to X11), one wtype kept running as a
// plugged-in keyboard, swaymsg to read which window has the keyboard and
// where windows stand, grim to see the popups (which are no windows of
// sway's tree). sway refuses to run as root: as root, the compositor, the
// keyboard, the tools and the program run as the user "nobody".

#include "DesktopSession.h"

#include <QImage>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRect>

#include <memory>

namespace Desktop {

class WaylandDesktop : public DesktopSession {
public:
    WaylandDesktop();
    ~WaylandDesktop() override;

    bool start(const QString& scratchFolder) override;
    QProcess* startProgram(const QString& program, const QString& workingFolder) override;
    void handOver(const QString& folder) const override;

    WindowId activeWindow() const override;
    QString activeTitle() const override;
    QList<WindowId> visibleWindows(const QString& titleRegex) const override;
    QString title(WindowId window) const override;

    void key(const QString& keys) const override;
    void type(const QString& text) const override;
    bool lockScreen() const override;

    // Floats, holds the keyboard.
    QString fixedDialogFault(WindowId dialog) const override;
    bool popupShown() const override;
    // The keyboard stays with the window below; the popup stands centred over it.
    QString quietPopupFault(WindowId mainWindow) const override;

    // One window of sway's tree.
    struct View {
        WindowId id = 0;
        QString title;
        bool focused = false;
        bool floating = false;
        QRect content; // the client area on the output
    };
    QList<View> views() const;

private:
    QProcessEnvironment environment() const;
    // Environment and user of a child process.
    void prepare(QProcess& process) const;
    QString run(const QString& program, const QStringList& arguments, bool* ok = nullptr) const;
    std::unique_ptr<QProcess> launch(const QString& program, const QStringList& arguments,
                                     const QString& workingFolder = {}) const;
    QImage screenshot() const;
    // Where the popup's picture stands near the centre of area; null when none.
    QRect findPopup(const QImage& screen, const QRect& area) const;
    void stopAll();

    QString scratch_;
    QString runtime_;
    QString user_; // empty: the test's own user
    uint uid_ = 0;
    uint gid_ = 0;
    QString waylandDisplay_;
    QString swaySocket_;
    std::unique_ptr<QProcess> compositor_;
    std::unique_ptr<QProcess> keyboard_;
    std::unique_ptr<QProcess> bus_;
    QString busAddress_;
    QList<QProcess*> programs_;
};

} // namespace Desktop
