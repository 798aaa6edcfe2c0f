// The Desktop Names page: the icon size of the names window, the way to it, and a friendly name
// and an Identify button per connected display.

#include <utility>

#include "app/settings_page_parts.h"
#include "app/tarnwick_settings_view.h"

namespace tarnwick {

namespace ui = platform::ui;
using ui::Node;
using namespace settings_parts;

Node DisplayAliasRow::body(ui::ViewContext&) const {
    DesktopNamesModel* model = names;
    const std::string id = monitor.id;
    const bool focused = focus && focus->get() == id;
    // Each of the three moments that end an edit saves the display's draft, if it has one.
    auto commit = [model, id] { model->commitDisplayName(id); };

    Binding<std::string> draft{[model, id] { return model->displayNameDraft(id); },
                               [model, id](const std::string& text) { model->editDisplayName(text, id); }};
    auto field = ui::textField("Friendly name", std::move(draft),
                               ui::TextFieldOptions{"Friendly name", true, ui::TextFieldStyle::roundedBorder})
                     .help("Leave blank to use " + monitor.name)
                     .accessibilityLabel("Friendly name for " + monitor.name)
                     .accessibilityIdentifier(identifier(id))
                     .onSubmit(commit)
                     .onChangeFrom<bool>(focused, [commit](const bool& before, const bool& now) {
                         if (before && !now) commit();
                     });
    if (focus) field = std::move(field).focused(*focus, id);

    const std::string shown = names->displayName(monitor);
    auto identifyButton = ui::button(ui::text("Identify"), identify, ui::ButtonStyle::bordered)
                              .tint(ui::Color::label())
                              .help("Show a label on " + shown)
                              .accessibilityLabel("Identify " + shown)
                              .accessibilityIdentifier(identifyIdentifier(id));
    auto nameColumn = ui::vstack(ui::HorizontalAlignment::leading, 5,
                            ui::nodes(ui::label(monitor.name, monitor.symbolName())
                                          .font(ui::TextStyle::callout)
                                          .foreground(ui::Color::secondaryLabel()),
                                      std::move(field)));
    return ui::hstack(ui::VerticalAlignment::center, 12, ui::nodes(std::move(nameColumn), std::move(identifyButton)))
        .onDisappear(commit);
}

Node TarnwickSettingsView::desktopNames() {
    std::vector<Node> names;
    names.push_back(iconSizeRow(IconSizeRow{"App icon size", &AppPreferences::applicationIconSize, 90, 48, "App icon size"}));
    names.push_back(caption("Adjusts app icons in Desktop Names on every monitor."));
    names.push_back(nativeButton("Edit Desktop Names\u2026", hook(&SettingsModel::namesRequested)));

    std::vector<Node> displays;
    const auto& monitors = names_.monitors.get();
    for (const auto& monitor : monitors) {
        auto identify = [this, id = monitor.id] {
            if (auto request = model_.identifyDisplayRequested) request(id);
        };
        displays.push_back(ui::component(DisplayAliasRow{monitor, &names_, std::move(identify), &focusedDisplayAlias})
                               .id(monitor.id));
    }
    if (monitors.empty())
        displays.push_back(ui::text("Connected displays will appear here.").foreground(ui::Color::secondaryLabel()));
    displays.push_back(caption("Friendly names are saved on this Mac. Leave a name blank to use its hardware name."));
    if (const auto& error = model_.displayIdentificationError.get()) displays.push_back(errorLabel(*error));

    return ui::form(ui::nodes(section("Desktop Names", std::move(names)), section("Connected Displays", std::move(displays))),
                    ui::FormStyle::grouped);
}

}  // namespace tarnwick
