#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/event_modifier_flags.h"
#include "platform/ui/mouse_event.h"

namespace tarnwick::platform {

// Which kinds of event a monitor wants: one bit per event type (1 << type).
using EventMask = std::uint64_t;

namespace event_mask {
inline constexpr EventMask kFlagsChanged = EventMask{1} << ui::event_type::kFlagsChanged;  // 4096
}  // namespace event_mask

// One event as a monitor hears it.
struct Event {
    int type = ui::event_type::kFlagsChanged;
    ModifierFlags modifierFlags = 0;
};

// A monitor installed with Events::addGlobalMonitor.
using EventMonitorToken = std::uint64_t;

// The user's input as the whole system sees it: monitors of events meant for other
// applications, the modifier keys held now and the user's double-click setting.
class Events {
public:
    virtual ~Events() = default;
    // Calls the handler on the main loop with every event of the mask that another application
    // receives. The system may install none and give no token.
    virtual std::optional<EventMonitorToken> addGlobalMonitor(EventMask mask, std::function<void(const Event&)> handler) = 0;
    // A removed monitor hears nothing more, also of events already on their way.
    virtual void removeMonitor(EventMonitorToken token) = 0;
    // The modifier keys held now.
    virtual ModifierFlags modifierFlags() = 0;
    // Seconds within which a second click makes a double click.
    virtual double doubleClickInterval() = 0;
};

}  // namespace tarnwick::platform
