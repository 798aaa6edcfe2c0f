#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/hot_keys.h"
#include "support/observable.h"
#include "support/run_loop.h"
#include "platform/sim/recent_log.h"

namespace tarnwick::sim {

// One registered hot key: of this application (empty owner) or of another one.
struct SimHotKeyRegistration {
    platform::EventHotKeyRef ref;
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    platform::EventHotKeyID id;
    std::uint32_t options = 0;
    std::string owner;
};

// A hot-key event as it was delivered, with the status the handlers returned (0 for another
// application's hot key).
struct SimHotKeyDelivery {
    std::optional<platform::EventHotKeyID> id;
    std::uint32_t kind = 0;
    platform::OSStatus status = 0;
    std::string owner;
};

// The event manager's hot keys. A combination belongs to one registration at a time, whoever
// made it. Handlers of the application target are called most recently installed first, until
// one handles the event.
class SimHotKeys final : public platform::HotKeys {
public:
    explicit SimHotKeys(RunLoop& loop);

    platform::EventTargetRef applicationEventTarget() override;
    platform::OSStatus installEventHandler(platform::EventTargetRef target, platform::EventHandlerProc handler,
                                           const std::vector<platform::EventTypeSpec>& types, void* userData,
                                           platform::EventHandlerRef& handlerRef) override;
    platform::OSStatus removeEventHandler(platform::EventHandlerRef handlerRef) override;
    platform::OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, platform::EventHotKeyID id,
                                           platform::EventTargetRef target, std::uint32_t options,
                                           platform::EventHotKeyRef& hotKeyRef) override;
    platform::OSStatus unregisterEventHotKey(platform::EventHotKeyRef hotKeyRef) override;
    platform::OSStatus getEventParameter(platform::EventRef event, std::uint32_t name, std::uint32_t type,
                                         platform::EventHotKeyID& value) override;
    std::uint32_t getEventKind(platform::EventRef event) override;
    platform::OSStatus copySymbolicHotKeys(std::optional<Value>& hotKeys) override;

    // ---- the user's side
    // The keys of a combination go down (again while held: a key repeat) or up; the hot-key
    // event is delivered on the run loop to whoever registered the combination.
    void keyDown(std::uint32_t keyCode, std::uint32_t modifiers);
    void keyUp(std::uint32_t keyCode, std::uint32_t modifiers);
    // Whether some registration (ours or another application's) holds the combination.
    bool isHeld(std::uint32_t keyCode, std::uint32_t modifiers) const { return holder(keyCode, modifiers) != nullptr; }
    // Another application takes a combination; false when it is already taken.
    bool registerForOtherApplication(std::uint32_t keyCode, std::uint32_t modifiers, std::string application);
    // Sends a hot-key event to the application target now (nothing: without the hot-key id
    // parameter) and returns the handlers' status.
    platform::OSStatus sendHotKeyEvent(std::optional<platform::EventHotKeyID> id, std::uint32_t kind);

    // ---- state and faults
    const std::vector<SimHotKeyRegistration>& registrations() const { return registrations_; }
    // This application's registrations.
    std::vector<SimHotKeyRegistration> ownRegistrations() const;
    size_t handlerCount() const { return handlers_.size(); }
    const RecentLog<SimHotKeyDelivery>& deliveries() const { return deliveries_; }

    // What copySymbolicHotKeys hands out, and its status (non-zero: the copy fails).
    Value symbolicHotKeys;
    platform::OSStatus symbolicHotKeysStatus = platform::carbon::kNoErr;
    // Non-zero: installEventHandler fails with it.
    platform::OSStatus installHandlerStatus = platform::carbon::kNoErr;
    // Set: registerEventHotKey returns it (0 gives no reference) and registers nothing.
    std::optional<platform::OSStatus> registerStatus;

    int handlerInstalls = 0;
    int handlerRemovals = 0;
    int registerCalls = 0;
    int unregisterCalls = 0;

    // The system's usual shortcuts (Spotlight, input sources, Mission Control, screenshots).
    static Value defaultSymbolicHotKeys();

private:
    struct Handler {
        platform::EventHandlerRef ref;
        platform::EventHandlerProc proc;
        std::vector<platform::EventTypeSpec> types;
        void* userData;
    };
    struct Event {
        std::uint64_t id;
        std::uint32_t eventClass;
        std::uint32_t kind;
        std::optional<platform::EventHotKeyID> hotKeyID;
    };
    const SimHotKeyRegistration* holder(std::uint32_t keyCode, std::uint32_t modifiers) const;
    void deliverLater(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t kind);

    RunLoop& loop_;
    std::vector<SimHotKeyRegistration> registrations_;
    std::vector<Handler> handlers_;
    std::vector<Event> inFlight_;
    RecentLog<SimHotKeyDelivery> deliveries_;
    std::uint64_t nextRef_ = 1;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick::sim
