#include "BusyWork.h"

#include "frmMain.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QStatusBar>
#include <QThread>

#include <memory>

namespace {

// The window manager's close box is no user input to Qt: held off here, so
// no dialog of the chain that waits closes (and is deleted) under it.
class CloseHolder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void runWhileBusy(const QString& statusLine, const std::function<void()>& work) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QPointer<QStatusBar> bar = frmMain::instance() ? frmMain::instance()->StatusBar1 : nullptr;
    if (bar)
        bar->showMessage(statusLine);

    CloseHolder holder;
    qApp->installEventFilter(&holder);
    const std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    // Queued from the worker: delivered even when it ends before exec().
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    qApp->removeEventFilter(&holder);

    if (bar && bar->currentMessage() == statusLine)
        bar->clearMessage();
    QApplication::restoreOverrideCursor();
}
