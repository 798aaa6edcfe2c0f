#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <typeinfo>
#include <utility>

namespace tarnwick::platform::ui {

// A value of any equatable type, compared and hashed without knowing its type: the identity of
// a node, or the value a change reaction or an animation watches. Values of different types are
// never equal. Copies share one immutable box.
class AnyValue {
public:
    AnyValue() = default;
    template <typename T>
        requires(!std::is_same_v<std::decay_t<T>, AnyValue>)
    explicit AnyValue(T&& value) : box_(std::make_shared<const Box<std::decay_t<T>>>(std::forward<T>(value))) {}

    bool hasValue() const { return box_ != nullptr; }
    // The value when it is a T, else nothing.
    template <typename T>
    const T* get() const {
        if (!box_ || box_->type() != typeid(T)) return nullptr;
        return &static_cast<const Box<T>*>(box_.get())->value;
    }
    // Zero for types without a hash; equal values hash alike.
    std::size_t hash() const { return box_ ? box_->hash() : 0; }

    friend bool operator==(const AnyValue& a, const AnyValue& b) {
        if (a.box_ == b.box_) return true;
        if (!a.box_ || !b.box_) return false;
        return a.box_->equals(*b.box_);
    }

private:
    struct BoxBase {
        virtual ~BoxBase() = default;
        virtual const std::type_info& type() const = 0;
        virtual bool equals(const BoxBase& other) const = 0;
        virtual std::size_t hash() const = 0;
    };
    template <typename T>
    struct Box final : BoxBase {
        template <typename U>
        explicit Box(U&& v) : value(std::forward<U>(v)) {}
        const std::type_info& type() const override { return typeid(T); }
        bool equals(const BoxBase& other) const override {
            return other.type() == typeid(T) && static_cast<const Box&>(other).value == value;
        }
        std::size_t hash() const override {
            if constexpr (requires(const T& v) { std::hash<T>{}(v); })
                return std::hash<T>{}(value);
            else
                return 0;
        }
        T value;
    };

    std::shared_ptr<const BoxBase> box_;
};

}  // namespace tarnwick::platform::ui
