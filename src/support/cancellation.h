#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tarnwick {

// Cooperative cancellation shared by a task and everything it awaits. Handlers run once, on the
// thread that cancels (or at once when registered after cancellation).
class CancellationState {
public:
    bool isCancelled() const { return cancelled_.load(); }
    void cancel();
    // Returns 0 when the handler already ran because the state was cancelled.
    std::uint64_t onCancel(std::function<void()> handler);
    void removeHandler(std::uint64_t id);

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::uint64_t nextId_ = 1;
    std::vector<std::pair<std::uint64_t, std::function<void()>>> handlers_;
};

using CancellationToken = std::shared_ptr<CancellationState>;

inline CancellationToken makeCancellationToken() { return std::make_shared<CancellationState>(); }

inline void CancellationState::cancel() {
    std::vector<std::pair<std::uint64_t, std::function<void()>>> run;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_.exchange(true)) return;
        run.swap(handlers_);
    }
    for (auto& [id, handler] : run) handler();
}

inline std::uint64_t CancellationState::onCancel(std::function<void()> handler) {
    {
        std::lock_guard lock(mutex_);
        if (!cancelled_) {
            auto id = nextId_++;
            handlers_.emplace_back(id, std::move(handler));
            return id;
        }
    }
    handler();
    return 0;
}

inline void CancellationState::removeHandler(std::uint64_t id) {
    if (id == 0) return;
    std::lock_guard lock(mutex_);
    std::erase_if(handlers_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace tarnwick
