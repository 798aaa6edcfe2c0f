#include "platform/sim/console/console_targets.h"

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

std::string describeWindow(const ui::Panel& panel) { return "the window " + quotedText(panel.title()); }

ui::Panel& targetWindow(CommandContext& context, const std::optional<std::string>& title, bool miniaturized) {
    auto& windows = context.session.windowSystem();
    if (!title) {
        if (ui::Panel* key = windows.keyPanel()) return *key;
        throw Error("No window of ours is key; name one, as in: in \"Settings\" press save.");
    }
    for (auto* panel : windows.panels())
        if (panel->title() == *title && (miniaturized ? windows.isMiniaturized(*panel) : panel->isVisible())) return *panel;
    throw Error("No window titled " + quotedText(*title) + (miniaturized ? " is in the Dock" : " is on screen") +
                "; screen lists the windows.");
}

namespace {

const ui::Node* labelled(const ui::Node& node, const std::string& label) {
    if (node.modifiers().accessibility().label == label) return &node;
    for (const auto& child : node.children())
        if (const ui::Node* found = labelled(child, label)) return found;
    return nullptr;
}

}  // namespace

std::optional<FoundControl> shownControl(ui::Panel& panel, const std::string& name) {
    const auto hosts = hostingViews(panel);
    for (auto* hosting : hosts)
        if (const ui::Node* node = hosting->host().find(name)) return FoundControl{hosting, node};
    // Two controls may show the same text ("Identify") and differ only by their labels.
    for (auto* hosting : hosts)
        if (const ui::Node* root = hosting->host().root())
            if (const ui::Node* node = labelled(*root, name)) return FoundControl{hosting, node};
    for (auto* hosting : hosts)
        if (const ui::Node* node = hosting->host().findText(name)) return FoundControl{hosting, node};
    return std::nullopt;
}

FoundControl findControl(ui::Panel& panel, const std::string& name) {
    if (hostingViews(panel).empty()) throw Error(describeWindow(panel) + " has no controls.");
    if (auto found = shownControl(panel, name)) return *found;
    throw Error(describeWindow(panel) + " shows nothing with the identifier, label or text " + quotedText(name) +
                "; screen lists its view tree.");
}

}  // namespace tarnwick::sim
