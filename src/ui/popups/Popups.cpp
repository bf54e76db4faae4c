#include "Popups.h"

#include "Platform.h"
#include "ProgramFolder.h"
#include "WindowPlacement.h"
#include "frmPopup.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

namespace {

struct Settings {
    int firstTickMs = 100;
    int secondTickMs = 2000;
    bool sound = true;
    QList<PopupKind> shown;
    int sounds = 0;
};

Settings& settings() {
    static Settings s;
    return s;
}

// The window the popup stands over: the active one, else (the active one
// has just closed, or the keyboard is elsewhere) the uppermost modal window,
// else a visible window of the program.
QWidget* popupOwner() {
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible() && !qobject_cast<frmPopup*>(active))
        return active;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && !qobject_cast<frmPopup*>(modal))
        return modal;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !qobject_cast<frmPopup*>(window))
            return window;
    return nullptr;
}

// Centred over the window that is active when the popup comes, else on the screen.
void placePopup(frmPopup& popup, const QWidget* owner) {
    QRect over;
    if (owner)
        over = Platform::popupAnchor(owner);
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        over = screen->geometry();
    if (over.isValid())
        popup.move(over.center() - QPoint(popup.width() / 2, popup.height() / 2));
}

} // namespace

namespace PopupSettings {

void setTimingForTesting(int firstTick, int secondTick) {
    settings().firstTickMs = firstTick;
    settings().secondTickMs = secondTick;
}
void setSoundEnabledForTesting(bool enabled) {
    settings().sound = enabled;
}
int firstTickMs() {
    return settings().firstTickMs;
}
int secondTickMs() {
    return settings().secondTickMs;
}
bool soundEnabled() {
    return settings().sound;
}
QList<PopupKind> shownForTesting() {
    return settings().shown;
}
void clearShownForTesting() {
    settings().shown.clear();
    settings().sounds = 0;
}
int soundCountForTesting() {
    return settings().sounds;
}

void playPopupSound() {
    ++settings().sounds;
    if (settings().sound)
        Platform::playSoundSync(QDir(ProgramFolder::path()).filePath(QStringLiteral("s1.wav")));
}

} // namespace PopupSettings

void showPopup(PopupKind kind) {
    settings().shown.append(kind);
    frmPopup popup(kind); // a fresh window each time, gone when this returns
    QWidget* owner = popupOwner();
    placePopup(popup, owner);
    Platform::tiePopupTo(&popup, owner);
    if (kind == PopupKind::KillAllowed)
        PopupSettings::playPopupSound(); // before the window is first drawn
    popup.exec();
}
