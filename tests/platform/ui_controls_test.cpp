// The controls of the declarative layer as the user works them: switches, sliders, steppers,
// text fields with focus and submit, pickers (also inside a menu), lists, the split view, colour
// wells, custom button styles with pressed and active looks, key equivalents, the locale and the
// container's width as inputs of a body.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/locale.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/ui/declarative/controls.h"
#include "testkit/hosted_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace flags = platform::modifier_flags;
using ui::Node;

template <typename T>
Binding<T> bind(Published<T>& value) {
    return Binding<T>{[&value] { return value.get(); }, [&value](const T& v) { value.set(v); }};
}

// Counts the writes that reach a binding.
template <typename T>
struct Recorded {
    explicit Recorded(T initial) : value(std::move(initial)) {}
    Published<T> value;
    std::vector<T> writes;
    Binding<T> binding() {
        return Binding<T>{[this] { return value.get(); }, [this](const T& v) {
                              writes.push_back(v);
                              value.set(v);
                          }};
    }
};

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() { env.session.loadDefaultSession(); }
    testkit::TestEnvironment env;
};

TEST_F(ControlsTest, SwitchesSlidersAndSteppersWriteThroughTheirBindingsWithinTheirRanges) {
    Recorded<bool> on{false};
    Recorded<double> size{16};
    Recorded<double> seconds{2.0};
    Published<bool> locked{false};
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            return ui::vstack(ui::HorizontalAlignment::leading, 4,
                              ui::nodes(ui::toggle("Tint glass", on.binding()).accessibilityIdentifier("switch"),
                                        ui::slider(size.binding(), 12, 40, 2).accessibilityIdentifier("slider"),
                                        ui::stepper(ui::text("Show for"), seconds.binding(), 0.5, 6.0, 0.5)
                                            .accessibilityIdentifier("stepper")))
                .disabled(locked.get());
        },
        [&](ui::ViewHost& host) { host.watch(locked); });
    auto& host = view.host();

    // A click on the switch's label flips it, as one on the switch does.
    const Node& label = *view.text("Tint glass");
    EXPECT_TRUE(host.click(label));
    EXPECT_EQ(on.writes, (std::vector<bool>{true}));
    EXPECT_TRUE(host.toggle(view.node("switch")));
    EXPECT_EQ(on.writes.back(), false);
    const auto* toggle = view.node("switch").as<ui::ToggleContent>();
    EXPECT_DOUBLE_EQ(toggle->switchFrame.maxX(), view.node("switch").frame().maxX());

    // A slider takes the nearest step within its range.
    EXPECT_TRUE(host.slide(view.node("slider"), 17.2));
    EXPECT_TRUE(host.slide(view.node("slider"), 99));
    EXPECT_TRUE(host.slide(view.node("slider"), -5));
    EXPECT_EQ(size.writes, (std::vector<double>{18, 40, 12}));

    // A stepper stops at the ends of its range.
    for (int i = 0; i < 12; ++i) host.increment(view.node("stepper"));
    EXPECT_DOUBLE_EQ(seconds.value.get(), 6.0);
    EXPECT_FALSE(host.increment(view.node("stepper")));
    seconds.value.set(0.5);
    EXPECT_FALSE(host.decrement(view.node("stepper")));
    EXPECT_TRUE(host.increment(view.node("stepper")));
    EXPECT_DOUBLE_EQ(seconds.value.get(), 1.0);

    // Disabled around them, none of them moves.
    const auto writes = on.writes.size() + size.writes.size() + seconds.writes.size();
    locked.set(true);
    view.renderNow();
    EXPECT_FALSE(host.toggle(view.node("switch")));
    EXPECT_FALSE(host.slide(view.node("slider"), 20));
    EXPECT_FALSE(host.increment(view.node("stepper")));
    EXPECT_EQ(on.writes.size() + size.writes.size() + seconds.writes.size(), writes);
}

TEST_F(ControlsTest, TypingFocusesTheFieldAndEditsCharacterByCharacterAndReturnSubmits) {
    Recorded<std::string> name{""};
    Published<std::optional<std::string>> focus;
    std::vector<std::string> submitted;
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            return ui::vstack(ui::HorizontalAlignment::leading, 4,
                              ui::nodes(ui::textField("Friendly name", name.binding(),
                                                      ui::TextFieldOptions{"Custom name", true, ui::TextFieldStyle::roundedBorder})
                                            .focused(focus, std::string("a"))
                                            .onSubmit([&] { submitted.push_back(name.value.get()); })
                                            .accessibilityIdentifier("field"),
                                        ui::button(ui::text("Other"), [] {}).focused(focus, std::string("b"))
                                            .accessibilityIdentifier("other")));
        },
        [&](ui::ViewHost& host) { host.watch(focus); });
    auto& host = view.host();

    // Empty, the field shows its placeholder, which is no text of the field's; its hidden title is
    // not shown.
    const auto& empty = *view.node("field").as<ui::TextFieldContent>();
    EXPECT_EQ(empty.shownPlaceholder(), std::optional<std::string>("Custom name"));
    EXPECT_FALSE(view.text("Custom name"));
    EXPECT_FALSE(view.text("Friendly name"));

    focus.set(std::string("b"));
    EXPECT_TRUE(host.type(view.node("field"), "Wörk"));
    EXPECT_EQ(focus.get(), std::optional<std::string>("a"));
    EXPECT_EQ(name.writes, (std::vector<std::string>{"W", "W\xC3\xB6", "W\xC3\xB6r", "W\xC3\xB6rk"}));
    view.renderNow();
    EXPECT_TRUE(view.text("Wörk"));

    // Return in the focused field submits it and the field keeps the key.
    EXPECT_TRUE(host.keyDown(platform::KeyEvent{platform::key_codes::kReturn, "\r", 0}));
    EXPECT_EQ(submitted, (std::vector<std::string>{"Wörk"}));

    EXPECT_TRUE(host.clearText(view.node("field")));
    EXPECT_EQ(name.writes.back(), "");
    EXPECT_TRUE(host.submit(view.node("field")));
    EXPECT_EQ(submitted.back(), "");

    // Focus moved elsewhere: the field no longer holds it.
    host.moveFocus(view.node("other"));
    EXPECT_EQ(focus.get(), std::optional<std::string>("b"));
}

enum class Page { one, two, three };

TEST_F(ControlsTest, PickersAndListsSelectOnlyWhatTheyOfferAndAMenuHidesItsItemsUntilUsed) {
    Published<Page> page{Page::one};
    Recorded<std::optional<Page>> row{Page::one};
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            auto options = [] { return ui::nodes(ui::text("One"), ui::text("Two"), ui::text("Three")); };
            return ui::vstack(
                ui::HorizontalAlignment::leading, 4,
                ui::nodes(ui::picker("Style", bind(page), {Page::one, Page::two}, ui::nodes(ui::text("Regular"), ui::text("Clear")),
                                     ui::PickerStyle::segmented)
                              .accessibilityIdentifier("segments"),
                          ui::picker("Size", bind(page), {Page::one, Page::two},
                                     ui::nodes(ui::text("Small"), ui::text("Large")), ui::PickerStyle::menu),
                          ui::menu(ui::text("Pages"),
                                   ui::nodes(ui::picker("Page", bind(page), {Page::one, Page::two, Page::three}, options(),
                                                        ui::PickerStyle::inline_)
                                                 .accessibilityIdentifier("inner")),
                                   ui::MenuStyle::borderlessButton)
                              .accessibilityIdentifier("menu"),
                          ui::list(row.binding(), {Page::one, Page::two}, ui::nodes(ui::text("Row one"), ui::text("Row two")))
                              .frame(200, 80)
                              .accessibilityIdentifier("list")));
        },
        [&](ui::ViewHost& host) { host.watch(page); });
    auto& host = view.host();

    // A closed pop-up shows only its chosen option, a closed menu only its label: the others are
    // neither texts of the tree nor found by their text, though each is read on its own.
    using Strings = std::vector<std::string>;
    EXPECT_EQ(host.texts(), (Strings{"Style", "Regular", "Clear", "Size", "Small", "Pages", "Row one", "Row two"}));
    EXPECT_FALSE(view.text("Large"));
    EXPECT_FALSE(view.text("Three"));
    EXPECT_EQ(host.texts(&view.node("inner").children()[2]), Strings{"Three"});

    EXPECT_EQ(view.node("segments").as<ui::PickerContent>()->selectedIndex(), 0u);
    EXPECT_TRUE(host.select(view.node("segments"), Page::two));
    EXPECT_EQ(page.get(), Page::two);
    EXPECT_FALSE(host.select(view.node("segments"), Page::three));  // not offered there
    EXPECT_FALSE(host.select(view.node("segments"), 2));             // not even of its type
    EXPECT_EQ(page.get(), Page::two);

    // The menu's items take no room until the menu opens, but the user reaches them through it.
    const Node& inner = view.node("inner");
    EXPECT_EQ(inner.frame().width(), 0);
    EXPECT_TRUE(host.select(inner, Page::three));
    EXPECT_EQ(page.get(), Page::three);

    const Node& list = view.node("list");
    EXPECT_EQ(list.as<ui::ListContent>()->selectedIndex(), 0u);
    EXPECT_TRUE(host.select(list, Page::two));
    EXPECT_TRUE(host.clearSelection(list));
    ASSERT_EQ(row.writes.size(), 2u);
    EXPECT_EQ(row.writes[0], std::optional<Page>(Page::two));
    EXPECT_EQ(row.writes[1], std::nullopt);
}

// A click does on each control what it does for a person: a pop-up and a pull-down menu open
// their menu under themselves (the chosen option checked) and a row chooses; a segment is chosen
// where it is clicked; a text or heading takes no click.
TEST_F(ControlsTest, AClickOpensAPopUpsOrAMenusMenuAndChoosesTheSegmentUnderIt) {
    Published<Page> page{Page::one};
    int saved = 0;
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            return ui::vstack(
                ui::HorizontalAlignment::leading, 4,
                ui::nodes(ui::text("Heading").accessibilityIdentifier("heading"),
                          ui::picker("Style", bind(page), {Page::one, Page::two}, ui::nodes(ui::text("Regular"), ui::text("Clear")),
                                     ui::PickerStyle::segmented)
                              .accessibilityIdentifier("segments"),
                          ui::picker("Size", bind(page), {Page::one, Page::two},
                                     ui::nodes(ui::text("Small"), ui::label("Large", "textformat.size")), ui::PickerStyle::menu)
                              .accessibilityIdentifier("popup"),
                          ui::menu(ui::text("Pages"),
                                   ui::nodes(ui::button(ui::text("Save"), [&] { ++saved; }),
                                             ui::button(ui::text("Locked"), [&] { ++saved; }).disabled(),
                                             ui::picker("Page", bind(page), {Page::one, Page::three},
                                                        ui::nodes(ui::text("One"), ui::text("Three")), ui::PickerStyle::inline_)),
                                   ui::MenuStyle::borderlessButton)
                              .accessibilityIdentifier("menu")));
        },
        [&](ui::ViewHost& host) { host.watch(page); });
    view.panel->orderFrontRegardless();
    auto& host = view.host();
    auto& menus = env.session.menus();

    EXPECT_EQ(host.clickTarget(*view.text("Heading")), nullptr);
    EXPECT_FALSE(host.click(view.node("heading")));
    EXPECT_EQ(host.clickTarget(*view.text("Small")), &view.node("popup"));

    // The pop-up's menu hangs from its button's bottom left corner, its chosen option checked.
    ASSERT_TRUE(host.click(*view.text("Small")));
    ASSERT_EQ(menus.openMenu(), host.popUpMenu().get());
    const auto rows = sim::SimMenus::rows(*menus.openMenu());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "Small");
    EXPECT_EQ(rows[0].state, ui::ControlState::on);
    EXPECT_EQ(rows[1].title, "Large");
    EXPECT_EQ(rows[1].symbolName, std::optional<std::string>("textformat.size"));
    const Rect popUp = view.node("popup").as<ui::PickerContent>()->popUpFrame;
    EXPECT_GT(popUp.minX(), view.node("popup").frame().minX());  // after the title
    const Rect panel = view.panel->frame();
    EXPECT_EQ(*menus.openMenu()->location(), (Point{panel.minX() + popUp.minX(), panel.maxY() - popUp.maxY()}));
    EXPECT_TRUE(menus.choose("Large"));
    EXPECT_EQ(menus.openMenu(), nullptr);
    EXPECT_EQ(page.get(), Page::two);

    // A segment is chosen where it is clicked, its padding included.
    const Node& regular = view.node("segments").children()[0];
    EXPECT_TRUE(host.click(Point{regular.frame().minX() - 2, regular.frame().midY()}));
    EXPECT_EQ(page.get(), Page::one);

    // A pull-down menu lists its buttons (a disabled one disabled) and its picker's options; a
    // row acts as the item would, on the tree as it is when chosen.
    ASSERT_TRUE(host.click(view.node("menu")));
    std::vector<std::string> titles;
    for (const auto& row : sim::SimMenus::rows(*menus.openMenu())) titles.push_back(row.title + (row.enabled ? "" : " (off)"));
    EXPECT_EQ(titles, (std::vector<std::string>{"Save", "Locked (off)", "One", "Three"}));
    EXPECT_FALSE(menus.choose("Locked"));
    view.host().render();
    EXPECT_TRUE(menus.choose("Three"));
    EXPECT_EQ(page.get(), Page::three);
    ASSERT_TRUE(host.click(view.node("menu")));
    EXPECT_TRUE(menus.choose("Save"));
    EXPECT_EQ(saved, 1);
    // Escape closes a menu without choosing.
    ASSERT_TRUE(host.click(view.node("popup")));
    menus.dismiss();
    EXPECT_EQ(menus.openMenu(), nullptr);
    EXPECT_EQ(page.get(), Page::three);
}

TEST_F(ControlsTest, TheSplitViewGivesTheSidebarItsWidthAndAHiddenSidebarCannotBeUsed) {
    Published<ui::ColumnVisibility> columns{ui::ColumnVisibility::all};
    Published<std::optional<Page>> selected{Page::one};
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            return ui::navigationSplitView(
                       bind(columns),
                       ui::list(bind(selected), {Page::one, Page::two}, ui::nodes(ui::text("One"), ui::text("Two")),
                                ui::ListStyle::sidebar)
                           .accessibilityIdentifier("sidebar"),
                       ui::text("Detail").fillWidth().accessibilityIdentifier("detail"), ui::SplitColumnWidth{150, 180, 210},
                       ui::SplitViewStyle::balanced)
                .frame(ui::FrameSpec{std::nullopt, std::nullopt, std::nullopt, ui::FrameSpec::infinity, std::nullopt,
                                     ui::FrameSpec::infinity, {}});
        },
        [&](ui::ViewHost& host) { host.watch(columns); });
    auto& host = view.host();
    EXPECT_EQ(view.node("sidebar").frame().width(), 180);
    EXPECT_EQ(view.node("detail").frame().minX(), 181);
    EXPECT_TRUE(host.select(view.node("sidebar"), Page::two));
    // A click on a row selects it.
    EXPECT_TRUE(host.click(view.node("sidebar").children()[0]));
    EXPECT_EQ(selected.get(), std::optional<Page>(Page::one));
    EXPECT_TRUE(host.click(view.node("sidebar").children()[1]));

    columns.set(ui::ColumnVisibility::detailOnly);
    view.renderNow();
    EXPECT_EQ(view.node("sidebar").frame().width(), 0);
    EXPECT_EQ(view.node("detail").frame().minX(), 0);
    EXPECT_FALSE(host.select(view.node("sidebar"), Page::one));
    EXPECT_EQ(selected.get(), std::optional<Page>(Page::two));

    // A window narrower than the ideal sidebar leaves the sidebar what there is.
    columns.set(ui::ColumnVisibility::all);
    view.resize(120, 300);
    view.renderNow();
    EXPECT_EQ(view.node("sidebar").frame().width(), 119);
}

TEST_F(ControlsTest, AColourWellWithoutOpacityTakesColoursOpaqueAndConversionToSRGBMayFail) {
    Recorded<ui::ColorInSpace> tint{ui::ColorInSpace::sRGB(0.35, 0.55, 1.0)};
    Published<bool> enabled{true};
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            return ui::colorWell("Tint color", tint.binding(), ui::ColorWellOptions{false, true})
                .disabled(!enabled.get())
                .accessibilityIdentifier("well");
        },
        [&](ui::ViewHost& host) { host.watch(enabled); });
    auto& host = view.host();
    EXPECT_TRUE(host.chooseColor(view.node("well"), ui::ColorInSpace::displayP3(1, 0, 0, 0.4)));
    ASSERT_EQ(tint.writes.size(), 1u);
    EXPECT_EQ(tint.writes[0].alpha, 1);
    EXPECT_EQ(tint.writes[0].space, ui::ColorSpace::displayP3);
    enabled.set(false);
    view.renderNow();
    EXPECT_FALSE(host.chooseColor(view.node("well"), ui::ColorInSpace::gray(0.5)));
    EXPECT_EQ(tint.writes.size(), 1u);

    // A Display P3 colour inside sRGB's gamut keeps its look; pure P3 red lies outside and is
    // clipped to sRGB's edge.
    const auto warm = ui::ColorInSpace::displayP3(0.6, 0.5, 0.4).convertedToSRGB();
    ASSERT_TRUE(warm);
    EXPECT_NEAR(warm->red, 0.6197, 1e-3);
    EXPECT_NEAR(warm->green, 0.4952, 1e-3);
    EXPECT_NEAR(warm->blue, 0.3854, 1e-3);
    EXPECT_EQ(ui::ColorInSpace::displayP3(1, 0, 0).convertedToSRGB(), ui::ColorInSpace::sRGB(1, 0, 0));
    const auto white = ui::ColorInSpace::displayP3(1, 1, 1).convertedToSRGB();
    EXPECT_NEAR(white->red, 1, 1e-6);
    EXPECT_NEAR(white->blue, 1, 1e-6);
    EXPECT_EQ(ui::ColorInSpace::gray(0.25).convertedToSRGB(), ui::ColorInSpace::sRGB(0.25, 0.25, 0.25));
    EXPECT_FALSE(ui::ColorInSpace::pattern("Stripes").convertedToSRGB());
    EXPECT_FALSE(ui::ColorInSpace::pattern("Stripes").displayed());
}

// A style that shows what it was given.
class ProbeStyle final : public ui::CustomButtonStyle {
public:
    Node makeBody(ui::ButtonStyleConfiguration configuration) const override {
        std::string look = std::string(configuration.isPressed ? "pressed" : "idle") + "," +
                           (configuration.isEnabled ? "enabled" : "disabled") + "," +
                           (configuration.appearsActive ? "active" : "inactive");
        return ui::hstack(ui::VerticalAlignment::center, 0, ui::nodes(std::move(configuration.label), ui::text(look)));
    }
};

TEST_F(ControlsTest, ACustomButtonStyleSeesPressedEnabledAndWindowActivityAndKeyEquivalentsRunButtons) {
    auto style = std::make_shared<ProbeStyle>();
    Published<bool> enabled{true};
    int pressed = 0, refreshed = 0;
    auto view = testkit::HostedView::function(
        [&](ui::ViewContext&) {
            return ui::vstack(ui::HorizontalAlignment::leading, 4,
                              ui::nodes(ui::button(ui::text("Go"), [&] { ++pressed; }, style)
                                            .disabled(!enabled.get())
                                            .accessibilityIdentifier("go"),
                                        ui::button(ui::text("Refresh"), [&] { ++refreshed; }, ui::ButtonStyle::glassProminent)
                                            .controlSize(ui::ControlSize::large)
                                            .keyboardShortcut(ui::KeyboardShortcut{"r"})
                                            .disabled(!enabled.get())
                                            .accessibilityIdentifier("refresh")));
        },
        [&](ui::ViewHost& host) { host.watch(enabled); });
    auto& host = view.host();
    EXPECT_TRUE(view.text("idle,enabled,inactive"));

    view.show();
    env.settle();
    EXPECT_TRUE(view.text("idle,enabled,active"));

    ASSERT_TRUE(host.press(view.node("go")));
    view.renderNow();
    EXPECT_TRUE(view.text("pressed,enabled,active"));
    EXPECT_TRUE(host.release(false));  // let go outside: nothing runs
    EXPECT_EQ(pressed, 0);
    host.press(view.node("go"));
    host.release();
    EXPECT_EQ(pressed, 1);
    view.renderNow();
    EXPECT_TRUE(view.text("idle,enabled,active"));

    // Another window becomes key: the button draws inactive.
    ui::Panel other(Rect(0, 0, 100, 100), ui::style_mask::kTitled);
    other.makeKeyAndOrderFront();
    env.settle();
    EXPECT_TRUE(view.text("idle,enabled,inactive"));

    // Command-R runs the button with that key equivalent; R alone or a disabled button does not.
    EXPECT_TRUE(host.keyDown(platform::KeyEvent{15, "r", flags::kCommand}));
    EXPECT_FALSE(host.keyDown(platform::KeyEvent{15, "r", 0}));
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(view.node("refresh").controlSize(), ui::ControlSize::large);
    enabled.set(false);
    view.renderNow();
    EXPECT_TRUE(view.text("idle,disabled,inactive"));
    EXPECT_FALSE(host.keyDown(platform::KeyEvent{15, "r", flags::kCommand}));
    EXPECT_FALSE(host.press(view.node("go")));
    EXPECT_EQ(refreshed, 1);
}

TEST_F(ControlsTest, AControlOutOfViewInAFormIsScrolledToBeforeTheUserWorksIt) {
    Recorded<bool> last{false};
    auto view = testkit::HostedView::function([&](ui::ViewContext&) {
        std::vector<Node> rows;
        for (int i = 0; i < 40; ++i) rows.push_back(ui::text("Row " + std::to_string(i)));
        rows.push_back(ui::toggle("Last", last.binding()).accessibilityIdentifier("last"));
        return ui::form(ui::nodes(ui::section(ui::text("Many"), std::move(rows))));
    });
    auto& host = view.host();
    EXPECT_EQ(host.visibleFrame(view.node("last")).height(), 0);
    EXPECT_TRUE(host.toggle(view.node("last")));
    EXPECT_TRUE(last.value.get());
    EXPECT_GT(host.visibleFrame(view.node("last")).height(), 0);
}

TEST_F(ControlsTest, ABodyThatReadsTheContainerSizeRendersAgainWhenItChangesAndChangesKnowTheirPreviousValue) {
    std::vector<std::pair<double, double>> widths;
    auto view = testkit::HostedView::function([&](ui::ViewContext& context) {
        const double width = context.containerSize().width;
        return ui::text(std::to_string(static_cast<int>(width)))
            .onChangeFrom<double>(width, [&](const double& before, const double& now) { widths.emplace_back(before, now); });
    });
    auto* root = static_cast<testkit::HostedView::FunctionView*>(view.root);
    EXPECT_TRUE(view.text("400"));
    const int bodies = root->bodies;
    view.resize(619, 300);
    EXPECT_EQ(root->bodies, bodies + 1);
    EXPECT_TRUE(view.text("619"));
    view.resize(619, 500);  // taller only: the width's change reaction stays quiet
    EXPECT_EQ(widths, (std::vector<std::pair<double, double>>{{400, 619}}));

    // A body that never reads the size only lays out again.
    int plainBodies = 0;
    auto plain = testkit::HostedView::function([&](ui::ViewContext&) {
        ++plainBodies;
        return ui::text("Fixed");
    });
    plain.resize(200, 200);
    EXPECT_EQ(plainBodies, 1);
}

TEST_F(ControlsTest, NumbersFollowTheSessionLocaleAndAChangeRendersAgain) {
    EXPECT_EQ(platform::formatDecimal(2, 1, platform::Locale::named("en_US")), "2.0");
    EXPECT_EQ(platform::formatDecimal(2, 1, platform::Locale::named("de_DE")), "2,0");
    EXPECT_EQ(platform::formatDecimal(1234.56, 1, platform::Locale::named("de-DE")), "1.234,6");
    EXPECT_EQ(platform::formatDecimal(1234567.25, 1, platform::Locale::named("en_GB")), "1,234,567.2");  // tie to even
    EXPECT_EQ(platform::formatDecimal(-0.04, 1, platform::Locale::named("en_US")), "0.0");
    EXPECT_EQ(platform::formatDecimal(-12.5, 0, platform::Locale::named("en_US")), "-12");
    EXPECT_EQ(platform::formatDecimal(1e4, 2, platform::Locale::named("fr_FR")), "10\u202F000,00");
    EXPECT_EQ(platform::formatDecimal(std::nan(""), 1, platform::Locale{}), "NaN");

    auto view = testkit::HostedView::function([&](ui::ViewContext& context) {
        return ui::text(platform::formatDecimal(2.5, 1, context.environment().locale));
    });
    EXPECT_TRUE(view.text("2.5"));
    env.session.setLocale(platform::Locale::named("de_DE"));
    env.settle();
    EXPECT_TRUE(view.text("2,5"));
}

TEST_F(ControlsTest, TheSessionFileSetsTheLocaleAndRefusesSeparatorsThatCannotWork) {
    testkit::TestEnvironment other;
    other.session.load(R"({"system": {"locale": "de_CH"}})");
    EXPECT_EQ(other.session.platform().system->currentLocale().decimalSeparator, ".");
    other.session.load(R"({"system": {"locale": {"identifier": "xx_YY", "decimalSeparator": ",", "groupingSeparator": " "}}})");
    EXPECT_EQ(other.session.platform().system->currentLocale().decimalSeparator, ",");
    EXPECT_EQ(other.session.platform().system->currentLocale().identifier, "xx_YY");
    try {
        other.session.load(R"({"system": {"locale": {"identifier": "en_US", "decimalSeparator": ","}}})");
        ADD_FAILURE() << "a decimal separator equal to the grouping separator was taken";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("system.locale"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace tarnwick
