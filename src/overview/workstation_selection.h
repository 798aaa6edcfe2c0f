#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "applications/space_navigation_target.h"
#include "support/error.h"
#include "support/task.h"

namespace tarnwick {

// The user's pick in the overview: a desktop to switch to, or an app to bring forward on a
// desktop. It carries itself out through the navigation it is handed and checks the result.
class WorkstationSelection {
public:
    enum class Kind { desktop, application };
    class Failure;

    // Switches to that desktop.
    static WorkstationSelection desktop(SpaceNavigationTarget target) {
        return WorkstationSelection(Kind::desktop, std::nullopt, std::move(target));
    }
    // Brings the app (its identity string) forward on that desktop.
    static WorkstationSelection application(std::string appID, SpaceNavigationTarget desktop) {
        return WorkstationSelection(Kind::application, std::move(appID), std::move(desktop));
    }

    Kind kind() const { return kind_; }
    const SpaceNavigationTarget& target() const { return target_; }
    // Nothing for a desktop.
    const std::optional<std::string>& applicationID() const { return applicationID_; }

    friend bool operator==(const WorkstationSelection&, const WorkstationSelection&) = default;

    using SwitchDesktop = std::function<Task<void>(SpaceNavigationTarget target)>;
    using OpenApplication = std::function<Task<void>(std::string appID, std::string desktopID)>;

    // Checks the desktop against a fresh catalog before anything moves, navigates, then checks in
    // a second fresh catalog that the desktop is now current. Throws CancellationError, a Failure,
    // or the navigation's own error unchanged. Runs on the main loop.
    Task<void> perform(DesktopCatalogFunction catalog, SwitchDesktop switchDesktop,
                       OpenApplication openApplication) const;

private:
    WorkstationSelection(Kind kind, std::optional<std::string> applicationID, SpaceNavigationTarget target)
        : kind_(kind), applicationID_(std::move(applicationID)), target_(std::move(target)) {}

    // Takes its own copy of the selection: the task may outlive the object it was started from.
    static Task<void> run(WorkstationSelection selection, DesktopCatalogFunction catalog, SwitchDesktop switchDesktop,
                          OpenApplication openApplication);

    Kind kind_;
    std::optional<std::string> applicationID_;
    SpaceNavigationTarget target_;
};

class WorkstationSelection::Failure : public Error {
public:
    // In declaration order.
    enum class Case { desktopChanged, verification };

    explicit Failure(Case failureCase);

    Case failureCase() const { return case_; }
    // The complete sentence (also what()).
    std::optional<std::string> errorDescription() const { return message(); }

    static std::string sentence(Case failureCase);

    // Equal and hashed by case alone.
    friend bool operator==(const Failure& a, const Failure& b) { return a.case_ == b.case_; }

private:
    Case case_;
};

}  // namespace tarnwick

template <>
struct std::hash<tarnwick::WorkstationSelection::Failure> {
    std::size_t operator()(const tarnwick::WorkstationSelection::Failure& failure) const noexcept {
        return std::hash<int>()(static_cast<int>(failure.failureCase()));
    }
};
