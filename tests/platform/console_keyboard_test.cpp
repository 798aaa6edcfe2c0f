// The console and the keyboard: `focus` gives a text field the keyboard as a click does (its
// window comes forward as key, `keys` then type into it and Return submits), refuses what
// cannot take the focus on a Mac with the reason, and the commands that act in the key window
// say, when none is key, which window on screen to name instead with a command that works there.
// `keys` types the U.S. layout's Option and Shift-Option characters, composes after its dead
// keys as the keyboard does, and says what a `#` outside quotes or a stray dash did.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/sim/sim_keyboard_layouts.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/panel.h"
#include "testkit/bound_value.h"
#include "testkit/console_driver.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace style = ui::style_mask;
using Lines = std::vector<std::string>;
using testkit::bound;

constexpr std::int32_t kTerminal = 303;
constexpr std::uint64_t kTitledWindow = style::kTitled | style::kClosable | style::kMiniaturizable;

// A names window as ours is made: a field per desktop without a focus binding, saved as typed.
class NamesForm final : public ui::DeclarativeView {
public:
    ui::Node body(ui::ViewContext&) override {
        return ui::vstack(
            ui::HorizontalAlignment::leading, 6,
            ui::nodes(ui::text("Desktop 1"),
                      ui::textField("Desktop 1", bound(name), ui::TextFieldOptions{"Custom name", true})
                          .onSubmit([this] { submitted.push_back(name.get()); })
                          .accessibilityLabel("Desktop 1 on Built-in Display")
                          .accessibilityIdentifier("name.1"),
                      ui::textField("Desktop 2", bound(other)).disabled().accessibilityIdentifier("name.2"),
                      ui::toggle("Launch at login", bound(launch)),
                      ui::button(ui::text("Refresh"), [] {}).accessibilityIdentifier("refresh"),
                      ui::image(*platform::current().icons->systemSymbolImage("app", "Mail"))
                          .accessibilityLabel("Mail")));
    }
    void observe(ui::ViewHost& host) override {
        host.watch(name);
        host.watch(launch);
    }
    Published<std::string> name{""};
    Published<std::string> other{""};
    Published<bool> launch{false};
    Lines submitted;
};

class ConsoleKeyboardTest : public ::testing::Test {
protected:
    ConsoleKeyboardTest() {
        env.session.loadDefaultSession();
        form = show(names, "Desktop Names");
        settingsForm = show(settings, "Tarnwick Settings");
        console = std::make_unique<testkit::ConsoleDriver>(env.session);
    }
    static NamesForm* show(ui::Panel& panel, const std::string& title) {
        auto view = std::make_unique<NamesForm>();
        NamesForm* shown = view.get();
        auto hosting = std::make_shared<ui::HostingView>(std::move(view));
        panel.setTitle(title);
        panel.setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
        panel.orderFrontRegardless();
        return shown;
    }
    // The line of `screen` that holds the text, or nothing.
    std::string screenLine(const std::string& part) {
        for (const auto& line : console->screen())
            if (line.find(part) != std::string::npos) return line;
        return {};
    }
    // The command a hint gives: from "in " after the semicolon up to what follows it, with no
    // full stop of the sentence.
    static std::string givenCommand(const std::string& hint) {
        const std::string follows = " names the window to act in.";
        const auto at = hint.find("; in ");
        if (at == std::string::npos || !hint.ends_with(follows)) return {};
        return hint.substr(at + 2, hint.size() - follows.size() - at - 2);
    }
    sim::SimWindowSystem& windows() { return env.session.windowSystem(); }

    testkit::TestEnvironment env;
    ui::Panel names{Rect(100, 100, 400, 300), kTitledWindow};
    ui::Panel settings{Rect(600, 100, 400, 300), kTitledWindow};
    NamesForm* form = nullptr;
    NamesForm* settingsForm = nullptr;
    std::unique_ptr<testkit::ConsoleDriver> console;
};

TEST_F(ConsoleKeyboardTest, FocusGivesATextFieldTheKeyboardAsAClickDoesAndKeysTypeIntoIt) {
    // Neither window is key and another application is in front: the click into the field
    // brings ours forward with the field's window key.
    ASSERT_EQ(console->type("in \"Desktop Names\" focus name.1").back(), "ok");
    EXPECT_TRUE(names.isKeyWindow());
    EXPECT_TRUE(env.session.ownApplicationActive());
    EXPECT_NE(screenLine("textField placeholder \"Custom name\" id \"name.1\""), "");
    EXPECT_NE(screenLine("id \"name.1\"").find(" focused"), std::string::npos) << screenLine("id \"name.1\"");

    for (const char* key : {"h", "o", "shift-m", "e", "delete", "space"})
        EXPECT_EQ(console->type(std::string("keys ") + key).back(), "ok") << key;
    EXPECT_EQ(form->name.get(), "hoM ");
    EXPECT_EQ(console->type("keys return").back(), "ok");
    EXPECT_EQ(form->submitted, Lines{"hoM "});
    // A Command combination is not the field's: the text stays.
    console->type("keys cmd-k");
    EXPECT_EQ(form->name.get(), "hoM ");

    // Found by its label too; in the key window without `in`.
    EXPECT_EQ(console->type("focus \"Desktop 1 on Built-in Display\"").back(), "ok");
}

TEST_F(ConsoleKeyboardTest, FocusRefusesWhatCannotTakeTheKeyboardFocusWithTheReason) {
    names.makeKey();
    const std::vector<std::pair<std::string, std::string>> refused{
        {"focus \"Desktop 1\"", "error: \"Desktop 1\" is a text, which cannot take the keyboard focus."},
        {"focus Mail", "error: \"Mail\" is an image, which cannot take the keyboard focus."},
        {"focus name.2", "error: \"name.2\" is disabled, so it cannot take the keyboard focus."},
        {"focus refresh", "error: \"refresh\" is a button, which cannot take the keyboard focus; press clicks it."},
        {"focus \"Launch at login\"",
         "error: \"Launch at login\" is a switch, which cannot take the keyboard focus; set sets it."},
    };
    for (const auto& [line, error] : refused) EXPECT_EQ(console->type(line), Lines{error}) << line;
    EXPECT_EQ(screenLine(" focused"), "");
}

TEST_F(ConsoleKeyboardTest, WithNoKeyWindowTheHintNamesAWindowOnScreenWithTheCommandThatWorksThere) {
    // Another application is in front: nothing of ours is key.
    const Lines answer = console->type("set \"Launch at login\" on");
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0], "error: No window of ours is key while another application is active; in \"Tarnwick "
                         "Settings\" set \"Launch at login\" on names the window to act in.");
    // The command it gives, run as given, works.
    EXPECT_EQ(console->type(givenCommand(answer[0])), Lines{"ok"});
    env.session.activateApplication(kTerminal);

    // The frontmost window that shows what the command names is the one given.
    settings.setContentView(std::make_shared<ui::View>());
    console->type("wait 0");
    const Lines typed = console->type("type name.1 Work");
    ASSERT_EQ(typed.size(), 1u) << typed.front();
    const std::string given = givenCommand(typed[0]);
    EXPECT_EQ(given, "in \"Desktop Names\" type name.1 Work");
    EXPECT_EQ(console->type(given).back(), "ok");
    EXPECT_EQ(form->name.get(), "Work");
    env.session.activateApplication(kTerminal);

    // Each word is quoted where the console would otherwise end it at a blank, take a comment
    // from its "#", or read a quote or a backslash as its own: copied as it stands, it types
    // the same text.
    const std::vector<std::pair<std::string, std::string>> words{
        {"\"a #b\"", "a #b"},           {"\"#\"", "#"}, {"\"say \\\"hi\\\"\"", "say \"hi\""},
        {"\"back\\\\slash\"", "back\\slash"}, {"\"\"", ""},   {"\"été\"", "été"}};
    for (const auto& [typed, text] : words) {
        form->name.set("-");
        const std::string hint = console->type("type name.1 " + typed).back();
        const std::string copied = givenCommand(hint);
        EXPECT_EQ(console->type(copied).back(), "ok") << hint;
        EXPECT_EQ(form->name.get(), text) << copied;
        env.session.activateApplication(kTerminal);
    }
    // Bare where a word reads the same bare.
    EXPECT_EQ(givenCommand(console->type("type name.1 Work-2.0/a:b+c,d").at(0)),
              "in \"Desktop Names\" type name.1 Work-2.0/a:b+c,d");

    // Nothing on screen shows the name: the windows that could be named.
    EXPECT_EQ(console->type("set Nowhere on"),
              Lines{"error: No window of ours is key while another application is active, and no window on screen "
                    "shows anything with the identifier, label or text \"Nowhere\"; on screen is \"Desktop Names\": "
                    "screen lists its view tree."});
    // Shown, but as nothing the command takes there (a switch, a disabled field): no command is
    // given that would fail.
    for (const char* name : {"\"Launch at login\"", "\"name.2\""})
        EXPECT_EQ(console->type(std::string("focus ") + name),
                  Lines{"error: No window of ours is key while another application is active, and no window on "
                        "screen shows anything with the identifier, label or text " + std::string(name) +
                        " that focus works on; on screen is \"Desktop Names\": screen lists its view tree."});
}

TEST_F(ConsoleKeyboardTest, WithNoWindowOnScreenTheHintSaysHowToBringOneBack) {
    env.session.activateApplication(env.session.system().processID);
    settings.close();
    ASSERT_TRUE(windows().miniaturize(names));
    ASSERT_EQ(windows().keyPanel(), nullptr);
    console->type("wait 0");
    const Lines answer = console->type("focus name.1");
    EXPECT_EQ(answer, Lines{"error: No window of ours is key, and none with controls is on screen; the window "
                            "\"Desktop Names\" is in the Dock; restore \"Desktop Names\" brings it back."});
    EXPECT_EQ(console->type("restore \"Desktop Names\"").back(), "ok");
    EXPECT_EQ(console->type("focus name.1").back(), "ok");

    names.close();
    console->type("wait 0");
    EXPECT_EQ(console->type("focus name.1"),
              Lines{"error: No window of ours is key, and none with controls is on screen; click status-item, wait "
                    "0.5, then menu \"Settings\xE2\x80\xA6\" or menu \"Desktop Names\" open a window from the status menu."});
}

TEST_F(ConsoleKeyboardTest, AWindowNamedByAnotherTitleIsRefusedNamingThoseOnScreen) {
    EXPECT_EQ(console->type("in Settings set \"Launch at login\" on"),
              Lines{"error: No window titled \"Settings\" is on screen; on screen are \"Tarnwick Settings\" and "
                    "\"Desktop Names\"."});
    EXPECT_EQ(console->type("restore Settings"),
              Lines{"error: No window titled \"Settings\" is in the Dock, nor any other window of ours with a title."});
    // The example of how to use `in` works as given.
    const Lines usage = console->type("in Settings");
    ASSERT_EQ(usage.size(), 1u);
    EXPECT_EQ(usage[0], "error: in needs a window's title and a command, as in: in \"Tarnwick Settings\" set \"Launch "
                        "at login\" on.");
    const std::string example = usage[0].substr(usage[0].find("as in: ") + 7);
    EXPECT_EQ(console->type(example.substr(0, example.size() - 1)), Lines{"ok"});
}

TEST_F(ConsoleKeyboardTest, OptionTypesTheLayoutsOwnCharactersWhileShortcutsSeeTheKeyAsBefore) {
    ASSERT_EQ(console->type("in \"Desktop Names\" focus name.1").back(), "ok");
    for (const char* key : {"opt-a", "opt-shift-a", "opt-2", "opt-shift-2", "opt-shift-k", "opt-space", "\u00f8",
                            "\u2122", "\u00b4"})
        EXPECT_EQ(console->type(std::string("keys ") + key).back(), "ok") << key;
    EXPECT_EQ(form->name.get(), "\u00e5\u00c5\u2122\u20ac\uf8ff\u00a0\u00f8\u2122\u00b4");
    // A character of the Option layers is found on its key: "´" is Shift-Option-E (Option-E alone
    // is the dead key).
    const auto& pressed = env.session.keyPresses.back().event;
    EXPECT_EQ(pressed.keyCode, 14);
    EXPECT_EQ(pressed.modifierFlags, platform::modifier_flags::kOption | platform::modifier_flags::kShift);

    // With Command or Control the key gives its own character, as menus and shortcuts match it.
    console->type("keys cmd-opt-a");
    EXPECT_EQ(env.session.keyPresses.back().event.characters, "a");
    ASSERT_TRUE(env.session.registerHotKeyInOtherApplication(13, 0x1900));
    EXPECT_EQ(console->type("keys ctrl-opt-cmd-w"), Lines{"ok"});
    EXPECT_TRUE(env.session.keyPresses.back().hotKey);
    EXPECT_EQ(env.session.keyPresses.back().event.characters, "w");

    // Layouts whose Option layer is not modelled type what the key types without Option.
    env.session.keyboardLayouts().current = sim::keyboard_layout_ids::kGerman;
    form->name.set("");
    console->type("keys opt-a");
    EXPECT_EQ(form->name.get(), "a");
}

TEST_F(ConsoleKeyboardTest, ADeadKeyComposesWithTheNextKeyOrTypesItsAccentBeforeIt) {
    ASSERT_EQ(console->type("in \"Desktop Names\" focus name.1").back(), "ok");
    const auto typed = [&](const std::vector<std::string>& keys) {
        form->name.set("");
        for (const auto& key : keys) EXPECT_EQ(console->type("keys " + key).back(), "ok") << key;
        return form->name.get();
    };
    EXPECT_EQ(typed({"opt-e", "e", "opt-e", "E", "opt-`", "a", "opt-i", "o", "opt-n", "n", "opt-u", "u"}),
              "\u00e9\u00c9\u00e0\u00f4\u00f1\u00fc");
    // The dead key itself types nothing yet; its press still reaches the window with its key.
    typed({"opt-e"});
    EXPECT_EQ(form->name.get(), "");
    EXPECT_EQ(env.session.keyPresses.back().event.keyCode, 14);
    EXPECT_EQ(env.session.keyPresses.back().event.characters, "");
    // A key it does not compose with comes after the accent; Space types the accent alone, and
    // a second dead key types the first one's accent and waits itself.
    EXPECT_EQ(typed({"x", "opt-u", "space", "opt-n", "opt-e", "a"}), "\u00b4x\u00a8\u02dc\u00e1");
    // Delete takes the waiting accent back and nothing else; Return lets it go and submits.
    EXPECT_EQ(typed({"h", "opt-e", "delete", "i", "opt-i", "return"}), "hi");
    EXPECT_EQ(form->submitted.back(), "hi");
    EXPECT_EQ(typed({"opt-i", "cmd-k", "o"}), "o");
    // Another layout chosen meanwhile lets the accent go.
    typed({"opt-e"});
    env.session.keyboardLayouts().current = sim::keyboard_layout_ids::kGerman;
    EXPECT_EQ(typed({"e"}), "e");
}

TEST_F(ConsoleKeyboardTest, AWaitingAccentBelongsToTheFieldItWasTypedInAndGoesWhenTheEditingMovesOrEnds) {
    const auto waiting = [&] { return env.session.keyboardLayouts().waitingAccent(); };
    const auto deadKey = [&] {
        ASSERT_EQ(console->type("keys opt-e").back(), "ok");
        ASSERT_EQ(waiting(), "\u00b4");
    };
    ASSERT_EQ(console->type("in \"Desktop Names\" focus name.1").back(), "ok");
    // The field keeps it while nothing else happens.
    deadKey();
    ASSERT_EQ(console->type("keys e").back(), "ok");
    EXPECT_EQ(form->name.get(), "\u00e9");

    // Focus, or a text typed, in another window's field: the next key there types as it is.
    deadKey();
    ASSERT_EQ(console->type("in \"Tarnwick Settings\" focus name.1").back(), "ok");
    EXPECT_EQ(waiting(), std::nullopt);
    ASSERT_EQ(console->type("keys e").back(), "ok");
    EXPECT_EQ(settingsForm->name.get(), "e");
    deadKey();
    ASSERT_EQ(console->type("in \"Desktop Names\" type name.1 Home").back(), "ok");
    EXPECT_EQ(waiting(), std::nullopt);
    ASSERT_EQ(console->type("keys e").back(), "ok");
    EXPECT_EQ(form->name.get(), "Homee");

    // A click into the field itself, or the field's editing ending, lets it go too.
    auto& host = dynamic_cast<ui::HostingView*>(names.contentView().get())->host();
    deadKey();
    ASSERT_TRUE(host.click(*host.find("name.1")));
    EXPECT_EQ(waiting(), std::nullopt);
    deadKey();
    names.makeFirstResponder(nullptr);
    EXPECT_EQ(host.editingField(), nullptr);
    EXPECT_EQ(waiting(), std::nullopt);

    // The window resigning key and becoming key again: the field it was typed in is edited
    // still, and what comes next types as it is.
    ASSERT_EQ(console->type("in \"Desktop Names\" focus name.1").back(), "ok");
    deadKey();
    windows().resignKey();
    names.makeKey();
    ASSERT_EQ(host.editingField(), host.find("name.1"));
    EXPECT_EQ(waiting(), std::nullopt);
    ASSERT_EQ(console->type("keys o").back(), "ok");
    EXPECT_EQ(form->name.get(), "Homeeo");
    // Closed, it takes the accent with it.
    deadKey();
    names.close();
    EXPECT_EQ(waiting(), std::nullopt);
}

TEST_F(ConsoleKeyboardTest, KeysSaysWhatACommentOrAStrayDashDidToTheCombination) {
    names.makeKey();
    const std::vector<std::pair<std::string, std::string>> refused{
        {"keys #", "error: # starts a comment, so keys got no key; to press the # key, quote it: keys \"#\"."},
        {"keys  # a comment", "error: # starts a comment, so keys got no key; to press the # key, quote it: keys \"#\"."},
        {"keys shift-#", "error: # starts a comment, so keys got \"shift-\" with no key after it; to press the # key, "
                         "quote the combination: keys \"shift-#\"."},
        {"keys --", "error: \"--\" is no key combination: a modifier (ctrl, opt, cmd or shift) stands before each "
                    "\"-\"; to press the - key alone, type keys -."},
        {"keys cmd--a", "error: \"cmd--a\" is no key combination: a modifier (ctrl, opt, cmd or shift) stands before "
                        "each \"-\"; to press the - key alone, type keys -."},
        {"keys", "error: Too few words for keys; type keys <combination>."},
    };
    for (const auto& [line, error] : refused) EXPECT_EQ(console->type(line), Lines{error}) << line;
    // What the advice says works, and a comment after a whole combination is only a comment.
    for (const char* line : {"keys \"#\"", "keys \"shift-#\"", "keys -", "keys cmd--", "keys a # then b", "keys cmd--#"})
        EXPECT_EQ(console->type(line), Lines{"ok"}) << line;
}

}  // namespace
}  // namespace tarnwick
