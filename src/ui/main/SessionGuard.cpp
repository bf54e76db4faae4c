#include "SessionGuard.h"

#include "DiaryLock.h"
#include "MsgBox.h"
#include "frmMain.h"

namespace {
SessionGuard* theGuard = nullptr;
} // namespace

SessionGuard::SessionGuard(frmMain* main) : QObject(main), main_(main) {
    theGuard = this;
    setObjectName(QStringLiteral("sessionGuard"));
}

SessionGuard::~SessionGuard() {
    if (theGuard == this)
        theGuard = nullptr;
}

SessionGuard* SessionGuard::instance() {
    return theGuard;
}

QString SessionGuard::heldDiary() const {
    return session_ ? session_->diaryPath() : QString();
}

bool SessionGuard::claimChosen(const QString& diaryPath) {
    chain_.reset();
    if (diaryPath.isEmpty() || (session_ && session_->diaryPath() == diaryPath))
        return true; // open here already
    auto lock = std::make_unique<DiaryLock>(diaryPath);
    switch (lock->take()) {
    case DiaryLock::State::Taken:
        chain_ = std::move(lock);
        return true;
    case DiaryLock::State::Failed:
        // A folder this user may not write into: nothing can be written there
        // either, so reading goes on without a lock.
        return true;
    case DiaryLock::State::HeldElsewhere:
        break;
    }
    MsgBox::show(QStringLiteral("This diary is already open in another Quorvel window."), QStringLiteral("Quorvel"),
                 MsgBox::Buttons::Ok, main_);
    return false;
}

void SessionGuard::chainEnded() {
    chain_.reset();
}

void SessionGuard::opened(const QString& diaryPath) {
    if (chain_ && chain_->diaryPath() == diaryPath)
        session_ = std::move(chain_);
    else if (!session_ || session_->diaryPath() != diaryPath)
        session_.reset();
    chain_.reset();
}

void SessionGuard::closed() {
    session_.reset();
}
