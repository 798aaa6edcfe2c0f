#pragma once

#include <optional>

#include "platform/key_event.h"

namespace tarnwick {

// What a key press asks of the overview.
class OverviewKeyboardCommand {
public:
    enum class Kind { advance, activate, cancel };

    // Moves keyboard focus to the next target (the previous one when going backwards).
    static constexpr OverviewKeyboardCommand advance(bool backwards) { return {Kind::advance, backwards}; }
    // Picks the focused desktop or app.
    static constexpr OverviewKeyboardCommand activate() { return {Kind::activate, false}; }
    // Closes the overview.
    static constexpr OverviewKeyboardCommand cancel() { return {Kind::cancel, false}; }

    constexpr Kind kind() const { return kind_; }
    constexpr bool backwards() const { return backwards_; }

    friend constexpr bool operator==(const OverviewKeyboardCommand&, const OverviewKeyboardCommand&) = default;

private:
    constexpr OverviewKeyboardCommand(Kind kind, bool backwards) : kind_(kind), backwards_(backwards) {}

    Kind kind_;
    bool backwards_;
};

// The command of a key press, if any: Return, keypad Enter and Space activate, Tab advances
// (backwards with Shift), Escape cancels. A key held with Control, Option or Command is a
// shortcut meant for someone else and gives no command.
std::optional<OverviewKeyboardCommand> keyboardCommand(const platform::KeyEvent& event);

}  // namespace tarnwick
