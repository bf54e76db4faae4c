#include "X11Desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>

namespace Desktop {

namespace {

constexpr int ToolTimeoutMs = 10000;
constexpr int StartTimeoutMs = 20000;
const QString PopupTitle = QStringLiteral("^Form1$");

QString hex(WindowId window) {
    return QStringLiteral("0x%1").arg(window, 0, 16);
}

// The values after "=" in xprop's output ("PROP = A, B" or "PROP = 1, 2").
QStringList xpropValues(const QString& output) {
    const qsizetype equals = output.indexOf(QLatin1Char('='));
    if (equals < 0)
        return {};
    QStringList values;
    for (const QString& part : output.mid(equals + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString value = part.trimmed();
        if (!value.isEmpty())
            values << value;
    }
    return values;
}

int xwininfoValue(const QString& output, const QString& label) {
    const QRegularExpression line(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
    const QRegularExpressionMatch match = line.match(output);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

X11Desktop::X11Desktop() = default;

X11Desktop::~X11Desktop() {
    stopAll();
}

void X11Desktop::stopAll() {
    for (QProcess* program : programs_) {
        stopProcess(*program);
        delete program;
    }
    programs_.clear();
    for (std::unique_ptr<QProcess>* process : {&bus_, &windowManager_, &server_}) {
        if (*process) {
            stopProcess(**process);
            process->reset();
        }
    }
}

std::unique_ptr<QProcess> X11Desktop::launch(const QString& program, const QStringList& arguments) const {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setChildProcessModifier(dieWithParent);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    return process;
}

QProcessEnvironment X11Desktop::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch_ + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch_ + QStringLiteral("/config"));
    // The desktop's own session bus, never the one the test may have been started on.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.multimedia*=false;qt.qpa.*=false"));
    env.remove(QStringLiteral("XAUTHORITY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

bool X11Desktop::start(const QString& scratchFolder) {
    scratch_ = scratchFolder;
    QDir().mkpath(scratch_ + QStringLiteral("/runtime"));
    QFile::setPermissions(scratch_ + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(scratch_ + QStringLiteral("/config"));

    // The first display from :11 that no running server holds: Xvfb exits at
    // once when its display is taken (a lock file of a server that is gone it
    // takes over), and the next is tried.
    for (int number = 11; number < 100 && !server_; ++number) {
        display_ = QStringLiteral(":%1").arg(number);
        auto server = launch(QStringLiteral("Xvfb"),
                             {display_, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!server->waitForStarted(StartTimeoutMs)) {
            error_ = QStringLiteral("Xvfb does not start (is the xvfb package installed?)");
            return false;
        }
        const bool answers = waitUntil(
            [&] {
                if (server->state() != QProcess::Running)
                    return true;
                bool ok = false;
                run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")}, &ok);
                return ok;
            },
            StartTimeoutMs);
        if (answers && server->state() == QProcess::Running)
            server_ = std::move(server);
    }
    if (!server_) {
        error_ = QStringLiteral("no X server could be started on a free display");
        return false;
    }

    windowManager_ = launch(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!windowManager_->waitForStarted(StartTimeoutMs)) {
        error_ = QStringLiteral("openbox does not start (is the openbox package installed?)");
        return false;
    }
    // openbox is ready once it names itself on the root window.
    const bool managing = waitUntil(
        [&] {
            const QString check =
                run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
            return check.contains(QStringLiteral("window id"));
        },
        StartTimeoutMs);
    if (!managing) {
        error_ = QStringLiteral("openbox does not manage the display");
        return false;
    }
    bus_ = std::make_unique<QProcess>();
    bus_->setProcessEnvironment(environment());
    bus_->setChildProcessModifier(dieWithParent);
    if (!startSessionBus(*bus_, scratch_ + QStringLiteral("/runtime"), &busAddress_)) {
        error_ = QStringLiteral("no session bus (is the dbus-daemon package installed?)");
        return false;
    }
    return true;
}

QProcess* X11Desktop::startProgram(const QString& program, const QString& workingFolder) {
    auto* process = new QProcess;
    process->setProcessEnvironment(environment());
    process->setChildProcessModifier(dieWithParent);
    process->setWorkingDirectory(workingFolder);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(program, {});
    programs_.append(process);
    return process;
}

QString X11Desktop::run(const QString& program, const QStringList& arguments, bool* ok, QString* errors) const {
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(program, arguments);
    const bool finished = tool.waitForStarted(ToolTimeoutMs) && tool.waitForFinished(ToolTimeoutMs);
    if (ok)
        *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (errors)
        *errors = QString::fromUtf8(tool.readAllStandardError()).trimmed();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

WindowId X11Desktop::activeWindow() const {
    return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed().toULongLong();
}

QString X11Desktop::activeTitle() const {
    return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")})
        .trimmed();
}

QList<WindowId> X11Desktop::visibleWindows(const QString& titleRegex) const {
    // A search fails (BadWindow) when a window goes while it runs; that one
    // is asked again. No match at all is exit code 1 with nothing printed.
    QString found;
    for (int attempt = 0; attempt < 5; ++attempt) {
        QString errors;
        found = run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), titleRegex},
                    nullptr, &errors);
        if (errors.isEmpty())
            break;
    }
    QList<WindowId> windows;
    for (const QString& line : found.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        windows << line.trimmed().toULongLong();
    return windows;
}

QString X11Desktop::title(WindowId window) const {
    if (window == 0)
        return QStringLiteral("(no window)");
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(window)}).trimmed();
}

QStringList X11Desktop::atoms(WindowId window, const QString& property) const {
    return xpropValues(
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), hex(window), QStringLiteral("-notype"), property}));
}

QList<long> X11Desktop::cardinals(WindowId window, const QString& property) const {
    QList<long> values;
    for (const QString& value : atoms(window, property))
        values << value.toLong();
    return values;
}

QList<WindowId> X11Desktop::stacking() const {
    const QString output = run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                                         QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<WindowId> windows;
    static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
    for (const QRegularExpressionMatch& match : id.globalMatch(output))
        windows << match.captured(0).mid(2).toULongLong(nullptr, 16);
    return windows;
}

QRect X11Desktop::outerGeometry(WindowId window) const {
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), hex(window)});
    const QRect client(xwininfoValue(info, QStringLiteral("Absolute upper-left X")),
                       xwininfoValue(info, QStringLiteral("Absolute upper-left Y")),
                       xwininfoValue(info, QStringLiteral("Width")), xwininfoValue(info, QStringLiteral("Height")));
    const QList<long> extents = cardinals(window, QStringLiteral("_NET_FRAME_EXTENTS")); // left, right, top, bottom
    if (extents.size() != 4)
        return client;
    return client.adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
}

QSize X11Desktop::screenSize() const {
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    return {xwininfoValue(info, QStringLiteral("Width")), xwininfoValue(info, QStringLiteral("Height"))};
}

void X11Desktop::key(const QString& keys) const {
    run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys.split(QLatin1Char(' ')));
}

void X11Desktop::type(const QString& text) const {
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("2"), text});
}

bool X11Desktop::lockScreen() const {
    bool ok = false;
    run(QStringLiteral("dbus-send"), screenLockSignal(), &ok);
    return ok;
}

void X11Desktop::resizeClient(WindowId window, int width, int height) const {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowsize"), QString::number(window), QString::number(width), QString::number(height)});
}

void X11Desktop::moveWindow(WindowId window, int x, int y) const {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowmove"), QString::number(window), QString::number(x), QString::number(y)});
}

QString X11Desktop::fixedDialogFault(WindowId dialog) const {
    QStringList actions;
    // The window manager sets the allowed actions once it manages the window.
    waitUntil(
        [&] {
            actions = atoms(dialog, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
            return !actions.isEmpty();
        },
        StartTimeoutMs);
    if (!actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE")))
        return QStringLiteral("no close action: ") + actions.join(' ');
    for (const char* refused : {"_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                                "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
        if (actions.contains(QLatin1String(refused)))
            return QStringLiteral("allows ") + QLatin1String(refused);
    const QStringList state = atoms(dialog, QStringLiteral("_NET_WM_STATE"));
    if (!state.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")))
        return QStringLiteral("in the task bar; state: ") + state.join(' ');
    return {};
}

bool X11Desktop::popupShown() const {
    return !visibleWindows(PopupTitle).isEmpty();
}

QString X11Desktop::quietPopupFault(WindowId mainWindow) const {
    const QList<WindowId> popups = visibleWindows(PopupTitle);
    if (popups.isEmpty())
        return QStringLiteral("no popup");
    const WindowId popup = popups.first();
    if (activeWindow() == popup)
        return QStringLiteral("the popup took the focus");
    const QList<long> frame = cardinals(popup, QStringLiteral("_NET_FRAME_EXTENTS"));
    if (frame != QList<long>({0, 0, 0, 0}))
        return QStringLiteral("the popup has a frame");
    const QStringList state = atoms(popup, QStringLiteral("_NET_WM_STATE"));
    if (!state.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")) ||
        !state.contains(QStringLiteral("_NET_WM_STATE_ABOVE")))
        return QStringLiteral("popup state: ") + state.join(' ');
    const QList<WindowId> stack = stacking();
    if (stack.indexOf(popup) < stack.indexOf(mainWindow) || stack.indexOf(mainWindow) < 0)
        return QStringLiteral("the popup does not stand above the main window");
    return {};
}

} // namespace Desktop
