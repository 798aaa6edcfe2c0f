#include "platform/sim/console/console_targets.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/console/screen_views.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/button.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

std::string describeWindow(const ui::Panel& panel, bool startsSentence) {
    return (startsSentence ? "The window " : "the window ") + quotedText(panel.title());
}

// A word as it can be typed back: bare where that reads the same, else in quotes.
std::string typedWord(const std::string& word) {
    constexpr std::string_view kPlain = "-._:/+,";
    const bool bare = !word.empty() && std::all_of(word.begin(), word.end(), [&](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || kPlain.find(c) != std::string_view::npos;
    });
    return bare ? word : quotedText(word);
}

namespace {

// "\"A\"", "\"A\" and \"B\"", "\"A\", \"B\" and \"C\"".
std::string quotedTitles(const std::vector<ui::Panel*>& windows) {
    std::vector<std::string> titles;
    for (const auto* window : windows) titles.push_back(quotedText(window->title()));
    return listed(titles, "and");
}

// Our windows a title can name: those on screen (shown on a desktop that is current), or those
// in the Dock; front to back. The untitled ones (the labels) only when `untitled`: a sentence
// cannot name them.
std::vector<ui::Panel*> nameableWindows(SimWindowSystem& windows, bool miniaturized, bool untitled = false) {
    std::vector<ui::Panel*> found;
    for (auto* panel : windows.panels())
        if ((untitled || !panel->title().empty()) &&
            (miniaturized ? windows.isMiniaturized(*panel) : panel->isVisible() && windows.isOnActiveSpace(*panel)))
            found.push_back(panel);
    return found;
}

// "<the window> "Tarnwick Settings" is on "Desktop 1" of display 1, not the current desktop; switch 1
// goes there".
std::string elsewhereText(const WindowElsewhere& away, const std::string& theWindow = "the window") {
    std::string text = theWindow + " " + quotedText(away.title) + " is on " + quotedText(away.desktop) + " of display " +
                       std::to_string(away.displayID) + ", not the current desktop";
    if (away.desktopNumber) text += "; switch " + std::to_string(*away.desktopNumber) + " goes there";
    return text;
}

// The first of our titled windows on a desktop that is not current for which `wanted` holds.
template <typename Wanted>
std::optional<WindowElsewhere> firstElsewhere(SimulatedSession& session, const Wanted& wanted) {
    for (auto* panel : session.windowSystem().panels())
        if (!panel->title().empty() && wanted(*panel))
            if (auto away = windowElsewhere(session, *panel)) return away;
    return std::nullopt;
}

// Whether the name finds, in the window, an enabled control that the command takes (as `acting`
// sees it); `shown` learns whether it finds anything at all there.
bool takesCommand(ui::Panel& panel, const std::string& name, const ActingControl& acting, bool* shown = nullptr) {
    const auto found = name.empty() ? std::vector<FoundControl>{} : shownControls(panel, name);
    if (shown) *shown = *shown || !found.empty();
    return std::any_of(found.begin(), found.end(), [&](const FoundControl& match) {
        const ui::Node* control = acting ? acting(match) : match.node;
        return control && !control->isDisabled() && !match.node->isDisabled();
    });
}

// Where a window of ours that is not on screen shows an enabled control the name finds that the
// command takes (and `check` lets through): on another desktop, with the switch that goes there,
// or in the Dock, with the restore that brings it back.
struct ShownAway {
    std::string text;
    ui::Panel* window = nullptr;
    bool inTheDock = false;
};
std::optional<ShownAway> elsewhereShowing(SimulatedSession& session, const std::string& name,
                                          const std::string& command, const ActingControl& acting,
                                          const ControlCheck& check = {}) {
    const auto takes = [&](ui::Panel& panel) {
        if (!takesCommand(panel, name, acting)) return false;
        if (check) check(findControl(panel, name, command, acting));
        return true;
    };
    for (auto* panel : session.windowSystem().panels())
        if (!panel->title().empty())
            if (auto away = windowElsewhere(session, *panel); away && takes(*panel))
                return ShownAway{elsewhereText(*away), panel, false};
    for (auto* panel : nameableWindows(session.windowSystem(), true))
        if (takes(*panel))
            return ShownAway{"the window " + quotedText(panel->title()) + " is in the Dock; restore " +
                                 typedWord(panel->title()) + " brings it back",
                             panel, true};
    return std::nullopt;
}

// The command as typed, in the window named: "in "Tarnwick Settings" set "Launch at login" on".
std::string commandIn(const CommandContext& context, const ui::Panel& panel) {
    std::string command = "in " + quotedText(panel.title()) + " " + context.name;
    for (const auto& word : context.arguments) command += " " + typedWord(word);
    return command;
}

// Why a command that acts in the key window found none, with a command that works instead: the
// same command in the frontmost window on screen that shows what it names, else where a window
// not on screen shows it, else the windows on screen it could name, else how to open one.
std::string noKeyWindow(CommandContext& context, const ActingControl& acting, const ControlCheck& check) {
    auto& session = context.session;
    auto& windows = session.windowSystem();
    const bool active = session.ownApplicationActive();
    const std::string opening =
        std::string("No window of ours is key") + (active ? "" : " while another application is active");
    const std::string name = context.arguments.empty() ? std::string() : context.arguments.front();
    std::vector<ui::Panel*> withControls;
    for (auto* panel : windows.onScreenPanels())
        if (!panel->title().empty() && !hostingViews(*panel).empty()) withControls.push_back(panel);
    bool shown = false;  // somewhere on screen, though not as anything the command takes
    for (auto* panel : withControls) {
        if (!takesCommand(*panel, name, acting, &shown)) continue;
        // A command that would fail there for its other words says why instead.
        if (check) check(findControl(*panel, name, context.name, acting));
        // The command first, so that copying it takes no full stop with it.
        return opening + "; " + commandIn(context, *panel) + " names the window to act in.";
    }
    const std::string nothing = "shows anything with the identifier, label or text " + quotedText(name);
    const std::string onScreen = withControls.empty()
                                     ? ", and none with controls is on screen; "
                                     : ", and no window on screen " + nothing +
                                           (shown ? " that " + context.name + " works on" : std::string()) + "; ";
    if (auto away = elsewhereShowing(session, name, context.name, acting, check)) {
        // Where another application stays in front, the switch alone leaves no window of ours key.
        if (!away->inTheDock && !active)
            return opening + onScreen + away->text + ", then " + commandIn(context, *away->window) + " acts in it.";
        return opening + onScreen + away->text + ".";
    }
    if (!withControls.empty()) {
        const bool one = withControls.size() == 1;
        return opening + onScreen + "on screen " + (one ? "is " : "are ") + quotedTitles(withControls) +
               ": screen lists " + (one ? "its view tree." : "their view trees.");
    }
    // Nothing of ours anywhere shows it: where a window is, without promising the command works there.
    const std::string nowhere = ", and none with controls is on screen; nor does a window elsewhere " +
                                (name.empty() ? std::string("show anything") : "show " + quotedText(name) +
                                                                                   " as something " + context.name +
                                                                                   " works on") +
                                "; ";
    const auto hasControls = [](ui::Panel& panel) { return !hostingViews(panel).empty(); };
    if (auto away = firstElsewhere(session, hasControls)) return opening + nowhere + elsewhereText(*away) + ".";
    for (auto* panel : nameableWindows(windows, true))
        if (hasControls(*panel))
            return opening + nowhere + "restore " + typedWord(panel->title()) + " brings one back from the Dock.";
    // Each command stands where copying it takes no full stop with it.
    return opening + onScreen +
           "click status-item, wait 0.5, then menu \"Settings\u2026\" or menu \"Desktop Names\" open a window from "
           "the status menu.";
}

}  // namespace

ui::Panel& targetWindow(CommandContext& context, const std::optional<std::string>& title, bool miniaturized) {
    auto& windows = context.session.windowSystem();
    if (!title) {
        if (ui::Panel* key = windows.keyPanel()) return *key;
        throw Error(noKeyWindow(context, {}, {}));
    }
    for (auto* panel : nameableWindows(windows, miniaturized, true))
        if (panel->title() == *title) return *panel;
    if (!miniaturized) {
        if (auto away = firstElsewhere(context.session, [&](ui::Panel& panel) { return panel.title() == *title; }))
            throw Error(elsewhereText(*away, "The window") + ".");
        for (auto* panel : nameableWindows(windows, true))
            if (panel->title() == *title)
                throw Error("The window " + quotedText(*title) + " is in the Dock; restore " + typedWord(*title) +
                            " brings it back.");
    }
    const auto candidates = nameableWindows(windows, miniaturized);
    const std::string where = miniaturized ? "in the Dock" : "on screen";
    if (candidates.empty())
        throw Error("No window titled " + quotedText(*title) + " is " + where +
                    ", nor any other window of ours with a title.");
    throw Error("No window titled " + quotedText(*title) + " is " + where + "; " + where +
                (candidates.size() == 1 ? " is " : " are ") + quotedTitles(candidates) + ".");
}

bool clickInto(CommandContext& context, ui::Panel& panel) {
    auto& session = context.session;
    if (!context.window || !panel.canBecomeKey()) return false;
    if (panel.isKeyWindow() && session.ownApplicationActive()) return false;
    return session.windowSystem().focus(panel);
}

ui::Panel& controlWindow(CommandContext& context, const ActingControl& acting, const ControlCheck& check) {
    if (context.window) return targetWindow(context, context.window);
    if (ui::Panel* key = context.session.windowSystem().keyPanel()) return *key;
    throw Error(noKeyWindow(context, acting, check));
}

std::optional<std::string> shownElsewhere(CommandContext& context, const std::string& name,
                                          const ActingControl& acting) {
    auto away = elsewhereShowing(context.session, name, context.name, acting);
    if (!away) return std::nullopt;
    return away->text;
}

namespace {

// The nodes of the subtree for which `matches` holds, in tree order; only those that show when
// `shownOnly` (a closed pop-up's other options do not).
template <typename Matches>
void collect(ui::HostingView& hosting, const ui::Node& node, bool shownOnly, const Matches& matches,
             std::vector<FoundControl>& found) {
    if (matches(hosting, node)) found.push_back(FoundControl{&hosting, &node});
    const auto& children = node.children();
    for (std::size_t i = 0; i < children.size(); ++i)
        if (!shownOnly || node.content()->showsChild(i)) collect(hosting, children[i], shownOnly, matches, found);
}

template <typename Matches>
std::vector<FoundControl> collectAll(const std::vector<ui::HostingView*>& hostings, bool shownOnly,
                                     const Matches& matches) {
    std::vector<FoundControl> found;
    for (auto* hosting : hostings)
        if (const ui::Node* root = hosting->host().root()) collect(*hosting, *root, shownOnly, matches, found);
    return found;
}

// How the next command can pick this match: by its identifier, else its label, else its text.
std::string handle(const FoundControl& found) {
    const ui::Node& node = *found.node;
    const std::string what = describeNode(*found.hosting, node);
    if (const auto& identifier = node.modifiers().accessibility().identifier)
        return what + " with the identifier " + quotedText(*identifier);
    if (const auto label = accessibleLabel(*found.hosting, node)) return what + " labelled " + quotedText(*label);
    const auto text = found.hosting->host().firstText(node);
    return text ? what + " showing " + quotedText(*text) : what;
}

// What shownControls finds among a window's hosting views, read once by the caller.
std::vector<FoundControl> shownControlsIn(const std::vector<ui::HostingView*>& hostings, const std::string& name) {
    auto found = collectAll(hostings, false, [&](const ui::HostingView&, const ui::Node& node) {
        const auto& identifier = node.modifiers().accessibility().identifier;
        return identifier && *identifier == name;
    });
    if (!found.empty()) return found;
    // Two controls may show the same text ("Identify") and differ only by their labels.
    found = collectAll(hostings, false, [&](const ui::HostingView& hosting, const ui::Node& node) {
        return accessibleLabel(hosting, node) == name;
    });
    if (!found.empty()) return found;
    return collectAll(hostings, true, [&](const ui::HostingView& hosting, const ui::Node& node) {
        const auto texts = ownTexts(hosting, node);
        return std::find(texts.begin(), texts.end(), name) != texts.end();
    });
}

}  // namespace

std::string describeNode(const ui::HostingView& hosting, const ui::Node& node) {
    if (const ui::Node* up = node.parent()) {
        if (const auto* section = up->as<ui::SectionContent>();
            section && section->hasHeader && &up->children().front() == &node)
            return "the heading of a section";
        if (up->as<ui::ListContent>()) return "a row of a list";
    }
    if (node.content()->asBridged())
        return dynamic_cast<const ui::Button*>(hosting.host().bridgedView(node).get()) ? "a button" : "a view";
    if (const auto* picker = node.as<ui::PickerContent>())
        return picker->style == ui::PickerStyle::menu        ? "a pop-up"
               : picker->style == ui::PickerStyle::segmented ? "a segmented control"
                                                              : "a picker";
    static const std::map<std::string_view, std::string> kWords{
        {"toggle", "a switch"},       {"textField", "a text field"}, {"colorWell", "a colour well"},
        {"menu", "a pull-down menu"}, {"image", "an image"},         {"splitView", "a split view"}};
    if (const auto word = kWords.find(node.kind()); word != kWords.end()) return word->second;
    return "a " + std::string(node.kind());
}

std::vector<FoundControl> shownControls(ui::Panel& panel, const std::string& name) {
    return shownControlsIn(hostingViews(panel), name);
}

std::string describeControls(const std::vector<FoundControl>& controls) {
    std::vector<std::string> handles;
    for (const auto& control : controls) handles.push_back(handle(control));
    return listed(handles, "and");
}

FoundControl oneControl(const std::vector<FoundControl>& found, const std::string& name, const std::string& command,
                        const ActingControl& acting) {
    // Only the matches that take the command count: a text or a heading beside the one control
    // that shows the same words does not make the name ambiguous.
    std::vector<FoundControl> distinct;
    const FoundControl* taking = nullptr;
    for (const auto& match : found) {
        const ui::Node* acts = acting ? acting(match) : match.node;
        if (!acts) continue;
        const bool seen = std::any_of(distinct.begin(), distinct.end(),
                                      [&](const FoundControl& other) { return other.node == acts; });
        if (seen) continue;
        distinct.push_back(FoundControl{match.hosting, acts});
        if (!taking) taking = &match;
    }
    if (distinct.size() <= 1) return taking ? *taking : found.front();
    throw Error(quotedText(name) + " finds " + std::to_string(distinct.size()) + " controls: " +
                describeControls(distinct) + "; " + command + " one of them by its identifier or label.");
}

FoundControl findControl(ui::Panel& panel, const std::string& name, const std::string& command,
                         const ActingControl& acting) {
    const auto hostings = hostingViews(panel);
    if (hostings.empty()) throw Error(describeWindow(panel, true) + " has no controls.");
    const auto found = shownControlsIn(hostings, name);
    if (found.empty())
        throw Error(describeWindow(panel, true) + " shows nothing with the identifier, label or text " + quotedText(name) +
                    "; screen lists its view tree.");
    return oneControl(found, name, command, acting);
}

}  // namespace tarnwick::sim
