#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "applications/space_navigation_target.h"
#include "model/desktop_monitor.h"
#include "model/desktop_names_model.h"
#include "overlays/label_prototype.h"
#include "overlays/mission_control_application_panels.h"
#include "overlays/mission_control_application_presentation.h"

namespace tarnwick::app {

// What the shell's closures reach through: the application delegate, which owns the names model
// and makes the Mission Control app-icon panels on first use.
class ApplicationShellServiceOwner {
public:
    virtual ~ApplicationShellServiceOwner() = default;
    virtual DesktopNamesModel& namesModel() = 0;
    // The app-icon panels over Mission Control, made on first use.
    virtual MissionControlApplicationPanels& missionControlApplicationPanels() = 0;
};

// The closures the application delegate hands to the label controller, the Mission Control
// app-icon controller and that controller's inventory. Each holds the owner weakly: once it is
// gone they return nothing (no monitors, no names, "Desktop applications") and never fail.
struct ApplicationShellServices {
    static constexpr const char* kUnknownDesktop = "Desktop applications";

    // Refreshes the catalog (forced when asked), then gives the monitors and the saved names.
    LabelPrototype::ConfigurationProvider configurationProvider;
    // The names model's monitors as they are.
    std::function<std::vector<DesktopMonitor>()> monitors;
    // A forced refresh of the catalog.
    std::function<void()> refreshCatalog;
    // "Apps on <saved name, else the caption>, <display name>" for a desktop of the catalog.
    std::function<std::string(const SpaceNavigationTarget&)> describe;
    // Shows the strips in the owner's app-icon panels.
    std::function<void(const std::vector<MissionControlApplicationPresentation>&)> render;

    static ApplicationShellServices make(std::weak_ptr<ApplicationShellServiceOwner> owner);
};

}  // namespace tarnwick::app
