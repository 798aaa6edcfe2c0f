// The built program as a person meets its windows and its menu bar while displays come and go: a
// resize stops at the display that holds the window, and the menu bar with the status item goes
// to whichever display is the main one, where hovering, clicking and the pointer's resting places
// follow it. The default session: the built-in display (1) at 0 0 1512 982 is main, the Studio
// Display (2) at 1512 -200 2560 1440 beside it.

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/geometry.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/text_expectations.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testkit::printed;

const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
const Rect kBuiltIn(0, 0, 1512, 982);
const Rect kStudio(1512, -200, 2560, 1440);
const char* kPlugBuiltInBackIn = "display add 1 0 0 1512 982 \"Built-in Retina Display\" 3";

bool holds(const Rect& outer, const Rect& inner) {
    return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() && inner.minY() >= outer.minY() &&
           inner.maxY() <= outer.maxY();
}

// The numbers printed after `marker` in the first line holding it ("... at 1 2 3 4 ...").
std::vector<double> numbersAfter(const Lines& lines, const std::string& marker) {
    std::vector<double> numbers;
    for (const auto& line : lines) {
        const auto at = line.find(marker);
        if (at == std::string::npos) continue;
        std::istringstream words(line.substr(at + marker.size()));
        for (double n; words >> n;) numbers.push_back(n);
        break;
    }
    return numbers;
}
std::optional<Rect> frameAfter(const Lines& lines, const std::string& marker) {
    const auto n = numbersAfter(lines, marker);
    if (n.size() < 4) return std::nullopt;
    return Rect(n[0], n[1], n[2], n[3]);
}
std::optional<Point> pointAfter(const Lines& lines, const std::string& marker) {
    const auto n = numbersAfter(lines, marker);
    if (n.size() < 2) return std::nullopt;
    return Point{n[0], n[1]};
}

class DisplayChangesRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(const fs::path& session = kDefaultSession) {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), session, {}, {}, true});
        ready = program->ready();
        EXPECT_EQ(ready.back(), "ready");
        return *program;
    }
    // The picture of the screen now, parsed.
    testkit::XmlElement picture(const std::string& name) {
        const fs::path file = home.path() / name;
        EXPECT_EQ(program->send("screen svg " + file.string()), Lines{"ok"});
        auto parsed = testkit::parseXml(testkit::fileText(file));
        EXPECT_TRUE(parsed) << name;
        return parsed ? std::move(*parsed) : testkit::XmlElement{};
    }
    void quit() {
        program->send("quit");
        EXPECT_EQ(program->finish(), 0);
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
    Lines ready;
};

TEST_F(DisplayChangesRoadsTest, AResizePastTheDisplayStopsAtItsVisibleFrameAndSaysSo) {
    auto& app = start();
    app.send("click status-item");
    app.send("wait 0.5");
    const Lines opened = app.send("menu \"Desktop Names\"");
    const auto shown = frameAfter(opened, "\"Desktop Names\" at ");
    ASSERT_TRUE(shown) << testkit::transcript(opened);

    // Its top left stays; its right edge stops at the display's, its bottom at the display's
    // bottom (the built-in display shows 0 25 1512 957 below its menu bar).
    const Lines resized = app.send("resize \"Desktop Names\" 3000 3000");
    const Rect got(shown->minX(), shown->minY(), 1512 - shown->minX(), 982 - shown->minY());
    ASSERT_GE(resized.size(), 2u) << testkit::transcript(resized);
    EXPECT_EQ(resized[0], "window 600002 \"Desktop Names\" is " + testkit::consoleNumber(got.width()) + " " +
                              testkit::consoleNumber(got.height()) +
                              ": it stops at the visible frame of display 1 \"Built-in Retina Display\", 0 25 1512 957");
    EXPECT_EQ(frameAfter(resized, "\"Desktop Names\" to "), got);
    // Drawn within the display, its footer's Refresh button too.
    const auto drawn = picture("resized.svg");
    const auto* window = drawn.all("g", "window").at(0);
    EXPECT_EQ(testkit::rectOf(*window->all("rect", "window-frame").at(0)), got);
    const auto* refresh = testkit::textShowing(*window, "Refresh");
    ASSERT_NE(refresh, nullptr);
    EXPECT_TRUE(kBuiltIn.contains(Point{refresh->number("x"), refresh->number("y")}));

    // Past the display one way and below the minimum the other: both said, in one line.
    EXPECT_EQ(app.send("resize \"Desktop Names\" 300 3000").front(),
              "window 600002 \"Desktop Names\" is 580 " + testkit::consoleNumber(got.height()) +
                  ": its minimum size is 580 400, and it stops at the visible frame of display 1 \"Built-in Retina "
                  "Display\", 0 25 1512 957");
    // Within the display and above the minimum: only the move.
    const Lines fits = app.send("resize \"Desktop Names\" 700 500");
    EXPECT_FALSE(printed(fits, "is 700 500")) << testkit::transcript(fits);
    EXPECT_EQ(frameAfter(fits, "\"Desktop Names\" to "), Rect(shown->minX(), shown->minY(), 700, 500));
    quit();
}

TEST_F(DisplayChangesRoadsTest, TheMenuBarFollowsTheMainDisplayWhenItIsUnpluggedAndPluggedBackIn) {
    auto& app = start();
    EXPECT_EQ(ready.front(), "@1000.000 status-item shown at 1479 0 25 25");

    // The Studio Display becomes the main one: the status item goes to its top right.
    EXPECT_EQ(app.send("display remove 1"), (Lines{"@1000.000 display removed 1 \"Built-in Retina Display\"",
                                                   "@1000.000 status-item moved to 4039 -200 25 25", "ok"}));
    const Lines screen = app.send("screen");
    EXPECT_TRUE(printed(screen, "status-item at 4039 -200 25 25 symbol \"tag\""));
    // The pointer rested at the built-in display's bottom left: it comes onto the Studio Display.
    EXPECT_TRUE(printed(screen, "pointer at 1512 982")) << testkit::transcript(screen);

    // Hovering opens the overview, hanging below the item on the Studio Display.
    app.send("hover status-item");
    const Lines hovered = app.send("wait 1");
    const auto overview = frameAfter(hovered, "shown window 600001 \"Workstation Overview\" at ");
    ASSERT_TRUE(overview) << testkit::transcript(hovered);
    EXPECT_TRUE(holds(kStudio, *overview));
    EXPECT_GE(overview->minY(), -200 + 25);
    // Unhovering rests the pointer at the main display's bottom left, on it.
    app.send("unhover");
    EXPECT_TRUE(printed(app.send("screen"), "pointer at 1513 1239"));
    app.send("wait 1");

    // The status menu hangs from the item, on the same display.
    app.send("click status-item");
    const Lines clicked = app.send("wait 0.5");
    const auto menu = pointAfter(clicked, "menu opened \"\" at ");
    ASSERT_TRUE(menu) << testkit::transcript(clicked);
    EXPECT_EQ(menu->y, -175);
    EXPECT_TRUE(kStudio.contains(*menu));
    app.send("keys escape");

    // The picture draws the status item where it is, on the display.
    const auto drawn = picture("unplugged.svg");
    const auto frames = drawn.all("rect", "status-item-frame");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(testkit::rectOf(*frames[0]), Rect(4039, -200, 25, 25));
    EXPECT_TRUE(holds(testkit::rectOf(*drawn.all("rect", "display-frame").at(0)), testkit::rectOf(*frames[0])));

    // Plugged back in, the built-in display comes second: the menu bar stays where it is.
    const Lines plugged = app.send(kPlugBuiltInBackIn);
    EXPECT_FALSE(printed(plugged, "status-item moved")) << testkit::transcript(plugged);
    // Unplugging the Studio Display makes the built-in one main again, and the item comes home.
    const Lines cameHome = app.send("display remove 2");
    EXPECT_TRUE(printed(cameHome, "status-item moved to 1479 0 25 25")) << testkit::transcript(cameHome);
    const Lines after = app.send("screen");
    EXPECT_TRUE(printed(after, "status-item at 1479 0 25 25"));
    app.send("hover status-item");
    EXPECT_TRUE(printed(app.send("wait 1"), "shown window 600001 \"Workstation Overview\""));
    quit();
}

// A session whose screens put the Studio Display first: it is the main display from the start,
// and stays so when it comes back after being unplugged.
TEST_F(DisplayChangesRoadsTest, WhicheverDisplayIsMainHoldsTheMenuBar) {
    std::string session = testkit::fileText(kDefaultSession);
    ASSERT_EQ(session.front(), '{');
    session.insert(1, "\"screenOrder\": [2, 1],");
    const fs::path file = home.path() / "studio-first.json";
    std::ofstream(file) << session;
    auto& app = start(file);
    EXPECT_EQ(ready.front(), "@1000.000 status-item shown at 4039 -200 25 25");

    EXPECT_TRUE(printed(app.send("display remove 2"), "status-item moved to 1479 0 25 25"));
    app.send("click status-item");
    const auto menu = pointAfter(app.send("wait 0.5"), "menu opened \"\" at ");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->y, 25);
    EXPECT_TRUE(kBuiltIn.contains(*menu));
    app.send("keys escape");

    EXPECT_TRUE(printed(app.send("display add 2 1512 -200 2560 1440 \"Studio Display\" 4"),
                        "status-item moved to 4039 -200 25 25"));
    quit();
}

// A menu open on the display that goes away closes, as the system ends its tracking; the next
// click opens it under the item where the menu bar is now.
TEST_F(DisplayChangesRoadsTest, AnOpenMenuClosesWhenTheDisplaysChange) {
    auto& app = start();
    app.send("click status-item");
    ASSERT_TRUE(printed(app.send("wait 0.5"), "menu opened \"\" at 1264.024 25"));
    const Lines removed = app.send("display remove 1");
    EXPECT_TRUE(printed(removed, "menu closed \"\"")) << testkit::transcript(removed);
    EXPECT_FALSE(printed(removed, "menu opened")) << testkit::transcript(removed);
    EXPECT_FALSE(printed(app.send("screen"), "menu \"\" at"));
    app.send("click status-item");
    const Lines reopened = app.send("wait 0.5");
    EXPECT_TRUE(printed(reopened, "menu opened \"\" at 3824.024 -175")) << testkit::transcript(reopened);
    quit();
}

}  // namespace
}  // namespace tarnwick
