#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/overview_shortcut.h"
#include "model/overview_shortcut_store.h"
#include "model/shortcut_press_state.h"
#include "platform/hot_keys.h"
#include "platform/notifications.h"
#include "support/observable.h"

namespace tarnwick {

// Makes the user's overview shortcut a system-wide hot key and runs the overview action when it
// is pressed. It also records new combinations for the settings, refusing those that macOS or
// another application already uses, and keeps the chosen one in the store. Main thread only.
//
// Nothing is registered while the object is not started, suspended (asleep, locked or inactive
// session) or recording. It starts suspended. Destroying it releases the hot key, the event
// handler and the layout observer, as dispose() does, but calls no hook.
class GlobalOverviewShortcut {
public:
    // With a store over the standard user defaults.
    GlobalOverviewShortcut();
    explicit GlobalOverviewShortcut(OverviewShortcutStore store);
    ~GlobalOverviewShortcut();
    GlobalOverviewShortcut(const GlobalOverviewShortcut&) = delete;
    GlobalOverviewShortcut& operator=(const GlobalOverviewShortcut&) = delete;

    // Published for the settings control (set only by this object). Nothing: the shortcut is off.
    Published<std::optional<OverviewShortcut>> shortcut;
    Published<bool> isRecording{false};
    Published<std::optional<std::string>> error;
    // The keyboard layout changed: views showing key names should render again.
    Signal<> objectWillChange;

    // Hook: the shortcut, its registration or its key names may have changed.
    std::function<void()> changed;

    bool isRegistered() const { return isRegistered_; }
    // A reference for views that must not keep the shortcut alive.
    WeakRef<GlobalOverviewShortcut> weak() { return WeakRef<GlobalOverviewShortcut>(this, lifetime_.weak()); }

    // Remembers the action a press runs, observes keyboard-layout changes and registers.
    void start(std::function<void()> action);
    void setSuspended(bool suspended);

    // The recorder waits for keys; the hot key is released meanwhile so the current combination
    // can be typed into it.
    void beginRecording();
    void cancelRecording();
    // The recorder saw a combination without command or control.
    void rejectRecording();
    // Takes a new shortcut (nothing: off). False, with `error` set, when it is invalid or cannot
    // be registered; then the previous shortcut stays published, stored and registered.
    bool use(const std::optional<OverviewShortcut>& newShortcut);

    // Stops: releases the hot key, the event handler and the layout observer. No hook is called.
    // start() works again afterwards.
    void dispose();

private:
    static platform::OSStatus handleHotKeyEvent(platform::EventRef event, void* userData);
    platform::OSStatus handle(platform::EventRef event);

    void synchronise();
    void unregister();
    // Registers the shortcut; the user-facing message when it cannot.
    std::optional<std::string> install(const std::optional<OverviewShortcut>& wanted);
    bool usedBySystem(const OverviewShortcut& candidate);
    void releaseSystemResources();
    void setError(std::optional<std::string> message);
    void notifyChanged();

    platform::HotKeys& hotKeys_;
    platform::NotificationCenter& notificationCenter_;
    OverviewShortcutStore store_;
    std::function<void()> action_;
    bool isRegistered_ = false;
    std::optional<platform::EventHandlerRef> handler_;
    std::optional<platform::EventHotKeyRef> hotKey_;
    std::optional<OverviewShortcut> installed_;
    // The id of the last successful registration; events carrying another id are stale.
    std::uint32_t identifier_ = 0;
    ShortcutPressState press_;
    bool started_ = false;
    bool suspended_ = true;
    Subscription layoutObserver_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
