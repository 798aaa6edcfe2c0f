#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "applications/space_navigation_target.h"
#include "platform/private_functions.h"

namespace tarnwick {

// The platform calls that bringing another app's window to the front with keyboard focus needs:
// the app's focused window and window list through Accessibility, mapped to window-server ids;
// un-minimising, marking main, focusing and raising a window; and asking the window server to
// make the owning process frontmost with that window key. Four of the functions are looked up by
// name when the instance is made; a missing one gives nil or empty results where it is needed.
// Main loop only; nothing throws.
class NativeApplicationWindowFocus {
public:
    // Opens the installed platform's global symbol namespace and looks the four functions up.
    NativeApplicationWindowFocus();
    ~NativeApplicationWindowFocus();
    NativeApplicationWindowFocus(const NativeApplicationWindowFocus&) = delete;
    NativeApplicationWindowFocus& operator=(const NativeApplicationWindowFocus&) = delete;

    // The program's instance, made on first use. Its functions come from the platform installed
    // at that moment, so tests make instances of their own.
    static NativeApplicationWindowFocus& shared();

    // Makes the target's process frontmost with the target window as key window. Nothing: cannot
    // be attempted; 0: done; otherwise the failing call's status.
    std::optional<std::int32_t> request(const SpaceApplicationFocusTarget& target);
    // The window id of the app's focused window; nothing when it cannot be told.
    std::optional<std::uint32_t> focusedWindowID(std::int32_t pid);
    // The ids of the app's windows as its Accessibility window list gives them.
    std::set<std::uint32_t> accessibleWindowIDs(std::int32_t pid);
    // Un-minimises, marks main, focuses and raises the target window; a small report:
    // {"found": 1, "main", "focus", "raise"} with their error codes, or {"found": 0, "windowsRead"}.
    std::map<std::string, std::int32_t> restoreAndRaise(const SpaceApplicationFocusTarget& target);

    // The event record that makes a window key: `sequence` 1 for the first record, 2 for the second.
    static platform::EventRecordBytes eventRecord(std::uint32_t windowID, std::uint8_t sequence);

    static constexpr float kMessagingTimeout = 0.15f;
    static constexpr double kWalkBudget = 0.3;
    static constexpr std::uint32_t kFrontProcessOptions = 0x200;

private:
    std::optional<std::uint32_t> windowID(ElementRef element);

    std::unique_ptr<platform::SymbolNamespace> library_;
    platform::GetProcessForPIDFunction getPSN_;
    platform::SetFrontProcessWithOptionsFunction setFront_;
    platform::PostEventRecordToFunction keyRecord_;
    platform::AXUIElementGetWindowFunction getWindow_;
};

}  // namespace tarnwick
