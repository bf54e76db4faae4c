#include "WaylandDesktop.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>

namespace Desktop {

namespace {

constexpr int ToolTimeoutMs = 10000;
constexpr int StartTimeoutMs = 20000;
// How far from the centre a popup may stand (rounding of odd sizes).
constexpr int CentreTolerance = 3;
constexpr QSize PopupSize(563, 131);

// No XWayland, so nothing can fall back to X11; an output just large enough
// for the main window keeps each screenshot small.
const char* const SwayConfig = "xwayland disable\n"
                               "output HEADLESS-1 resolution 1024x768\n";

QJsonArray childrenOf(const QJsonObject& node) {
    QJsonArray children = node.value(QStringLiteral("nodes")).toArray();
    for (const QJsonValue& floating : node.value(QStringLiteral("floating_nodes")).toArray())
        children.append(floating);
    return children;
}

QRect rectOf(const QJsonObject& object) {
    return {object.value(QStringLiteral("x")).toInt(), object.value(QStringLiteral("y")).toInt(),
            object.value(QStringLiteral("width")).toInt(), object.value(QStringLiteral("height")).toInt()};
}

void collectViews(const QJsonObject& node, QList<WaylandDesktop::View>& views) {
    if (node.value(QStringLiteral("pid")).toInt() > 0) {
        WaylandDesktop::View view;
        view.id = WindowId(node.value(QStringLiteral("id")).toInteger());
        view.title = node.value(QStringLiteral("name")).toString();
        view.focused = node.value(QStringLiteral("focused")).toBool();
        view.floating = node.value(QStringLiteral("type")).toString() == QLatin1String("floating_con");
        const QRect outer = rectOf(node.value(QStringLiteral("rect")).toObject());
        const QRect inner = rectOf(node.value(QStringLiteral("window_rect")).toObject());
        view.content = inner.translated(outer.topLeft());
        views << view;
    }
    for (const QJsonValue& child : childrenOf(node))
        collectViews(child.toObject(), views);
}

// The popup's picture: a light bevel at the top left, a dark one at the
// bottom right, silver inside.
bool popupPictureAt(const QImage& screen, int x, int y) {
    const QRect picture(QPoint(x, y), PopupSize);
    if (!screen.rect().contains(picture))
        return false;
    return screen.pixel(x, y) == qRgb(240, 240, 240) && screen.pixel(x + 10, y + 10) == qRgb(192, 192, 192) &&
           screen.pixel(picture.right(), picture.bottom()) == qRgb(64, 64, 64);
}

} // namespace

WaylandDesktop::WaylandDesktop() = default;

WaylandDesktop::~WaylandDesktop() {
    stopAll();
}

void WaylandDesktop::stopAll() {
    if (compositor_ && compositor_->state() == QProcess::Running)
        run(QStringLiteral("swaymsg"), {QStringLiteral("exit")});
    for (QProcess* program : programs_) {
        stopProcess(*program);
        delete program;
    }
    programs_.clear();
    for (std::unique_ptr<QProcess>* process : {&bus_, &keyboard_, &compositor_}) {
        if (*process) {
            stopProcess(**process);
            process->reset();
        }
    }
}

QProcessEnvironment WaylandDesktop::environment() const {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH", QStringLiteral("/usr/bin:/bin")));
    env.insert(QStringLiteral("HOME"), scratch_ + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch_ + QStringLiteral("/home/config"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.multimedia*=false;qt.qpa.*=false"));
    // The sanitizer build's options reach the program; the leak suppressions
    // are read from a copy the desktop's user may read.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(name))
            env.insert(QLatin1String(name), qEnvironmentVariable(name));
    if (qEnvironmentVariableIsSet("LSAN_OPTIONS")) {
        static const QRegularExpression suppressions(QStringLiteral("suppressions=[^:]*"));
        env.insert(QStringLiteral("LSAN_OPTIONS"),
                   qEnvironmentVariable("LSAN_OPTIONS")
                       .replace(suppressions, QStringLiteral("suppressions=") + scratch_ + QStringLiteral("/lsan.supp")));
    }
    if (!waylandDisplay_.isEmpty())
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay_);
    if (!swaySocket_.isEmpty())
        env.insert(QStringLiteral("SWAYSOCK"), swaySocket_);
    if (!busAddress_.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    return env;
}

// The child becomes the desktop's user (it gives up root's groups first),
// then asks for SIGTERM when the test dies: a change of user clears that.
void WaylandDesktop::prepare(QProcess& process) const {
    process.setProcessEnvironment(environment());
    const uid_t uid = uid_;
    const gid_t gid = gid_;
    const bool change = !user_.isEmpty();
    process.setChildProcessModifier([uid, gid, change] {
        if (change && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(126);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
}

std::unique_ptr<QProcess> WaylandDesktop::launch(const QString& program, const QStringList& arguments,
                                                 const QString& workingFolder) const {
    auto process = std::make_unique<QProcess>();
    prepare(*process);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    if (!workingFolder.isEmpty())
        process->setWorkingDirectory(workingFolder);
    process->start(program, arguments);
    return process;
}

QString WaylandDesktop::run(const QString& program, const QStringList& arguments, bool* ok) const {
    QProcess tool;
    prepare(tool);
    tool.start(program, arguments);
    const bool finished = tool.waitForStarted(ToolTimeoutMs) && tool.waitForFinished(ToolTimeoutMs);
    if (ok)
        *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

void WaylandDesktop::handOver(const QString& folder) const {
    if (!user_.isEmpty())
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), user_ + QLatin1Char(':'), folder});
}

bool WaylandDesktop::start(const QString& scratchFolder) {
    scratch_ = scratchFolder;
    runtime_ = scratch_ + QStringLiteral("/runtime");
    // sway will not run as root.
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody) {
            error_ = QStringLiteral("sway refuses root, and there is no user \"nobody\" to run it");
            return false;
        }
        user_ = QStringLiteral("nobody");
        uid_ = nobody->pw_uid;
        gid_ = nobody->pw_gid;
    }
    QDir().mkpath(runtime_);
    QDir().mkpath(scratch_ + QStringLiteral("/home/config"));
    QFile config(scratch_ + QStringLiteral("/sway.config"));
    if (!config.open(QIODevice::WriteOnly) || config.write(SwayConfig) < 0) {
        error_ = QStringLiteral("cannot write the sway configuration");
        return false;
    }
    config.close();
    const QRegularExpressionMatch suppressions =
        QRegularExpression(QStringLiteral("suppressions=([^:]*)")).match(qEnvironmentVariable("LSAN_OPTIONS"));
    if (suppressions.hasMatch())
        QFile::copy(suppressions.captured(1), scratch_ + QStringLiteral("/lsan.supp"));
    QFile::setPermissions(scratch_, QFile::permissions(scratch_) | QFileDevice::ExeOther | QFileDevice::ReadOther);
    handOver(scratch_ + QStringLiteral("/home"));
    handOver(runtime_);
    QFile::setPermissions(runtime_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    compositor_ = launch(QStringLiteral("sway"), {QStringLiteral("-c"), config.fileName()});
    if (!compositor_->waitForStarted(StartTimeoutMs)) {
        error_ = QStringLiteral("sway does not start (is the sway package installed?)");
        return false;
    }
    // Ready once both its sockets are there and it answers.
    const bool answers = waitUntil(
        [&] {
            if (compositor_->state() != QProcess::Running)
                return true;
            const QDir runtime(runtime_);
            const QStringList ipc = runtime.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
            const QStringList wayland = runtime.entryList({QStringLiteral("wayland-?")}, QDir::System);
            if (ipc.isEmpty() || wayland.isEmpty())
                return false;
            swaySocket_ = runtime.filePath(ipc.first());
            waylandDisplay_ = wayland.first();
            bool ok = false;
            run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_version")}, &ok);
            return ok;
        },
        StartTimeoutMs);
    if (!answers || compositor_->state() != QProcess::Running) {
        error_ = QStringLiteral("headless sway does not answer");
        return false;
    }
    // A keyboard that stays plugged in: without it the seat has a keyboard
    // only while a wtype runs, and each unplugging is a loss of focus.
    keyboard_ = launch(QStringLiteral("wtype"), {QStringLiteral("-s"), QStringLiteral("86400000")});
    const bool plugged = waitUntil(
        [&] {
            return run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_inputs")})
                .contains(QStringLiteral("\"type\": \"keyboard\""));
        },
        StartTimeoutMs);
    if (!plugged) {
        error_ = QStringLiteral("wtype gives sway no keyboard (is the wtype package installed?)");
        return false;
    }
    // The session bus runs as the desktop's user, in its runtime folder.
    bus_ = std::make_unique<QProcess>();
    prepare(*bus_);
    if (!startSessionBus(*bus_, runtime_, &busAddress_)) {
        error_ = QStringLiteral("no session bus (is the dbus-daemon package installed?)");
        return false;
    }
    return true;
}

QProcess* WaylandDesktop::startProgram(const QString& program, const QString& workingFolder) {
    programs_.append(launch(program, {}, workingFolder).release());
    return programs_.last();
}

QList<WaylandDesktop::View> WaylandDesktop::views() const {
    const QString tree = run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    QList<View> found;
    collectViews(QJsonDocument::fromJson(tree.toUtf8()).object(), found);
    return found;
}

WindowId WaylandDesktop::activeWindow() const {
    for (const View& view : views())
        if (view.focused)
            return view.id;
    return 0;
}

QString WaylandDesktop::activeTitle() const {
    for (const View& view : views())
        if (view.focused)
            return view.title;
    return {};
}

QList<WindowId> WaylandDesktop::visibleWindows(const QString& titleRegex) const {
    const QRegularExpression pattern(titleRegex);
    QList<WindowId> found;
    for (const View& view : views())
        if (pattern.match(view.title).hasMatch())
            found << view.id;
    return found;
}

QString WaylandDesktop::title(WindowId window) const {
    for (const View& view : views())
        if (view.id == window)
            return view.title;
    return QStringLiteral("(no window)");
}

// xdotool's "ctrl+shift+Tab Return" as one wtype call: modifiers pressed,
// the key typed, modifiers released; a short pause first so that the program
// has taken wtype's new keymap.
void WaylandDesktop::key(const QString& keys) const {
    QStringList arguments{QStringLiteral("-s"), QStringLiteral("60")};
    for (const QString& chord : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QStringList modifiers = chord.split(QLatin1Char('+'));
        const QString key = modifiers.takeLast();
        for (const QString& modifier : modifiers)
            arguments << QStringLiteral("-M") << (modifier == QLatin1String("super") ? QStringLiteral("logo") : modifier);
        arguments << QStringLiteral("-k") << key;
        for (auto it = modifiers.crbegin(); it != modifiers.crend(); ++it)
            arguments << QStringLiteral("-m") << (*it == QLatin1String("super") ? QStringLiteral("logo") : *it);
    }
    run(QStringLiteral("wtype"), arguments);
}

void WaylandDesktop::type(const QString& text) const {
    run(QStringLiteral("wtype"), {QStringLiteral("-s"), QStringLiteral("60"), text});
}

bool WaylandDesktop::lockScreen() const {
    bool ok = false;
    run(QStringLiteral("dbus-send"), screenLockSignal(), &ok);
    return ok;
}

QString WaylandDesktop::fixedDialogFault(WindowId dialog) const {
    for (const View& view : views()) {
        if (view.id != dialog)
            continue;
        if (!view.floating)
            return QStringLiteral("does not float above the main window");
        if (!view.focused)
            return QStringLiteral("does not hold the keyboard");
        return {};
    }
    return QStringLiteral("is not open");
}

QImage WaylandDesktop::screenshot() const {
    QProcess grim;
    prepare(grim);
    grim.start(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForStarted(ToolTimeoutMs) || !grim.waitForFinished(ToolTimeoutMs))
        return {};
    return QImage::fromData(grim.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
}

QRect WaylandDesktop::findPopup(const QImage& screen, const QRect& area) const {
    // Searched a little around the centre, so that one standing off-centre
    // is still found and its offset told.
    const QPoint centred = area.center() - QPoint(PopupSize.width() / 2, PopupSize.height() / 2);
    for (int dy = -40; dy <= 40; ++dy)
        for (int dx = -40; dx <= 40; ++dx)
            if (popupPictureAt(screen, centred.x() + dx, centred.y() + dy))
                return {centred + QPoint(dx, dy), PopupSize};
    return {};
}

bool WaylandDesktop::popupShown() const {
    const QImage screen = screenshot();
    for (const View& view : views())
        if (!findPopup(screen, view.content).isNull())
            return true;
    return false;
}

QString WaylandDesktop::quietPopupFault(WindowId) const {
    const QImage screen = screenshot();
    const QList<View> all = views();
    for (const View& view : all) {
        if (!view.focused)
            continue;
        if (view.title == QLatin1String("Form1"))
            return QStringLiteral("the popup is a window of its own and holds the keyboard");
        const QRect popup = findPopup(screen, view.content);
        if (popup.isNull())
            return QStringLiteral("no popup over \"%1\", the window with the keyboard").arg(view.title);
        const QPoint offset = popup.center() - view.content.center();
        if (qAbs(offset.x()) > CentreTolerance || qAbs(offset.y()) > CentreTolerance)
            return QStringLiteral("the popup stands %1,%2 px off the centre of \"%3\"")
                .arg(offset.x())
                .arg(offset.y())
                .arg(view.title);
        return {};
    }
    return QStringLiteral("no window holds the keyboard while the popup stands");
}

} // namespace Desktop
