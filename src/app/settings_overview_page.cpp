// The Overview page: hovering over the status item, the global shortcut, the overview's icon
// size, and a way to open the overview now.

#include <utility>

#include "app/settings_page_parts.h"
#include "app/tarnwick_settings_view.h"
#include "overview/overview_shortcut_control.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;
using namespace settings_parts;

Node TarnwickSettingsView::overview() {
    std::vector<Node> rows;
    rows.push_back(ui::toggle("Show workstation overview on hover", model_.binding(&AppPreferences::hoverPreviewEnabled)));
    rows.push_back(ui::component(OverviewShortcutControl(model_.overviewShortcut())));
    rows.push_back(iconSizeRow(IconSizeRow{"App icon size", &AppPreferences::overviewIconSize, 90, 48,
                                           "Workstation Overview app icon size"}));
    rows.push_back(caption("Adjusts app icons in Workstation Overview on every monitor."));
    rows.push_back(nativeButton("Open Workstation Overview", hook(&SettingsModel::overviewRequested)));
    return ui::form(ui::nodes(section("Workstation Overview", std::move(rows))), ui::FormStyle::grouped);
}

}  // namespace tarnwick
