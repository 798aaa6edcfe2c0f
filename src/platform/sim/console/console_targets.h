#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform::ui {
class HostingView;
class Node;
class Panel;
}  // namespace tarnwick::platform::ui

namespace tarnwick::sim {

struct CommandContext;

// A word of a command as it can be typed back: bare where that reads the same, else in quotes.
std::string typedWord(const std::string& word);

// "the window "Settings"", for sentences; "The window ..." where it starts one.
std::string describeWindow(const platform::ui::Panel& panel, bool startsSentence = false);

// The window a command acts on: the one titled so (shown, or in the Dock when `miniaturized`
// are wanted), else the key window. Throws Error with a sentence when there is none.
platform::ui::Panel& targetWindow(CommandContext& context, const std::optional<std::string>& title,
                                  bool miniaturized = false);

// A node of a window's declarative tree and the hosting view that shows it.
struct FoundControl {
    platform::ui::HostingView* hosting = nullptr;
    const platform::ui::Node* node = nullptr;
};

// What a command would act on for a node a name found (the button around a text, the switch
// around its label); nothing when the node takes no such command.
using ActingControl = std::function<const platform::ui::Node*(const FoundControl& found)>;

// Throws Error with a sentence where the command's other words do not suit the control found (a
// switch set to "maybe").
using ControlCheck = std::function<void(const FoundControl& found)>;

// The window a command on a control (its first word names it) acts in: the one `in` named, else
// the key window. With none key, the sentence it throws gives the same command in the frontmost
// window on screen where the name finds an enabled control the command takes (as `acting` sees
// it) and `check` lets through, else where a window on another desktop or in the Dock shows one,
// else says what is on screen, or how to bring a window back or open one.
platform::ui::Panel& controlWindow(CommandContext& context, const ActingControl& acting,
                                   const ControlCheck& check = {});

// Where a window of ours that is not on screen shows an enabled control the name finds that the
// command takes (as `acting` sees it), for a sentence: "the window "Tarnwick Settings" is on
// "Desktop 1" of display 1, not the current desktop; switch 1 goes there", or that it is in the
// Dock and the restore that brings it back. Nothing when none does.
std::optional<std::string> shownElsewhere(CommandContext& context, const std::string& name,
                                          const ActingControl& acting);

// A command named with `in "<window>"` is a click into that window: our application comes forward
// with the window key, as a click makes it (a window that cannot become key stays as it is). To be
// done once the command is known to be valid. True when it changed the key window or brought our
// application forward: the window's controls may be drawn again, so what was found is to be found
// again.
bool clickInto(CommandContext& context, platform::ui::Panel& panel);

// Every node of the window's declarative trees that the name finds, in tree order: those with
// it as accessibility identifier; where none has, those with it as accessibility label (a
// bridged view's, or the title a control hides); where none has, those that show it as text (a
// bridged view's texts too).
std::vector<FoundControl> shownControls(platform::ui::Panel& panel, const std::string& name);

// The one control the name finds in the window: of the matches, the one that takes the command
// (as `acting` sees it; each match when none is given), else the first when none takes it.
// Throws Error with a sentence when nothing matches, or when the matches that take it stand for
// several controls: the sentence names each with its identifier, else its label, so that the
// next command can pick one. `command` names the command for that sentence.
FoundControl findControl(platform::ui::Panel& panel, const std::string& name, const std::string& command,
                         const ActingControl& acting = {});
// The same for matches already found (at least one).
FoundControl oneControl(const std::vector<FoundControl>& found, const std::string& name, const std::string& command,
                        const ActingControl& acting = {});

// The controls for a sentence, each with its identifier, else its label, else its text: "a
// button with the identifier "done" and a button labelled "Identify One"".
std::string describeControls(const std::vector<FoundControl>& controls);

// What a node is, for sentences: "a button", "a text", "the heading of a section", ...
std::string describeNode(const platform::ui::HostingView& hosting, const platform::ui::Node& node);

}  // namespace tarnwick::sim
