// Where the user's key presses go: a registered hot key first, else our key window, else the
// frontmost application.

#include "platform/sim/sim_hot_keys.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_events.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_window_system.h"

namespace tarnwick::sim {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
namespace carbon = platform::carbon;

namespace {

// The hot-key modifier bits of an event's flags.
std::uint32_t hotKeyModifiers(platform::ModifierFlags modifiers) {
    std::uint32_t bits = 0;
    if (modifiers & flags::kCommand) bits |= carbon::kCmdKey;
    if (modifiers & flags::kShift) bits |= carbon::kShiftKey;
    if (modifiers & flags::kOption) bits |= carbon::kOptionKey;
    if (modifiers & flags::kControl) bits |= carbon::kControlKey;
    return bits;
}

}  // namespace

void SimulatedSession::pressKeys(std::uint16_t keyCode, platform::ModifierFlags modifiers, std::string characters) {
    keyDown(keyCode, modifiers, std::move(characters));
    keyUp(keyCode, modifiers);
}

void SimulatedSession::typeKeys(std::uint16_t keyCode, platform::ModifierFlags modifiers, std::string characters) {
    std::optional<std::string> typed;
    {
        auto guard = lock();
        typed = keyboardLayouts_->throughDeadKeys(keyCode, modifiers, characters);
    }
    if (typed) pressKeys(keyCode, modifiers, std::move(*typed));
}

void SimulatedSession::keyDown(std::uint16_t keyCode, platform::ModifierFlags modifiers, std::string characters) {
    auto guard = lock();
    const bool repeat = !heldKeys_.insert(keyCode).second;
    const std::uint32_t bits = hotKeyModifiers(modifiers);
    platform::KeyEvent event{keyCode, std::move(characters), modifiers, repeat};
    if (hotKeys_->isHeld(keyCode, bits)) {
        keyPresses.push_back(KeyPress{event, true, 0, false, std::nullopt});
        hotKeys_->keyDown(keyCode, bits);
        return;
    }
    // Delivered on a later turn, as the event arrives.
    loop_.post([this, event] { routeKey(event); });
}

void SimulatedSession::keyUp(std::uint16_t keyCode, platform::ModifierFlags modifiers) {
    auto guard = lock();
    heldKeys_.erase(keyCode);
    const std::uint32_t bits = hotKeyModifiers(modifiers);
    if (hotKeys_->isHeld(keyCode, bits)) hotKeys_->keyUp(keyCode, bits);
}

bool SimulatedSession::performMainMenuKeyEquivalent(const platform::KeyEvent& key) {
    if (!(key.modifierFlags & flags::kCommand)) return false;
    auto menu = menus_->mainMenu();
    return menu && menu->performKeyEquivalent(key);
}

void SimulatedSession::routeKey(const platform::KeyEvent& key) {
    bool ownActive = false;
    ui::Panel* window = nullptr;
    {
        auto guard = lock();
        ownActive = frontmostPID == system_.processID;
        window = windowSystem_->keyPanel();
    }
    if (window && !window->isVisible()) window = nullptr;
    const bool toUs = window && (ownActive || (window->styleMask() & ui::style_mask::kNonactivatingPanel));
    platform::Event event{ui::event_type::kKeyDown, key.modifierFlags, 0, windowSystem_->pointerLocation(),
                          key.keyCode, key.isRepeat, toUs ? window->windowNumber() : 0};
    if (!toUs) {
        // Our application is active without a key window: only the main menu's key equivalents
        // take the press.
        KeyPress press{key, false, 0, false, ownActive ? std::nullopt : frontmostPID};
        if (ownActive) {
            SimEvents::Handling handling(*events_, event);
            press.consumed = performMainMenuKeyEquivalent(key);
        }
        auto guard = lock();
        keyPresses.push_back(std::move(press));
        if (!ownActive) events_->sentToOtherApplication(event);
        return;
    }
    // The window's views answer without the session's lock held, as for clicks.
    KeyPress press{key, false, window->windowNumber(), false, std::nullopt};
    auto alive = window->weak();
    auto passed = events_->passLocalMonitors(event);
    if (passed && alive.get()) {
        platform::KeyEvent delivered = key;
        delivered.modifierFlags = passed->modifierFlags;
        delivered.keyCode = passed->keyCode;
        delivered.isRepeat = passed->isARepeat;
        SimEvents::Handling handling(*events_, *passed);
        press.consumed = window->sendKeyEvent(delivered);
        // A Command combination no view took goes to the main menu.
        if (!press.consumed) press.consumed = performMainMenuKeyEquivalent(delivered);
    }
    auto guard = lock();
    keyPresses.push_back(std::move(press));
}

}  // namespace tarnwick::sim
