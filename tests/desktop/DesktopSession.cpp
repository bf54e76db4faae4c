#include "DesktopSession.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace Desktop {

bool waitUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!cond()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

void stopProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

void dieWithParent() {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

} // namespace Desktop
