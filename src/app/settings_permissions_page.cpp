// The Permissions page: both permissions' state and the ways to grant them.

#include <cctype>
#include <string_view>
#include <utility>

#include "app/settings_page_parts.h"
#include "app/tarnwick_settings_view.h"
#include "platform/platform.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;
using namespace settings_parts;

namespace {

// What may stand in a URL as it is: letters, digits and the unreserved and reserved marks, or
// a percent sign before two hexadecimal digits.
bool isURLText(const std::string& text) {
    static constexpr std::string_view kMarks = "-._~:/?#[]@!$&'()*+,;=";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           kMarks.find(c) != std::string_view::npos;
        if (plain) continue;
        const auto hex = [&](std::size_t k) { return k < text.size() && std::isxdigit(static_cast<unsigned char>(text[k])); };
        if (c == '%' && hex(i + 1) && hex(i + 2)) {
            i += 2;
            continue;
        }
        return false;
    }
    return !text.empty();
}

}  // namespace

std::optional<std::string> TarnwickSettingsView::privacySettingsURL(const std::string& pane) {
    std::string url = PermissionPresentation::kSettingsURLPrefix + pane;
    if (!isURLText(url)) return std::nullopt;
    return url;
}

Node TarnwickSettingsView::permissionRow(const std::string& title, bool allowed) const {
    auto state = allowed ? ui::label("Allowed", "checkmark.circle.fill").foreground(ui::Color::named("systemGreen"))
                         : ui::label("Needs approval", "exclamationmark.circle").foreground(ui::Color::secondaryLabel());
    return ui::hstack(ui::VerticalAlignment::center, kRowSpacing, ui::nodes(ui::text(title), ui::spacer(), std::move(state)));
}

Node TarnwickSettingsView::permissions() {
    const PermissionPresentation presentation = model_.permissionPresentation();
    const auto entries = presentation.entries();
    std::vector<Node> rows;
    for (const auto& entry : entries) rows.push_back(permissionRow(entry.title, entry.allowed).id(entry.settingsPane));
    rows.push_back(caption("Used to read Mission Control labels and bring the selected app window forward when you click "
                           "its icon. Recognition stays on your Mac; no screen images or audio are saved."));
    if (presentation.ready()) {
        rows.push_back(ui::label("All required access is ready", "checkmark.circle"));
        rows.push_back(nativeButton("Name your desktops\u2026", hook(&SettingsModel::namesRequested)));
        rows.push_back(ui::text("Assign a name, then open Mission Control to see it. You can also Option-double-click a "
                                "custom label to rename it.")
                           .font(ui::TextStyle::callout)
                           .foreground(ui::Color::secondaryLabel()));
    } else {
        const bool requesting = model_.requestingPermissions.get();
        rows.push_back(nativeButton(requesting ? "Requesting access\u2026" : "Grant missing access\u2026",
                                    hook(&SettingsModel::permissionSetupRequested))
                           .disabled(requesting));
        for (const auto& entry : entries) {
            if (entry.allowed) continue;
            auto open = [pane = entry.settingsPane] {
                // A pane whose address cannot be built is ignored.
                if (auto url = privacySettingsURL(pane)) platform::current().workspace->openURL(*url);
            };
            rows.push_back(nativeButton(entry.settingsButtonTitle, std::move(open)).id(entry.settingsPane));
        }
        if (presentation.showRestartHint())
            rows.push_back(ui::text(PermissionPresentation::kRestartHint)
                               .font(ui::TextStyle::callout)
                               .foreground(ui::Color::secondaryLabel()));
    }
    rows.push_back(ui::button(ui::text("Check again"), [this] { model_.refreshSystemStatus(true); }, ui::ButtonStyle::bordered)
                       .tint(ui::Color::label()));
    return ui::form(ui::nodes(section("Mission Control access", std::move(rows))), ui::FormStyle::grouped);
}

}  // namespace tarnwick
