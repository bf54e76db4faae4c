#include "ChainEndFocus.h"

#include "ViewFocus.h"
#include "frmMain.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

ChainEndFocus::ChainEndFocus(QWidget* mainWindow) : QObject(mainWindow), main_(mainWindow) {
    qApp->installEventFilter(this);
}

bool ChainEndFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        const auto* window = static_cast<QWidget*>(watched);
        // Checked once the events of the closing have run, so that a chain
        // that goes on (the next dialog, a popup) is still seen as open.
        if (window->isWindow() && window != main_ && window->isModal() && !pending_) {
            pending_ = true;
            QMetaObject::invokeMethod(this, &ChainEndFocus::activateMainWindow, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ChainEndFocus::activateMainWindow() {
    pending_ = false;
    if (!main_ || !main_->isVisible() || main_->isMinimized() || QApplication::activeModalWidget())
        return;
    // The keys go to a control of the view now shown, not to one the chain
    // hid, nor to the menu bar a menu command left it on.
    if (auto* main = qobject_cast<frmMain*>(main_.data()))
        ViewFocus::settleAfterChain(main);
    // Asking the window manager again for a window it holds active can cost
    // the keyboard on X11 (a FocusOut without a FocusIn): only a window that
    // lost the focus is activated.
    if (main_->isActiveWindow())
        return;
    main_->raise();
    main_->activateWindow();
}
