#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tarnwick {

// Ends a subscription when destroyed (or when reset).
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }
    void reset() {
        if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
    }
    explicit operator bool() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

// A list of observers. Emitting calls every observer subscribed at that moment; an observer
// removed during an emission is not called afterwards.
template <typename... Args>
class Signal {
public:
    using Observer = std::function<void(const Args&...)>;

    Signal() : observers_(std::make_shared<List>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription subscribe(Observer observer) {
        auto entry = std::make_shared<Entry>(Entry{std::move(observer), true});
        observers_->push_back(entry);
        std::weak_ptr<List> weakList = observers_;
        std::weak_ptr<Entry> weakEntry = entry;
        return Subscription([weakList, weakEntry] {
            auto list = weakList.lock();
            auto target = weakEntry.lock();
            if (!list || !target) return;
            target->active = false;
            std::erase_if(*list, [&](const auto& e) { return e == target; });
        });
    }

    void emit(const Args&... args) const {
        auto snapshot = *observers_;
        for (const auto& entry : snapshot)
            if (entry->active) entry->observer(args...);
    }

    size_t observerCount() const { return observers_->size(); }

private:
    struct Entry {
        Observer observer;
        bool active;
    };
    using List = std::vector<std::shared_ptr<Entry>>;
    std::shared_ptr<List> observers_;
};

// An observable property: subscribers hear every assignment with the new value.
template <typename T>
class Published {
public:
    Published() = default;
    explicit Published(T initial) : value_(std::move(initial)) {}

    const T& get() const { return value_; }
    const T& operator*() const { return value_; }
    const T* operator->() const { return &value_; }

    // Assigns and notifies, whether or not the value changed.
    void set(T value) {
        value_ = std::move(value);
        changed_.emit(value_);
    }
    // Assigns and notifies only when the value differs; returns whether it did.
    bool setIfChanged(T value) {
        if (value_ == value) return false;
        set(std::move(value));
        return true;
    }

    [[nodiscard]] Subscription subscribe(std::function<void(const T&)> observer) {
        return changed_.subscribe(std::move(observer));
    }

private:
    T value_{};
    Signal<T> changed_;
};

// A weak reference token: an object owns one, closures capture a Weak and check it before use,
// so they do nothing once the object is gone.
class LifetimeToken {
public:
    LifetimeToken() : alive_(std::make_shared<bool>(true)) {}
    LifetimeToken(const LifetimeToken&) = delete;
    LifetimeToken& operator=(const LifetimeToken&) = delete;
    ~LifetimeToken() { *alive_ = false; }

    class Weak {
    public:
        Weak() = default;
        explicit Weak(std::weak_ptr<bool> alive) : alive_(std::move(alive)) {}
        bool alive() const {
            auto a = alive_.lock();
            return a && *a;
        }
        explicit operator bool() const { return alive(); }

    private:
        std::weak_ptr<bool> alive_;
    };
    Weak weak() const { return Weak(alive_); }

private:
    std::shared_ptr<bool> alive_;
};

// A reference that does not keep its object alive: get() is nothing once the object (and with
// it the lifetime token it was made with) is gone.
template <typename T>
class WeakRef {
public:
    WeakRef() = default;
    WeakRef(T* object, LifetimeToken::Weak alive) : object_(object), alive_(std::move(alive)) {}
    T* get() const { return object_ && alive_ ? object_ : nullptr; }

private:
    T* object_ = nullptr;
    LifetimeToken::Weak alive_;
};

}  // namespace tarnwick
