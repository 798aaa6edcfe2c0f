#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace tarnwick::platform::ui {

// A value of any equatable type, compared and hashed without knowing its type: the identity of
// a node, or the value a change reaction or an animation watches. Values of different types are
// never equal. Small plain values (flags, numbers) are kept inline; others in one immutable box
// that copies share.
class AnyValue {
public:
    AnyValue() = default;
    template <typename T>
        requires(!std::is_same_v<std::decay_t<T>, AnyValue>)
    explicit AnyValue(T&& value) {
        using V = std::decay_t<T>;
        if constexpr (fitsInline<V>()) {
            ::new (static_cast<void*>(inline_)) V(std::forward<T>(value));
            inlineType_ = &inlineTypeOf<V>;
        } else {
            box_ = std::make_shared<const Box<V>>(std::forward<T>(value));
        }
    }

    bool hasValue() const { return inlineType_ || box_; }
    // The value when it is a T, else nothing.
    template <typename T>
    const T* get() const {
        if constexpr (fitsInline<T>()) {
            if (inlineType_ != &inlineTypeOf<T>) return nullptr;
            return std::launder(reinterpret_cast<const T*>(inline_));
        } else {
            if (!box_ || box_->type() != typeid(T)) return nullptr;
            return &static_cast<const Box<T>*>(box_.get())->value;
        }
    }
    // Zero for types without a hash; equal values hash alike.
    std::size_t hash() const {
        if (inlineType_) return inlineType_->hash(inline_);
        return box_ ? box_->hash() : 0;
    }

    friend bool operator==(const AnyValue& a, const AnyValue& b) {
        if (a.inlineType_ || b.inlineType_)
            return a.inlineType_ == b.inlineType_ && a.inlineType_->equals(a.inline_, b.inline_);
        if (a.box_ == b.box_) return true;
        if (!a.box_ || !b.box_) return false;
        return a.box_->equals(*b.box_);
    }

private:
    static constexpr std::size_t kInlineSize = 16;

    template <typename T>
    static constexpr bool fitsInline() {
        return std::is_trivially_copyable_v<T> && sizeof(T) <= kInlineSize && alignof(T) <= alignof(std::max_align_t);
    }
    template <typename T>
    static std::size_t hashOf(const T& value) {
        if constexpr (requires(const T& v) { std::hash<T>{}(v); })
            return std::hash<T>{}(value);
        else
            return 0;
    }

    // What an inline value's type knows; one per type, so comparing pointers compares types.
    struct InlineType {
        bool (*equals)(const void*, const void*);
        std::size_t (*hash)(const void*);
    };
    template <typename T>
    static constexpr InlineType inlineTypeOf{
        [](const void* a, const void* b) { return *static_cast<const T*>(a) == *static_cast<const T*>(b); },
        [](const void* v) { return hashOf(*static_cast<const T*>(v)); }};

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
        std::size_t hash() const override { return hashOf(value); }
        T value;
    };

    const InlineType* inlineType_ = nullptr;
    alignas(std::max_align_t) unsigned char inline_[kInlineSize]{};
    std::shared_ptr<const BoxBase> box_;
};

}  // namespace tarnwick::platform::ui
