#include "cli/SignalCleanup.h"

#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "util/TemporaryPaths.h"

namespace {

sigset_t TerminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// Waiting with sigwait in an ordinary thread, not in a handler, lets the
// clean-up take the record's lock and remove folders like any other code.
[[noreturn]] void WaitAndCleanUp(sigset_t signals) {
    int received = SIGTERM;
    sigwait(&signals, &received);
    // Held until the process ends: no worker creates or renames anything now.
    const auto held = RemoveAllTemporaryPaths();
    std::signal(received, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, received);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(received);
    std::_Exit(128 + received);
}

}  // namespace

void CleanUpOnTerminationSignals() {
    const sigset_t signals = TerminationSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WaitAndCleanUp, signals).detach();
}
