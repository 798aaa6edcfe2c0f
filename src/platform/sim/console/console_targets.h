#pragma once

#include <optional>
#include <string>

namespace tarnwick::platform::ui {
class HostingView;
class Node;
class Panel;
}  // namespace tarnwick::platform::ui

namespace tarnwick::sim {

struct CommandContext;

// "the window "Settings"", for sentences.
std::string describeWindow(const platform::ui::Panel& panel);

// The window a command acts on: the one titled so (shown, or in the Dock when `miniaturized`
// are wanted), else the key window. Throws Error with a sentence when there is none.
platform::ui::Panel& targetWindow(CommandContext& context, const std::optional<std::string>& title,
                                  bool miniaturized = false);

// A node of a window's declarative tree and the hosting view that shows it.
struct FoundControl {
    platform::ui::HostingView* hosting = nullptr;
    const platform::ui::Node* node = nullptr;
};

// A node of the window's declarative trees, by accessibility identifier, else by accessibility
// label, else by the text it shows (the first in the tree of each). Nothing when none matches.
std::optional<FoundControl> shownControl(platform::ui::Panel& panel, const std::string& name);
// The same; throws Error with a sentence when nothing matches.
FoundControl findControl(platform::ui::Panel& panel, const std::string& name);

}  // namespace tarnwick::sim
