// The General page: startup, the overlay switches and updates.

#include <utility>

#include "app/settings_page_parts.h"
#include "app/tarnwick_settings_view.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;
using namespace settings_parts;

Node TarnwickSettingsView::general() {
    return ui::form(ui::nodes(startup(), overlays(), updatesSection()), ui::FormStyle::grouped);
}

Node TarnwickSettingsView::startup() {
    // The switch shows only the enabled state: while approval is pending it reads off.
    Binding<bool> launchAtLogin{[this] { return model_.loginEnabled(); },
                                [this](const bool& on) { model_.setLaunchAtLogin(on); }};
    std::vector<Node> rows;
    rows.push_back(ui::toggle("Launch at login", std::move(launchAtLogin)));
    rows.push_back(caption("Tarnwick starts quietly in the menu bar."));
    if (model_.loginStatus.get() == platform::LoginItemStatus::requiresApproval) {
        rows.push_back(ui::text("Approve Tarnwick in Login Items to finish enabling startup.").font(ui::TextStyle::caption));
        rows.push_back(nativeButton("Open Login Items\u2026", [this] { model_.openLoginItems(); }));
        rows.push_back(nativeButton("Cancel startup request", [this] { model_.setLaunchAtLogin(false); }));
    }
    if (const auto& error = model_.loginError.get())
        rows.push_back(ui::text(*error).font(ui::TextStyle::caption).foreground(ui::Color::systemRed()));
    return section("Startup", std::move(rows));
}

Node TarnwickSettingsView::overlays() {
    const AppPreferences& preferences = model_.preferences.get();
    std::vector<Node> rows;
    rows.push_back(ui::toggle("Show desktop names in Mission Control", model_.binding(&AppPreferences::labelsEnabled)));
    rows.push_back(ui::toggle("Show app icons in expanded Mission Control previews",
                              model_.binding(&AppPreferences::missionControlApplicationsEnabled))
                       .help("Shows a passive row of app icons inside each expanded desktop thumbnail."));
    // The size and position of the icons come and go together with their switch; their stored
    // values stay as they are while hidden.
    if (preferences.missionControlApplicationsEnabled) {
        auto position = ui::picker("Preview position", model_.binding(&AppPreferences::missionControlApplicationPosition),
                                   {MissionControlApplicationPosition::top, MissionControlApplicationPosition::center,
                                    MissionControlApplicationPosition::bottom},
                                   ui::nodes(ui::text("Top"), ui::text("Center"), ui::text("Bottom")), ui::PickerStyle::menu)
                            .help("Positions the app panel vertically inside each expanded desktop preview.");
        rows.push_back(ui::group(ui::nodes(iconSizeRow(IconSizeRow{"Preview icon size", &AppPreferences::missionControlIconSize,
                                                                   110, 44, "Mission Control preview icon size"}),
                                           std::move(position))));
    }
    rows.push_back(ui::toggle("Show name when switching desktops", model_.binding(&AppPreferences::bannersEnabled)));
    rows.push_back(ui::toggle("Show name when opening Mission Control", model_.binding(&AppPreferences::missionControlBannerEnabled))
                       .help("Shows the current desktop's banner using the appearance and duration from Banner settings."));
    if (preferences.missionControlBannerEnabled)
        rows.push_back(ui::toggle("Show on all monitors", model_.binding(&AppPreferences::missionControlBannerOnAllMonitors))
                           .help("Shows each monitor's current desktop in Mission Control. When off, only the monitor "
                                 "under the pointer shows a banner."));
    rows.push_back(ui::toggle("Pause all overlays", model_.binding(&AppPreferences::paused)));
    return section("Overlays", std::move(rows));
}

Node TarnwickSettingsView::updatesSection() {
    // The switches and the button act on the updater; its published state comes back here.
    Binding<bool> checks{[this] { return updates_.automaticallyChecksForUpdates.get(); },
                         [this](const bool& on) { updates_.setAutomaticChecks(on); }};
    Binding<bool> downloads{[this] { return updates_.automaticallyDownloadsUpdates.get(); },
                            [this](const bool& on) { updates_.setAutomaticDownloads(on); }};
    std::vector<Node> rows;
    rows.push_back(ui::toggle("Automatically check for updates", std::move(checks)));
    rows.push_back(ui::toggle("Automatically download and install updates", std::move(downloads))
                       .disabled(!updates_.allowsAutomaticUpdates.get()));
    rows.push_back(caption("Automatic updates install when Tarnwick quits. You can also check and install an update now."));
    rows.push_back(nativeButton("Check for Updates\u2026", [this] { updates_.checkForUpdates(); })
                       .disabled(!updates_.canCheckForUpdates.get()));
    if (const auto& error = updates_.startupError.get())
        rows.push_back(ui::label(*error, "exclamationmark.circle")
                           .font(ui::TextStyle::caption)
                           .foreground(ui::Color::secondaryLabel()));
    return section("Updates", std::move(rows));
}

}  // namespace tarnwick
