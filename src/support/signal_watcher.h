#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>

#include "support/run_loop.h"

namespace tarnwick {

// Turns the signals that ask the process to end (SIGINT, SIGTERM, SIGHUP) into work on the main
// loop, so that the application ends as it does on a logout instead of dying where it stands.
//
// Make it on the main thread before any other thread starts: it blocks the signals there, every
// thread started later inherits the block, and one watcher thread receives them all. The first
// signal posts `onSignal` to the loop (and calls `interrupt` on the watcher thread, for whatever
// keeps the loop from turning, such as a modal alert waiting for an answer). A second signal,
// while the process is ending, ends it at once with status 1, after `beforeForcedEnd` on the
// watcher thread (for what must be put back even then, such as a terminal's mode). The signals
// stay blocked after the watcher is gone: the process is ending then.
class SignalWatcher {
public:
    SignalWatcher(RunLoop& loop, std::function<void()> onSignal, std::function<void()> interrupt = nullptr,
                  std::function<void()> beforeForcedEnd = nullptr);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    static constexpr int kSecondSignalStatus = 1;

private:
    void watch();
    bool anotherPending();
    [[noreturn]] void forceEnd();

    RunLoop& loop_;
    std::function<void()> onSignal_;
    std::function<void()> interrupt_;
    std::function<void()> beforeForcedEnd_;
    sigset_t signals_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tarnwick
