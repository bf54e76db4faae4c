#include "LoopGaps.h"

#include <QFile>

#include <ctime>

qint64 threadCpuNs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

LoopGaps::LoopGaps() {
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(1);
    QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
}

void LoopGaps::start() {
    clock_.start();
    last_ = 0;
    lastCpu_ = threadCpuNs();
    ticker_.start();
}

void LoopGaps::stop() {
    tick();
    ticker_.stop();
}

void LoopGaps::tick() {
    const qint64 now = clock_.nsecsElapsed();
    const qint64 cpu = threadCpuNs();
    longest_ = qMax(longest_, now - last_);
    longestCpu_ = qMax(longestCpu_, cpu - lastCpu_);
    last_ = now;
    lastCpu_ = cpu;
}

QString writeBenchPasswordFile(const QString& folder) {
    const QString path = folder + QStringLiteral("/password");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("bench\n") != 6)
        qFatal("cannot write the password file");
    return path;
}
