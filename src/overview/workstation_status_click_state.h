#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

// Tells a single click on the status button (the menu, once the double-click interval has passed)
// from a double click (the overview) and from a right click (the menu at once). A pure state
// machine over the times the presenter passes in, which must come from the clock its delayed
// checks run on: the check for a single click succeeds only once that clock has reached the
// deadline.
class WorkstationStatusClickState {
public:
    using Generation = std::int64_t;

    // What the presenter does with a click.
    class Action {
    public:
        enum class Kind { wait, menu, overview, ignore };

        // A first click: check back with the token once the double-click interval has passed.
        static constexpr Action wait(Generation token) { return {Kind::wait, token}; }
        static constexpr Action menu() { return {Kind::menu, 0}; }
        static constexpr Action overview() { return {Kind::overview, 0}; }
        static constexpr Action ignore() { return {Kind::ignore, 0}; }

        constexpr Kind kind() const { return kind_; }
        // The token of a wait; 0 for the others.
        constexpr Generation token() const { return token_; }
        // "wait(token: 3)", "menu", "overview" or "ignore", as the trace writes it.
        std::string description() const;

        friend constexpr bool operator==(const Action&, const Action&) = default;

    private:
        constexpr Action(Kind kind, Generation token) : kind_(kind), token_(token) {}
        Kind kind_;
        Generation token_;
    };

    explicit WorkstationStatusClickState(bool revealTesting = false) : revealTesting_(revealTesting) {}

    Generation generation() const { return generation_; }
    std::optional<double> firstClick() const { return firstClick_; }
    // Until when a second click counts as a double click.
    std::optional<double> deadline() const { return deadline_; }
    bool hasPendingMenu() const { return deadline_.has_value(); }
    // The last click or menu request had Option held: the menu shows its hidden items.
    bool revealTesting() const { return revealTesting_; }
    void setRevealTesting(bool reveal) { revealTesting_ = reveal; }

    // A mouse-up on the button at `time` (seconds of uptime), with the system's double-click
    // interval. Option may be held on the event or live on the keyboard.
    Action mouseUp(double time, double interval, int clickCount, bool rightButton = false, bool optionHeld = false,
                   bool liveOptionHeld = false);
    // The button was worked from the keyboard (or without an event): the menu now.
    Action requestMenu(bool optionHeld = false, bool liveOptionHeld = false);
    // The delayed check of a first click: true when the menu should open now. It needs the
    // current token and `time` at or after the deadline.
    bool takeMenu(Generation token, double time);
    // Forgets a pending click.
    void cancel();

private:
    void clearPending() {
        firstClick_.reset();
        deadline_.reset();
    }

    Generation generation_ = 0;
    std::optional<double> firstClick_;
    std::optional<double> deadline_;
    bool revealTesting_;
};

}  // namespace tarnwick
