// What a person sees of the controls in the pictures of the built program (console on virtual
// time): the settings pages, the overview, the rename prompt and the status menu with its
// submenu, each control drawn as its kind and buttons at their own size, symbols as their
// glyphs, texts in their colours and disabled rows and controls dimmed; titled windows with the
// buttons their styles allow and the prompt with the app's icon.

#include <cmath>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings_primary_button_style.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/text_metrics.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testkit::rectOf;

const fs::path kSessions = fs::path(TARNWICK_SOURCE_DIR) / "sessions";
const fs::path kRoads = fs::path(TARNWICK_SOURCE_DIR) / "tests/e2e/roads";
constexpr const char* kAccent = "#0a84ff";
constexpr const char* kSecondary = "#98989d";

class PictureControlsRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(const fs::path& session) {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), session, {}, {}, true});
        EXPECT_EQ(program->ready().back(), "ready");
        return *program;
    }
    // The screen drawn now, parsed (the file is kept in the home folder to look at).
    testkit::XmlElement picture(const std::string& name) {
        const fs::path file = home.path() / name;
        EXPECT_EQ(program->send("screen svg " + file.string()), Lines{"ok"});
        std::ifstream in(file);
        std::stringstream bytes;
        bytes << in.rdbuf();
        std::string problem;
        auto parsed = testkit::parseXml(bytes.str(), &problem);
        EXPECT_TRUE(parsed) << name << ": " << problem;
        return parsed.value_or(testkit::XmlElement{});
    }
    void openStatusMenu(const std::string& how = "click status-item") {
        EXPECT_EQ(program->send(how).back(), "ok");
        program->send("wait 0.5");
    }
    // The window of the picture with the title.
    static const testkit::XmlElement& window(const testkit::XmlElement& svg, const std::string& title) {
        for (const auto* shown : svg.all("g", "window"))
            if (!shown->all("title").empty() && shown->all("title")[0]->text == title) return *shown;
        ADD_FAILURE() << "no window " << title;
        static const testkit::XmlElement none;
        return none;
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

// A text drawn over a filled shape of the class, in the colour, that holds it across.
bool standsOn(const testkit::XmlElement& svg, const testkit::XmlElement& text, const std::string& cls,
              const std::string& fill) {
    const auto shapes = svg.all("rect", cls);
    return std::any_of(shapes.begin(), shapes.end(), [&](const testkit::XmlElement* shape) {
        const Rect frame = rectOf(*shape);
        const std::string* colour = shape->attribute("fill");
        return colour && *colour == fill && frame.minX() < testkit::textLeft(text) &&
               frame.maxX() > testkit::textRight(text) && frame.contains(Point{frame.midX(), text.number("y") - 3});
    });
}

TEST_F(PictureControlsRoadsTest, SettingsPagesDrawTheirSymbolsButtonsColoursAndDimmedControls) {
    start(kSessions / "default.json");
    openStatusMenu();
    program->send("menu \"Settings…\"");
    const auto page = [&](const std::string& name) {
        EXPECT_EQ(program->send("set \"Settings sections\" \"" + name + "\"").back(), "ok") << name;
        std::string file = "settings-" + name + ".svg";
        std::replace(file.begin(), file.end(), ' ', '-');
        auto svg = picture(file);
        const auto& settings = window(svg, "Tarnwick Settings");
        // Every section's icon in the sidebar, the sidebar button's, and the window's edge.
        for (const char* symbol : {"gearshape", "tag", "rectangle.3.group", "rectangle.bottomthird.inset.filled",
                                   "lock.shield", "sidebar.left"})
            EXPECT_TRUE(testkit::symbolNamed(settings, symbol)) << name << " " << symbol;
        EXPECT_EQ(settings.all("rect", "window-edge").size(), 1u) << name;
        return svg;
    };

    // The primary style's accent capsule behind its title.
    auto svg = page("General");
    const auto* check = testkit::textShowing(svg, "Check for Updates…");
    ASSERT_TRUE(check);
    EXPECT_TRUE(standsOn(svg, *check, "shape", kAccent));

    // The recorder's buttons in their bezels.
    svg = page("Overview");
    for (const char* title : {"Clear", "Use default"}) {
        const auto* bezel = testkit::findWith(svg, "rect", "button", "data-value", title);
        ASSERT_TRUE(bezel) << title;
        EXPECT_TRUE(standsOn(svg, *testkit::textShowing(svg, title), "button", bezel->value("fill"))) << title;
    }

    // The tint well, off while the tint is, dimmed with its title; Preview on its capsule.
    svg = page("Banner");
    const auto wells = svg.all("rect", "color-well");
    ASSERT_EQ(wells.size(), 1u);
    EXPECT_TRUE(testkit::insideClass(svg, *wells[0], "disabled"));
    EXPECT_LT(testkit::drawnOpacityOf(svg, *wells[0]), 1);
    EXPECT_TRUE(standsOn(svg, *testkit::textShowing(svg, "Preview"), "shape", kAccent));

    // Each display's icon in its section's header, each Identify button in its bezel.
    svg = page("Desktop Names");
    EXPECT_TRUE(testkit::symbolNamed(svg, "laptopcomputer"));
    EXPECT_TRUE(testkit::symbolNamed(svg, "display"));
    EXPECT_EQ(svg.all("rect", "button").size(), 2u);
    for (const auto* bezel : svg.all("rect", "button")) EXPECT_EQ(bezel->value("data-value"), "Identify");

    // Allowed access in green with its filled checkmark; all of it ready with its checkmark.
    svg = page("Permissions");
    const auto* allowed = testkit::textShowing(svg, "Allowed");
    ASSERT_TRUE(allowed);
    EXPECT_EQ(allowed->value("fill"), "#30d158");
    const auto* filled = testkit::symbolNamed(svg, "checkmark.circle.fill");
    ASSERT_TRUE(filled);
    EXPECT_EQ(testkit::symbolColour(*filled), "#30d158");
    EXPECT_TRUE(testkit::textShowing(svg, "All required access is ready"));
    EXPECT_TRUE(testkit::symbolNamed(svg, "checkmark.circle"));
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

// The drawn rectangle of the class and fill that a text stands on, if any.
const testkit::XmlElement* rectUnder(const testkit::XmlElement& svg, const testkit::XmlElement& text, const std::string& cls) {
    for (const auto* shape : svg.all("rect", cls)) {
        const Rect frame = rectOf(*shape);
        if (frame.minX() < testkit::textLeft(text) && frame.maxX() > testkit::textRight(text) &&
            frame.contains(Point{frame.midX(), text.number("y") - 3}))
            return shape;
    }
    return nullptr;
}

// The picture writes three decimals: lengths made of two of its numbers agree within that.
constexpr double kDrawn = 0.002;

// Each button is as large as its title needs with its padding or bezel, at the leading edge of
// its row, whatever room the row has; in a horizontal stack it is one line high too.
TEST_F(PictureControlsRoadsTest, SettingsButtonsAreAsLargeAsTheirTitlesAtTheLeadingEdgeOfTheirRows) {
    namespace ui = platform::ui;
    using Style = SettingsPrimaryButtonStyle;
    auto& metrics = ui::systemFontMetrics();
    ui::Font capsuleFont = ui::fontFor(ui::TextStyle::callout);
    capsuleFont.weight = ui::font_weight::kSemibold;
    const double capsuleHeight = metrics.defaultLineHeight(capsuleFont) + 2 * Style::kVerticalPadding;
    const auto bezel = ui::ButtonContent(nullptr, ui::ButtonStyle::bordered).bezelInsets(ui::ControlSize::regular);
    const double bezelHeight = metrics.defaultLineHeight(ui::fontFor(ui::TextStyle::body)) + bezel.height();

    start(kSessions / "default.json");
    openStatusMenu();
    program->send("menu \"Settings…\"");
    // The prominent button with the title: its capsule holds the padded title and no more.
    const auto capsuleOf = [&](const testkit::XmlElement& svg, const std::string& title) {
        const auto* text = testkit::textShowing(svg, title);
        EXPECT_TRUE(text) << title;
        const auto* capsule = text ? rectUnder(svg, *text, "shape") : nullptr;
        EXPECT_TRUE(capsule) << title;
        if (!capsule) return Rect();
        const Rect frame = rectOf(*capsule);
        EXPECT_NEAR(frame.width(), text->number("textLength") + 2 * Style::kHorizontalPadding, kDrawn) << title;
        EXPECT_NEAR(frame.minX(), testkit::textLeft(*text) - Style::kHorizontalPadding, kDrawn) << title;
        EXPECT_NEAR(frame.height(), capsuleHeight, kDrawn) << title;
        return frame;
    };
    // The bordered button with the title: its bezel around the title and the bezel's insets.
    const auto bezelOf = [&](const testkit::XmlElement& svg, const std::string& title) {
        const auto* text = testkit::textShowing(svg, title);
        const auto* drawn = text ? rectUnder(svg, *text, "button") : nullptr;
        EXPECT_TRUE(drawn) << title;
        if (!drawn) return Rect();
        const Rect frame = rectOf(*drawn);
        EXPECT_NEAR(frame.width(), text->number("textLength") + bezel.width(), kDrawn) << title;
        EXPECT_NEAR(frame.height(), bezelHeight, kDrawn) << title;
        return frame;
    };
    const auto rowStart = [&](const testkit::XmlElement& svg, const std::string& text) {
        const auto* shown = testkit::textShowing(svg, text);
        EXPECT_TRUE(shown) << text;
        return shown ? testkit::textLeft(*shown) : 0.0;
    };

    auto svg = picture("general.svg");
    EXPECT_NEAR(capsuleOf(svg, "Check for Updates…").minX(), rowStart(svg, "Automatically check for updates"), kDrawn);

    EXPECT_EQ(program->send("set \"Settings sections\" Permissions").back(), "ok");
    svg = picture("permissions.svg");
    const double leading = rowStart(svg, "Screen Recording");
    EXPECT_NEAR(capsuleOf(svg, "Name your desktops…").minX(), leading, kDrawn);
    EXPECT_NEAR(bezelOf(svg, "Check again").minX(), leading, kDrawn);

    // Each Identify button follows its name field after the row's spacing, one line high.
    EXPECT_EQ(program->send("set \"Settings sections\" \"Desktop Names\"").back(), "ok");
    svg = picture("desktop-names.svg");
    EXPECT_NEAR(capsuleOf(svg, "Edit Desktop Names…").minX(), rowStart(svg, "App icon size"), kDrawn);
    const auto fields = svg.all("rect", "text-field");
    std::vector<Rect> bezels;
    for (const auto* text : svg.all("text", "text")) {
        const auto* drawn = text->text == "Identify" ? rectUnder(svg, *text, "button") : nullptr;
        if (drawn) bezels.push_back(rectOf(*drawn));
    }
    ASSERT_EQ(bezels.size(), 2u);
    ASSERT_EQ(fields.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(bezels[i].height(), bezelHeight, kDrawn);
        EXPECT_NEAR(bezels[i].minX(), rectOf(*fields[i]).maxX() + 12, kDrawn);
    }

    // The actions under the banner's sections: both one line high, level with each other.
    EXPECT_EQ(program->send("set \"Settings sections\" Banner").back(), "ok");
    svg = picture("banner.svg");
    const Rect reset = capsuleOf(svg, "Reset appearance");
    const Rect preview = capsuleOf(svg, "Preview");
    EXPECT_NEAR(reset.minY(), preview.minY(), kDrawn);
    EXPECT_LT(reset.maxX(), preview.minX());
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

TEST_F(PictureControlsRoadsTest, TheOverviewDrawsTheCurrentDesktopInBlueAndCaptionsInGrey) {
    start(kRoads / "overview.json");
    program->send("hover status-item");
    program->send("wait 1");
    const auto svg = picture("overview.svg");
    const auto& overview = window(svg, "Workstation Overview");
    const auto* current = testkit::textShowing(overview, "Current");
    ASSERT_TRUE(current);
    EXPECT_EQ(current->value("fill"), kAccent);
    const auto* mark = testkit::symbolNamed(overview, "checkmark.circle.fill");
    ASSERT_TRUE(mark);
    EXPECT_EQ(testkit::symbolColour(*mark), kAccent);
    // Each display's icon before its name in its section header.
    EXPECT_TRUE(testkit::symbolNamed(overview, "laptopcomputer"));
    EXPECT_TRUE(testkit::symbolNamed(overview, "display"));
    // The counts line under the title is a caption, in the secondary colour.
    std::size_t secondary = 0;
    for (const auto* text : overview.all("text", "text"))
        if (text->value("fill") == kSecondary) ++secondary;
    EXPECT_GT(secondary, 0u);
    EXPECT_EQ(*testkit::textShowing(overview, "Workstation")->attribute("fill"), "#ffffff");
    EXPECT_EQ(overview.all("rect", "window-edge").size(), 1u);
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

// The enabled window buttons of a drawn window, in order.
Lines enabledButtons(const testkit::XmlElement& svg, const testkit::XmlElement& window) {
    Lines enabled;
    for (const auto* button : window.all("circle", "window-button"))
        if (!testkit::insideClass(svg, *button, "disabled")) enabled.push_back(button->value("data-button"));
    return enabled;
}

TEST_F(PictureControlsRoadsTest, TitledWindowsShowTheButtonsTheirStylesAllowAndRoundedCorners) {
    start(kSessions / "default.json");
    for (const char* row : {"About Tarnwick", "Check for Updates…", "Settings…", "Desktop Names"}) {
        openStatusMenu();
        EXPECT_EQ(program->send(std::string("menu \"") + row + "\"").back(), "ok") << row;
    }
    const auto svg = picture("windows.svg");
    struct Expected {
        const char* title;
        Lines enabled;
        double cornerRadius;
    };
    // The system's panels only close, at the system's corners; the settings also zoom, the names
    // window also goes to the Dock, both rounded as their glass.
    for (const auto& [title, enabled, radius] :
         {Expected{"About Tarnwick", {"close"}, 10}, Expected{"Software Update", {"close"}, 10},
          Expected{"Tarnwick Settings", {"close", "zoom"}, 16},
          Expected{"Desktop Names", {"close", "minimize", "zoom"}, 16}}) {
        const auto& drawn = window(svg, title);
        EXPECT_EQ(drawn.all("circle", "window-button").size(), 3u) << title;
        EXPECT_EQ(enabledButtons(svg, drawn), enabled) << title;
        const auto frames = drawn.all("rect", "window-frame");
        ASSERT_EQ(frames.size(), 1u) << title;
        ASSERT_TRUE(frames[0]->attribute("rx")) << title;
        EXPECT_EQ(frames[0]->number("rx"), radius) << title;
        EXPECT_NEAR(drawn.all("rect", "window-edge").at(0)->number("rx"), radius, 0.5) << title;
    }
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

// The fills of a drawn window's buttons, in order.
Lines buttonFills(const testkit::XmlElement& window) {
    Lines fills;
    for (const auto* button : window.all("circle", "window-button")) fills.push_back(button->value("fill"));
    return fills;
}

TEST_F(PictureControlsRoadsTest, AWindowInTheBackgroundIsGreyAndOnlyTheKeyWindowsFocusedFieldHasARing) {
    constexpr const char* kGrey = "#545457";
    const Lines allGrey{kGrey, kGrey, kGrey};
    start(kSessions / "default.json");
    openStatusMenu();
    program->send("menu \"Settings…\"");
    auto svg = picture("settings-key.svg");
    const auto sidebarSelection = [](const testkit::XmlElement& drawn) {
        const auto* row = testkit::findWith(drawn, "rect", "selection", "data-value", "General");
        EXPECT_TRUE(row);
        return row ? row->value("fill") : std::string();
    };
    // The key window as before: its buttons in their colours, the sidebar's row in the accent.
    const auto* settings = &window(svg, "Tarnwick Settings");
    EXPECT_EQ(settings->value("data-key"), "true");
    EXPECT_EQ(buttonFills(*settings), (Lines{"#ff5f57", kGrey, "#28c840"}));
    EXPECT_EQ(sidebarSelection(*settings), kAccent);
    const auto onSwitch = [](const testkit::XmlElement& drawn) {
        const auto* on = testkit::findWith(drawn, "rect", "switch", "data-value", "on");
        EXPECT_TRUE(on);
        return on ? on->value("fill") : std::string();
    };
    EXPECT_EQ(onSwitch(*settings), kAccent);

    // With the Desktop Names window key in front, the settings are in the background: all three
    // buttons grey, the selection grey.
    openStatusMenu();
    program->send("menu \"Desktop Names\"");
    EXPECT_EQ(program->send("focus name.00000000-0000-0000-0000-000000000001").back(), "ok");
    EXPECT_EQ(program->send("keys h").back(), "ok");
    svg = picture("names-key.svg");
    settings = &window(svg, "Tarnwick Settings");
    const auto* names = &window(svg, "Desktop Names");
    EXPECT_EQ(settings->value("data-key"), "false");
    EXPECT_EQ(buttonFills(*settings), allGrey);
    EXPECT_EQ(sidebarSelection(*settings), "#464646");
    EXPECT_EQ(onSwitch(*settings), "#6e6e73");  // a switch that is on loses its accent too
    EXPECT_EQ(names->value("data-key"), "true");
    EXPECT_EQ(buttonFills(*names), (Lines{"#ff5f57", "#febc2e", "#28c840"}));

    // One ring in the accent, just around the field that was typed into.
    const auto rings = svg.all("rect", "focus-ring");
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0]->value("stroke"), kAccent);
    EXPECT_EQ(names->all("rect", "focus-ring").size(), 1u);
    const Rect ring = rectOf(*rings[0]);
    const auto* typed = testkit::textShowing(*names, "h");
    ASSERT_TRUE(typed);
    EXPECT_TRUE(ring.contains(Point{testkit::textLeft(*typed), typed->number("y") - 3}));
    std::size_t inside = 0;
    for (const auto* field : names->all("rect", "text-field")) {
        const Rect frame = rectOf(*field);
        if (!ring.contains(frame)) continue;
        ++inside;
        EXPECT_NEAR(frame.minX() - ring.minX(), 1.5, kDrawn);
        EXPECT_NEAR(ring.maxY() - frame.maxY(), 1.5, kDrawn);
    }
    EXPECT_EQ(inside, 1u);

    // With another application in front no window of ours is key: no ring, every button grey.
    EXPECT_EQ(program->send("app activate com.apple.finder").back(), "ok");
    svg = picture("none-key.svg");
    EXPECT_TRUE(svg.all("rect", "focus-ring").empty());
    for (const char* title : {"Tarnwick Settings", "Desktop Names"}) {
        EXPECT_EQ(window(svg, title).value("data-key"), "false") << title;
        EXPECT_EQ(buttonFills(window(svg, title)), allGrey) << title;
    }
    // `screen` still says which field holds the window's focus; only the ring goes.
    EXPECT_TRUE(testkit::printed(program->send("screen"), "textField \"h\" id \"name.00000000-0000-0000-0000-000000000001\" "
                                                          "label \"Desktop 1 on Built-in Retina Display\" focused"));
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

TEST_F(PictureControlsRoadsTest, TheRenamePromptsSaveButtonIsTheAccentedDefault) {
    const fs::path folder = home.path() / "Library/Application Support/Tarnwick";
    fs::create_directories(folder);
    std::ofstream(folder / "names.json") << R"({"version": 1, "names": {"A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D": "Home"}})";
    start(kRoads / "rename.json");
    program->send("mission-control open");
    program->send("wait 1");
    ASSERT_EQ(program->send("option-double-click label 3").back(), "ok");
    const auto svg = picture("prompt.svg");
    const auto* save = testkit::findWith(svg, "rect", "alert-button", "data-value", "Save");
    const auto* cancel = testkit::findWith(svg, "rect", "alert-button", "data-value", "Cancel");
    ASSERT_TRUE(save && cancel);
    EXPECT_EQ(save->value("fill"), kAccent);
    EXPECT_EQ(save->value("data-look"), "accented");
    EXPECT_EQ(cancel->attribute("data-look"), nullptr);
    EXPECT_LE(rectOf(*cancel).maxX(), rectOf(*save).minX());
    const auto* title = testkit::textShowing(svg, "Save", "alert-button-title");
    ASSERT_TRUE(title);
    EXPECT_DOUBLE_EQ(title->number("x"), rectOf(*save).midX());
    // The app's icon at the top left, the message in bold beside it.
    const auto* alert = svg.all("g", "alert").at(0);
    const auto icons = alert->all("g", "icon");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(*icons[0]->attribute("data-app"), "Tarnwick");
    const Rect icon = rectOf(*icons[0]->all("rect", "icon-frame").at(0));
    const auto* message = testkit::textShowing(svg, "Rename Desktop 3", "alert-message");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->value("font-weight"), "700");
    EXPECT_GT(testkit::textLeft(*message), icon.maxX());
    EXPECT_GT(message->number("y"), icon.minY());
    EXPECT_EQ(program->send("alert press \"Cancel\"").back(), "ok");
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

TEST_F(PictureControlsRoadsTest, TheStatusMenusTestingSubmenuOpensUnderThePointerWithItsDisabledRowGrey) {
    start(kSessions / "default.json");
    openStatusMenu("click status-item option");
    // Choosing a disabled row is refused; the menu stays open, its submenu enabled as it opened.
    const Lines refused = program->send("menu \"Testing\" \"Diagnostics\"");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].rfind("error: ", 0), 0u) << refused[0];
    const auto menu = picture("menu.svg");
    ASSERT_EQ(menu.all("g", "menu").size(), 1u);
    const auto* testing = testkit::textShowing(menu, "Testing", "menu-row");
    ASSERT_TRUE(testing);

    std::ostringstream pointer;
    pointer << "pointer " << testing->number("x") + 4 << " " << testing->number("y") - 4;
    EXPECT_EQ(program->send(pointer.str()).back(), "ok");
    const auto open = picture("submenu.svg");
    const auto menus = open.all("g", "menu");
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(open.all("rect", "menu-highlight").size(), 1u);
    const auto* diagnostics = testkit::textShowing(*menus[1], "Diagnostics", "menu-row");
    ASSERT_TRUE(diagnostics);
    EXPECT_TRUE(testkit::insideClass(open, *diagnostics, "disabled"));
    EXPECT_EQ(diagnostics->value("fill"), "#8e8e93");
    const auto* stop = testkit::textShowing(*menus[1], "Stop sample label", "menu-row");
    ASSERT_TRUE(stop);
    EXPECT_FALSE(testkit::insideClass(open, *stop, "disabled"));
    // The submenu stays on the built-in display, beside the menu.
    const Rect outer = rectOf(*menus[0]->all("rect", "menu-frame").at(0));
    const Rect inner = rectOf(*menus[1]->all("rect", "menu-frame").at(0));
    EXPECT_TRUE(Rect(0, 0, 1512, 982).contains(inner));
    // (The picture writes three decimals, so the edges meet within their rounding.)
    EXPECT_TRUE(std::abs(inner.maxX() - outer.minX()) < 0.002 || std::abs(inner.minX() - outer.maxX()) < 0.002)
        << inner.minX() << " " << inner.maxX() << " / " << outer.minX() << " " << outer.maxX();
    program->send("keys escape");
    program->send("quit");
    EXPECT_EQ(program->finish(), 0);
}

}  // namespace
}  // namespace tarnwick
