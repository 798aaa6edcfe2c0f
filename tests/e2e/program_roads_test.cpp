// The roads a person takes through the menu-bar app, driven through the built program with the
// console on virtual time: every step is typed on its standard input and checked in what it
// prints and in the files it leaves behind.

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/sim_alerts.h"
#include "platform/ui/text_metrics.h"
#include "support/geometry.h"
#include "support/json.h"
#include "testkit/console_process.h"
#include "testkit/picture_reading.h"
#include "testkit/temp_folder.h"
#include "testkit/text_expectations.h"
#include "testkit/xml_document.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kRoads = fs::path(TARNWICK_SOURCE_DIR) / "tests/e2e/roads";
const fs::path kDefaultSession = fs::path(TARNWICK_SOURCE_DIR) / "sessions/default.json";
// Desktop 3, the last desktop of the built-in display, in the default session.
constexpr const char* kDesktop3 = "A0B1C2D3-E4F5-4A6B-8C7D-9E0F1A2B3C4D";
constexpr const char* kBuiltInDisplay = "37D8832A-2D66-02CA-B9F7-8F30A301B230";

std::string readFile(const fs::path& path) { return testkit::fileText(path); }

// The saved names, as the names file keeps them.
void saveNames(const testkit::TempFolder& home, const std::string& names) {
    const auto folder = home.path() / "Library/Application Support/Tarnwick";
    fs::create_directories(folder);
    std::ofstream(folder / "names.json") << R"({"version": 1, "names": )" << names << "}";
}

std::optional<Value> savedNames(const testkit::TempFolder& home) {
    return json::parse(readFile(home.path() / "Library/Application Support/Tarnwick/names.json"));
}

// The "event" of the permission snapshot file, or "" when there is none.
std::string snapshotEvent(const testkit::TempFolder& home) {
    const auto parsed = json::parse(readFile(home.path() / "Library/Logs/Tarnwick/permission-state.json"));
    const Value* event = parsed ? parsed->find("event") : nullptr;
    return event && event->asString() ? *event->asString() : std::string();
}

bool hasPrefix(const Lines& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

// The line of a label shown over a desktop's caption centred at `middle` in the collapsed bar.
std::string labelOverCaption(const std::string& window, double middle, const std::string& caption,
                             const std::string& name) {
    const double width = testkit::labelWidthOverCaption(caption);
    return "shown window " + window + " \"\" at " + testkit::consoleNumber(middle - width / 2) + " 0 " +
           testkit::consoleNumber(width) + " 24 level 1000 texts \"" + name + "\"";
}

// The frame of a drawn rectangle.
Rect frameOf(const testkit::XmlElement& rect) {
    return Rect(rect.number("x"), rect.number("y"), rect.number("width"), rect.number("height"));
}

// A text's anchor: its left end on its baseline.
Point anchorOf(const testkit::XmlElement& text) { return Point{text.number("x"), text.number("y")}; }

bool holds(const Rect& outer, const Rect& inner) {
    return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() && inner.minY() >= outer.minY() &&
           inner.maxY() <= outer.maxY();
}

// Where a line of text lies: its measured width from its anchor (a right-to-left line starts at
// its right end), the line as high as the text system sets the font, around its baseline.
Rect extentOf(const testkit::XmlElement& text) {
    auto& metrics = platform::ui::systemFontMetrics();
    const double width = text.number("textLength"), size = text.number("font-size");
    const std::string* family = text.attribute("font-family");
    const auto font = family && *family == "DejaVu Sans Mono" ? platform::ui::Font::monospacedSystem(size)
                                                              : platform::ui::Font::system(size);
    const std::string* anchorAttribute = text.attribute("text-anchor");
    const std::string* direction = text.attribute("direction");
    std::string anchor = anchorAttribute ? *anchorAttribute : "start";
    if (direction && *direction == "rtl" && anchor != "middle") anchor = anchor == "start" ? "end" : "start";
    const double left = text.number("x") - (anchor == "start" ? 0 : anchor == "middle" ? width / 2 : width);
    return Rect(left, text.number("y") - metrics.firstBaselineOffset(font), width, metrics.defaultLineHeight(font));
}

// Whether `later` comes after `earlier` in the document, so it is drawn over it.
bool drawnAfter(const testkit::XmlElement& root, const testkit::XmlElement& earlier, const testkit::XmlElement& later) {
    std::vector<const testkit::XmlElement*> toEarlier, toLater;
    if (!testkit::pathDown(root, &earlier, toEarlier) || !testkit::pathDown(root, &later, toLater)) return false;
    // Where the two paths part, the later one's branch must come after the earlier one's.
    std::size_t depth = 0;
    while (depth + 1 < toEarlier.size() && depth + 1 < toLater.size() && toEarlier[depth + 1] == toLater[depth + 1]) ++depth;
    if (depth + 1 >= toEarlier.size() || depth + 1 >= toLater.size()) return false;
    return toEarlier[depth + 1] < toLater[depth + 1];  // siblings are stored in document order
}

// Nothing a window draws shows outside its frame, and each text shows within what clips it.
void expectEverythingInside(const testkit::XmlElement& picture, const testkit::XmlElement& window) {
    const Rect frame = frameOf(*window.all("rect", "window-frame").at(0));
    for (const auto* rect : window.all("rect")) {
        if (rect->value("class") == "window-frame" || rect->value("class") == "clip") continue;
        const Rect shown = testkit::shownPart(picture, *rect, frameOf(*rect));
        EXPECT_TRUE(shown.isNull() || holds(frame, shown)) << rect->value("class") << " " << frame.minX();
    }
    for (const auto* text : window.all("text")) {
        const Rect shown = testkit::shownPart(picture, *text, extentOf(*text));
        EXPECT_TRUE(shown.isNull() || holds(frame, shown)) << text->text;
    }
}

class ProgramRoadsTest : public ::testing::Test {
protected:
    testkit::ConsoleProcess& start(const fs::path& session, std::vector<std::string> arguments = {}) {
        program = std::make_unique<testkit::ConsoleProcess>(
            testkit::ConsoleProcess::Options{home.path(), session, std::move(arguments), {}, true});
        const Lines ready = program->ready();
        EXPECT_EQ(ready.back(), "ready");
        return *program;
    }
    // Opens the status menu as a click does (it waits out the double-click interval).
    void openStatusMenu() {
        EXPECT_EQ(program->send("click status-item").back(), "ok");
        EXPECT_TRUE(hasPrefix(program->send("wait 0.5"), "@"));
    }

    testkit::TempFolder home;
    std::unique_ptr<testkit::ConsoleProcess> program;
};

// Road 9: whatever a person types wrong gets one error line and changes nothing on screen.
TEST_F(ProgramRoadsTest, BadInputOfEveryKindChangesNothing) {
    auto& app = start(kDefaultSession);
    const Lines before = app.send("screen");
    const Lines bad{
        "fly away",                       // an unknown command
        "switch",                         // a missing word
        "switch two",                     // a malformed one
        "switch 9",                       // no such desktop
        "click label 2",                  // nothing on screen to click
        "menu \"Quit Tarnwick\"",         // no menu open
        "alert press \"Save\"",           // no alert
        "press settings-page.general",    // no window
        "type \"unclosed",                // an unclosed quote
        std::string(5000, 'x'),           // over 4,096 bytes
        "switch \xC3\x28",                // not UTF-8
    };
    for (const auto& line : bad) {
        const Lines answer = app.send(line);
        ASSERT_EQ(answer.size(), 1u) << line;
        EXPECT_EQ(answer[0].rfind("error: ", 0), 0u) << line << " -> " << answer[0];
    }
    EXPECT_EQ(app.send("screen"), before);
    EXPECT_EQ(app.send("quit").back(), "@1000.000 application ended with status 0");
    EXPECT_EQ(app.finish(), 0);
    EXPECT_EQ(app.standardError(), "");
}

// Road 6: locking, sleeping and the Dock's restart take the labels down and bring them back, the
// permission snapshot saying so after each step; quitting from the menu ends with status 0.
TEST_F(ProgramRoadsTest, LockSleepAndADockRestartTakeTheLabelsDownAndBringThemBack) {
    saveNames(home, std::string(R"({")") + kDesktop3 + R"(": "Home"})");
    auto& app = start(kRoads / "lifecycle.json");
    EXPECT_EQ(snapshotEvent(home), "launch");
    const std::string label = labelOverCaption("600002", 936, "Desktop 3", "Home");
    const std::string gone = "hidden window 600002 \"\"";
    app.send("mission-control open");
    EXPECT_EQ(app.send("wait 1"), (Lines{"@1000.225 " + label, "ok"}));

    EXPECT_EQ(app.send("lock"), (Lines{"@1001.000 " + gone, "ok"}));
    EXPECT_EQ(snapshotEvent(home), "locked");
    EXPECT_EQ(app.send("unlock"), Lines{"ok"});
    EXPECT_EQ(app.send("wait 1"), (Lines{"@1001.325 " + label, "ok"}));
    EXPECT_EQ(snapshotEvent(home), "environment-recovered");

    EXPECT_EQ(app.send("sleep"), (Lines{"@1002.000 " + gone, "ok"}));
    EXPECT_EQ(snapshotEvent(home), "sleep");
    app.send("wake");
    EXPECT_EQ(app.send("wait 1"), (Lines{"@1002.325 " + label, "ok"}));
    EXPECT_EQ(snapshotEvent(home), "environment-recovered");

    // The Dock draws Mission Control: its restart starts the overlays afresh.
    app.send("screen");  // the snapshot is rewritten by the restart; mark where it stood
    EXPECT_EQ(app.send("app restart com.apple.dock"), (Lines{"@1003.000 " + gone, "ok"}));
    EXPECT_EQ(app.send("wait 1"), (Lines{"@1003.325 " + label, "ok"}));
    EXPECT_EQ(snapshotEvent(home), "environment-recovered");

    app.send("mission-control close");
    openStatusMenu();
    EXPECT_EQ(app.send("menu \"Quit Tarnwick\"").back(), "ok");
    EXPECT_EQ(app.finish(), 0);
    EXPECT_EQ(app.rest().back(), "@1004.500 application ended with status 0");
    EXPECT_FALSE(snapshotEvent(home).empty());
    EXPECT_EQ(app.standardError(), "");
}

// Road 1: a desktop switch shows the banner with the desktop's name on that display, gone after
// its duration and fade.
TEST_F(ProgramRoadsTest, ADesktopSwitchShowsItsBannerOnItsDisplayForItsDuration) {
    auto& app = start(kRoads / "banner.json");
    EXPECT_EQ(app.send("switch 6"), (Lines{"@1000.000 desktop switched on display 2 to \"Desktop 6\"", "ok"}));
    EXPECT_EQ(app.send("wait 1"),
              (Lines{"@1000.120 shown window 600002 \"Space Name\" at " +
                         testkit::consoleNumber(2792 - testkit::bannerWidth("Desktop 6") / 2) + " 1164 " +
                         testkit::consoleNumber(testkit::bannerWidth("Desktop 6")) + " 44 level 3 texts \"Desktop 6\"",
                     "ok"}));
    // Inside the studio display (1512, -200, 2560 x 1440), at its bottom.
    EXPECT_EQ(app.send("wait 1"), Lines{"ok"});
    EXPECT_EQ(app.send("wait 1"), (Lines{"@1002.320 hidden window 600002 \"Space Name\"", "ok"}));
    EXPECT_EQ(app.send("quit").back(), "@1003.000 application ended with status 0");
    EXPECT_EQ(app.finish(), 0);
}

// Road 3: an Option-double-click on a label asks for the new name; saved, it is in the names
// file and on the label.
TEST_F(ProgramRoadsTest, RenamingThroughALabelSavesTheNameAndShowsIt) {
    saveNames(home, std::string(R"({")") + kDesktop3 + R"(": "Home"})");
    auto& app = start(kRoads / "rename.json");
    app.send("mission-control open");
    app.send("wait 1");
    EXPECT_EQ(app.send("option-double-click label 3"),
              (Lines{"@1001.000 hidden window 600002 \"\"",
                     "@1001.000 alert \"Rename Desktop 3\" informative \"Built-in Retina Display\\nLeave the name blank "
                     "to use its default.\" field \"Home\" buttons \"Save\" \"Cancel\"",
                     "ok"}));
    // Drawn, the field is the prompt's own 280 x 24 and a name too long for it is cut short inside.
    EXPECT_EQ(app.send("alert type \"A name far too long for the field of the rename prompt to show\""), Lines{"ok"});
    EXPECT_EQ(app.send("screen svg " + (home.path() / "prompt.svg").string()), Lines{"ok"});
    const auto prompt = testkit::parseXml(readFile(home.path() / "prompt.svg"));
    ASSERT_TRUE(prompt);
    const Rect field = frameOf(*prompt->all("rect", "alert-field").at(0));
    EXPECT_EQ(field.size, (Size{280, 24}));
    EXPECT_TRUE(holds(frameOf(*prompt->all("rect", "alert-frame").at(0)), field));
    const auto* typed = prompt->all("text", "alert-field-text").at(0);
    EXPECT_EQ(typed->text, testkit::cutToFit("A name far too long for the field of the rename prompt to show",
                                             280 - 2 * sim::SimAlerts::kFieldTextInset,
                                             platform::ui::Font::system(sim::SimAlerts::kFieldFontSize)));
    EXPECT_TRUE(holds(field, extentOf(*typed)));
    EXPECT_EQ(app.send("alert type \"Work\""), Lines{"ok"});
    EXPECT_EQ(app.send("alert press \"Save\""), (Lines{"@1001.000 alert closed with \"Save\"", "ok"}));
    const auto names = savedNames(home);
    ASSERT_TRUE(names && names->find("names"));
    EXPECT_EQ(*names->find("names")->find(kDesktop3), Value("Work"));
    EXPECT_EQ(app.send("wait 1"),
              (Lines{"@1001.125 " + labelOverCaption("600002", 936, "Desktop 3", "Work"), "ok"}));
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

using testkit::printed;

// In real time: lets time pass a tenth of a second at a time, ten seconds at most, until a line
// holding the text is printed; the command given is sent instead half a second in and every two
// seconds after.
bool waitUntilPrinted(testkit::ConsoleProcess& app, const std::string& text, const std::string& retried = {}) {
    for (int step = 0; step < 100; ++step)
        if (printed(app.send(!retried.empty() && step % 20 == 5 ? retried : "wait 0.1"), text)) return true;
    return false;
}

// In real time as on virtual time, the end of input while the rename prompt waits dismisses it
// as Escape does (the typed draft is not saved) and ends the run as quit does. A program that
// went on waiting is killed once it has said nothing for ten seconds.
TEST_F(ProgramRoadsTest, TheEndOfInputWhileTheRenamePromptWaitsInRealTimeCancelsItAndEnds) {
    saveNames(home, std::string(R"({")") + kDesktop3 + R"(": "Home"})");
    program = std::make_unique<testkit::ConsoleProcess>(
        testkit::ConsoleProcess::Options{home.path(), kRoads / "rename.json", {}, {}, false, 10});
    auto& app = *program;
    ASSERT_EQ(app.ready().back(), "ready");
    app.send("mission-control open");
    ASSERT_TRUE(waitUntilPrinted(app, "texts \"Home\""));
    // A label lets clicks through while it appears: the double-click is tried until the prompt shows.
    ASSERT_TRUE(waitUntilPrinted(app, "alert \"Rename Desktop 3\"", "option-double-click label 3"));
    EXPECT_EQ(app.send("alert type \"Draft\""), Lines{"ok"});
    app.closeInput();
    EXPECT_EQ(app.finish(), 0);
    EXPECT_FALSE(app.readFailed());
    EXPECT_TRUE(printed(app.rest(), "alert closed with \"Cancel\""));
    ASSERT_FALSE(app.rest().empty());
    EXPECT_TRUE(printed({app.rest().back()}, "application ended with status 0"));
    const auto names = savedNames(home);
    ASSERT_TRUE(names && names->find("names"));
    EXPECT_EQ(*names->find("names")->find(kDesktop3), Value("Home"));
}

// In real time a command is answered once what it set going has run, on worker threads too: the
// prompt an Option-double-click asks for shows before the click is answered, so a name typed into
// it in the same write is saved, every time.
TEST_F(ProgramRoadsTest, InRealTimeTheRenamePromptShowsBeforeTheDoubleClickIsAnsweredSoATypedAheadNameIsSaved) {
    for (int run = 0; run < 3; ++run) {
        testkit::TempFolder runHome;
        saveNames(runHome, std::string(R"({")") + kDesktop3 + R"(": "Home"})");
        testkit::ConsoleProcess app({runHome.path(), kRoads / "rename.json", {}, {}, false, 10});
        ASSERT_EQ(app.ready().back(), "ready");
        app.send("mission-control open");
        ASSERT_TRUE(waitUntilPrinted(app, "texts \"Home\""));
        app.send("wait 0.5");  // a label takes clicks once it has appeared
        const Lines typed = app.sendAll({"option-double-click label 3", "alert type \"Draft\"", "alert press \"Save\""}, 3);
        ASSERT_GE(typed.size(), 5u);
        const Lines answers(typed.end() - 5, typed.end());
        EXPECT_TRUE(printed({answers[0]}, "alert \"Rename Desktop 3\"")) << run << ": " << answers[0];
        EXPECT_EQ(answers[1], "ok");
        EXPECT_EQ(answers[2], "ok");
        EXPECT_TRUE(printed({answers[3]}, "alert closed with \"Save\"")) << answers[3];
        EXPECT_EQ(answers[4], "ok");
        app.send("wait 0.5");
        app.send("quit");
        EXPECT_EQ(app.finish(), 0);
        const auto names = savedNames(runHome);
        ASSERT_TRUE(names && names->find("names"));
        EXPECT_EQ(*names->find("names")->find(kDesktop3), Value("Draft")) << run;
    }
}

// Road 8: a friendly name typed into the settings and never committed is saved when a signal
// ends the program, which then exits 0.
TEST_F(ProgramRoadsTest, ASignalKeepsATypedFriendlyName) {
    auto& app = start(kRoads / "friendly-name.json");
    openStatusMenu();
    EXPECT_TRUE(hasPrefix(app.send("menu \"Settings…\""), "@1000.500 shown window 600002 \"Tarnwick Settings\""));
    EXPECT_EQ(app.send("press settings-page.desktopNames").back(), "ok");
    EXPECT_EQ(app.send(std::string("type display-alias.") + kBuiltInDisplay + " \"Laptop\"").back(), "ok");
    app.signal(SIGTERM);
    EXPECT_EQ(app.finish(), 0);
    EXPECT_EQ(app.rest().back(), "@1000.500 application ended with status 0");
    const auto defaults = json::parse(readFile(home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json"));
    ASSERT_TRUE(defaults);
    const std::string text = readFile(home.path() / "Library/Preferences/local.orlenbay.Tarnwick.json");
    EXPECT_NE(text.find("displayAliases"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Laptop\""), std::string::npos) << text;
}

// Road 7: the hidden Testing menu, revealed by an Option-click, records Mission Control's
// geometry for 15 seconds: one file of 30 samples, and its status row says so.
TEST_F(ProgramRoadsTest, TheTestingMenuRecordsMissionControlGeometryForFifteenSeconds) {
    auto& app = start(kRoads / "geometry-recording.json");
    EXPECT_EQ(app.send("click status-item option").back(), "ok");
    EXPECT_TRUE(hasPrefix(app.send("wait 0.5"), "@1000.500 menu opened"));
    EXPECT_EQ(app.send("menu \"Testing\" \"Record Mission Control geometry (15 seconds)\"").back(), "ok");
    app.send("mission-control open");  // samples taken while it opens and while it is open
    app.send("wait 15");
    std::vector<fs::path> recordings;
    for (const auto& entry : fs::directory_iterator(home.path() / "Library/Logs/Tarnwick"))
        if (entry.path().filename().string().rfind("mission-control-", 0) == 0) recordings.push_back(entry.path());
    ASSERT_EQ(recordings.size(), 1u);
    const std::string name = recordings[0].filename().string();
    EXPECT_EQ(name.size(), std::string("mission-control-").size() + 36 + std::string(".json").size()) << name;
    const auto recording = json::parse(readFile(recordings[0]));
    ASSERT_TRUE(recording);
    const Value* samples = recording->find("samples");
    ASSERT_TRUE(samples && samples->asArray()) << readFile(recordings[0]).substr(0, 300);
    EXPECT_EQ(samples->asArray()->size(), 30u);

    app.send("mission-control close");
    app.send("click status-item option");
    app.send("wait 0.5");
    const Lines screen = app.send("screen");
    ASSERT_TRUE(hasPrefix(screen, "  submenu \"Testing\" rows "));
    for (const auto& line : screen) {
        if (line.rfind("  submenu \"Testing\" rows ", 0) == 0) {
            EXPECT_EQ(line.rfind("  submenu \"Testing\" rows \"Diagnostic saved\"", 0), 0u) << line;
        }
    }
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

// Road 10: the pictures of the screen during a banner and with Mission Control's labels: every
// display at its frame, the banner's text inside its panel inside its display, the labels over
// their captions, a name with XML's own characters kept as text, and a name too long for its
// banner cut short with "…" inside it.
TEST_F(ProgramRoadsTest, PicturesOfTheScreenPlaceTheBannerAndTheLabelsWhereTheyAre) {
    const std::string name = "<b>&\"";
    const std::string longName = "Desktop with a very long name that goes on and on for seventy characters";
    // Desktop 6, the last desktop of the studio display.
    saveNames(home, std::string(R"({")") + kDesktop3 + R"(": "<b>&\"", "3A4F5E6D-7C8B-49AA-B9C8-D7E6F5A4B303": ")" +
                        longName + R"("})");
    auto& app = start(kRoads / "screen-pictures.json");
    app.send("switch 6");
    app.send("wait 0.5");
    EXPECT_EQ(app.send("screen svg " + (home.path() / "banner.svg").string()), Lines{"ok"});
    app.send("wait 3");
    app.send("mission-control open");
    app.send("wait 1");
    EXPECT_EQ(app.send("screen svg " + (home.path() / "labels.svg").string()), Lines{"ok"});
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);

    std::string problem;
    const auto banner = testkit::parseXml(readFile(home.path() / "banner.svg"), &problem);
    ASSERT_TRUE(banner) << problem;
    const auto displays = banner->all("rect", "display-frame");
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(frameOf(*displays[0]), Rect(0, 0, 1512, 982));
    const Rect studio(1512, -200, 2560, 1440);
    EXPECT_EQ(frameOf(*displays[1]), studio);
    const auto windows = banner->all("g", "window");
    ASSERT_EQ(windows.size(), 1u);
    const Rect panel = frameOf(*windows[0]->all("rect", "window-frame").at(0));
    EXPECT_TRUE(holds(studio, panel));
    // The banner is clear: its glass draws its rounded shape, no frame around it.
    EXPECT_EQ(windows[0]->all("rect", "window-frame").at(0)->attribute("stroke"), nullptr);
    EXPECT_GT(windows[0]->all("rect", "glass").at(0)->number("rx"), 0);
    const auto texts = windows[0]->all("text", "text");
    ASSERT_EQ(texts.size(), 1u);
    const std::string shown = texts[0]->text;
    ASSERT_GT(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "…");
    EXPECT_EQ(longName.rfind(shown.substr(0, shown.size() - 3), 0), 0u) << shown;
    EXPECT_TRUE(holds(panel, extentOf(*texts[0]))) << shown;
    expectEverythingInside(*banner, *windows[0]);

    const auto labels = testkit::parseXml(readFile(home.path() / "labels.svg"), &problem);
    ASSERT_TRUE(labels) << problem;
    const auto captions = labels->all("text", "caption");
    const auto captionFrames = labels->all("rect", "caption-frame");
    ASSERT_EQ(captions.size(), captionFrames.size());
    const auto captionFrame = [&](const std::string& title) {
        for (std::size_t index = 0; index < captions.size(); ++index)
            if (captions[index]->text == title) return frameOf(*captionFrames[index]);
        ADD_FAILURE() << "no caption " << title;
        return Rect();
    };
    const auto labelWindows = labels->all("g", "window");
    ASSERT_EQ(labelWindows.size(), 2u);
    std::vector<std::string> named;
    for (const auto* window : labelWindows) {
        const Rect label = frameOf(*window->all("rect", "window-frame").at(0));
        const auto labelTexts = window->all("text", "text");
        ASSERT_FALSE(labelTexts.empty());
        named.push_back(labelTexts[0]->text);
        for (const auto* text : labelTexts) EXPECT_TRUE(holds(label, extentOf(*text))) << text->text;
        EXPECT_TRUE(holds(label, captionFrame(labelTexts[0]->text == name ? "Desktop 3" : "Desktop 6")));
        EXPECT_TRUE(label.contains(anchorOf(*labelTexts[0])));
        // Its glass, grown past the label when it is not the current desktop's, shows only within
        // the label's rounded bounds.
        const auto* glass = window->all("rect", "glass").at(0);
        EXPECT_TRUE(holds(label, testkit::shownPart(*labels, *glass, frameOf(*glass))));
        if (!holds(label, frameOf(*glass))) {
            const auto clips = testkit::clipsAround(*labels, *glass);
            EXPECT_TRUE(std::any_of(clips.begin(), clips.end(), [&](const auto* clip) {
                return frameOf(*clip) == label && clip->attribute("rx") && clip->number("rx") > 0;
            })) << named.back();
        }
        expectEverythingInside(*labels, *window);
    }
    EXPECT_NE(std::find(named.begin(), named.end(), name), named.end());
}

// Road 4: resting on the status item opens the overview under it; pressing a desktop of the
// other display switches to it through Mission Control; the global shortcut toggles the overview
// at the pointer.
TEST_F(ProgramRoadsTest, TheOverviewOpensUnderTheStatusItemSwitchesDesktopsAndFollowsTheShortcut) {
    auto& app = start(kRoads / "overview.json");
    app.send("hover status-item");
    const Lines shown = app.send("wait 1");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].rfind("@1000.350 shown window 600001 \"Workstation Overview\" at 1144 33 360 560 level 101 ", 0), 0u)
        << shown[0];
    EXPECT_EQ(app.send("screen svg " + (home.path() / "overview.svg").string()), Lines{"ok"});

    EXPECT_EQ(app.send("in \"Workstation Overview\" press switch-space.2F3E4D5C-6B7A-4899-A8B7-C6D5E4F3A202"),
              (Lines{"@1001.000 mission-control opened", "@1001.000 hidden window 600001 \"Workstation Overview\"", "ok"}));
    const Lines switched = app.send("wait 1");
    ASSERT_GE(switched.size(), 3u);
    EXPECT_EQ(switched[0], "@1001.250 desktop switched on display 2 to \"Desktop 5\"");
    EXPECT_EQ(switched[1], "@1001.450 mission-control closed");

    app.send("wait 2");
    app.send("pointer 300 300");
    const Lines opened = app.send("keys ctrl-opt-cmd-w");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].rfind("@1004.000 shown window 600001 \"Workstation Overview\" at 312 312 360 560 ", 0), 0u) << opened[0];
    // The keyboard's selection shows as the overview shows it, a little larger: the current
    // desktop's row when it opens, then the app icon Tab moves to.
    const auto shows = [](const Lines& screen, const std::string& line) {
        return std::find(screen.begin(), screen.end(), line) != screen.end();
    };
    const std::string desktop1 = "00000000-0000-0000-0000-000000000001";
    Lines screen = app.send("screen");
    EXPECT_TRUE(shows(screen, "              button \"Desktop 1\" \"Current\" value \"Current desktop\" id \"switch-space." + desktop1 +
                                  "\" label \"Switch to Desktop 1 on Built-in Retina Display\" focused"));
    EXPECT_TRUE(shows(screen, "                  stack scale 1.04"));
    EXPECT_EQ(app.send("screen svg " + (home.path() / "row.svg").string()), Lines{"ok"});
    app.send("keys tab");
    screen = app.send("screen");
    EXPECT_TRUE(shows(screen, "                component id \"open-overview-app." + desktop1 +
                                  ".com.apple.finder\" label \"Open Finder on Desktop 1 on Built-in Retina Display\" focused"));
    EXPECT_TRUE(shows(screen, "                    image icon \"Finder\" scale 1.08"));
    EXPECT_FALSE(shows(screen, "                  stack scale 1.04"));
    EXPECT_EQ(app.send("screen svg " + (home.path() / "icon.svg").string()), Lines{"ok"});
    EXPECT_EQ(app.send("keys ctrl-opt-cmd-w"), (Lines{"@1004.000 hidden window 600001 \"Workstation Overview\"", "ok"}));
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);

    // In the picture the overview hangs under the status item.
    std::string problem;
    const auto picture = testkit::parseXml(readFile(home.path() / "overview.svg"), &problem);
    ASSERT_TRUE(picture) << problem;
    const auto item = picture->all("rect", "status-item-frame");
    ASSERT_EQ(item.size(), 1u);
    const Rect itemFrame = frameOf(*item[0]);
    const auto windows = picture->all("g", "window");
    ASSERT_EQ(windows.size(), 1u);
    const Rect overview = frameOf(*windows[0]->all("rect", "window-frame").at(0));
    EXPECT_GE(overview.minY(), itemFrame.maxY());
    EXPECT_LE(overview.minX(), itemFrame.midX());
    EXPECT_GE(overview.maxX(), itemFrame.midX());

    // The selected row's title and the selected icon are drawn larger than their neighbours.
    const auto row = testkit::parseXml(readFile(home.path() / "row.svg"));
    ASSERT_TRUE(row);
    std::map<std::string, double> titleSizes;
    for (const auto* text : row->all("text", "text")) titleSizes[text->text] = text->number("font-size");
    EXPECT_NEAR(titleSizes["Desktop 1"], titleSizes["Desktop 2"] * 1.04, 0.01);
    const auto icons = testkit::parseXml(readFile(home.path() / "icon.svg"));
    ASSERT_TRUE(icons);
    std::vector<double> sides;
    for (const auto* icon : icons->all("rect", "icon-frame")) sides.push_back(icon->number("width"));
    ASSERT_GE(sides.size(), 2u);
    EXPECT_NEAR(sides[0], sides[1] * 1.08, 0.01);  // Desktop 1's Finder beside its Terminal
}

// What controls, the status item and its menu hold shows in `screen` and in the picture: the
// status item's symbol, the menu kept on its display with its submenu row marked, the shortcut
// recorder's shortcut, the tint well's colour, and a window resized below its minimum size.
TEST_F(ProgramRoadsTest, TheScreenAndItsPictureShowWhatControlsTheStatusItemAndItsMenuHold) {
    auto& app = start(kDefaultSession);
    const auto shows = [](const Lines& screen, const std::string& line) {
        return std::find(screen.begin(), screen.end(), line) != screen.end();
    };
    const auto picture = [&](const std::string& name) {
        EXPECT_EQ(app.send("screen svg " + (home.path() / name).string()), Lines{"ok"});
        auto parsed = testkit::parseXml(readFile(home.path() / name));
        EXPECT_TRUE(parsed);
        return parsed.value_or(testkit::XmlElement{});
    };
    EXPECT_TRUE(shows(app.send("screen"), "status-item at 1479 0 25 25 symbol \"tag\""));
    app.send("click status-item option");
    // A menu as wide as its rows, moved left so it stays on the built-in display.
    const Lines opened = app.send("wait 0.5");
    const auto menu = picture("menu.svg");
    // The status item's symbol, and the chevron of the row that opens the Testing menu.
    std::vector<std::string> symbols;
    for (const auto* symbol : menu.all("g", "symbol")) symbols.push_back(symbol->value("data-symbol"));
    EXPECT_EQ(symbols, (Lines{"tag", "chevron.right"}));
    const Rect frame = frameOf(*menu.all("rect", "menu-frame").at(0));
    EXPECT_TRUE(hasPrefix(opened, "@1000.500 menu opened \"\" at " + testkit::consoleNumber(frame.minX()) + " 25 rows "));
    EXPECT_EQ(frame.minY(), 25);
    EXPECT_EQ(frame.maxX(), 1512);  // its right edge at the display's
    EXPECT_LT(frame.minX(), 1479);  // left of the status item that opened it
    EXPECT_TRUE(holds(Rect(0, 0, 1512, 982), frame));
    // The row that opens a submenu carries its arrow, on its line.
    const auto arrows = menu.all("g", "menu-submenu-arrow");
    ASSERT_EQ(arrows.size(), 1u);
    const auto* chevron = testkit::symbolNamed(*arrows[0], "chevron.right");
    ASSERT_TRUE(chevron);
    const double arrowMiddle = testkit::pathExtent(*chevron->all("path").at(0)).midY();
    for (const auto* row : menu.all("text", "menu-row"))
        EXPECT_EQ(std::abs(row->number("y") - 4 - arrowMiddle) < 4, row->text == "Testing") << row->text;

    app.send("keys escape");
    openStatusMenu();
    app.send("menu \"Settings…\"");
    // A page's control as `screen` lists it, and the attribute of the first shape of its kind drawn
    // (the recorder's bezel comes before its buttons'; the picture is kept while its elements are
    // read).
    const auto listedAndDrawn = [&](const std::string& page, const std::string& line, const std::string& file,
                                    const std::string& shape, const std::string& attribute) {
        app.send("set \"Settings sections\" " + page);
        EXPECT_TRUE(shows(app.send("screen"), line)) << line;
        const auto drawn = picture(file);
        const auto shapes = drawn.all("rect", shape);
        EXPECT_FALSE(shapes.empty()) << shape;
        const std::string* value = shapes.empty() ? nullptr : shapes[0]->attribute(attribute);
        return value ? *value : std::string();
    };
    EXPECT_EQ(listedAndDrawn("Overview",
                             "                    bridged \"⌃⌥⌘W\" id \"overview-shortcut-recorder\" label \"Workstation "
                             "Overview keyboard shortcut\"",
                             "recorder.svg", "button", "data-value"),
              "⌃⌥⌘W");
    EXPECT_EQ(listedAndDrawn("Banner", "                colorWell \"#598CFF\" id \"banner-tint-color\" label \"Tint color\" disabled",
                             "banner.svg", "color-well", "fill"),
              "#598CFF");

    // A resize below the minimum stops there and says so.
    const Lines resized = app.send("resize \"Tarnwick Settings\" 200 500");
    ASSERT_GE(resized.size(), 2u);
    EXPECT_EQ(resized[0], "window 600002 \"Tarnwick Settings\" is 380 500: its minimum size is 380 320");
    EXPECT_EQ(resized[1], "@1001.000 moved window 600002 \"Tarnwick Settings\" to 376 223.5 380 500");
    EXPECT_EQ(frameOf(*picture("narrow.svg").all("rect", "window-frame").at(0)), Rect(376, 223.5, 380, 500));
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

// Road 5, from the example the README walks through (its script puts the disk image's copy in
// place): a copy started from a disk image asks to be installed; "Install and Open" installs it
// (into the user's Applications folder, the machine's being closed to us), opens the installed
// copy on its settings, and ends with status 0.
TEST_F(ProgramRoadsTest, ACopyOnADiskImageInstallsItselfAndOpensTheInstalledCopy) {
    const fs::path script = fs::path(TARNWICK_SOURCE_DIR) / "tools/install-example.sh";
    ASSERT_EQ(std::system(("'" + script.string() + "' '" + home.path().string() + "' > /dev/null").c_str()), 0);
    program = std::make_unique<testkit::ConsoleProcess>(testkit::ConsoleProcess::Options{
        home.path(), fs::path(TARNWICK_SOURCE_DIR) / "sessions/install.json", {}, {}, true});
    const Lines asked = program->ready();
    ASSERT_FALSE(asked.empty());
    // The dialog is drawn where it shows: centred on the main display, its buttons inside it.
    EXPECT_EQ(program->send("screen svg " + (home.path() / "install.svg").string()), Lines{"ok"});
    const auto picture = testkit::parseXml(readFile(home.path() / "install.svg"));
    ASSERT_TRUE(picture);
    const Rect display = frameOf(*picture->all("rect", "display-frame").at(0));
    const Rect dialog = frameOf(*picture->all("rect", "alert-frame").at(0));
    EXPECT_EQ(dialog.midX(), display.midX());
    EXPECT_NEAR(dialog.midY(), display.midY(), 25);  // centred below the menu bar
    const auto buttons = picture->all("rect", "alert-button");
    ASSERT_EQ(buttons.size(), 2u);
    for (const auto* button : buttons) EXPECT_TRUE(holds(dialog, frameOf(*button)));
    // It shows the icon of the copy it installs, and its message in bold.
    const auto icons = picture->all("g", "alert").at(0)->all("g", "icon");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(*icons[0]->attribute("data-app"), "Tarnwick");
    EXPECT_TRUE(holds(dialog, frameOf(*icons[0]->all("rect", "icon-frame").at(0))));
    EXPECT_EQ(*picture->all("text", "alert-message").at(0)->attribute("font-weight"), "700");
    Lines pressed = program->send("alert press \"Install and Open\"");
    const Lines waited = program->send("wait 15");
    pressed.insert(pressed.end(), waited.begin(), waited.end());
    program->closeInput();
    const int status = program->finish();
    Lines all = asked;
    all.insert(all.end(), pressed.begin(), pressed.end());
    all.insert(all.end(), program->rest().begin(), program->rest().end());
    std::string transcript;
    for (const auto& line : all) transcript += line + "\n";
    EXPECT_EQ(status, 0) << transcript;
    EXPECT_TRUE(hasPrefix(all, "@1000.000 alert \"Install Tarnwick\"")) << transcript;
    EXPECT_TRUE(fs::exists(home / "Applications/Tarnwick.app/Contents/Info.json")) << transcript;
    EXPECT_TRUE(hasPrefix(all, "@1000.000 application opened \"" + (home / "Applications/Tarnwick.app").string() +
                                   "\" arguments \"--settings\""))
        << transcript;
    // The installer quits by itself once the installed copy runs (its launch completes 0.1 s
    // later): time stops there, not at the end of the wait.
    EXPECT_EQ(all.back(), "@1000.100 application ended with status 0") << transcript;
}

// Road 2: a desktop named in the Desktop Names window gets its label over its caption when
// Mission Control opens (Desktop 2's caption is centred at x = 756 on the built-in display).
TEST_F(ProgramRoadsTest, ADesktopNamedInTheNamesWindowIsLabelledOverItsCaption) {
    auto& app = start(kRoads / "names-window.json");
    openStatusMenu();
    const Lines opened = app.send("menu \"Desktop Names\"");
    ASSERT_TRUE(hasPrefix(opened, "@1000.500 shown window 600002 \"Desktop Names\""));
    const std::string field = "name.6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
    // An empty field's placeholder is marked as one, and no text of the window's.
    EXPECT_FALSE(printed(opened, "\"Custom name\""));
    EXPECT_TRUE(hasPrefix(app.send("screen"), "              textField placeholder \"Custom name\" id \"" + field + "\""));
    EXPECT_EQ(app.send("type " + field +
                       " \"A name far too long for the field of the names window to show, however narrow its letters\"")
                  .back(),
              "ok");
    // While it is edited the long name shows whole, scrolled to its end where the caret is and
    // clipped to its field; once the field is left, cut short with "…" inside it.
    for (const bool edited : {true, false}) {
        if (!edited) {
            EXPECT_EQ(app.send("keys tab").back(), "ok");
        }
        EXPECT_EQ(app.send("screen svg " + (home.path() / "names.svg").string()), Lines{"ok"});
        const auto drawn = testkit::parseXml(readFile(home.path() / "names.svg"));
        ASSERT_TRUE(drawn);
        const auto fields = drawn->all("g", "window").at(0)->all("rect", "text-field");
        const auto texts = drawn->all("g", "window").at(0)->all("text", "text");
        const auto typed =
            std::find_if(texts.begin(), texts.end(), [](const auto* text) { return text->text.find("A name") == 0; });
        ASSERT_NE(typed, texts.end());
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const auto* rect) {
            return holds(frameOf(*rect), testkit::shownPart(*drawn, **typed, extentOf(**typed)));
        });
        ASSERT_NE(field, fields.end()) << (*typed)->text;
        if (edited) {
            EXPECT_TRUE((*typed)->text.ends_with("narrow its letters"));
            EXPECT_LT(extentOf(**typed).minX(), frameOf(**field).minX());
            EXPECT_LT(extentOf(**typed).maxX(), frameOf(**field).maxX());
        } else {
            EXPECT_TRUE((*typed)->text.ends_with("\u2026"));
            EXPECT_TRUE(holds(frameOf(**field), extentOf(**typed)));
        }
    }
    const auto picture = testkit::parseXml(readFile(home.path() / "names.svg"));
    ASSERT_TRUE(picture);
    const auto* window = picture->all("g", "window").at(0);
    // The placeholders grey.
    const auto placeholders = window->all("text", "placeholder");
    EXPECT_EQ(placeholders.size(), 5u);
    for (const auto* placeholder : placeholders) EXPECT_EQ(placeholder->text, "Custom name");
    // The title over the glass, in the title bar.
    const auto* title = window->all("text", "window-title").at(0);
    EXPECT_EQ(title->text, "Desktop Names");
    EXPECT_EQ(title->number("font-size"), 13);
    const Rect frame = frameOf(*window->all("rect", "window-frame").at(0));
    EXPECT_TRUE(holds(Rect(frame.minX(), frame.minY(), frame.width(), 28), extentOf(*title)));
    EXPECT_TRUE(drawnAfter(*window, *window->all("rect", "glass").at(0), *title));
    expectEverythingInside(*picture, *window);
    EXPECT_EQ(app.send("type " + field + " \"Work\"").back(), "ok");
    EXPECT_EQ(app.send("submit " + field).back(), "ok");
    app.send("wait 1");
    // The window keeps the minimum frame its view declares.
    EXPECT_EQ(app.send("resize \"Desktop Names\" 300 300").front(),
              "window 600002 \"Desktop Names\" is 580 400: its minimum size is 580 400");
    app.send("close \"Desktop Names\"");
    app.send("mission-control open");
    EXPECT_EQ(app.send("wait 1"),
              (Lines{"@1001.625 " + labelOverCaption("600003", 756, "Desktop 2", "Work"), "ok"}));
    const auto names = savedNames(home);
    ASSERT_TRUE(names && names->find("names"));
    EXPECT_EQ(*names->find("names")->find("6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40"), Value("Work"));
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

// A narrow settings window shows its sections as a closed pop-up: only the chosen section shows,
// as a text and in the picture, and set still chooses another; every text is drawn at its font's
// size within the window, the Permissions page's explanations wrapped inside it, the title over
// the glass.
TEST_F(ProgramRoadsTest, ANarrowSettingsWindowDrawsWhatItsViewsLayOutInsideIt) {
    auto& app = start(kDefaultSession);
    openStatusMenu();
    ASSERT_TRUE(hasPrefix(app.send("menu \"Settings…\""), "@1000.500 shown window 600002 \"Tarnwick Settings\""));
    // Narrowed, the sidebar's sections leave its texts, and the pop-up's other sections do not
    // join them: only the chosen one shows.
    const Lines narrowed = app.send("resize \"Tarnwick Settings\" 500 400");
    ASSERT_EQ(narrowed.size(), 3u);
    EXPECT_EQ(narrowed[0], "@1000.500 moved window 600002 \"Tarnwick Settings\" to 376 223.5 500 400");
    EXPECT_TRUE(hasPrefix({narrowed[1]}, "@1000.500 texts of window 600002 \"Tarnwick Settings\" now \"General\" \"Startup\" "))
        << narrowed[1];
    for (const char* section : {"Desktop Names", "Overview", "Banner", "Permissions"})
        EXPECT_EQ(narrowed[1].find(std::string("\"") + section + "\""), std::string::npos) << section;
    const Lines screen = app.send("screen");
    const auto menu = std::find_if(screen.begin(), screen.end(), [](const std::string& line) {
        return line.rfind("          menu value \"General\" id \"settings-section-menu\"", 0) == 0;
    });
    ASSERT_NE(menu, screen.end());
    ASSERT_LT(menu + 2, screen.end());
    EXPECT_EQ(*(menu + 1), "            text \"General\"");
    EXPECT_EQ(*(menu + 2), "          spacer");
    EXPECT_EQ(app.send("screen svg " + (home.path() / "general.svg").string()), Lines{"ok"});
    EXPECT_EQ(app.send("set \"Settings section\" Permissions").back(), "ok");
    EXPECT_EQ(app.send("screen svg " + (home.path() / "permissions.svg").string()), Lines{"ok"});
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);

    for (const char* file : {"general.svg", "permissions.svg"}) {
        const auto picture = testkit::parseXml(readFile(home.path() / file));
        ASSERT_TRUE(picture) << file;
        const auto* window = picture->all("g", "window").at(0);
        const Rect frame = frameOf(*window->all("rect", "window-frame").at(0));
        std::vector<std::string> shown;
        for (const auto* text : window->all("text", "text")) {
            shown.push_back(text->text);
            // At its font's size, wrapped or cut short within the window's width.
            EXPECT_GE(text->number("font-size"), 10) << text->text;
            const Rect extent = extentOf(*text);
            EXPECT_GE(extent.minX(), frame.minX()) << text->text;
            EXPECT_LE(extent.maxX(), frame.maxX()) << text->text;
        }
        expectEverythingInside(*picture, *window);
        const auto* title = window->all("text", "window-title").at(0);
        EXPECT_EQ(title->text, "Tarnwick Settings");
        EXPECT_TRUE(drawnAfter(*window, *window->all("rect", "glass").at(0), *title));
        const bool general = std::string(file) == "general.svg";
        // Only the chosen section's name shows of the pop-up.
        for (const char* section : {"Desktop Names", "Overview", "Banner"})
            EXPECT_EQ(std::count(shown.begin(), shown.end(), section), 0) << section;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), general ? "General" : "Permissions"), 1) << file;
        if (!general) {
            EXPECT_GE(shown.size(), 12u);  // the explanations, one text per line
        }
    }
}

// The icon size rows of the settings keep their labels on one line in their columns at every
// width of the window, as the system font sets them.
TEST_F(ProgramRoadsTest, IconSizeLabelsStayOnOneLineInTheirColumnsAtEveryWindowWidth) {
    auto& app = start(kDefaultSession);
    openStatusMenu();
    ASSERT_TRUE(hasPrefix(app.send("menu \"Settings…\""), "@1000.500 shown window 600002 \"Tarnwick Settings\""));
    struct Row {
        const char* page;
        const char* label;
        double column;
    };
    const auto font = platform::ui::Font::system(13);
    for (const Row& row : {Row{"Overview", "App icon size", 90}, Row{"\"Desktop Names\"", "App icon size", 90},
                           Row{"General", "Preview icon size", 110}}) {
        ASSERT_EQ(app.send("resize \"Tarnwick Settings\" 900 700").back(), "ok");
        ASSERT_EQ(app.send(std::string("set \"Settings sections\" ") + row.page).back(), "ok") << row.page;
        // The previews' icon size shows while their app icons are on.
        if (std::string(row.page) == "General") {
            ASSERT_EQ(app.send("set \"Show app icons in expanded Mission Control previews\" on").back(), "ok");
        }
        for (const int width : {380, 460, 540, 700, 860, 1200}) {
            app.send("resize \"Tarnwick Settings\" " + std::to_string(width) + " 700");
            const fs::path file = home.path() / "settings.svg";
            ASSERT_EQ(app.send("screen svg " + file.string()), Lines{"ok"});
            const auto picture = testkit::parseXml(readFile(file));
            ASSERT_TRUE(picture);
            std::vector<const testkit::XmlElement*> labels;
            for (const auto* text : picture->all("text", "text"))
                if (text->text == row.label) labels.push_back(text);
            ASSERT_EQ(labels.size(), 1u) << row.page << " at " << width;
            // The picture writes numbers to a thousandth.
            EXPECT_NEAR(labels[0]->number("textLength"), platform::ui::systemFontMetrics().lineWidth(row.label, font), 5e-4);
            EXPECT_LE(labels[0]->number("textLength"), row.column);
        }
    }
    app.send("quit");
    EXPECT_EQ(app.finish(), 0);
}

}  // namespace
}  // namespace tarnwick
