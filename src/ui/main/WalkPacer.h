#pragma once

#include "DiaryWalks.h"

#include <QElapsedTimer>

// Keeps the window alive during a long walk over a diary: moves
// frmMain.pgbProgressBottom and lets pending window events run, but at most
// every 30 ms so that a walk does not pay an event-loop turn per entry.
class WalkPacer {
public:
    explicit WalkPacer(bool driveProgressBar);
    ~WalkPacer();
    WalkPacer(const WalkPacer&) = delete;
    WalkPacer& operator=(const WalkPacer&) = delete;

    // The callback to hand to a walk.
    WalkProgress progress();
    // Longest gap between two event-loop turns seen so far (ms), for the benchmark.
    qint64 longestGapMs() const { return longestGapMs_; }

private:
    void step(qint32 done, qint32 total);

    bool driveProgressBar_;
    QElapsedTimer sinceLastTurn_;
    qint64 longestGapMs_ = 0;
};
