#include "WalkPacer.h"

#include "frmMain.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace {
constexpr qint64 TurnIntervalMs = 30;
}

WalkPacer::WalkPacer(bool driveProgressBar) : driveProgressBar_(driveProgressBar) {
    sinceLastTurn_.start();
}

WalkPacer::~WalkPacer() = default;

WalkProgress WalkPacer::progress() {
    return [this](qint32 done, qint32 total) { step(done, total); };
}

// Called by the walk every few entries: at most every 30 ms the bar moves and
// pending events run. The main window may go away during those events, so it
// is looked up afresh every time.
void WalkPacer::step(qint32 done, qint32 total) {
    const qint64 gap = sinceLastTurn_.elapsed();
    if (gap < TurnIntervalMs)
        return;
    if (driveProgressBar_) {
        if (frmMain* main = frmMain::instance()) {
            if (main->pgbProgressBottom->maximum() != total)
                main->pgbProgressBottom->setRange(0, total);
            main->pgbProgressBottom->setValue(done);
        }
    }
    QCoreApplication::processEvents();
    longestGapMs_ = qMax(longestGapMs_, gap);
    sinceLastTurn_.restart();
}
