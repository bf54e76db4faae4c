#pragma once

#include <QByteArray>

#include <csignal>

// Names of half-written files that go with the process: on SIGINT, SIGTERM
// or SIGHUP each registered name is unlinked and the signal then does what
// it did before (it is raised again with the earlier handler). Only for the
// few named temporary files a file system without unnamed files makes us
// use; a signal that was ignored stays ignored.
namespace RemovedOnSignal {

// Registers name (an absolute path); returns a slot for forget(), or -1
// when every slot is taken (the name is then only removed by the next run).
int remember(const QByteArray& name);
// The name in slot was renamed or removed: a signal no longer touches it.
void forget(int slot);

// Blocks the three signals while a name is made and remembered, so that none
// falls between the two.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t saved_;
};

} // namespace RemovedOnSignal
