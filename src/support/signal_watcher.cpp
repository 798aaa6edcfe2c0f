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

void SignalWatcher::watch() {
    int received = 0;
    while (true) {
        int signal = 0;
        if (sigwait(&signals_, &signal) != 0) continue;
        if (stopping_) return;
        if (++received > 1) {
            if (beforeForcedEnd_) beforeForcedEnd_();
            _exit(kSecondSignalStatus);
        }
        loop_.post(onSignal_);
        if (interrupt_) interrupt_();
    }
}

}  // namespace tarnwick
