// The picture draws windows as the system does: a titled window with the close, minimise and zoom
// buttons its style allows (the others grey) and rounded corners, a window without a title bar in
// the shape of what fills it, and an alert with the app's icon beside its bold message.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "platform/sim/console/screen_svg.h"
#include "platform/sim/sim_alerts.h"
#include "platform/ui/effect_views.h"
#include "platform/ui/panel.h"
#include "platform/ui/text_metrics.h"
#include "testkit/picture_reading.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
namespace style = ui::style_mask;
using testkit::rectOf;
using Names = std::vector<std::string>;

class ConsolePictureWindowsTest : public ::testing::Test {
protected:
    ConsolePictureWindowsTest() { env.session.loadDefaultSession(); }

    testkit::XmlElement picture(const platform::Alert* alert = nullptr) {
        std::string problem;
        auto root = testkit::parseXml(sim::screenSvg(env.session, alert), &problem);
        EXPECT_TRUE(root) << problem;
        return root.value_or(testkit::XmlElement{});
    }
    // A panel of the style shown at the frame (screen coordinates) under the title.
    ui::Panel& show(std::uint64_t styleMask, const Rect& frame, const std::string& title) {
        panels.push_back(std::make_unique<ui::Panel>(frame, styleMask));
        panels.back()->setTitle(title);
        panels.back()->orderFrontRegardless();
        return *panels.back();
    }

    testkit::TestEnvironment env;
    std::vector<std::unique_ptr<ui::Panel>> panels;
};

// The drawn window whose tooltip is the title.
const testkit::XmlElement* windowNamed(const testkit::XmlElement& svg, const std::string& title) {
    for (const auto* window : svg.all("g", "window"))
        if (!window->all("title").empty() && window->all("title")[0]->text == title) return window;
    return nullptr;
}

// The rectangle of the clipping region the element is drawn in (the innermost); nothing when none.
const testkit::XmlElement* clipAround(const testkit::XmlElement& svg, const testkit::XmlElement& element) {
    std::vector<const testkit::XmlElement*> path;
    testkit::pathDown(svg, &element, path);
    for (auto up = path.rbegin(); up != path.rend(); ++up)
        if (const std::string* clip = (*up)->attribute("clip-path"))
            for (const auto* region : svg.all("clipPath"))
                if ("url(#" + region->value("id") + ")" == *clip) return region->all("rect").at(0);
    return nullptr;
}

double radiusOf(const testkit::XmlElement& rect) { return rect.attribute("rx") ? rect.number("rx") : 0; }

TEST_F(ConsolePictureWindowsTest, ATitledWindowShowsTheButtonsItsStyleAllowsAndGreysTheOthers) {
    struct Case {
        std::uint64_t style;
        Names enabled;
    };
    const std::vector<Case> cases{
        {style::kTitled, {}},
        {style::kTitled | style::kClosable, {"close"}},
        {style::kTitled | style::kClosable | style::kResizable, {"close", "zoom"}},
        {style::kTitled | style::kMiniaturizable, {"minimize"}},
        {style::kTitled | style::kClosable | style::kMiniaturizable | style::kResizable, {"close", "minimize", "zoom"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        show(cases[i].style, Rect(40 + 260 * static_cast<double>(i), 600, 240, 120), "Window " + std::to_string(i));
    // Without a title bar the style's buttons do not show.
    show(style::kClosable | style::kMiniaturizable | style::kResizable, Rect(40, 300, 240, 120), "Bare");

    std::string greyFill;
    // Each window in turn is key: it shows the buttons its style allows in their colours, and
    // every window in the background shows all three grey, the title dimmer.
    for (std::size_t key = 0; key < cases.size(); ++key) {
        panels[key]->makeKey();
        ASSERT_TRUE(panels[key]->isKeyWindow());
        const auto svg = picture();
        std::string keyTitleFill;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(std::to_string(key) + " key, window " + std::to_string(i));
            const auto* window = windowNamed(svg, "Window " + std::to_string(i));
            ASSERT_TRUE(window);
            EXPECT_EQ(window->value("data-key"), i == key ? "true" : "false");
            const Rect frame = rectOf(*window->all("rect", "window-frame").at(0));
            const auto* title = window->all("text", "window-title").at(0);
            const auto buttons = window->all("circle", "window-button");
            Names order, enabled, coloured;
            double previousRight = frame.minX();
            for (const auto* button : buttons) {
                order.push_back(button->value("data-button"));
                const double cx = button->number("cx"), r = button->number("r");
                // In a row along the title bar's middle, apart, before the title, inside the window.
                EXPECT_NEAR(button->number("cy"), frame.minY() + ui::Panel::kTitlebarHeight / 2, 0.01);
                EXPECT_GT(cx - r, previousRight);
                previousRight = cx + r;
                EXPECT_LT(previousRight, testkit::textLeft(*title));
                if (!testkit::insideClass(svg, *button, "disabled")) enabled.push_back(order.back());
                if (testkit::insideClass(svg, *button, "disabled") || i != key) {
                    if (greyFill.empty()) greyFill = button->value("fill");
                    EXPECT_EQ(button->value("fill"), greyFill) << order.back();
                } else {
                    coloured.push_back(button->value("fill"));
                }
            }
            EXPECT_EQ(order, (Names{"close", "minimize", "zoom"}));
            // Being in the background greys a button but does not disable it.
            EXPECT_EQ(enabled, cases[i].enabled);
            // An allowed button of the key window shows in a colour of its own, never grey.
            EXPECT_EQ(coloured.size(), i == key ? cases[i].enabled.size() : 0u);
            for (const auto& fill : coloured) EXPECT_NE(fill, greyFill);
            if (i == key) keyTitleFill = title->value("fill");
        }
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const auto* title = windowNamed(svg, "Window " + std::to_string(i))->all("text", "window-title").at(0);
            if (i != key) {
                EXPECT_NE(title->value("fill"), keyTitleFill);
            }
        }
    }
    EXPECT_FALSE(greyFill.empty());
    const auto last = picture();
    const auto* bare = windowNamed(last, "Bare");
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->all("circle", "window-button").empty());
}

TEST_F(ConsolePictureWindowsTest, EachWindowHasTheCornersOfItsKind) {
    // An opaque titled window (as the system's About panel) in its background colour.
    ui::Panel& plain = show(style::kTitled | style::kClosable, Rect(40, 600, 280, 160), "Plain");
    plain.backgroundColor = ui::Color::sRGB(0.2, 0.4, 0.6);
    // A titled window dressed in glass, its title bar transparent: the glass draws its shape.
    ui::Panel& glassy = show(style::kTitled | style::kClosable | style::kFullSizeContentView, Rect(400, 600, 280, 160),
                             "Glassy");
    glassy.titlebarAppearsTransparent = true;
    glassy.isOpaque = false;
    auto glass = std::make_shared<ui::GlassEffectView>(Rect(0, 0, 280, 160));
    glass->cornerRadius = 16;
    glassy.setContentView(glass);
    // A panel without a title bar and nothing rounded in it is square.
    show(style::kBorderless, Rect(760, 600, 200, 100), "Square");

    const auto svg = picture();
    const auto* drawnPlain = windowNamed(svg, "Plain");
    const auto* drawnGlassy = windowNamed(svg, "Glassy");
    const auto* drawnSquare = windowNamed(svg, "Square");
    ASSERT_TRUE(drawnPlain && drawnGlassy && drawnSquare);

    const auto* frame = drawnPlain->all("rect", "window-frame").at(0);
    EXPECT_EQ(radiusOf(*frame), 10);
    EXPECT_EQ(frame->value("fill"), "#336699");
    EXPECT_NEAR(radiusOf(*drawnPlain->all("rect", "window-edge").at(0)), 10, 0.5);
    // The title bar and the content are cut to the rounded corners.
    const auto* bar = drawnPlain->all("rect", "title-bar").at(0);
    const auto* clip = clipAround(svg, *bar);
    ASSERT_TRUE(clip);
    EXPECT_EQ(rectOf(*clip), rectOf(*frame));
    EXPECT_EQ(radiusOf(*clip), 10);

    EXPECT_EQ(radiusOf(*drawnGlassy->all("rect", "window-frame").at(0)), 16);
    EXPECT_NEAR(radiusOf(*drawnGlassy->all("rect", "window-edge").at(0)), 16, 0.5);
    EXPECT_TRUE(drawnGlassy->all("rect", "title-bar").empty());
    EXPECT_EQ(drawnGlassy->all("circle", "window-button").size(), 3u);

    EXPECT_EQ(radiusOf(*drawnSquare->all("rect", "window-frame").at(0)), 0);
    EXPECT_EQ(radiusOf(*drawnSquare->all("rect", "window-edge").at(0)), 0);
}

// A prompt with a field, as the rename prompt is.
platform::Alert renamePrompt(std::string message) {
    platform::Alert alert;
    alert.messageText = std::move(message);
    alert.informativeText = "Studio Display\nLeave the name blank to use its default.";
    alert.textField = platform::AlertTextField{"Home", "Desktop 4", "Name", Rect(0, 0, 280, 24), true};
    alert.buttons = {{"Save", "\r"}, {"Cancel", "\x1b"}};
    alert.layout();
    return alert;
}

TEST_F(ConsolePictureWindowsTest, AnAlertShowsTheAppsIconBesideItsBoldMessage) {
    const platform::Alert alert = renamePrompt("Rename Desktop 4");
    const auto svg = picture(&alert);
    const auto* drawn = svg.all("g", "alert").at(0);
    const auto* frame = drawn->all("rect", "alert-frame").at(0);
    const Rect box = rectOf(*frame);
    EXPECT_GT(radiusOf(*frame), 0);
    const auto* clip = clipAround(svg, *drawn->all("rect", "alert-button").at(0));
    ASSERT_TRUE(clip);
    EXPECT_EQ(radiusOf(*clip), radiusOf(*frame));

    // The running app's icon at the top left, 64 points square.
    const auto icons = drawn->all("g", "icon");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(*icons[0]->attribute("data-app"), "Tarnwick");
    const Rect icon = rectOf(*icons[0]->all("rect", "icon-frame").at(0));
    EXPECT_EQ(icon.size, (Size{64, 64}));
    EXPECT_TRUE(box.contains(icon));
    EXPECT_LT(icon.minX() - box.minX(), 32);
    EXPECT_LT(icon.minY() - box.minY(), 32);

    // The message in bold at its bold width, the informative text regular; all of it, and the
    // field, beside the icon.
    const auto* message = drawn->all("text", "alert-message").at(0);
    EXPECT_EQ(message->text, "Rename Desktop 4");
    EXPECT_EQ(message->value("font-weight"), "700");
    auto& metrics = ui::systemFontMetrics();
    const double bold = metrics.lineWidth("Rename Desktop 4", ui::Font::system(13, ui::font_weight::kBold));
    EXPECT_NEAR(message->number("textLength"), bold, 1e-3);  // written to three decimals
    EXPECT_GT(bold, metrics.lineWidth("Rename Desktop 4", ui::Font::system(13)));
    const auto informative = drawn->all("text", "alert-informative");
    ASSERT_EQ(informative.size(), 2u);
    for (const auto* line : informative) {
        EXPECT_EQ(line->attribute("font-weight"), nullptr);
        EXPECT_NEAR(line->number("textLength"), metrics.lineWidth(line->text, ui::Font::system(11)), 1e-3);
    }
    for (const auto* text : {message, informative[0], informative[1]}) EXPECT_GT(testkit::textLeft(*text), icon.maxX());
    const Rect field = rectOf(*drawn->all("rect", "alert-field").at(0));
    EXPECT_GT(field.minX(), icon.maxX());
    // The field that takes the alert's keyboard shows its focus ring around it; one that does not, none.
    const auto rings = drawn->all("rect", "focus-ring");
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_TRUE(rectOf(*rings[0]).contains(field));
    platform::Alert unfocused = renamePrompt("Rename Desktop 4");
    unfocused.textField->isInitialFirstResponder = false;
    EXPECT_TRUE(picture(&unfocused).all("rect", "focus-ring").empty());

    // An alert that names a file shows that file's icon: an app's bundle, its app.
    platform::Alert install;
    install.messageText = "Install Safari";
    install.iconOfFile = "/Applications/Safari.app";
    install.buttons = {{"Install", "\r"}};
    install.layout();
    const auto other = picture(&install);
    EXPECT_EQ(*other.all("g", "alert").at(0)->all("g", "icon").at(0)->attribute("data-app"), "Safari");
}

// A message as wide as the column allows in the regular face, and so wider in bold: the layout
// must measure it bold to see that it takes two lines. Its last word grows a letter at a time.
std::string messageFittingOnlyWhenRegular(double width) {
    auto& metrics = ui::systemFontMetrics();
    std::string message = "Rename";
    while (metrics.lineWidth(message + " Desktop", ui::Font::system(13)) <= width) message += " Desktop";
    message += " e";
    while (metrics.lineWidth(message + "e", ui::Font::system(13)) <= width) message += "e";
    return message;
}

TEST_F(ConsolePictureWindowsTest, AMessageTooWideInBoldWrapsAndMovesTheTextsTheFieldAndTheButtonsDown) {
    const platform::Alert shortOne = renamePrompt("Rename Desktop 4");
    const double column = sim::SimAlerts::textWidth(shortOne.window().frame().width());
    const std::string wide = messageFittingOnlyWhenRegular(column);
    ASSERT_GT(ui::systemFontMetrics().lineWidth(wide, ui::Font::system(13, ui::font_weight::kBold)), column);
    const platform::Alert wrapped = renamePrompt(wide);

    const auto svg = picture(&wrapped);
    const auto lines = svg.all("text", "alert-message");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->text + " " + lines[1]->text, wide);
    EXPECT_EQ(lines[1]->text.find(' '), std::string::npos);  // broken before its last word
    for (const auto* line : lines) {
        EXPECT_LE(line->number("textLength"), column);
        EXPECT_EQ(line->value("font-weight"), "700");
    }
    // The informative text starts under the message's second line, the field under it, and the
    // window grows by the line, its buttons staying inside along its bottom.
    const auto informative = svg.all("text", "alert-informative");
    ASSERT_FALSE(informative.empty());
    EXPECT_GT(informative[0]->number("y"), lines[1]->number("y"));
    const double added = sim::SimAlerts::kMessageLineHeight;
    EXPECT_EQ(wrapped.window().frame().height(), shortOne.window().frame().height() + added);
    EXPECT_EQ(sim::SimAlerts::textFieldFrame(wrapped)->minY(), sim::SimAlerts::textFieldFrame(shortOne)->minY() + added);
    const Rect frame = rectOf(*svg.all("rect", "alert-frame").at(0));
    for (const auto* button : svg.all("rect", "alert-button")) EXPECT_TRUE(frame.contains(rectOf(*button)));
    EXPECT_LT(rectOf(*svg.all("rect", "alert-field").at(0)).maxY(), rectOf(*svg.all("rect", "alert-button").at(0)).minY());
}

}  // namespace
}  // namespace tarnwick
