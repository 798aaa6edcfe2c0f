// The picture draws each control as its kind: symbols as glyphs of their own, texts in their
// colours, push buttons in their bezels, pop-ups and pull-downs with their chevrons, steppers with
// their arrows, disabled controls and menu rows dimmed, submenus where the pointer opens them, an
// alert's default button in the accent and a hairline along each window's edge.

#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "platform/sim/console/picture_palette.h"
#include "platform/sim/console/picture_symbols.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/sim/ui/sim_menus.h"
#include "platform/sim/ui/sim_window_system.h"
#include "platform/ui/declarative/controls.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/menu.h"
#include "testkit/bound_value.h"
#include "testkit/hosted_view.h"
#include "testkit/picture_reading.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using testkit::rectOf;

using testkit::bound;

// A button look of an app's own: a capsule behind its label, dimmed by the style while disabled.
class CapsuleStyle final : public ui::CustomButtonStyle {
public:
    ui::Node makeBody(ui::ButtonStyleConfiguration configuration) const override {
        return std::move(configuration.label)
            .padding(6)
            .background(ui::shape(ui::ShapeKind::capsule, 0, ui::CornerCurve::continuous,
                                  ui::Color::named("controlAccentColor")))
            .opacity(configuration.isEnabled ? 1 : 0.5);
    }
};

class ConsolePictureControlsTest : public ::testing::Test {
protected:
    ConsolePictureControlsTest() { env.session.loadDefaultSession(); }

    testkit::XmlElement picture(const platform::Alert* alert = nullptr) {
        std::string problem;
        auto root = testkit::parseXml(sim::screenSvg(env.session, alert), &problem);
        EXPECT_TRUE(root) << problem;
        return root.value_or(testkit::XmlElement{});
    }
    // A window showing the body, shown.
    testkit::HostedView& show(std::function<ui::Node(ui::ViewContext&)> body) {
        hosted = std::make_unique<testkit::HostedView>(
            testkit::HostedView::function(std::move(body), nullptr, Rect(100, 200, 420, 420)));
        hosted->show();
        return *hosted;
    }

    testkit::TestEnvironment env;
    std::unique_ptr<testkit::HostedView> hosted;
    Published<double> seconds{5};
    Published<int> position{1};
    Published<bool> on{true};
    Published<ui::ColorInSpace> tint{ui::ColorInSpace::sRGB(1, 0.5, 0)};
};

TEST_F(ConsolePictureControlsTest, EverySymbolTheViewsShowHasAGlyphOfItsOwn) {
    const std::vector<std::string> names{"tag",           "sidebar.left",          "gearshape",
                                         "rectangle.3.group", "rectangle.bottomthird.inset.filled", "lock.shield",
                                         "laptopcomputer", "display",               "checkmark.circle",
                                         "checkmark.circle.fill", "exclamationmark.circle", "chevron.right"};
    const Rect frame(10, 10, 16, 16);
    // What a glyph draws, without the name it carries.
    const auto shapesOf = [](const std::string& drawn) { return drawn.substr(drawn.find('>')); };
    // A symbol without a glyph is the rounded square; every other glyph differs from it and from
    // one another.
    std::set<std::string> glyphs{shapesOf(sim::symbolPicture(frame, "wand.and.stars", "#30d158"))};
    for (const auto& name : names) {
        const std::string drawn = sim::symbolPicture(frame, name, "#30d158");
        const auto parsed = testkit::parseXml(drawn);
        ASSERT_TRUE(parsed) << name;
        EXPECT_EQ(parsed->value("data-symbol"), name);
        EXPECT_EQ(testkit::symbolColour(*parsed), "#30d158") << name;
        EXPECT_TRUE(glyphs.insert(shapesOf(drawn)).second) << name << " draws the glyph of another symbol";
    }
    // The name of a symbol without a glyph is kept (escaped).
    const auto unknown = testkit::parseXml(sim::symbolPicture(frame, "a<b", "#ffffff"));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->value("data-symbol"), "a<b");
    EXPECT_EQ(unknown->all("rect", "symbol-shape").size(), 1u);
    EXPECT_TRUE(sim::symbolPicture(Rect(0, 0, 0, 16), "tag").empty());
}

TEST(PicturePaletteTest, ColoursPaintInTheDarkAppearanceAndOddComponentsStayInRange) {
    EXPECT_EQ(sim::paintOf(ui::Color::secondaryLabel()).colour, "#98989d");
    EXPECT_EQ(sim::paintOf(ui::Color::named("systemGreen")).colour, "#30d158");
    // An unknown system colour still shows, as the label colour.
    EXPECT_EQ(sim::paintOf(ui::Color::named("noSuchColor")).colour, "#ffffff");
    const sim::Paint half = sim::paintOf(ui::Color::sRGB(1, 0.5, 0, 0.5));
    EXPECT_EQ(half.colour, "#ff8000");
    EXPECT_EQ(half.fill(), "fill=\"#ff8000\" fill-opacity=\"0.5\"");
    EXPECT_EQ(sim::paintOf(ui::Color::clear()).opacity, 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const sim::Paint odd = sim::paintOf(ui::Color::sRGB(2, -1, nan, nan));
    EXPECT_EQ(odd.colour, "#ff0000");
    EXPECT_EQ(odd.fill(), "fill=\"#ff0000\"");
}

TEST_F(ConsolePictureControlsTest, ControlsAreDrawnAsTheirKindsAndTextsInTheirColours) {
    show([this](ui::ViewContext&) {
        return ui::vstack(
            ui::HorizontalAlignment::leading, 8,
            ui::nodes(ui::label("Allowed", "checkmark.circle.fill").foreground(ui::Color::named("systemGreen")),
                      ui::text("Explained").foreground(ui::Color::secondaryLabel()),
                      ui::button(ui::text("Identify"), [] {}, ui::ButtonStyle::bordered),
                      ui::button(ui::text("Save"), [] {}, ui::ButtonStyle::glassProminent).tint(ui::Color::systemBlue()),
                      ui::stepper(ui::text("Seconds"), bound(seconds), 1, 5),
                      ui::picker("Position", bound(position), std::vector<int>{0, 1},
                                 ui::nodes(ui::text("Top"), ui::text("Bottom"))),
                      ui::menu(ui::text("Section"), ui::nodes(ui::text("Other")), ui::MenuStyle::borderlessButton, true)));
    });
    const auto svg = picture();

    // The label's symbol before its title, both green; secondary text grey, the rest white.
    const auto* allowed = testkit::textShowing(svg, "Allowed");
    const auto* check = testkit::symbolNamed(svg, "checkmark.circle.fill");
    ASSERT_TRUE(allowed && check);
    EXPECT_EQ(allowed->value("fill"), "#30d158");
    EXPECT_EQ(testkit::symbolColour(*check), "#30d158");
    const auto* disc = check->all("circle").at(0);
    EXPECT_LT(disc->number("cx") + disc->number("r"), allowed->number("x"));
    EXPECT_NEAR(disc->number("cy"), allowed->number("y") - 4, 4);
    EXPECT_EQ(*testkit::textShowing(svg, "Explained")->attribute("fill"), "#98989d");
    const auto* identify = testkit::textShowing(svg, "Identify");
    ASSERT_TRUE(identify);
    EXPECT_EQ(identify->value("fill"), "#ffffff");

    // A bordered button's bezel around its title; a prominent one a capsule in its tint.
    const auto* bezel = testkit::findWith(svg, "rect", "button", "data-value", "Identify");
    ASSERT_TRUE(bezel);
    const Rect face = rectOf(*bezel);
    EXPECT_EQ(bezel->attribute("data-look"), nullptr);
    EXPECT_LE(face.minX(), testkit::textLeft(*identify));
    EXPECT_GE(face.maxX(), testkit::textRight(*identify));
    EXPECT_TRUE(face.contains(Point{face.midX(), identify->number("y") - 2}));
    const auto* save = testkit::findWith(svg, "rect", "button", "data-value", "Save");
    ASSERT_TRUE(save);
    EXPECT_EQ(save->value("data-look"), "accented");
    EXPECT_EQ(save->value("fill"), "#0a84ff");
    EXPECT_NEAR(save->number("rx"), save->number("height") / 2, 0.01);

    // The stepper at its upper end: its up arrow grey, its down arrow white.
    const auto arrows = svg.all("path", "stepper-arrow");
    ASSERT_EQ(arrows.size(), 2u);
    EXPECT_EQ(*arrows[0]->attribute("data-direction"), "up");
    EXPECT_EQ(*arrows[0]->attribute("fill"), "#8e8e93");
    EXPECT_EQ(*arrows[1]->attribute("fill"), "#ffffff");

    // The pop-up's chevrons at its trailing end, after the option it shows; the pull-down's one
    // chevron after its label.
    const auto* popUp = testkit::findWith(svg, "rect", "picker", "data-value", "Bottom");
    const auto* upDown = testkit::findWith(svg, "g", "chevron", "data-chevron", "up-down");
    ASSERT_TRUE(popUp && upDown);
    for (const auto* stroke : upDown->all("path")) {
        const std::string& d = stroke->value("d");
        const double x = std::stod(d.substr(2));
        EXPECT_GT(x, testkit::textRight(*testkit::textShowing(svg, "Bottom")));
        EXPECT_LT(x, rectOf(*popUp).maxX());
    }
    const auto* down = testkit::findWith(svg, "g", "chevron", "data-chevron", "down");
    ASSERT_TRUE(down);
    EXPECT_GT(std::stod(down->all("path").at(0)->attribute("d")->substr(2)),
              testkit::textRight(*testkit::textShowing(svg, "Section")));
}

TEST_F(ConsolePictureControlsTest, DisabledControlsAreDimmedWithTheirLabelsAndAnOwnStyleDimsItself) {
    const auto style = std::make_shared<const CapsuleStyle>();
    show([&](ui::ViewContext&) {
        return ui::vstack(ui::HorizontalAlignment::leading, 8,
                          ui::nodes(ui::toggle("Locked", bound(on)).disabled(), ui::toggle("Free", bound(on)),
                                    ui::colorWell("Tint", bound(tint)).disabled(),
                                    ui::button(ui::text("Preview"), [] {}, style).disabled(),
                                    ui::button(ui::text("Reset"), [] {}, style)));
    });
    const auto svg = picture();
    const auto switches = svg.all("rect", "switch");
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_TRUE(testkit::insideClass(svg, *switches[0], "disabled"));
    EXPECT_DOUBLE_EQ(testkit::drawnOpacityOf(svg, *switches[0]), 0.45);
    EXPECT_TRUE(testkit::insideClass(svg, *testkit::textShowing(svg, "Locked"), "disabled"));
    EXPECT_FALSE(testkit::insideClass(svg, *switches[1], "disabled"));
    EXPECT_DOUBLE_EQ(testkit::drawnOpacityOf(svg, *testkit::textShowing(svg, "Free")), 1);
    EXPECT_TRUE(testkit::insideClass(svg, *svg.all("rect", "color-well").at(0), "disabled"));

    // The style's capsule behind each title, the disabled one at the style's own opacity only.
    const auto capsules = svg.all("rect", "shape");
    ASSERT_EQ(capsules.size(), 2u);
    for (const auto* capsule : capsules) {
        EXPECT_EQ(capsule->value("data-shape"), "capsule");
        EXPECT_EQ(capsule->value("fill"), "#0a84ff");
        EXPECT_FALSE(testkit::insideClass(svg, *capsule, "disabled"));
    }
    EXPECT_DOUBLE_EQ(testkit::drawnOpacityOf(svg, *capsules[0]), 0.5);
    EXPECT_DOUBLE_EQ(testkit::drawnOpacityOf(svg, *testkit::textShowing(svg, "Preview")), 0.5);
    EXPECT_DOUBLE_EQ(testkit::drawnOpacityOf(svg, *capsules[1]), 1);
    const Rect behind = rectOf(*capsules[1]);
    const auto* reset = testkit::textShowing(svg, "Reset");
    EXPECT_LT(behind.minX(), testkit::textLeft(*reset));
    EXPECT_GT(behind.maxX(), testkit::textRight(*reset));
}

TEST_F(ConsolePictureControlsTest, AMenuGreysItsDisabledRowsAndOpensTheSubmenuThePointerRestsOn) {
    auto submenu = std::make_shared<ui::Menu>("More");
    submenu->autoenablesItems = false;
    submenu->addItem("Inner").isEnabled = false;
    submenu->addItem("Go", [] {});
    ui::Menu menu;
    menu.addItem("Open", [] {});
    menu.addItem("Nothing to do");  // no action: disabled when the menu opens
    menu.addSubmenu(submenu);
    env.session.menus().popUp(menu, Point{200, 800});
    const double primaryHeight = 982;
    const auto pointAt = [&](const testkit::XmlElement& svg, const std::string& row) {
        const auto* title = testkit::textShowing(svg, row, "menu-row");
        env.session.windowSystem().movePointer(Point{title->number("x") + 2, primaryHeight - title->number("y") + 3});
    };

    auto svg = picture();
    ASSERT_EQ(svg.all("g", "menu").size(), 1u);
    EXPECT_TRUE(testkit::insideClass(svg, *testkit::textShowing(svg, "Nothing to do", "menu-row"), "disabled"));
    EXPECT_EQ(*testkit::textShowing(svg, "Nothing to do", "menu-row")->attribute("fill"), "#8e8e93");
    EXPECT_FALSE(testkit::insideClass(svg, *testkit::textShowing(svg, "Open", "menu-row"), "disabled"));

    // Pointed at, the row is highlighted and its submenu hangs beside the menu, level with it.
    pointAt(svg, "More");
    svg = picture();
    const auto menus = svg.all("g", "menu");
    ASSERT_EQ(menus.size(), 2u);
    const Rect outer = rectOf(*menus[0]->all("rect", "menu-frame").at(0));
    const Rect inner = rectOf(*menus[1]->all("rect", "menu-frame").at(0));
    EXPECT_EQ(inner.minX(), outer.maxX());
    EXPECT_EQ(svg.all("rect", "menu-highlight").size(), 1u);
    const auto* more = testkit::textShowing(svg, "More", "menu-row");
    const auto* first = testkit::textShowing(*menus[1], "Inner", "menu-row");
    ASSERT_TRUE(more && first);
    EXPECT_DOUBLE_EQ(first->number("y"), more->number("y"));
    EXPECT_TRUE(testkit::insideClass(svg, *first, "disabled"));
    EXPECT_FALSE(testkit::insideClass(svg, *testkit::textShowing(svg, "Go", "menu-row"), "disabled"));

    // A disabled row is not highlighted; with no room on the right the submenu opens on the left.
    pointAt(svg, "Nothing to do");
    EXPECT_TRUE(picture().all("rect", "menu-highlight").empty());
    menu.cancelTracking();
    env.session.menus().popUp(menu, Point{1450, 800});
    svg = picture();
    pointAt(svg, "More");
    svg = picture();
    ASSERT_EQ(svg.all("g", "menu").size(), 2u);
    EXPECT_EQ(rectOf(*svg.all("g", "menu")[1]->all("rect", "menu-frame").at(0)).maxX(),
              rectOf(*svg.all("g", "menu")[0]->all("rect", "menu-frame").at(0)).minX());
    menu.cancelTracking();

    // A submenu that enables its own rows is drawn as it will open: a row with no action greyed,
    // whatever the row held before.
    submenu->autoenablesItems = true;
    submenu->items[0]->isEnabled = true;
    env.session.menus().popUp(menu, Point{200, 800});
    pointAt(picture(), "More");
    svg = picture();
    ASSERT_EQ(svg.all("g", "menu").size(), 2u);
    EXPECT_TRUE(testkit::insideClass(svg, *testkit::textShowing(svg, "Inner", "menu-row"), "disabled"));
    EXPECT_FALSE(testkit::insideClass(svg, *testkit::textShowing(svg, "Go", "menu-row"), "disabled"));
    menu.cancelTracking();
}

TEST_F(ConsolePictureControlsTest, AMenuThatHoldsItselfStillDraws) {
    auto menu = std::make_shared<ui::Menu>("Loop");
    menu->autoenablesItems = false;
    menu->addSubmenu(menu);  // a row that opens the menu it is in
    env.session.menus().popUp(*menu, Point{200, 800});
    const auto svg = picture();
    const auto* row = testkit::textShowing(svg, "Loop", "menu-row");
    ASSERT_TRUE(row);
    env.session.windowSystem().movePointer(Point{row->number("x") + 2, 982 - row->number("y") + 3});
    const auto drawn = picture().all("g", "menu").size();
    EXPECT_GT(drawn, 1u);
    EXPECT_LT(drawn, 20u);
    menu->cancelTracking();
    menu->items.clear();  // lets the menu go
}

TEST_F(ConsolePictureControlsTest, AnAlertsButtonsFitTheirTitlesAndTheOneReturnChoosesIsInTheAccent) {
    platform::Alert alert;
    alert.messageText = "Install Tarnwick?";
    alert.buttons = {{"Quit", "\x1b"}, {"Install and Open", "\r"}};
    alert.layout();
    const auto svg = picture(&alert);
    const Rect frame = rectOf(*svg.all("rect", "alert-frame").at(0));
    const auto buttons = svg.all("rect", "alert-button");
    ASSERT_EQ(buttons.size(), 2u);
    const Rect quit = rectOf(*buttons[0]), install = rectOf(*buttons[1]);
    EXPECT_EQ(buttons[0]->attribute("data-look"), nullptr);
    EXPECT_EQ(*buttons[1]->attribute("data-look"), "accented");
    EXPECT_EQ(*buttons[1]->attribute("fill"), "#0a84ff");
    // The first button rightmost, none over another, all inside the alert.
    EXPECT_LE(install.maxX(), quit.minX());
    EXPECT_TRUE(frame.contains(quit) && frame.contains(install));
    EXPECT_GT(install.width(), quit.width());
    for (const auto* title : svg.all("text", "alert-button-title")) {
        const auto* bezel = testkit::findWith(svg, "rect", "alert-button", "data-value", title->text);
        ASSERT_TRUE(bezel) << title->text;
        EXPECT_DOUBLE_EQ(title->number("x"), rectOf(*bezel).midX()) << title->text;
        EXPECT_EQ(title->value("text-anchor"), "middle");
        EXPECT_LE(title->number("textLength"), rectOf(*bezel).width());
    }
    // Without a Return button, the first is the default when it has no key of its own.
    alert.buttons = {{"OK", ""}, {"Cancel", "\x1b"}};
    EXPECT_EQ(*picture(&alert).all("rect", "alert-button").at(0)->attribute("data-look"), "accented");
    alert.buttons = {{"Cancel", "\x1b"}};
    EXPECT_EQ(picture(&alert).all("rect", "alert-button").at(0)->attribute("data-look"), nullptr);
}

TEST_F(ConsolePictureControlsTest, AWindowHasAHairlineEdgeRoundedAsItsGlass) {
    ui::Panel glassy(Rect(100, 100, 300, 200), ui::style_mask::kBorderless);
    auto glass = std::make_shared<ui::GlassEffectView>(Rect(0, 0, 300, 200));
    glass->cornerRadius = 12;
    glassy.setContentView(glass);
    glassy.orderFrontRegardless();
    ui::Panel plain(Rect(500, 100, 200, 100), ui::style_mask::kBorderless);
    plain.setContentView(std::make_shared<ui::View>(Rect(0, 0, 200, 100)));
    plain.orderFrontRegardless();
    const auto svg = picture();
    for (const auto* window : svg.all("g", "window")) {
        const auto edges = window->all("rect", "window-edge");
        ASSERT_EQ(edges.size(), 1u);
        const Rect frame = rectOf(*window->all("rect", "window-frame").at(0));
        const Rect edge = rectOf(*edges[0]);
        EXPECT_TRUE(frame.contains(edge));
        EXPECT_NEAR(edge.width(), frame.width(), 1);
        EXPECT_EQ(*edges[0]->attribute("fill"), "none");
        EXPECT_NEAR(edges[0]->number("rx"), frame.width() == 300 ? 12 : 0, 0.5);
    }
}

}  // namespace
}  // namespace tarnwick
