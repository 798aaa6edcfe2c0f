#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/locale.h"
#include "platform/ui/declarative/any_value.h"
#include "platform/ui/declarative/node.h"

namespace tarnwick::platform::ui {

class ViewHost;

// What the system tells every view of a tree.
struct Environment {
    // The system's Reduce Motion setting: changes happen without animation.
    bool reduceMotion = false;
    // The user's locale, for the numbers the views format.
    Locale locale;
    // Whether the view's window is the key window (controls draw in their active colours).
    bool appearsActive = false;
};

class StateBoxBase {
public:
    virtual ~StateBoxBase() = default;
    ViewHost* host = nullptr;  // cleared when the host goes away
    void changed();
};

template <typename T>
class StateBox final : public StateBoxBase {
public:
    explicit StateBox(T initial) : value(std::move(initial)) {}
    T value;
};

// A view's own state, kept by the host for the view's identity from one render to the next
// (and from one showing to the next). Setting a different value renders again. Copies share
// the one value, so actions may capture it.
template <typename T>
class State {
public:
    explicit State(std::shared_ptr<StateBox<T>> box) : box_(std::move(box)) {}
    const T& get() const { return box_->value; }
    void set(T value) const {
        if (box_->value == value) return;
        box_->value = std::move(value);
        box_->changed();
    }

private:
    std::shared_ptr<StateBox<T>> box_;
};

// Scrolls the scrolling container around a node so that the node with the identity lies at the
// anchor (the centre: centred).
class ScrollProxy {
public:
    explicit ScrollProxy(ViewHost* host) : host_(host) {}
    void scrollTo(const AnyValue& id, UnitPoint anchor = UnitPoint::center()) const;
    template <typename T>
    void scrollTo(T id, UnitPoint anchor = UnitPoint::center()) const {
        scrollTo(AnyValue(std::move(id)), anchor);
    }

private:
    ViewHost* host_;
};

// What a view's body may ask of the host while it is rendered: its state, the environment and
// a scroll proxy.
class ViewContext {
public:
    ViewContext(ViewHost& host, std::vector<std::shared_ptr<StateBoxBase>>& slots, const Environment& environment)
        : host_(host), slots_(slots), environment_(environment) {}

    // The view's next state slot: the same one at every render when asked in the same order.
    template <typename T>
    State<T> state(T initial) {
        const std::size_t slot = next_++;
        if (slot < slots_.size())
            if (auto box = std::dynamic_pointer_cast<StateBox<T>>(slots_[slot])) return State<T>(box);
        auto box = std::make_shared<StateBox<T>>(std::move(initial));
        box->host = &host_;
        if (slot < slots_.size())
            slots_[slot] = box;
        else
            slots_.push_back(box);
        return State<T>(box);
    }
    const Environment& environment() const { return environment_; }
    ScrollProxy scrollProxy() const { return ScrollProxy(&host_); }
    // The size the tree is laid out in (the hosting view's). A body that reads it renders again
    // whenever that size changes, as a geometry reader's content does.
    Size containerSize() const;

private:
    ViewHost& host_;
    std::vector<std::shared_ptr<StateBoxBase>>& slots_;
    const Environment& environment_;
    std::size_t next_ = 0;
};

// A view function at the root of a hosting view: state in, a tree of nodes out.
class DeclarativeView {
public:
    virtual ~DeclarativeView() = default;
    virtual Node body(ViewContext& context) = 0;
    // Subscribes the host to every published value the body reads (host.watch(...)).
    virtual void observe(ViewHost& host) = 0;
};

}  // namespace tarnwick::platform::ui
