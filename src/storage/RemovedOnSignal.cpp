#include "RemovedOnSignal.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace RemovedOnSignal {

namespace {

constexpr int Slots = 16;
constexpr int NameBytes = 4096;
enum : int { Free = 0, Writing = 1, Armed = 2 };

// A slot is written only while Writing, which the handler passes over, so the
// handler never reads a name being changed.
struct Slot {
    std::atomic<int> state{Free};
    char name[NameBytes];
};
Slot pending[Slots];

constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[3];

void removeAndRaise(int signalNumber) {
    const int savedErrno = errno;
    for (Slot& slot : pending) {
        if (slot.state.load() == Armed)
            ::unlink(slot.name);
    }
    for (int i = 0; i < 3; ++i) {
        if (Handled[i] == signalNumber)
            ::sigaction(signalNumber, &previous[i], nullptr);
    }
    errno = savedErrno;
    ::raise(signalNumber); // delivered with the earlier handler once this one returns
}

void installOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 3; ++i) {
            struct sigaction before {};
            ::sigaction(Handled[i], nullptr, &before);
            if (before.sa_handler == SIG_IGN && !(before.sa_flags & SA_SIGINFO))
                continue; // nohup and friends: the signal never ends us
            previous[i] = before;
            struct sigaction action {};
            action.sa_handler = removeAndRaise;
            sigemptyset(&action.sa_mask);
            ::sigaction(Handled[i], &action, nullptr);
        }
    });
}

} // namespace

int remember(const QByteArray& name) {
    if (name.size() >= NameBytes)
        return -1;
    installOnce();
    for (int i = 0; i < Slots; ++i) {
        int expected = Free;
        if (!pending[i].state.compare_exchange_strong(expected, Writing))
            continue;
        std::memcpy(pending[i].name, name.constData(), size_t(name.size()) + 1);
        pending[i].state.store(Armed);
        return i;
    }
    return -1;
}

void forget(int slot) {
    if (slot >= 0 && slot < Slots)
        pending[slot].state.store(Free);
}

SignalsHeld::SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signalNumber : Handled)
        sigaddset(&held, signalNumber);
    ::pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

SignalsHeld::~SignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}

} // namespace RemovedOnSignal
