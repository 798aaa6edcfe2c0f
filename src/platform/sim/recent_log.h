#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace tarnwick::sim {

// A record the session keeps of what happened (notifications posted, URLs opened, alerts
// answered), read by tests. A session may run for hours, so it keeps only the newest entries:
// at least `kKept` of them, at most twice as many (the oldest half goes at once, so adding stays
// cheap). `total()` counts every entry ever added, so a reader can tell what is new since it
// last looked even after old entries left.
template <typename T>
class RecentLog {
public:
    static constexpr std::size_t kKept = 256;

    using value_type = T;
    using const_iterator = typename std::vector<T>::const_iterator;
    using iterator = const_iterator;

    RecentLog() = default;
    RecentLog(std::initializer_list<T> items) {
        for (const auto& item : items) push_back(item);
    }

    void push_back(T item) {
        if (items_.size() >= 2 * kKept) items_.erase(items_.begin(), items_.end() - static_cast<std::ptrdiff_t>(kKept));
        items_.push_back(std::move(item));
        ++total_;
    }
    template <typename... Args>
    void emplace_back(Args&&... args) {
        push_back(T{std::forward<Args>(args)...});
    }
    void clear() { items_.clear(); }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    std::size_t total() const { return total_; }
    const T& operator[](std::size_t index) const { return items_[index]; }
    const T& at(std::size_t index) const { return items_.at(index); }
    const T& front() const { return items_.front(); }
    const T& back() const { return items_.back(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    const std::vector<T>& items() const { return items_; }
    // The entry added as number `sequence` (counted from 0 over the log's life), while it is kept.
    T* entry(std::size_t sequence) {
        const std::size_t first = total_ - items_.size();
        if (sequence < first || sequence >= total_) return nullptr;
        return &items_[sequence - first];
    }

    friend bool operator==(const RecentLog& log, const std::vector<T>& items) { return log.items_ == items; }

private:
    std::vector<T> items_;
    std::size_t total_ = 0;
};

}  // namespace tarnwick::sim
