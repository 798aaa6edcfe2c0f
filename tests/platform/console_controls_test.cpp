// The console's hands on the controls of a window's declarative tree: text fields, switches,
// sliders, steppers, pickers and lists, each worked as a person would, and refused whole when
// the word or value does not fit the control.

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/panel.h"
#include "support/files.h"
#include "testkit/bound_value.h"
#include "testkit/console_driver.h"
#include "testkit/temp_folder.h"
#include "testkit/test_environment.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using Lines = std::vector<std::string>;

using testkit::bound;

class SettingsForm final : public ui::DeclarativeView {
public:
    ui::Node body(ui::ViewContext&) override {
        return ui::vstack(
            ui::HorizontalAlignment::leading, 6,
            ui::nodes(ui::textField("Name", bound(name)).onSubmit([this] { submitted.push_back(name.get()); })
                          .accessibilityIdentifier("name"),
                      ui::toggle("Show banner", bound(banner)).accessibilityIdentifier("banner"),
                      ui::slider(bound(size), 10, 40, 2).accessibilityIdentifier("size"),
                      ui::stepper(ui::text("Seconds"), bound(seconds), 0.5, 5, 0.5).accessibilityIdentifier("seconds"),
                      ui::picker("Position", bound(position), std::vector<int>{0, 1, 2},
                                 ui::nodes(ui::text("Top"), ui::text("Middle"), ui::text("Bottom")))
                          .accessibilityIdentifier("position"),
                      ui::toggle("Locked", bound(banner)).disabled().accessibilityIdentifier("locked"),
                      ui::hstack(ui::VerticalAlignment::center, 6,
                                 ui::nodes(ui::button(ui::text("Done"), [this] { ++done; }).accessibilityIdentifier("done"),
                                           identify("One"), identify("Two"),
                                           ui::image(*platform::current().icons->systemSymbolImage("app", "Mail")))),
                      ui::list(bound(page), std::vector<int>{0, 1}, ui::nodes(ui::text("General"), ui::text("Banner")))
                          .accessibilityLabel("Sections"),
                      ui::colorWell("Tint", bound(tint))));
    }
    // Two buttons that show the same text, told apart by their labels.
    ui::Node identify(const std::string& which) {
        return ui::button(ui::text("Identify"), [this, which] { identified.push_back(which); })
            .accessibilityLabel("Identify " + which);
    }
    void observe(ui::ViewHost& host) override {
        host.watch(name);
        host.watch(banner);
        host.watch(size);
        host.watch(seconds);
        host.watch(position);
        host.watch(page);
    }
    Published<std::string> name{"Desktop 2"};
    Published<bool> banner{false};
    Published<double> size{20};
    Published<double> seconds{1.5};
    Published<int> position{0};
    Published<std::optional<int>> page{0};
    Published<ui::ColorInSpace> tint{ui::ColorInSpace::sRGB(1, 0.5, 0, 0.5)};
    Lines submitted;
    Lines identified;
    int done = 0;
};

class ConsoleControlsTest : public ::testing::Test {
protected:
    ConsoleControlsTest() {
        env.session.loadDefaultSession();
        form = show(window, "Settings");
        window.makeKeyAndOrderFront();
        console = std::make_unique<testkit::ConsoleDriver>(env.session);
    }
    static SettingsForm* show(ui::Panel& panel, const std::string& title) {
        auto view = std::make_unique<SettingsForm>();
        SettingsForm* shown = view.get();
        auto hosting = std::make_shared<ui::HostingView>(std::move(view));
        panel.setTitle(title);
        panel.setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
        return shown;
    }
    std::string state() const {
        return form->name.get() + "|" + std::to_string(form->banner.get()) + "|" + std::to_string(form->size.get()) + "|" +
               std::to_string(form->seconds.get()) + "|" + std::to_string(form->position.get());
    }

    testkit::TestEnvironment env;
    ui::Panel window{Rect(200, 200, 360, 320), ui::style_mask::kTitled | ui::style_mask::kClosable};
    SettingsForm* form = nullptr;
    std::unique_ptr<testkit::ConsoleDriver> console;
};

TEST_F(ConsoleControlsTest, EachControlIsWorkedAsAPersonWould) {
    // Typing replaces what the field held; Return submits it.
    EXPECT_EQ(console->type("type name \"Work & play\"").back(), "ok");
    EXPECT_EQ(form->name.get(), "Work & play");
    EXPECT_EQ(console->type("in Settings submit name").back(), "ok");
    EXPECT_EQ(form->submitted, Lines{"Work & play"});

    EXPECT_EQ(console->type("set banner on").back(), "ok");
    EXPECT_EQ(console->type("set banner on").back(), "ok");  // already on: stays on
    EXPECT_TRUE(form->banner.get());
    EXPECT_EQ(console->type("set size 30.8").back(), "ok");
    EXPECT_EQ(form->size.get(), 30);  // the nearest step
    EXPECT_EQ(console->type("set seconds 3.5").back(), "ok");
    EXPECT_EQ(form->seconds.get(), 3.5);
    EXPECT_EQ(console->type("set seconds 0.5").back(), "ok");
    EXPECT_EQ(form->seconds.get(), 0.5);
    EXPECT_EQ(console->type("set position Bottom").back(), "ok");
    EXPECT_EQ(form->position.get(), 2);
}

TEST_F(ConsoleControlsTest, AWordOrValueThatDoesNotFitTheControlChangesNothing) {
    const std::string before = state();
    const std::vector<std::pair<std::string, std::string>> bad{
        {"type banner \"x\"", "error: \"banner\" is a toggle, not a text field."},
        {"submit size", "error: \"size\" is a slider, not a text field."},
        {"set banner yes", "error: \"yes\" is not something set knows here; type on or off."},
        {"set size 50", "error: The value of \"size\" must be from 10 to 40, not 50."},
        {"set size big", "error: \"big\" is no number; the value of \"size\" is a number from 10 to 40."},
        {"set seconds 1.2", "error: \"seconds\" moves in steps of 0.5 from 0.5; 1.2 is not one of them."},
        {"set seconds 1.0000001", "error: \"seconds\" moves in steps of 0.5 from 0.5; 1.0000001 is not one of them."},
        {"set size 40.00001", "error: The value of \"size\" must be from 10 to 40, not 40.00001."},
        {"set position Left", "error: \"position\" offers no \"Left\"; it offers \"Top\", \"Middle\", \"Bottom\"."},
        {"set done on",
         "error: \"done\" is a button; set works on switches, sliders, steppers, pickers, lists and colour wells."},
        {"set Tint \"#12345\"", "error: \"#12345\" is no colour; the colour of \"Tint\" is #RRGGBB, or #RRGGBBAA with its "
                                "opacity, in hexadecimal digits (#FF8800)."},
        {"set locked on", "error: \"locked\" is disabled."},
        {"set nothing on", "error: The window \"Settings\" shows nothing with the identifier, label or text \"nothing\"; "
                           "screen lists its view tree."},
        {"type name", "error: Too few words for type; type [in \"<window>\"] type <identifier> \"<text>\"."},
        {"in Elsewhere set banner on",
         "error: No window titled \"Elsewhere\" is on screen; on screen is \"Settings\"."},
    };
    for (const auto& [line, error] : bad) EXPECT_EQ(console->type(line), Lines{error}) << line;
    EXPECT_EQ(state(), before);
    EXPECT_TRUE(form->submitted.empty());
}

TEST_F(ConsoleControlsTest, WhatEachControlHoldsIsListedAndDrawnAndFoundByItsTextOrLabel) {
    console->typeAll({"set banner on", "set position Bottom"});
    const Lines screen = console->screen();
    for (const char* line : {"      toggle \"Show banner\" on id \"banner\"", "      slider 20 id \"size\"",
                             "      stepper \"Seconds\" 1.5 id \"seconds\"",
                             "      picker \"Position\" selected \"Bottom\" id \"position\"", "        image icon \"Mail\"",
                             "      list selected \"General\" label \"Sections\"", "      colorWell \"#FF800080\""})
        EXPECT_NE(std::find(screen.begin(), screen.end(), line), screen.end()) << line;

    const testkit::TempFolder folder;
    EXPECT_EQ(console->type("screen svg " + (folder / "form.svg").string()).back(), "ok");
    const auto picture = testkit::parseXml(files::read(folder / "form.svg"));
    ASSERT_TRUE(picture);
    std::vector<std::string> drawn;
    for (const char* shape : {"switch", "slider", "stepper", "picker", "selection"})
        for (const auto* element : picture->all("rect", shape)) drawn.push_back(element->value("data-value"));
    EXPECT_EQ(drawn, (Lines{"on", "on", "20", "1.5", "Bottom", "General"}));  // "Locked" shares the banner's value
    const auto* icon = picture->all("g", "icon").at(0);
    EXPECT_EQ(icon->value("data-app"), "Mail");
    const std::string* symbol = icon->attribute("data-symbol");  // the system symbol it shows
    EXPECT_TRUE(symbol && *symbol == "app");
    const auto well = picture->all("rect", "color-well");
    ASSERT_EQ(well.size(), 1u);
    EXPECT_EQ(*well[0]->attribute("data-value"), "#FF800080");
    EXPECT_EQ(*well[0]->attribute("fill-opacity"), "0.5");
    // The closed pop-up shows its choice alone: listed, drawn and pressed, the others are not there.
    const auto popUp = std::find(screen.begin(), screen.end(), "      picker \"Position\" selected \"Bottom\" id \"position\"");
    ASSERT_LT(popUp + 2, screen.end());
    EXPECT_EQ(*(popUp + 1), "        text \"Bottom\"");
    EXPECT_EQ((popUp + 2)->rfind("      toggle \"Locked\"", 0), 0u) << *(popUp + 2);
    std::vector<std::string> texts;
    for (const auto* text : picture->all("text", "text")) texts.push_back(text->text);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Bottom"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Top"), 0);
    EXPECT_EQ(console->type("press Top").at(0).rfind("error: ", 0), 0u);

    // A switch, a stepper or a list by the text of its label or by its accessibility label.
    EXPECT_EQ(console->type("set \"Show banner\" off").back(), "ok");
    EXPECT_EQ(console->type("set Seconds 2").back(), "ok");
    EXPECT_EQ(console->type("set Sections Banner").back(), "ok");
    EXPECT_EQ(state(), "Desktop 2|0|20.000000|2.000000|2");
    EXPECT_EQ(form->page.get(), std::optional<int>(1));
    // A colour well by the text of its title, as typed into the colour panel.
    EXPECT_EQ(console->type("set Tint \"#00ff0040\"").back(), "ok");
    EXPECT_EQ(form->tint.get().alpha, 0x40 / 255.0);
    EXPECT_EQ(form->tint.get().green, 1);
    // Two buttons that show the same text by their labels; the text alone finds both, and the
    // refusal names each so the next press can pick one.
    console->typeAll({"press \"Identify Two\"", "press \"Identify One\""});
    EXPECT_EQ(console->type("press Identify"),
              Lines{"error: \"Identify\" finds 2 controls: a button labelled \"Identify One\" and a button labelled "
                    "\"Identify Two\"; press one of them by its identifier or label."});
    EXPECT_EQ(form->identified, (Lines{"Two", "One"}));
    // What takes no click says what it is; the pop-up opens its menu.
    EXPECT_EQ(console->type("press Seconds"),
              Lines{"error: \"Seconds\" is a stepper; set \"Seconds\" <number> steps it."});
    EXPECT_EQ(console->type("press Sections"),
              Lines{"error: \"Sections\" is a list: a click at its centre would choose whatever row lies there; set "
                    "\"Sections\" <row> chooses one: \"General\" or \"Banner\"."});
    EXPECT_EQ(console->type("press position").back(), "ok");
    EXPECT_EQ(console->type("menu Top").back(), "ok");
    EXPECT_EQ(form->position.get(), 0);
}

TEST_F(ConsoleControlsTest, APressNeedsNoKeyWindowButGoesToTheKeyWindowFirst) {
    ui::Panel other(Rect(700, 200, 360, 320), ui::style_mask::kTitled);
    SettingsForm* otherForm = show(other, "Other");
    other.orderFrontRegardless();
    EXPECT_EQ(console->type("press done").back(), "ok");
    EXPECT_EQ(form->done, 1);
    // With no key window the frontmost window that shows the control takes the click, which
    // makes it key as a click into a window does.
    env.session.windowSystem().resignKey();
    other.orderFrontRegardless();
    EXPECT_EQ(console->type("press done").back(), "ok");
    EXPECT_EQ(otherForm->done, 1);
    EXPECT_TRUE(other.isKeyWindow());
    env.session.windowSystem().resignKey();
    EXPECT_EQ(console->type("press nothing"),
              Lines{"error: No window of ours shows anything with the identifier, label or text \"nothing\"; screen lists "
                    "the windows and their view trees."});
    EXPECT_EQ(form->done + otherForm->done, 2);
}

}  // namespace
}  // namespace tarnwick
