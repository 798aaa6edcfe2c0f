// The simulated user's hands on our windows: the name labels over Mission Control, the window
// buttons, and the keyboard.

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/console/change_printer.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/console/console_targets.h"
#include "platform/sim/console/key_combination.h"
#include "platform/sim/console/screen_state.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/simulated_session.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "platform/ui/screens.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace ui = platform::ui;

namespace {

const ConsoleCommand& command(const char* name) { return *findConsoleCommand(name); }

// ---- the labels

// The frontmost of our shown panels over "Desktop N"'s caption in Mission Control.
ui::Panel& labelOver(CommandContext& context, const std::string& number) {
    auto& session = context.session;
    if (!session.missionControlOpen)
        throw Error("Mission Control is not open, so no label shows; type mission-control open first.");
    const auto n = integerArgument(number, "The desktop's number", 1, 1000000);
    const std::string title = "Desktop " + std::to_string(n);
    const GlobalSpace space = GlobalSpace::of(session);
    for (const auto& bar : MissionControlLayout::bars(session, session.loop().uptime()))
        for (const auto& button : bar.buttons) {
            if (button.title != title) continue;
            const Point middle = space.toScreen(Point{button.caption.midX(), button.caption.midY()});
            for (auto* panel : session.windowSystem().onScreenPanels())
                if (panel->frame().contains(middle) && panel->level() >= ui::window_level::kMissionControl) return *panel;
            throw Error("No label shows over " + quotedText(title) + "; labels show over named desktops once they settle "
                        "(wait a little).");
        }
    throw Error("Mission Control shows no " + quotedText(title) + "; screen lists the captions.");
}

Point middleOf(const ui::Panel& panel) { return Point{panel.frame().midX(), panel.frame().midY()}; }

void clickLabel(CommandContext& context) {
    const auto& thisCommand = command("click");
    expectArguments(context, thisCommand, 2, 2);
    if (context.arguments[0] != "label") throw Error("click takes label <N> or status-item; type " + thisCommand.usage + ".");
    context.session.windowSystem().click(middleOf(labelOver(context, context.arguments[1])));
}

void optionDoubleClickLabel(CommandContext& context) {
    const auto& thisCommand = command("option-double-click");
    expectArguments(context, thisCommand, 2, 2);
    if (context.arguments[0] != "label") throw Error("option-double-click takes label <N>; type " + thisCommand.usage + ".");
    ui::Panel& label = labelOver(context, context.arguments[1]);
    auto& session = context.session;
    // The labels take the mouse only while Option alone is held: the app hears the key first.
    session.holdModifiers(platform::modifier_flags::kOption);
    context.console.settle();
    session.windowSystem().doubleClick(middleOf(label));
    session.releaseModifiers(platform::modifier_flags::kOption);
}

// ---- windows

Rect parsedSize(const CommandContext& context, std::size_t at) {
    return Rect(0, 0, numberArgument(context.arguments[at], "The width", 1, 100000),
                numberArgument(context.arguments[at + 1], "The height", 1, 100000));
}

// As a drag stops at the window's minimum size and at the edges of the display that holds it, a
// resize that met either says the size it got (the frame may not even change, when the window
// was at its minimum already).
void sayWhereTheDragStopped(CommandContext& context, const ui::Panel& panel, const SimWindowSystem::Resize& resize) {
    if (!resize.belowMinimum && !resize.stoppedBy) return;
    std::string line = "window " + std::to_string(panel.windowNumber()) + " " + quotedText(panel.title()) + " is " +
                       formatNumber(resize.got.width) + " " + formatNumber(resize.got.height) + ": ";
    if (resize.belowMinimum) {
        const Size minimum = panel.minimumContentSize();
        line += "its minimum size is " + formatNumber(minimum.width) + " " + formatNumber(minimum.height);
    }
    if (const auto& screen = resize.stoppedBy) {
        const auto id = ui::displayID(*screen);
        line += std::string(resize.belowMinimum ? ", and it" : "it") + " stops at the visible frame of display " +
                (id ? std::to_string(*id) + " " : std::string()) + quotedText(screen->localizedName) + ", " +
                ChangePrinter::frameText(GlobalSpace::of(context.session).toGlobal(screen->visibleFrame));
    }
    context.console.say(line);
}

void resize(CommandContext& context) {
    expectArguments(context, command("resize"), 3, 3);
    ui::Panel& panel = targetWindow(context, context.arguments[0]);
    const Rect size = parsedSize(context, 1);
    // The top left corner stays where it is; the window keeps its minimum size and its display.
    const auto resized = context.session.windowSystem().resize(panel, size.size);
    if (!resized) throw Error(describeWindow(panel, true) + " cannot be resized.");
    sayWhereTheDragStopped(context, panel, *resized);
}

void closeWindow(CommandContext& context) {
    expectArguments(context, command("close"), 1, 1);
    ui::Panel& panel = targetWindow(context, context.arguments[0]);
    // Its delegate and observers hear that it will close.
    if (!context.session.windowSystem().close(panel)) throw Error(describeWindow(panel, true) + " has no close button.");
}

void miniaturize(CommandContext& context) {
    expectArguments(context, command("miniaturize"), 1, 1);
    ui::Panel& panel = targetWindow(context, context.arguments[0]);
    if (!context.session.windowSystem().miniaturize(panel))
        throw Error(describeWindow(panel, true) + " cannot be miniaturized.");
}

void restore(CommandContext& context) {
    expectArguments(context, command("restore"), 1, 1);
    context.session.windowSystem().restore(targetWindow(context, context.arguments[0], true));
}

// ---- keys

// The combination `keys` names. A `#` outside quotes starts a comment, so a `#` meant as the key
// leaves no key, or a combination cut short after its last dash: the answer says to quote it.
KeyCombination namedCombination(const CommandContext& context, const SimKeyboardLayout& layout) {
    if (context.arguments.empty() && context.comment != CommentCut::none)
        throw Error("# starts a comment, so keys got no key; to press the # key, quote it: keys \"#\".");
    expectArguments(context, command("keys"), 1, 1);
    const std::string& word = context.arguments[0];
    try {
        return parseKeyCombination(word, layout);
    } catch (const Error&) {
        if (context.comment != CommentCut::inWord || !word.ends_with('-')) throw;
        throw Error("# starts a comment, so keys got " + quotedText(word) +
                    " with no key after it; to press the # key, quote the combination: keys " +
                    quotedText(word + "#") + ".");
    }
}

void keys(CommandContext& context) {
    auto& session = context.session;
    const KeyCombination keys = namedCombination(context, session.keyboardLayouts().typingLayout());
    if (platform::Alert* alert = context.console.openAlert()) {
        // An alert takes Return for its first button and Escape for its cancel button.
        if (keys.keyCode == platform::key_codes::kReturn && !alert->buttons.empty())
            return context.console.answerAlert(SimAlertAnswer(alert->buttons.front().title));
        if (keys.keyCode == platform::key_codes::kEscape) return context.console.answerAlert(SimAlertAnswer("escape"));
        throw Error("An alert is open; it takes return, escape or alert press \"<button>\".");
    }
    if (session.menus().openMenu()) {
        // An open menu takes the keyboard: Escape closes it, and a row's key equivalent chooses
        // that row.
        if (keys.keyCode == platform::key_codes::kEscape) return session.menus().dismiss();
        if (session.menus().chooseByKeyEquivalent(platform::KeyEvent{keys.keyCode, keys.characters, keys.flags, false}))
            return;
        throw Error("A menu is open; it takes escape, the key equivalent of one of its rows or menu \"<row>\".");
    }
    // As the system routes a press: a registered global shortcut to its owner, other keys to our
    // key window while we are active (key equivalents first, then its first responder), else to
    // the frontmost application.
    session.typeKeys(keys.keyCode, keys.flags, keys.characters);
}

}  // namespace

void addWindowCommands(std::vector<ConsoleCommand>& commands) {
    commands.push_back({"click", "click label <N> | click status-item [option]",
                        "clicks the label over \"Desktop N\" in Mission Control, or the status item (with Option held)",
                        false, false, [](CommandContext& c) {
                            if (!c.arguments.empty() && c.arguments[0] == "status-item") return clickStatusItem(c);
                            clickLabel(c);
                        }});
    commands.push_back({"option-double-click", "option-double-click label <N>",
                        "double-clicks the label over \"Desktop N\" with Option held (renames)", false, false,
                        optionDoubleClickLabel});
    commands.push_back({"resize", "resize \"<window>\" <width> <height>", "resizes a window, its top left staying",
                        false, false, resize});
    commands.push_back({"close", "close \"<window>\"", "closes a window with its close button", false, false, closeWindow});
    commands.push_back({"miniaturize", "miniaturize \"<window>\"", "sends a window to the Dock", false, false,
                        miniaturize});
    commands.push_back({"restore", "restore \"<window>\"", "brings a window back from the Dock", false, false, restore});
    commands.push_back({"keys", "keys <combination>",
                        "presses keys, as in keys ctrl-opt-cmd-w, keys cmd-r, keys return, keys escape", true, false,
                        keys});
}

}  // namespace tarnwick::sim
