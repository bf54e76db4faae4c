#include "WindowHints.h"

#ifdef QUORVEL_HAVE_XCB

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QList>
#include <QWindow>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

QList<xcb_atom_t> readAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 64);
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    QList<xcb_atom_t> atoms;
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return atoms;
    const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    for (int i = 0; i < count; ++i)
        atoms.append(values[i]);
    return atoms;
}

void writeAtoms(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                const QList<xcb_atom_t>& atoms) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(atoms.size()), atoms.constData());
}

// The X connection and the window's native id (created now when it does not
// exist yet), or null when the program does not run on X11.
xcb_connection_t* nativeWindow(QWidget* window, xcb_window_t* id) {
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    *id = static_cast<xcb_window_t>(window->winId());
    return x11->connection();
}

// Adds _NET_WM_STATE_SKIP_TASKBAR (and _SKIP_PAGER) to the window's state.
// Qt merges its own states into what the property holds when it maps the
// window, so they stay.
void addSkipTaskbar(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> states = readAtoms(connection, window, state);
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t skip = internAtom(connection, name);
        if (!states.contains(skip))
            states.append(skip);
    }
    writeAtoms(connection, window, state, states);
}

// Qt on X11 asks the window manager to activate every application-modal
// window it maps, including one that takes no focus, and it also reads that
// request itself as the news that the window is now active. A popup then
// becomes Qt's focus window without ever holding the X input focus; when it
// is destroyed Qt waits 100 ms for a FocusIn that never comes (the keyboard
// never left the main window) and drops its focus window altogether: every
// key after that goes nowhere until the user clicks. Such requests for
// windows that take no focus are swallowed here.
class UnfocusableActivationFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->type != activeWindowAtom())
            return false;
        const QWindowList windows = QGuiApplication::allWindows();
        for (const QWindow* window : windows)
            if (window->handle() && window->winId() == client->window)
                return window->flags().testFlag(Qt::WindowDoesNotAcceptFocus);
        return false;
    }

private:
    xcb_atom_t activeWindowAtom() {
        if (atom_ == XCB_ATOM_NONE)
            if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
                atom_ = internAtom(x11->connection(), "_NET_ACTIVE_WINDOW");
        return atom_;
    }
    xcb_atom_t atom_ = XCB_ATOM_NONE;
};

} // namespace

namespace Platform {

void guardUnfocusableWindows() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    static UnfocusableActivationFilter filter;
    qApp->installNativeEventFilter(&filter);
}

void hintFixedDialog(QWidget* window) {
    xcb_window_t id = 0;
    xcb_connection_t* connection = nativeWindow(window, &id);
    if (!connection)
        return;
    // Some window managers (openbox among them) give every dialog a minimise
    // box whatever its Motif hints say; a window typed as a toolbar has none. The dialog type Qt set stays listed after
    // it, so the window is still a transient, modal dialog with a title bar and a close box.
    const xcb_atom_t type = internAtom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t toolbar = internAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR");
    QList<xcb_atom_t> types = readAtoms(connection, id, type);
    types.removeAll(toolbar);
    types.prepend(toolbar);
    writeAtoms(connection, id, type, types);
    addSkipTaskbar(connection, id);
    xcb_flush(connection);
}

void hintSkipTaskbar(QWidget* window) {
    xcb_window_t id = 0;
    xcb_connection_t* connection = nativeWindow(window, &id);
    if (!connection)
        return;
    addSkipTaskbar(connection, id);
    xcb_flush(connection);
}

} // namespace Platform

#else

namespace Platform {
void hintFixedDialog(QWidget*) {}
void hintSkipTaskbar(QWidget*) {}
void guardUnfocusableWindows() {}
} // namespace Platform

#endif
