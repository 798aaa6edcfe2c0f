#include "app/application_shell_services.h"

namespace tarnwick::app {

ApplicationShellServices ApplicationShellServices::make(std::weak_ptr<ApplicationShellServiceOwner> owner) {
    ApplicationShellServices services;
    services.configurationProvider = [owner](bool forceCatalog) {
        auto self = owner.lock();
        if (!self) return LabelConfiguration{};
        DesktopNamesModel& model = self->namesModel();
        model.refresh(forceCatalog);
        return LabelConfiguration{model.monitors.get(), model.store().names()};
    };
    services.monitors = [owner] {
        auto self = owner.lock();
        return self ? self->namesModel().monitors.get() : std::vector<DesktopMonitor>{};
    };
    services.refreshCatalog = [owner] {
        if (auto self = owner.lock()) self->namesModel().refresh(true);
    };
    services.describe = [owner](const SpaceNavigationTarget& target) -> std::string {
        auto self = owner.lock();
        if (!self) return kUnknownDesktop;
        const DesktopNamesModel& model = self->namesModel();
        for (const auto& monitor : model.monitors.get()) {
            if (monitor.id != target.monitorID) continue;
            for (const auto& desktop : monitor.desktops) {
                if (desktop.id != target.desktopID) continue;
                const auto names = model.store().names();
                const auto saved = names.find(desktop.id);
                const std::string& name = saved != names.end() ? saved->second : desktop.nativeTitle;
                return "Apps on " + name + ", " + model.displayName(monitor);
            }
            return kUnknownDesktop;
        }
        return kUnknownDesktop;
    };
    services.render = [owner](const std::vector<MissionControlApplicationPresentation>& presentations) {
        if (auto self = owner.lock()) self->missionControlApplicationPanels().render(presentations);
    };
    return services;
}

}  // namespace tarnwick::app
