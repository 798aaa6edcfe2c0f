#include "app/app_delegate.h"
#include "overlays/rename_alert_placement.h"
#include "platform/alerts.h"
#include "platform/platform.h"

namespace tarnwick {

namespace {

struct Found {
    const DesktopMonitor* monitor = nullptr;
    const ManagedDesktop* desktop = nullptr;
};

// The first monitor holding the desktop, by exact id.
Found find(const std::vector<DesktopMonitor>& monitors, const std::string& desktopID) {
    for (const auto& monitor : monitors)
        for (const auto& desktop : monitor.desktops)
            if (desktop.id == desktopID) return {&monitor, &desktop};
    return {};
}

}  // namespace

void AppDelegate::quickRename(const std::string& desktopID) {
    namesModel_->refresh(true);
    const Found found = find(namesModel_->monitors.get(), desktopID);
    if (!found.desktop) return;
    // Copies: the catalog may be rebuilt while the prompt shows.
    const std::string firstDisplay = found.monitor->id;
    const std::string nativeTitle = found.desktop->nativeTitle;

    platform::Alert alert;
    alert.messageText = "Rename " + nativeTitle;
    // The display's own name: an alias could be the very thing being confused.
    alert.informativeText = found.monitor->name + "\nLeave the name blank to use its default.";
    const auto names = namesModel_->store().names();
    const auto saved = names.find(desktopID);
    alert.textField = platform::AlertTextField{saved != names.end() ? saved->second : std::string(), nativeTitle,
                                               "Desktop name", Rect(0, 0, 280, 24), true};
    alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};

    platform::current().application->activate(true);
    for (;;) {
        namesModel_->refresh(true);
        const Found now = find(namesModel_->monitors.get(), desktopID);
        const std::string displayID = now.monitor ? now.monitor->id : firstDisplay;
        const auto response = RenameAlertPlacement::run(alert, displayID);
        if (!response || *response != platform::kAlertFirstButtonReturn) return;
        namesModel_->refresh(true);
        if (namesModel_->rename(alert.textField->stringValue, desktopID)) return;
        alert.informativeText = namesModel_->errorMessage.get().value_or(kRenameFailed);
    }
}

}  // namespace tarnwick
