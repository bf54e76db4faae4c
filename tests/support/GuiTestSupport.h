#pragma once

// Helpers for tests of windows: quiet message boxes and popups, and walking
// modal chains of dialogs.

#include "TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace TestSupport {

// Runs `action` once the active modal widget is of type T (or times out and
// fails). Use it before a call that opens a modal dialog: the action runs from
// the event loop while the dialog's exec() waits.
template <typename T> void whenModal(std::function<void(T*)> action, int timeoutMs = 5000) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, timeoutMs] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            action(w);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            qWarning("whenModal: the expected dialog %s never became modal", T::staticMetaObject.className());
            if (QWidget* other = QApplication::activeModalWidget())
                other->close(); // do not leave the test hanging in someone else's exec()
        }
    });
    timer->start();
}

// Puts all message boxes and popups into test mode (no boxes displayed,
// popups short and silent).
void quietDialogs();

// Chooses the diary at `path` in frmOpenDiary once it is modal (opened by
// command 1 or by the create dialog) and types the password into
// frmEnterPassword.
void answerLogIn(const QString& path, const QString& password);

} // namespace TestSupport
