#include "IdleLock.h"

#include "ComposerEdits.h"
#include "DiaryCrypto.h"
#include "DraftKeeper.h"
#include "SessionGuard.h"
#include "StorageGlobals.h"
#include "UserSettings.h"
#include "frmMain.h"
#include "mApplication.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStringListModel>

#include <algorithm>

namespace {

int& timeoutForTesting() {
    static int ms = 0;
    return ms;
}

// Whether the clipboard's text came out of the diary shown in the window.
bool clipboardFromDiary(const frmMain* main, const QString& clip) {
    if (clip.trimmed().isEmpty())
        return false;
    const QStringList shown = {main->txtTopic->text(), main->txtEntry->toPlainText(), main->txtREADINGTopic->text(),
                               main->txtREADINGEntry->toPlainText(),
                               main->lstEntriesModel->stringList().join(QLatin1Char('\n'))};
    for (const QString& text : shown)
        if (text.contains(clip))
            return true;
    return false;
}

} // namespace

IdleLock::IdleLock(frmMain* main) : QObject(main), main_(main) {
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, &IdleLock::idleReached);
    connect(&countdown_, &QTimer::timeout, this, &IdleLock::tick);
    qApp->installEventFilter(this);
    settingsChanged();
    listenToTheDesktop();
}

void IdleLock::settingsChanged() {
    const auto settings = openUserSettings();
    minutes_ = qBound(0, settings->value(SettingKeys::LockMinutes, 10).toInt(), 120);
    plainToo_ = settings->value(SettingKeys::LockPlainDiaries, false).toBool();
    arm();
}

void IdleLock::listenToTheDesktop() {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        const char* slot = SLOT(screenSaverActiveChanged(bool));
        session.connect(QString(), QStringLiteral("/org/freedesktop/ScreenSaver"),
                        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"), this, slot);
        session.connect(QString(), QStringLiteral("/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver"),
                        QStringLiteral("ActiveChanged"), this, slot);
        session.connect(QString(), QStringLiteral("/org/gnome/ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver"),
                        QStringLiteral("ActiveChanged"), this, slot);
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        const QString logind = QStringLiteral("org.freedesktop.login1");
        system.connect(logind, QStringLiteral("/org/freedesktop/login1"),
                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                       SLOT(prepareForSleep(bool)));
        system.connect(logind, QString(), QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"),
                       this, SLOT(sessionLockAsked()));
    }
}

void IdleLock::screenSaverActiveChanged(bool active) {
    if (active && applies())
        closeDiary(tr("The diary was closed when the screen was locked."));
}

void IdleLock::prepareForSleep(bool starting) {
    if (starting && applies())
        closeDiary(tr("The diary was closed when the computer went to sleep."));
}

void IdleLock::sessionLockAsked() {
    if (applies())
        closeDiary(tr("The diary was closed when the screen was locked."));
}

void IdleLock::setTimeoutForTesting(int ms) {
    timeoutForTesting() = ms;
}

int IdleLock::timeoutMs() const {
    return timeoutForTesting() > 0 ? timeoutForTesting() : minutes_ * 60 * 1000;
}

void IdleLock::arm() {
    if (counting_.isValid()) {
        counting_.invalidate();
        countdown_.stop();
        main_->StatusBar1->clearMessage();
    }
    const int ms = timeoutMs();
    // The countdown takes the last 10 seconds (a quarter of a shorter time).
    leadMs_ = std::min(10000, ms / 4);
    if (ms > 0)
        idle_.start(ms - leadMs_);
    else
        idle_.stop();
}

bool IdleLock::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        arm();
        break;
    case QEvent::MouseMove:
        if (counting_.isValid())
            arm();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool IdleLock::applies() const {
    if (publicDiaryPath.isEmpty())
        return false;
    // An encrypted diary is open while its key is (publicHeader may be the
    // header of another file a chooser read since).
    return plainToo_ || DiaryCrypto::currentOpenKey() != nullptr;
}

void IdleLock::idleReached() {
    if (!applies()) {
        arm();
        return;
    }
    counting_.start();
    countdown_.start(std::max(10, std::min(1000, leadMs_ / 5)));
    tick();
}

void IdleLock::tick() {
    const qint64 left = leadMs_ - counting_.elapsed();
    if (left > 0 && applies()) {
        const qint64 seconds = (left + 999) / 1000;
        main_->StatusBar1->showMessage(
            seconds == 1 ? tr("The diary closes in 1 second without use; a key or a mouse move keeps it open.")
                         : tr("The diary closes in %1 seconds without use; a key or a mouse move keeps it open.")
                               .arg(seconds));
        return;
    }
    counting_.invalidate();
    countdown_.stop();
    if (applies())
        closeDiary(minutes_ == 1 ? tr("The diary was closed after 1 minute without use.")
                                 : tr("The diary was closed after %1 minutes without use.").arg(minutes_));
    arm();
}

void IdleLock::closeDiary(const QString& why) {
    frmMain* m = main_;
    // The diary's dialogs go first, so nothing of it stays on screen.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
            dialog->reject();
    if (QClipboard* clipboard = QGuiApplication::clipboard(); clipboard && clipboardFromDiary(m, clipboard->text()))
        clipboard->clear();
    // The composer's text becomes the draft, sealed with the key still open.
    if (m->draftKeeper)
        m->draftKeeper->sessionLost(true);
    publicDiaryPath.clear();
    if (SessionGuard* guard = SessionGuard::instance())
        guard->closed();
    DiaryCrypto::clearOpenKey();
    m->lblWhichOwner->setText(QString());
    m->lblTitle->setText(QString());
    m->txtTopic->setText(QString());
    m->txtEntry->setPlainText(QString());
    m->txtREADINGTopic->setText(QString());
    m->txtREADINGEntry->setPlainText(QString());
    m->lblREADINGDateTime->setText(QString());
    m->lblREADINGTags->clear();
    m->lblREADINGTags->hide();
    m->lstEntriesModel->setStringList({});
    m->fraComposer->hide();
    m->fraEntryBrowser->hide();
    m->fraEntryReading->hide();
    m->fraStaticticals->hide();
    Run_Command(10);
    m->StatusBar1->showMessage(why);
}
