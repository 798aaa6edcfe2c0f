#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "applications/space_navigation_target.h"
#include "model/desktop_monitor.h"
#include "support/error.h"
#include "support/task.h"
#include "support/value.h"

namespace tarnwick {

class NativeApplicationWindowFocus;
class SpaceApplicationReader;

// The readers the app-focus flow uses; the program's shared ones when left empty. Tests pass
// their own, since a shared reader's executor must not outlive one test's loop.
struct ApplicationFocusServices {
    SpaceApplicationReader* reader = nullptr;
    NativeApplicationWindowFocus* native = nullptr;
};

// Brings one app's window forward on its desktop: checks the session and the permission, picks
// the app's windows on the desktop, switches there through Mission Control, raises the chosen
// window and polls until the desktop is current and that window is in front. Every step goes to
// "application-focus-trace.jsonl".
struct ApplicationWindowFocus {
    ApplicationWindowFocus() = delete;

    // Every failure the user can meet, each with the sentence shown where they clicked.
    class Failure;

    using Services = ApplicationFocusServices;

    // Returns when the login session is usable (on the console, login done, this user, screen
    // not locked); throws Failure(session) otherwise. No side effects; any thread.
    static void checkSession();

    // Shows the app's window on that desktop, in front. Runs on the main loop. Throws a Failure,
    // CancellationError, or an error passed through from the desktop switch.
    static Task<void> open(std::string appID, std::string desktopID, DesktopCatalogFunction catalog,
                           Services services = {});

    static constexpr const char* kTraceFileName = "application-focus-trace.jsonl";

private:
    static void trace(const std::string& event, const SpaceApplicationFocusTarget& target, const Dictionary& details);
    static bool validDesktop(const SpaceApplicationFocusTarget& target, const std::vector<DesktopMonitor>& catalog);
    static bool validOwnership(const SpaceApplicationFocusTarget& target, const std::string& appID);
    static std::optional<std::uint32_t> frontWindowOnSpace(const SpaceApplicationFocusTarget& target,
                                                           const std::vector<DesktopMonitor>& catalog);
};

class ApplicationWindowFocus::Failure : public Error {
public:
    // In declaration order.
    enum class Case { access, session, desktopChanged, noWindow, unavailable, request, verification };

    explicit Failure(Case failureCase);

    Case failureCase() const { return case_; }
    // The complete sentence (also what()).
    std::optional<std::string> errorDescription() const { return message(); }
    std::optional<std::string> failureReason() const { return std::nullopt; }
    std::optional<std::string> recoverySuggestion() const { return std::nullopt; }
    std::optional<std::string> helpAnchor() const { return std::nullopt; }

    static std::string sentence(Case failureCase);

    // Equal and hashed by case alone.
    friend bool operator==(const Failure& a, const Failure& b) { return a.case_ == b.case_; }

private:
    Case case_;
};

}  // namespace tarnwick

template <>
struct std::hash<tarnwick::ApplicationWindowFocus::Failure> {
    std::size_t operator()(const tarnwick::ApplicationWindowFocus::Failure& failure) const noexcept {
        return std::hash<int>()(static_cast<int>(failure.failureCase()));
    }
};
