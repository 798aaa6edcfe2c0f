#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "applications/desktop_application_inventory.h"
#include "model/desktop_monitor.h"
#include "model/desktop_names_model.h"
#include "model/settings_model.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/view_context.h"
#include "platform/ui/declarative/view_host.h"
#include "support/observable.h"

namespace tarnwick {

// The editor in which the user names every ordinary desktop: one section per display, one row
// per desktop with a name field (every edit is saved as it is typed), the current desktop
// marked, and the apps with windows on each desktop (a click brings the app's window forward
// there); a bottom line for the last error and a Refresh button. Main loop only.
class DesktopNamesView final : public platform::ui::DeclarativeView {
public:
    using Entry = DesktopApplicationInventory::Entry;

    DesktopNamesView(DesktopNamesModel& model, DesktopApplicationInventory& applications, SettingsModel& settings);
    DesktopNamesView(const DesktopNamesView&) = delete;
    DesktopNamesView& operator=(const DesktopNamesView&) = delete;

    platform::ui::Node body(platform::ui::ViewContext& context) override;
    void observe(platform::ui::ViewHost& host) override;

    // The app icon with keyboard focus: the desktop's id, a full stop and the app's id.
    Published<std::optional<std::string>> focusedApplication;

    // ---- texts and small rules
    static constexpr const char* kEmptyText = "Your connected monitors and desktops will appear here.";
    static constexpr const char* kPlaceholder = "Custom name";
    static constexpr const char* kCurrent = "Current";
    static constexpr const char* kIncomplete = "Some apps could not be read";
    static constexpr const char* kReading = "Reading apps\u2026";
    static constexpr const char* kNoApps = "No app windows";
    static constexpr const char* kUnavailable = "Apps unavailable";
    static constexpr const char* kSavingHint = "Names save automatically; leave blank for the default.";
    static constexpr const char* kOpeningHint =
        "Click an app to open its window. Option-double-click a Mission Control label to rename it.";
    static constexpr const char* kRefresh = "Refresh";
    static constexpr double kIconScale = 1.08;
    static constexpr double kIconAnimationDuration = 0.12;

    // The line of a desktop without icons to show; nothing when its icons show.
    static std::optional<std::string> applicationsText(const Entry* entry);
    static std::string focusValue(const std::string& desktopID, const std::string& appID) {
        return desktopID + "." + appID;
    }
    static std::string nameIdentifier(const std::string& desktopID) { return "name." + desktopID; }
    static std::string applicationIdentifier(const std::string& desktopID, const std::string& appID) {
        return "open-app." + desktopID + "." + appID;
    }
    // The model's message wins over the activation error.
    std::optional<std::string> bottomMessage() const;

private:
    struct RenderInputs {
        const DesktopApplicationInventory::Entries& entries;
        double iconSize;
        bool reduceMotion;
    };

    platform::ui::Node monitorSection(const DesktopMonitor& monitor, const RenderInputs& inputs);
    platform::ui::Node desktopRow(const ManagedDesktop& desktop, const std::string& displayName, const RenderInputs& inputs);
    platform::ui::Node applicationIcons(const ManagedDesktop& desktop, const std::string& displayName,
                                        const RenderInputs& inputs);
    platform::ui::Node bottomBar();
    platform::ui::Node refreshButton();
    static platform::ui::Node nativeButton(std::string title, std::function<void()> action);

    DesktopNamesModel& model_;
    DesktopApplicationInventory& applications_;
    SettingsModel& settings_;
};

}  // namespace tarnwick
