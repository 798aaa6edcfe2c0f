#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

#include "overview/overview_keyboard_command.h"
#include "platform/key_event.h"
#include "platform/ui/declarative/hosting_view.h"

namespace tarnwick {

// The hosting view inside the overview panel: it takes keyboard focus and turns the keys of the
// overview into commands for whoever listens (the presenter), and lets every other key reach the
// hosted view's own key handlers. A key is acted on once, never by both. Main loop only.
template <typename Root>
class OverviewKeyboardHostingView final : public platform::ui::HostingView {
    static_assert(std::is_base_of_v<platform::ui::DeclarativeView, Root>);

public:
    explicit OverviewKeyboardHostingView(std::unique_ptr<Root> rootView, Rect frame = {})
        : HostingView(std::move(rootView), frame) {}

    Root& rootView() const { return static_cast<Root&>(HostingView::rootView()); }

    // Where the commands go; empty at first.
    std::function<void(const OverviewKeyboardCommand&)> command;

    bool acceptsFirstResponder() const override { return true; }

    // A key that gives a command while `command` is set goes there and is consumed (also when
    // the listener then lets go of the hook); any other key goes to the hosted view.
    bool keyDown(const platform::KeyEvent& event) override {
        if (const auto given = keyboardCommand(event); given && command) {
            const auto hook = command;
            hook(*given);
            return true;
        }
        return HostingView::keyDown(event);
    }

    static std::optional<OverviewKeyboardCommand> keyboardCommand(const platform::KeyEvent& event) {
        return ::tarnwick::keyboardCommand(event);
    }
};

}  // namespace tarnwick
