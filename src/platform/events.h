#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/event_modifier_flags.h"
#include "platform/ui/mouse_event.h"
#include "support/geometry.h"

namespace tarnwick::platform {

// Which kinds of event a monitor wants: one bit per event type (1 << type).
using EventMask = std::uint64_t;

namespace event_mask {
inline constexpr EventMask kLeftMouseDown = EventMask{1} << ui::event_type::kLeftMouseDown;    // 2
inline constexpr EventMask kLeftMouseUp = EventMask{1} << ui::event_type::kLeftMouseUp;        // 4
inline constexpr EventMask kRightMouseDown = EventMask{1} << ui::event_type::kRightMouseDown;  // 8
inline constexpr EventMask kRightMouseUp = EventMask{1} << ui::event_type::kRightMouseUp;      // 16
inline constexpr EventMask kKeyDown = EventMask{1} << ui::event_type::kKeyDown;
inline constexpr EventMask kKeyUp = EventMask{1} << ui::event_type::kKeyUp;
inline constexpr EventMask kFlagsChanged = EventMask{1} << ui::event_type::kFlagsChanged;  // 4096
}  // namespace event_mask

constexpr bool eventMatches(EventMask mask, int type) {
    return type >= 0 && type < 64 && (mask & (EventMask{1} << type)) != 0;
}

// One event as the application or a monitor meets it.
struct Event {
    int type = ui::event_type::kFlagsChanged;
    ModifierFlags modifierFlags = 0;
    // Mouse events: the click count and where, in screen coordinates (y up).
    int clickCount = 0;
    Point locationInScreen;
    // Key events.
    std::uint16_t keyCode = 0;
    bool isARepeat = false;
    // The window of ours it is meant for; 0: none of ours.
    std::uint32_t windowNumber = 0;

    friend bool operator==(const Event&, const Event&) = default;
};

// A monitor installed with Events::addGlobalMonitor or addLocalMonitor.
using EventMonitorToken = std::uint64_t;

// The user's input as the whole system sees it: monitors of events meant for other
// applications and for our own windows, the event being handled now, the modifier keys held now
// and the user's double-click setting.
class Events {
public:
    virtual ~Events() = default;
    // Calls the handler on the main loop with every event of the mask that another application
    // receives. The system may install none and give no token.
    virtual std::optional<EventMonitorToken> addGlobalMonitor(EventMask mask, std::function<void(const Event&)> handler) = 0;
    // Calls the handler with every event of the mask meant for our own windows, before they get
    // it; the handler returns the event to deliver (the same one, another, or nothing to swallow it).
    virtual std::optional<EventMonitorToken> addLocalMonitor(EventMask mask,
                                                             std::function<std::optional<Event>(const Event&)> handler) = 0;
    // A removed monitor hears nothing more, also of events already on their way.
    virtual void removeMonitor(EventMonitorToken token) = 0;
    // The event the application is handling now (while an action it caused runs); nothing
    // between events.
    virtual std::optional<Event> currentEvent() = 0;
    // The modifier keys held now.
    virtual ModifierFlags modifierFlags() = 0;
    // Seconds within which a second click makes a double click.
    virtual double doubleClickInterval() = 0;
};

}  // namespace tarnwick::platform
