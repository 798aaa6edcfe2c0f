#include "support/signal_watcher.h"

#include <pthread.h>
#include <unistd.h>

namespace tarnwick {

SignalWatcher::SignalWatcher(RunLoop& loop, std::function<void()> onSignal, std::function<void()> interrupt,
                             std::function<void()> beforeForcedEnd)
    : loop_(loop),
      onSignal_(std::move(onSignal)),
      interrupt_(std::move(interrupt)),
      beforeForcedEnd_(std::move(beforeForcedEnd)) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this] { watch(); });
}

SignalWatcher::~SignalWatcher() {
    stopping_ = true;
    // The watcher has the signals blocked, so this one waits for its sigwait.
    pthread_kill(thread_.native_handle(), SIGHUP);
    thread_.join();
}

void SignalWatcher::forceEnd() {
    if (beforeForcedEnd_) beforeForcedEnd_();
    _exit(kSecondSignalStatus);
}

void SignalWatcher::watch() {
    bool signalled = false;
    while (true) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) continue;
        if (stopping_) return;
        // Signals that came together (two sent to a stopped process, say) are two signals: the
        // second is taken here, before the loop hears of the first, so that the end is the same
        // however the threads happen to be scheduled.
        const bool another = !signalled && anotherPending();
        // What was pending may be the destructor's own wake-up.
        if (stopping_) return;
        if (signalled || another) forceEnd();
        signalled = true;
        loop_.post(onSignal_);
        if (interrupt_) interrupt_();
    }
}

bool SignalWatcher::anotherPending() {
    const timespec none{};
    return sigtimedwait(&signals_, nullptr, &none) > 0;
}

}  // namespace tarnwick
