// How the console finds the control a name stands for: a view holding one control presses it,
// only what takes the command counts among the matches, a choice as a whole is set rather than
// pressed, a slider is found by the text that leads its row, and a choice that does not show
// names the control that offers its options instead.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
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
using Lines = std::vector<std::string>;

using testkit::bound;

class LookupForm final : public ui::DeclarativeView {
public:
    explicit LookupForm(bool pageMenu) : pageMenu_(pageMenu) {}

    ui::Node body(ui::ViewContext&) override {
        std::vector<ui::Node> rows = ui::nodes(
            // An app icon: the view carries the name, the button inside it takes the click.
            ui::hstack(ui::VerticalAlignment::center, 0,
                       ui::nodes(ui::button(ui::image(*platform::current().icons->systemSymbolImage("app", "Mail")),
                                            [this] { ++opened; })))
                .accessibilityIdentifier("mail-icon")
                .accessibilityLabel("Open Mail"),
            ui::hstack(ui::VerticalAlignment::center, 4,
                       ui::nodes(ui::button(ui::text("Left"), [] {}).accessibilityIdentifier("left"),
                                 ui::button(ui::text("Right"), [] {}).accessibilityIdentifier("right")))
                .accessibilityIdentifier("pair"),
            ui::hstack(ui::VerticalAlignment::center, 0, ui::nodes(ui::text("Plain"))).accessibilityIdentifier("plain"),
            ui::section(ui::text("Names"), ui::nodes(ui::text("Names"), ui::button(ui::text("Names"), [this] { ++named; }))),
            ui::button(ui::text("Twin"), [] {}).accessibilityIdentifier("twin-1"),
            ui::button(ui::text("Twin"), [] {}).accessibilityIdentifier("twin-2"), ui::text("Twin"),
            ui::picker("Look", bound(look), std::vector<int>{0, 1}, ui::nodes(ui::text("Light"), ui::text("Dark")),
                       ui::PickerStyle::segmented),
            ui::hstack(ui::VerticalAlignment::center, 4,
                       ui::nodes(ui::text("Volume"), ui::slider(bound(volume), 0, 100, 1).accessibilityLabel("Volume level"),
                                 ui::text("50%"))),
            ui::hstack(ui::VerticalAlignment::center, 4,
                       ui::nodes(ui::text("Balance"), ui::slider(bound(left), 0, 1), ui::slider(bound(right), 0, 1))));
        if (pageMenu_) {
            Binding<int> chosen{[this] { return page.get().value_or(0); }, [this](const int& p) { page.set(p); }};
            rows.push_back(ui::menu(ui::text("Page"),
                                    ui::nodes(ui::picker("Page", std::move(chosen), std::vector<int>{0, 1},
                                                         ui::nodes(ui::text("Alpha"), ui::text("Beta")),
                                                         ui::PickerStyle::inline_)))
                               .accessibilityLabel("Page menu"));
        }
        return ui::navigationSplitView(
            bound(columns),
            ui::list(bound(page), std::vector<int>{0, 1}, ui::nodes(ui::text("Alpha"), ui::text("Beta")))
                .accessibilityLabel("Pages"),
            ui::vstack(ui::HorizontalAlignment::leading, 4, std::move(rows)));
    }
    void observe(ui::ViewHost& host) override {
        host.watch(look);
        host.watch(volume);
        host.watch(page);
        host.watch(columns);
    }

    Published<int> look{0};
    Published<double> volume{50};
    Published<double> left{0.5};
    Published<double> right{0.5};
    Published<std::optional<int>> page{0};
    Published<ui::ColumnVisibility> columns{ui::ColumnVisibility::all};
    int opened = 0;
    int named = 0;

private:
    bool pageMenu_;
};

class ConsoleControlLookupTest : public ::testing::Test {
protected:
    void show(bool pageMenu = true) {
        auto view = std::make_unique<LookupForm>(pageMenu);
        form = view.get();
        auto hosting = std::make_shared<ui::HostingView>(std::move(view));
        window.setTitle("Lookup");
        window.setContentView(hosting);
        hosting->layoutSubtreeIfNeeded();
        window.makeKeyAndOrderFront();
        console.type("wait 0");  // the window's showing is printed here, not in the answers tested
    }
    Lines type(const std::string& line) { return console.type(line); }

    testkit::TestEnvironment env;
    bool loaded = (env.session.loadDefaultSession(), true);
    testkit::ConsoleDriver console{env.session};
    ui::Panel window{Rect(100, 100, 720, 620), ui::style_mask::kTitled | ui::style_mask::kClosable};
    LookupForm* form = nullptr;
};

TEST_F(ConsoleControlLookupTest, AViewHoldingOneControlPressesItAndOneHoldingSeveralOrNoneIsRefused) {
    show();
    EXPECT_EQ(type("press \"Open Mail\""), Lines{"ok"});
    EXPECT_EQ(type("press mail-icon"), Lines{"ok"});
    EXPECT_EQ(form->opened, 2);
    EXPECT_EQ(type("press pair"),
              Lines{"error: \"pair\" is a stack holding 2 controls: a button with the identifier \"left\" and a button "
                    "with the identifier \"right\"; press one of them by its identifier or label."});
    EXPECT_EQ(type("press plain"), Lines{"error: \"plain\" is a stack, which takes no click."});
}

TEST_F(ConsoleControlLookupTest, OnlyTheMatchesThatTakeTheCommandCountAndTheRefusalListsOnlyThose) {
    show();
    // A heading and a text show the words too, but only the button takes a click.
    EXPECT_EQ(type("press Names"), Lines{"ok"});
    EXPECT_EQ(form->named, 1);
    EXPECT_EQ(type("press Twin"),
              Lines{"error: \"Twin\" finds 2 controls: a button with the identifier \"twin-1\" and a button with the "
                    "identifier \"twin-2\"; press one of them by its identifier or label."});
    // Nothing the name finds takes the command: the first is described.
    EXPECT_EQ(type("set Names on"),
              Lines{"error: \"Names\" is the heading of a section; set works on switches, sliders, steppers, pickers, "
                    "lists and colour wells."});
}

TEST_F(ConsoleControlLookupTest, AChoiceAsAWholeIsSetWhileEachOfItsOptionsIsPressed) {
    show();
    EXPECT_EQ(type("press Look"),
              Lines{"error: \"Look\" is a segmented control: a click at its centre would choose whatever option lies "
                    "there; set \"Look\" <option> chooses one: \"Light\" or \"Dark\"."});
    EXPECT_EQ(type("press Pages"),
              Lines{"error: \"Pages\" is a list: a click at its centre would choose whatever row lies there; set "
                    "\"Pages\" <row> chooses one: \"Alpha\" or \"Beta\"."});
    EXPECT_EQ(form->look.get(), 0);
    EXPECT_EQ(form->page.get(), std::optional<int>(0));
    EXPECT_EQ(type("press Dark"), Lines{"ok"});
    EXPECT_EQ(form->look.get(), 1);
    EXPECT_EQ(type("press Beta"), Lines{"ok"});
    EXPECT_EQ(form->page.get(), std::optional<int>(1));
    EXPECT_EQ(type("set Look Light"), Lines{"ok"});
    EXPECT_EQ(form->look.get(), 0);
}

TEST_F(ConsoleControlLookupTest, ASliderIsFoundByTheTextThatLeadsItsRowAsByItsLabel) {
    show();
    EXPECT_EQ(type("set Volume 30"), Lines{"ok"});
    EXPECT_EQ(form->volume.get(), 30);
    EXPECT_EQ(type("set \"Volume level\" 40"), Lines{"ok"});
    EXPECT_EQ(form->volume.get(), 40);
    EXPECT_EQ(type("set Volume 300"), Lines{"error: The value of \"Volume\" must be from 0 to 100, not 300."});
    // The readout after the slider labels nothing; a text leading two sliders labels neither.
    for (const char* name : {"50%", "Balance"})
        EXPECT_EQ(type(std::string("set \"") + name + "\" 1"),
                  Lines{std::string("error: \"") + name +
                        "\" is a text; set works on switches, sliders, steppers, pickers, lists and colour wells."});
    EXPECT_EQ(form->volume.get(), 40);
    EXPECT_EQ(form->left.get(), 0.5);
    EXPECT_EQ(form->right.get(), 0.5);
}

TEST_F(ConsoleControlLookupTest, AChoiceThatDoesNotShowNamesTheControlOfferingItsOptions) {
    show();
    form->columns.set(ui::ColumnVisibility::detailOnly);
    env.settle();
    console.type("wait 0");
    EXPECT_EQ(type("set Pages Beta"),
              Lines{"error: \"Pages\" is hidden now; its options are in the pull-down menu \"Page menu\" instead: set "
                    "\"Page menu\" \"Beta\"."});
    EXPECT_EQ(form->page.get(), std::optional<int>(0));
    EXPECT_EQ(type("set \"Page menu\" Beta"), Lines{"ok"});
    EXPECT_EQ(form->page.get(), std::optional<int>(1));

    // With nothing else offering the option, the sentence says only that it cannot be shown.
    show(false);
    form->columns.set(ui::ColumnVisibility::detailOnly);
    env.settle();
    console.type("wait 0");
    EXPECT_EQ(type("set Pages Beta"), Lines{"error: \"Pages\" cannot be shown."});
    EXPECT_EQ(form->page.get(), std::optional<int>(0));
}

}  // namespace
}  // namespace tarnwick
