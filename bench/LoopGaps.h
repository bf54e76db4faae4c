#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

// The longest gap between two turns of the event loop, seen by a 1 ms timer:
// by the wall clock, and by the UI thread's own CPU time, which tells a busy
// UI thread from a loaded machine that gave it no core.
class LoopGaps {
public:
    LoopGaps();
    void start(); // the clocks start now
    void stop();  // the gap up to now counts too
    double longestMs() const { return double(longest_) / 1e6; }
    double longestCpuMs() const { return double(longestCpu_) / 1e6; }

private:
    void tick();

    QTimer ticker_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 lastCpu_ = 0;
    qint64 longestCpu_ = 0;
};

// The calling thread's own CPU time in ns.
qint64 threadCpuNs();

// The file the benchmarks give quorvel-tool's --password-file: "bench".
QString writeBenchPasswordFile(const QString& folder);
