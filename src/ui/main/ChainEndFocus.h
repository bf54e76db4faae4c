#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Gives the keyboard back to the main window when the last modal window of a
// chain (dialogs, message boxes, popups) has gone. A window manager hands the
// focus to the window below one that closes; when a chain closes several
// dialogs at once, that window is closing too, and without this no window
// would be left active until the user clicks one.
class ChainEndFocus : public QObject {
public:
    // Watches every window of the application; lives as long as mainWindow.
    explicit ChainEndFocus(QWidget* mainWindow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activateMainWindow();

    QPointer<QWidget> main_;
    bool pending_ = false;
};
